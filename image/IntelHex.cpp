#include "image/IntelHex.h"

#include <algorithm>

namespace {

const char* const FileError = "Intel File ERROR !";
const char* const ChecksumError = "Intel Checksum ERROR !";

constexpr int HeaderChars = 9;  // ':' LL AAAA TT
constexpr int DataRecord = 0x00;
constexpr int EndRecord = 0x01;
constexpr int SegmentAddressRecord = 0x02;
constexpr int SegmentStartRecord = 0x03;
constexpr int LinearAddressRecord = 0x04;
constexpr int LinearStartRecord = 0x05;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool AllHexDigits(const char* first, const char* last) {
    return std::all_of(first, last, IsHexDigit);
}

// Both digits have been checked, so the value is always 0..255.
int ByteAt(const char* text) {
    return (HexDigitValue(text[0]) << 4) | HexDigitValue(text[1]);
}

// One record of the text, checked to lie whole inside it and to have only digits where digits
// belong. `data` points at its first data digit pair.
struct Record {
    int count = 0;
    int address = 0;
    int type = 0;
    const char* data = nullptr;
    int checksum = 0;
    int end = 0;  // position just after the checksum

    int DataByte(int k) const { return ByteAt(data + 2 * k); }
};

// Checks the record at `pos` and decodes its header; false when it does not begin with ':', is cut
// short, or holds a character that is not a digit.
bool ReadRecord(const char* text, int length, int pos, Record& record) {
    if (pos >= length || text[pos] != ':' || length - pos < HeaderChars) {
        return false;
    }
    const char* header = text + pos + 1;
    if (!AllHexDigits(header, header + HeaderChars - 1)) {
        return false;
    }
    record.count = ByteAt(header);
    record.address = (ByteAt(header + 2) << 8) | ByteAt(header + 4);
    record.type = ByteAt(header + 6);
    record.data = text + pos + HeaderChars;
    const int dataChars = 2 * record.count;
    if (length - pos - HeaderChars < dataChars + 2) {
        return false;
    }
    if (!AllHexDigits(record.data, record.data + dataChars + 2)) {
        return false;
    }
    record.checksum = ByteAt(record.data + dataChars);
    record.end = pos + HeaderChars + dataChars + 2;
    return true;
}

// A record whose words would fall outside the image, or an address record that is not two bytes,
// is as bad as a malformed one: nothing of it is used.
bool Fits(const Record& record) {
    switch (record.type) {
        case DataRecord:
            return record.count < 2 || record.address / 2 + record.count / 2 <= ImageSlots;
        case SegmentAddressRecord:
        case LinearAddressRecord:
            return record.count == 2;
        default:
            return true;
    }
}

bool ChecksumMatches(const Record& record) {
    int sum = record.count + (record.address >> 8) + (record.address & 0xFF) + record.type;
    for (int k = 0; k < record.count; ++k) {
        sum += record.DataByte(k);
    }
    return ((sum + record.checksum) & 0xFF) == 0;
}

// Assemblers on Linux end lines with LF alone, others with CR LF; a lone CR is accepted as well.
// Any other two characters are skipped as a separator.
int SkipLineEnd(const char* text, int length, int pos) {
    if (pos < length && text[pos] == '\r') {
        return (pos + 1 < length && text[pos + 1] == '\n') ? pos + 2 : pos + 1;
    }
    if (pos < length && text[pos] == '\n') {
        return pos + 1;
    }
    return std::min(pos + 2, length);
}

}  // namespace

int HexDigitValue(char c) {
    const int code = static_cast<signed char>(c);
    return (code & 0x0F) + (code >= 0x3A ? 9 : 0);
}

int ParseIntelHex(const char* text, int length, std::uint32_t* image, int lastIndex,
                  const std::function<void(const char* message)>& showError) {
    int result = lastIndex;
    int pos = 0;
    for (;;) {
        Record record;
        if (!ReadRecord(text, length, pos, record) || !Fits(record)) {
            showError(FileError);
            return result;
        }
        if (record.type == DataRecord) {
            // Stored before the checksum test: a record with a bad checksum keeps its words.
            const int first = record.address / 2;
            for (int k = 0; k < record.count / 2; ++k) {
                image[first + k] = record.DataByte(2 * k) | (record.DataByte(2 * k + 1) << 8);
                result = first + k;
            }
        }
        if (!ChecksumMatches(record)) {
            showError(ChecksumError);
            return result;
        }
        switch (record.type) {
            case DataRecord:
            case SegmentStartRecord:
            case LinearStartRecord:
                break;
            case SegmentAddressRecord:
            case LinearAddressRecord:
                // The image lies wholly below 64 KiB; any other base puts what follows outside it.
                if (record.DataByte(0) != 0 || record.DataByte(1) != 0) {
                    showError(FileError);
                    return result;
                }
                break;
            case EndRecord:
                return result;
            default:  // a type this reader does not know: nothing after it can be trusted
                return result;
        }
        pos = SkipLineEnd(text, length, record.end);
    }
}

int WriteIntelHex(int lastIndex, const std::uint32_t* image, char* text) {
    static const char Digits[] = "0123456789ABCDEF";
    int pos = 0;
    int sum = 0;
    auto putByte = [&](int value) {
        text[pos++] = Digits[(value >> 4) & 0x0F];
        text[pos++] = Digits[value & 0x0F];
        sum += value;
    };
    auto isEmpty = [image](int index) { return image[index] == 0xFFFF; };

    const int last = std::min(lastIndex, ImageSlots - 1);
    for (int group = 0; group <= last; group += 8) {
        // Trim empty slots at both ends; at most seven steps each, so all-empty leaves j < i.
        int i = group;
        while (i < group + 7 && isEmpty(i)) {
            ++i;
        }
        int j = group + 7;
        while (j > group && isEmpty(j)) {
            --j;
        }
        const int words = j - i + 1;
        if (words <= 0) {
            continue;
        }
        sum = 0;
        text[pos++] = ':';
        putByte(2 * words);
        putByte((2 * i) >> 8);
        putByte((2 * i) & 0xFF);
        putByte(DataRecord);
        for (int index = i; index <= j; ++index) {
            putByte(image[index] & 0xFF);
            putByte((image[index] >> 8) & 0xFF);
        }
        putByte(-sum & 0xFF);
        text[pos++] = '\r';
        text[pos++] = '\n';
    }
    static const char EndOfFile[] = ":00000001FF\r\n";
    std::copy(EndOfFile, EndOfFile + sizeof EndOfFile - 1, text + pos);
    return pos + static_cast<int>(sizeof EndOfFile - 1);
}
