#pragma once

// Which chip a data file is for, judged from the image alone: the configuration word must be the
// file's last word (0xFFF for the 12-bit chips, 0x2007 for the 14-bit chips), and the larger chip
// of a family shows by a calibration word at its own last address or by a used word beyond the
// smaller chip's memory (the smaller chip's ID words excepted, when they look like ID words: all
// four present, each within the low four bits).

#include <cstdint>

struct ChipInference {
    int chipType = 0;      // 0 none, 1..4
    int calibration = -1;  // the calibration value the data carries, -1 when none
};

// lastIndex: the index of the last word the parse stored.
ChipInference InferChip(const std::uint32_t* image, int lastIndex);

// The highest used slot below `limit`, 0 when there is none.
int HighestUsedBelow(const std::uint32_t* image, int limit);

// The size search: from `top` down, the first slot that is not 0xFFFF; index 0 whatever it holds.
int LastUsedFrom(const std::uint32_t* image, int top);
