// Files made by the gpasm assembler (sources beside them in the test data): its default INHX32
// output with LF line ends and an address record, and INHX8M with CR LF.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "image/IntelHex.h"

namespace {

using Words = std::map<int, std::uint32_t>;

struct AssembledFile {
    const char* name;
    int configIndex;
    Words words;  // every word the assembler put out, checked against gpdasm
};

const AssembledFile Blink508{"blink508",
                             0xFFF,
                             {{0x000, 0x025},
                              {0x001, 0xCFE},
                              {0x002, 0x006},
                              {0x003, 0x506},
                              {0x004, 0xBF0},
                              {0x005, 0x406},
                              {0x006, 0xA03},
                              {0x1F0, 0x2F0},
                              {0x1F1, 0xBF0},
                              {0x1F2, 0xA05},
                              {0xFFF, 0xFEA}}};
const AssembledFile Blink509{"blink509",
                             0xFFF,
                             {{0x000, 0x025},
                              {0x001, 0xCFD},
                              {0x002, 0x006},
                              {0x003, 0x5A3},
                              {0x004, 0xBF0},
                              {0x3F0, 0x526},
                              {0x3F1, 0x004},
                              {0x3F2, 0x426},
                              {0x3F3, 0xBF0},
                              {0xFFF, 0xFFD}}};
const AssembledFile Blink671{"blink671",
                             0x2007,
                             {{0x000, 0x2805},
                              {0x004, 0x0009},
                              {0x005, 0x1683},
                              {0x006, 0x303E},
                              {0x007, 0x0085},
                              {0x008, 0x1283},
                              {0x009, 0x3001},
                              {0x00A, 0x0685},
                              {0x00B, 0x23F0},
                              {0x00C, 0x2809},
                              {0x3F0, 0x0BA0},
                              {0x3F1, 0x2BF0},
                              {0x3F2, 0x3400},
                              {0x2000, 0x1},
                              {0x2001, 0x2},
                              {0x2002, 0x3},
                              {0x2003, 0x4},
                              {0x2007, 0x3FE4}}};
const AssembledFile Blink672{"blink672",
                             0x2007,
                             {{0x000, 0x2805},
                              {0x004, 0x0009},
                              {0x005, 0x1683},
                              {0x006, 0x303D},
                              {0x007, 0x0085},
                              {0x008, 0x1283},
                              {0x009, 0x3002},
                              {0x00A, 0x0685},
                              {0x00B, 0x0064},
                              {0x00C, 0x2FF0},
                              {0x7F0, 0x0000},
                              {0x7F1, 0x2809},
                              {0x2000, 0xA},
                              {0x2001, 0xB},
                              {0x2002, 0xC},
                              {0x2003, 0xD},
                              {0x2007, 0x3F7D}}};

std::string DataPath(const std::string& fileName) {
    return std::string(CHIPSMITH_TEST_DATA) + "/" + fileName;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Parsed {
    std::vector<std::uint32_t> image = std::vector<std::uint32_t>(ImageSlots, 0xFFFF);
    int result = 0;
    std::vector<std::string> messages;

    Words Used() const {
        Words used;
        for (int i = 0; i < ImageSlots; ++i) {
            if (image[i] != 0xFFFF) {
                used[i] = image[i];
            }
        }
        return used;
    }
};

Parsed Parse(const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size());
    std::copy(text.begin(), text.end(), buffer.get());
    Parsed parsed;
    parsed.result = ParseIntelHex(buffer.get(), static_cast<int>(text.size()), parsed.image.data(),
                                  -1, [&](const char* m) { parsed.messages.push_back(m); });
    return parsed;
}

// Keeps test names readable in CTest.
void PrintTo(const AssembledFile& c, std::ostream* os) {
    *os << c.name;
}

class AssembledFiles : public testing::TestWithParam<AssembledFile> {};

TEST_P(AssembledFiles, BothFormatsGiveTheAssembledWords) {
    const AssembledFile& file = GetParam();
    const std::string inhx32 = ReadFile(DataPath(file.name + std::string(".hex")));
    const std::string inhx8m = ReadFile(DataPath(file.name + std::string("-inhx8m.hex")));
    // The files must really differ in the ways the reader has to cope with.
    ASSERT_EQ(inhx32.rfind(":020000040000FA\n", 0), 0u);
    ASSERT_EQ(inhx32.find('\r'), std::string::npos);
    ASSERT_NE(inhx8m.find(":00000001FF\r\n"), std::string::npos);

    for (const std::string* text : {&inhx32, &inhx8m}) {
        const Parsed parsed = Parse(*text);
        EXPECT_TRUE(parsed.messages.empty());
        EXPECT_EQ(parsed.Used(), file.words);
        EXPECT_EQ(parsed.result, file.configIndex);  // the configuration word comes last
    }
}

TEST_P(AssembledFiles, WrittenBackReadsTheSame) {
    const Parsed original = Parse(ReadFile(DataPath(GetParam().name + std::string(".hex"))));
    std::string text(HexTextCapacity, '\0');
    text.resize(WriteIntelHex(0x2007, original.image.data(), text.data()));

    const Parsed again = Parse(text);
    EXPECT_TRUE(again.messages.empty());
    EXPECT_EQ(again.image, original.image);
}

// An independent tool must see the same data in our output as in the assembler's, blank being
// 0xFF bytes on both sides.
TEST_P(AssembledFiles, SrecordAgreesWithWrittenText) {
    if (std::system("command -v srec_cmp >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "srec_cmp (srecord) is not installed";
    }
    const std::string source = DataPath(GetParam().name + std::string(".hex"));
    const Parsed parsed = Parse(ReadFile(source));
    std::string text(HexTextCapacity, '\0');
    text.resize(WriteIntelHex(0x2007, parsed.image.data(), text.data()));
    const std::string written = testing::TempDir() + GetParam().name + "-written.hex";
    std::ofstream(written, std::ios::binary) << text;

    const std::string range = " -intel -fill 0xFF 0 0x4010";
    const std::string command =
        "srec_cmp '" + written + "'" + range + " '" + source + "'" + range + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::remove(written.c_str());
}

INSTANTIATE_TEST_SUITE_P(IntelHex, AssembledFiles,
                         testing::Values(Blink508, Blink509, Blink671, Blink672),
                         [](const testing::TestParamInfo<AssembledFile>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
