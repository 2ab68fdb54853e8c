#pragma once

// Several boards at once, as chipsmith-cli drives them with --port given more than once: each a
// simulated board with its own link on a thread of its own, all programming a full chip with the
// adaptive algorithm; the wall time against one board's.

#include <cstdint>
#include <vector>

struct ChipInfo;

// Prints one board's time, `boards` boards' time and their ratio.
void BenchmarkBoards(const ChipInfo& chip, const std::vector<std::uint32_t>& image, int boards);
