#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "image/IntelHex.h"

namespace {

using Image = std::vector<std::uint32_t>;

Image EmptyImage() {
    return Image(ImageSlots, 0xFFFF);
}

// Writes into a heap buffer of exactly HexTextCapacity bytes, so AddressSanitizer reports an
// overrun; the image vector holds exactly ImageSlots slots for the same reason.
std::string Write(int lastIndex, const Image& image) {
    auto buffer = std::make_unique<char[]>(HexTextCapacity);
    const int length = WriteIntelHex(lastIndex, image.data(), buffer.get());
    EXPECT_LE(length, HexTextCapacity);
    return std::string(buffer.get(), static_cast<std::size_t>(length));
}

const std::string End = ":00000001FF\r\n";

struct WriteCase {
    const char* name;
    std::vector<std::pair<int, std::uint32_t>> slots;
    int lastIndex;
    std::string text;
};

// Keeps test names readable in CTest.
void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class WriteTable : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteTable, WritesRecords) {
    const WriteCase& c = GetParam();
    Image image = EmptyImage();
    for (const auto& [index, value] : c.slots) {
        image[index] = value;
    }
    EXPECT_EQ(Write(c.lastIndex, image), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    IntelHex, WriteTable,
    testing::Values(
        WriteCase{"ConfigWordAlone", {{0xFFF, 0x0FEA}}, 0xFFF, ":021FFE00EA0FE8\r\n" + End},
        WriteCase{"EmptyImage", {}, 0x2007, End},
        WriteCase{"NegativeLastIndex", {{0, 0x1234}}, -1, End},
        WriteCase{"GapsInsideGroupAreFF",
                  {{2, 0x2211}, {5, 0x4433}},
                  7,
                  ":080004001122FFFFFFFF33444E\r\n" + End},
        WriteCase{"GroupsNeverJoin",
                  {{0, 0x2211}, {8, 0x4433}},
                  8,
                  ":020000001122CB\r\n:02001000334477\r\n" + End},
        WriteCase{"GroupOfLastIndexWrittenWhole",
                  {{9, 0x4433}, {16, 0x0001}},
                  8,
                  ":02001200334475\r\n" + End},
        WriteCase{"WideSlotIsNotEmpty", {{0, 0x1FFFF}}, 0, ":02000000FFFF00\r\n" + End},
        WriteCase{"LastIndexBeyondImage", {{0x20FF, 0x1234}}, 100000, ":0241FE00341279\r\n" + End}),
    [](const testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

TEST(IntelHexWrite, LongestTexts) {
    const Image full(ImageSlots, 0x0000);
    EXPECT_EQ(Write(0x2007, full).size(), 46138u);  // 1025 full records and the end record
    EXPECT_EQ(Write(ImageSlots - 1, full).size(), 1056u * 45 + 13);
}

// Any image survives a trip through the text: 0xFFFF written inside a record reads back as empty.
TEST(IntelHexWrite, RoundTripsRandomImages) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        Image image = EmptyImage();
        const int used = std::uniform_int_distribution<int>(0, ImageSlots)(rng);
        for (int n = 0; n < used; ++n) {
            image[rng() % ImageSlots] = rng() % 3 == 0 ? 0xFFFF : rng() & 0xFFFF;
        }
        const std::string text = Write(ImageSlots - 1, image);

        Image parsed = EmptyImage();
        int messages = 0;
        ParseIntelHex(text.data(), static_cast<int>(text.size()), parsed.data(), -1,
                      [&](const char*) { ++messages; });
        EXPECT_EQ(messages, 0);
        ASSERT_EQ(parsed, image) << "round " << round;
    }
}

}  // namespace
