#pragma once

// Whether an image can go into a chip as it stands: every word no wider than the chip's and at an
// address the chip has (program memory, ID words, configuration word). A file for the other family
// or the larger chip would otherwise be cut to fit and burned into a chip that cannot be reused.

#include <cstdint>
#include <string>

struct ChipInfo;

struct ImageFit {
    int tooWide = 0;        // words with bits the chip's words lack
    int firstTooWide = -1;  // the lowest such address
    int outside = 0;        // used words at addresses the chip does not have
    int firstOutside = -1;  // the lowest such address
    bool Fits() const { return tooWide == 0 && outside == 0; }
};

// Every slot of the image (ImageSlots of them) is looked at; 0xFFFF is blank and always fits.
ImageFit CheckImageFit(const ChipInfo& chip, const std::uint32_t* image);

// One plain sentence for the user: which words do not fit, how many, the first of each kind.
// Empty when the image fits.
std::string DescribeImageFit(const ChipInfo& chip, const ImageFit& fit);
