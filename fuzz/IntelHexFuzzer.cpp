// The Intel HEX reader on any bytes a data file may hold. Beyond "no crash": every stored word is
// 16 bits wide, and what was stored survives a write and a second parse unchanged.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "image/DataFile.h"
#include "image/IntelHex.h"

namespace {

std::vector<std::uint32_t> BlankImage() {
    return std::vector<std::uint32_t>(ImageSlots, 0xFFFF);
}

int LastUsedSlot(const std::vector<std::uint32_t>& image) {
    for (int index = ImageSlots - 1; index >= 0; --index) {
        if (image[index] != 0xFFFF) {
            return index;
        }
    }
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The program never reads more of a data file than this.
    if (size > MaxDataFileBytes) {
        return -1;
    }
    // libFuzzer's buffer is exactly `size` bytes, so reading past it is caught.
    const char* text = reinterpret_cast<const char*>(data);
    const int noIndex = -1;

    std::vector<std::uint32_t> image = BlankImage();
    const int last =
        ParseIntelHex(text, static_cast<int>(size), image.data(), noIndex, [](const char*) {});
    Require(last >= noIndex && last < ImageSlots, "the index returned names a slot, or none");
    for (std::uint32_t word : image) {
        Require(word <= 0xFFFF, "every stored word fits 16 bits");
    }

    std::vector<char> written(HexTextCapacity);
    const int length = WriteIntelHex(ImageSlots - 1, image.data(), written.data());
    Require(length > 0 && length <= HexTextCapacity, "the writer stays inside the text buffer");

    std::vector<std::uint32_t> reread = BlankImage();
    int errors = 0;
    const int rereadLast = ParseIntelHex(written.data(), length, reread.data(), noIndex,
                                         [&errors](const char*) { ++errors; });
    Require(errors == 0, "what the writer writes reads back without an error");
    Require(reread == image, "the image survives a write and a second parse");
    Require(rereadLast == LastUsedSlot(image), "a written file's last word is its highest");
    return 0;
}
