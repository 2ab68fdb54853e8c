#pragma once

// Where chipsmith-cli's output files go, and writing them so that a failure is never taken for
// success: a file is replaced whole or not at all, and a stream is flushed and its state checked.

#include <QByteArray>
#include <QString>
#include <ostream>
#include <string>

// The name of the n-th of a batch's files: the number before the extension, "out.hex" becomes
// "out-001.hex" (a name without one gets it at the end).
QString NumberedPath(const QString& path, int number);

// Whether a file can be written at path, as far as can be told before the run: its folder exists
// and may be written, and nothing but a regular file is there (a device or a FIFO would be
// replaced by a plain file). False with `why` (path and reason).
bool CanReplace(const QString& path, std::string& why);

// Replaces the file at path with bytes through a temporary file in its folder, renamed into place
// when all is written: on failure the old file stays as it was. Checks CanReplace first. False with
// `why` (path and reason).
bool SaveWhole(const QString& path, const QByteArray& bytes, std::string& why);

// Writes bytes to a stream and flushes it; false with `why` when the stream took them not all.
bool WriteStream(std::ostream& out, const QByteArray& bytes, std::string& why);
