#pragma once

// The port the window's board is on when the window menu chose it: the parallel ports (searched)
// or one FTDI adapter. It is kept in the window's own INI file, beside the algorithm
// (AlgorithmSettingPath), since the settings file's bytes are fixed.

#include <QString>

// The adapter remembered at `path`, as --port names it (ftdi:SERIAL or ftdi:VID:PID); empty for
// the parallel ports, and for anything else the file may hold: only an adapter that was chosen by
// name is ever used from there (a bare "ftdi" could be whichever adapter comes first, the user's
// serial console included).
QString LoadBoardPort(const QString& path);

// Remembers `port` (empty: the parallel ports), making the folder if needed; false when it could
// not be written.
bool SaveBoardPort(const QString& path, const QString& port);

// Where the window looks for its board at start: the port --port names (`commandLine`), else the
// one remembered. The remembered one is not changed by a --port.
QString StartingPort(const QString& commandLine, const QString& remembered);
