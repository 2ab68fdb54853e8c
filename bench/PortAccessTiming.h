#pragma once

#include <string>

// Times the accesses of a real parallel port through ppdev: the data register read once and
// written back with the same value many times (no line changes, so a board on the port sees
// nothing), then the status register read as often. Returns the mean nanoseconds of one access,
// or a negative number with `why` set when the port cannot be used.
double MeasurePortAccessNs(const std::string& port, std::string& why);
