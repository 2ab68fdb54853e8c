#pragma once

// Which programming algorithm the window uses, remembered between runs. The settings file's bytes
// are fixed, so the choice has a small INI file of its own in the user's configuration folder.

#include <QString>

#include "chip/ProgrammingAlgorithm.h"

// <configuration folder>/chipsmith/window.ini
QString AlgorithmSettingPath();

// The classic algorithm unless the file says "adaptive" (no file, another value: classic).
Algorithm LoadAlgorithm(const QString& path);

// Writes the choice, making the folder if needed; false when it could not be written.
bool SaveAlgorithm(const QString& path, Algorithm algorithm);
