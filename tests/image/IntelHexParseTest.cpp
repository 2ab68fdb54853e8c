#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "image/IntelHex.h"

namespace {

const std::string FileError = "Intel File ERROR !";
const std::string ChecksumError = "Intel Checksum ERROR !";
const std::string End = ":00000001FF\r\n";
constexpr int NoWord = -1;  // lastIndex passed in; comes back when nothing is stored
constexpr int Guard = 64;   // slots on either side of the image that must never change
constexpr std::uint32_t GuardValue = 0xA5A5A5A5;

struct Outcome {
    std::map<int, std::uint32_t> stored;  // slots that are no longer 0xFFFF
    int result = 0;
    std::vector<std::string> messages;
};

// Parses from a heap buffer of exactly text.size() bytes, so that AddressSanitizer reports any
// read past `length`, into an image framed by guard slots that are checked afterwards.
Outcome Parse(const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size());
    std::copy(text.begin(), text.end(), buffer.get());
    std::vector<std::uint32_t> slots(Guard + ImageSlots + Guard, GuardValue);
    std::fill_n(slots.begin() + Guard, ImageSlots, 0xFFFF);

    Outcome outcome;
    outcome.result = ParseIntelHex(buffer.get(), static_cast<int>(text.size()), &slots[Guard],
                                   NoWord, [&](const char* m) { outcome.messages.push_back(m); });

    for (int i = 0; i < Guard; ++i) {
        EXPECT_EQ(slots[i], GuardValue) << "guard before the image, slot " << i;
        EXPECT_EQ(slots[Guard + ImageSlots + i], GuardValue) << "guard after the image, slot " << i;
    }
    for (int i = 0; i < ImageSlots; ++i) {
        const std::uint32_t value = slots[Guard + i];
        EXPECT_LE(value, 0xFFFFu) << "slot " << i;
        if (value != 0xFFFF) {
            outcome.stored[i] = value;
        }
    }
    return outcome;
}

using Messages = std::vector<std::string>;

struct ParseCase {
    const char* name;
    std::string text;
    std::map<int, std::uint32_t> stored;
    int result;
    Messages messages;
};

// Keeps test names readable in CTest.
void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, StoresReturnsAndReports) {
    const ParseCase& c = GetParam();
    const Outcome outcome = Parse(c.text);
    EXPECT_EQ(outcome.stored, c.stored);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.messages, c.messages);
}

const std::string Config508 = ":021FFE00EA0FE8\r\n";     // 0x0FEA at 0xFFF
const std::string TwoWords = ":04000000250C0200C9\r\n";  // 0x0C25, 0x0002 at 0 and 1

INSTANTIATE_TEST_SUITE_P(
    IntelHex, ParseTable,
    testing::Values(
        ParseCase{"ConfigWord12Bit", Config508 + End, {{0xFFF, 0x0FEA}}, 0xFFF, {}},
        ParseCase{"ConfigWord14Bit", ":02400E00F43F7D\r\n" + End, {{0x2007, 0x3FF4}}, 0x2007, {}},
        ParseCase{"TwoWords", TwoWords + End, {{0, 0x0C25}, {1, 0x0002}}, 1, {}},
        ParseCase{"LowerCaseDigits", ":0203fe003c0cb5\r\n" + End, {{0x1FF, 0x0C3C}}, 0x1FF, {}},
        ParseCase{"EndRecordAlone", End, {}, NoWord, {}},
        ParseCase{
            "EndRecordWithoutLineEnd", Config508 + ":00000001FF", {{0xFFF, 0x0FEA}}, 0xFFF, {}},
        ParseCase{"TextAfterEndIgnored", End + "garbage\x01", {}, NoWord, {}},
        ParseCase{"OutOfOrderResultIsLastInFile",
                  Config508 + TwoWords + End,
                  {{0, 0x0C25}, {1, 0x0002}, {0xFFF, 0x0FEA}},
                  1,
                  {}},
        ParseCase{"OddByteAddress", ":02000300EA0F02\r\n" + End, {{1, 0x0FEA}}, 1, {}},
        ParseCase{"OddByteCountSumsLastByte", ":03000000250C07C5\r\n" + End, {{0, 0x0C25}}, 0, {}},
        ParseCase{"ChecksumFailureKeepsWords",
                  ":04000000250C0200C8\r\n" + Config508 + End,
                  {{0, 0x0C25}, {1, 0x0002}},
                  1,
                  {ChecksumError}},
        ParseCase{"EndRecordChecksumChecked",
                  Config508 + ":00000001FE\r\n",
                  {{0xFFF, 0x0FEA}},
                  0xFFF,
                  {ChecksumError}},
        // Address records.
        ParseCase{"LinearAddressZero",
                  ":020000040000FA\r\n" + Config508 + End,
                  {{0xFFF, 0x0FEA}},
                  0xFFF,
                  {}},
        ParseCase{"SegmentAddressZero",
                  ":020000020000FC\r\n" + Config508 + End,
                  {{0xFFF, 0x0FEA}},
                  0xFFF,
                  {}},
        ParseCase{"LinearAddressNonZero",
                  TwoWords + ":020000040001F9\r\n" + Config508 + End,
                  {{0, 0x0C25}, {1, 0x0002}},
                  1,
                  {FileError}},
        ParseCase{"SegmentAddressNonZero",
                  ":020000021000EC\r\n" + Config508 + End,
                  {},
                  NoWord,
                  {FileError}},
        ParseCase{
            "AddressRecordChecksumFirst", ":020000040001F8\r\n" + End, {}, NoWord, {ChecksumError}},
        ParseCase{"AddressRecordOfFourBytes",
                  ":0400000400000000F8\r\n" + Config508 + End,
                  {},
                  NoWord,
                  {FileError}},
        ParseCase{"StartAddressesSkipped",
                  ":0400000300000000F9\r\n:0400000500000100F6\r\n" + Config508 + End,
                  {{0xFFF, 0x0FEA}},
                  0xFFF,
                  {}},
        ParseCase{"UnknownTypeEndsSilently", ":00000006FA\r\n" + Config508 + End, {}, NoWord, {}},
        // Words without a slot.
        ParseCase{"LastSlot", ":0241FE00341279\r\n" + End, {{0x20FF, 0x1234}}, 0x20FF, {}},
        ParseCase{"BeyondImage",
                  TwoWords + ":024200000102B9\r\n" + End,
                  {{0, 0x0C25}, {1, 0x0002}},
                  1,
                  {FileError}},
        ParseCase{"StraddlingImageEndStoresNothing",
                  ":0441FE0001020304B3\r\n" + End,
                  {},
                  NoWord,
                  {FileError}},
        ParseCase{"NoWordsAtHighAddress", ":00FFFE0003\r\n" + End, {}, NoWord, {}},
        // Characters where digits belong.
        ParseCase{"LetterInData", ":021FFE00EG0FE8\r\n" + End, {}, NoWord, {FileError}},
        ParseCase{"BlankInCount",
                  TwoWords + ": 21FFE00EA0FE8\r\n" + End,
                  {{0, 0x0C25}, {1, 0x0002}},
                  1,
                  {FileError}},
        ParseCase{"ColonInChecksum", ":021FFE00EA0FE:\r\n" + End, {}, NoWord, {FileError}},
        ParseCase{"HighByteInAddress",
                  ":021F\xFE"
                  "00EA0FE8\r\n" +
                      End,
                  {},
                  NoWord,
                  {FileError}},
        // Text that ends too early, or does not start a record.
        ParseCase{"EmptyText", "", {}, NoWord, {FileError}},
        ParseCase{"NoEndRecord", Config508, {{0xFFF, 0x0FEA}}, 0xFFF, {FileError}},
        ParseCase{"CutInsideRecord",
                  TwoWords + ":021FFE00EA0F",
                  {{0, 0x0C25}, {1, 0x0002}},
                  1,
                  {FileError}},
        ParseCase{"NoRecordMark", "021FFE00EA0FE8\r\n" + End, {}, NoWord, {FileError}},
        ParseCase{"BlankLineBetweenRecords",
                  TwoWords + "\r\n" + Config508 + End,
                  {{0, 0x0C25}, {1, 0x0002}},
                  1,
                  {FileError}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(IntelHexParse, AcceptsEveryLineEnd) {
    const std::vector<std::string> records = {":020000040000FA", ":04000000250C0200C9",
                                              ":021FFE00EA0FE8", ":00000001FF"};
    for (const std::string lineEnd : {"\r\n", "\n", "\r", "  "}) {
        std::string text;
        for (const std::string& record : records) {
            text += record + lineEnd;
        }
        const Outcome outcome = Parse(text);
        const std::map<int, std::uint32_t> expected = {{0, 0x0C25}, {1, 0x0002}, {0xFFF, 0x0FEA}};
        EXPECT_EQ(outcome.stored, expected) << testing::PrintToString(lineEnd);
        EXPECT_EQ(outcome.result, 0xFFF);
        EXPECT_TRUE(outcome.messages.empty()) << testing::PrintToString(lineEnd);
    }
}

TEST(IntelHexParse, DigitRule) {
    const std::vector<std::pair<char, int>> digits = {
        {'0', 0},  {'9', 9},  {'A', 10}, {'F', 15},   {'a', 10},   {'f', 15},
        {' ', 0},  {'G', 16}, {'g', 16}, {':', 19},   {'\x85', 5}, {'\xFF', 15},
        {'Z', 19}, {'\0', 0}, {'/', 15}, {'\x7F', 24}};
    for (const auto& [c, value] : digits) {
        EXPECT_EQ(HexDigitValue(c), value) << "character code " << (c & 0xFF);
    }
}

// A file cut at any point keeps the words of its whole records and reports the cut; only a cut
// after the end record's checksum goes unnoticed.
TEST(IntelHexParse, TextCutAtEveryPosition) {
    const std::string text = ":020000040000FA\n:04000000250C0200C9\r\n:03000400110022C6\r" +
                             Config508 + ":00000001FF\r\n";
    const Outcome whole = Parse(text);
    ASSERT_TRUE(whole.messages.empty());
    const std::size_t endOfEndRecord = text.rfind(":00000001FF") + 11;
    for (std::size_t length = 0; length < text.size(); ++length) {
        SCOPED_TRACE(length);
        const Outcome cut = Parse(text.substr(0, length));
        for (const auto& [index, value] : cut.stored) {
            EXPECT_EQ(whole.stored.at(index), value);
        }
        EXPECT_EQ(cut.messages, length < endOfEndRecord ? Messages{FileError} : Messages{});
    }
}

// Random texts must never make the parse read or write out of bounds, or store more than 16 bits.
// Half are mutations of a valid file, which reach deeper into the records than pure noise.
TEST(IntelHexParse, RandomTextsStayInBounds) {
    const std::string valid =
        ":020000040000FA\n:04000000250C0200C9\n:0441FC0001020304B5\n" + Config508 + ":00000001FF\n";
    const std::string alphabet = ":0123456789ABCDEFabcdefG \r\n\xFF";
    std::mt19937 rng(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        if (round % 2 == 0) {
            const int length = std::uniform_int_distribution<int>(0, 200)(rng);
            for (int i = 0; i < length; ++i) {
                const bool anyByte = rng() % 4 == 0;
                text += anyByte ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
            }
        } else {
            text = valid;
            for (int edits = rng() % 4 + 1; edits > 0; --edits) {
                text[rng() % text.size()] = alphabet[rng() % alphabet.size()];
            }
            text.resize(rng() % (text.size() + 1));
        }
        SCOPED_TRACE(testing::PrintToString(text));
        const Outcome outcome = Parse(text);  // checks guards and 16-bit slots
        EXPECT_LE(outcome.messages.size(), 1u);
        EXPECT_TRUE(outcome.result == NoWord ||
                    (outcome.result >= 0 && outcome.result < ImageSlots));
        if (HasFailure()) {
            break;
        }
    }
}

}  // namespace
