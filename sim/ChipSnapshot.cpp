#include "sim/ChipSnapshot.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>

#include "sim/SimChipModels.h"

namespace {

constexpr std::string_view Header = "chipsmith-socket 1";
constexpr std::string_view TypePrefix = "type ";
constexpr std::string_view NoChip = "none";

// One to four hex digits and nothing else.
std::optional<int> ParseHex(std::string_view digits) {
    if (digits.empty() || digits.size() > 4) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : digits) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

// The text's lines, without a carriage return before the line feed, and without trailing blank
// lines (an editor may add one).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

std::string Hex4(int value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(value));
    return digits;
}

std::optional<int> TypeNamed(std::string_view name) {
    for (const SimChipModel& model : SimChipModels) {
        if (name == model.name) {
            return model.type;
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<int> CellAddresses(const SimulatedChip& chip) {
    std::vector<int> addresses;
    addresses.reserve(chip.MemoryWords() + SimMap::IdWords + 1);
    for (int address = 0; address < chip.MemoryWords(); ++address) {
        addresses.push_back(address);
    }
    for (int k = 0; k < SimMap::IdWords; ++k) {
        addresses.push_back(chip.IdAddress() + k);
    }
    addresses.push_back(chip.ConfigAddress());
    return addresses;
}

std::string SaveSocket(const SimulatedChip* chip) {
    std::string text(Header);
    text += '\n';
    text += TypePrefix;
    text += chip != nullptr ? std::string_view(SimChipModelFor(chip->Type()).name) : NoChip;
    text += '\n';
    if (chip == nullptr) {
        return text;
    }
    for (int address : CellAddresses(*chip)) {
        const std::uint16_t word = chip->Word(address);
        if (word != chip->Erased()) {
            char line[16];
            std::snprintf(line, sizeof line, "%04X %04X\n", address, word);
            text += line;
        }
    }
    return text;
}

std::optional<SocketContent> LoadSocket(const std::string& text, std::string* fault) {
    const auto refuse = [fault](std::string why) -> std::optional<SocketContent> {
        if (fault != nullptr) {
            *fault = std::move(why);
        }
        return std::nullopt;
    };
    // Every line this program writes ends with a line feed; a file cut short may still parse,
    // as a different chip.
    if (!text.empty() && text.back() != '\n') {
        return refuse("the last line is cut short");
    }
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.empty() || lines[0] != Header) {
        return refuse("the first line is not \"" + std::string(Header) + "\"");
    }
    if (lines.size() < 2 || lines[1].substr(0, TypePrefix.size()) != TypePrefix) {
        return refuse("line 2 does not give the chip type");
    }
    const std::string_view typeName = lines[1].substr(TypePrefix.size());
    if (typeName == NoChip) {
        if (lines.size() > 2) {
            return refuse("line 3: words for an empty socket");
        }
        return SocketContent{};
    }
    const std::optional<int> type = TypeNamed(typeName);
    if (!type) {
        return refuse("line 2: unknown chip type");
    }
    SimulatedChip chip(*type);
    const std::string chipName = SimChipModelFor(*type).name;
    const std::vector<int> cells = CellAddresses(chip);
    std::set<int> seen;
    for (std::size_t k = 2; k < lines.size(); ++k) {
        const std::string_view line = lines[k];
        const std::string where = "line " + std::to_string(k + 1) + ": ";
        const std::size_t space = line.find(' ');
        const std::optional<int> address =
            space == std::string_view::npos ? std::nullopt : ParseHex(line.substr(0, space));
        const std::optional<int> word =
            space == std::string_view::npos ? std::nullopt : ParseHex(line.substr(space + 1));
        if (!address || !word) {
            return refuse(where + "not \"ADDRESS WORD\" in hex");
        }
        if (!std::binary_search(cells.begin(), cells.end(), *address)) {
            return refuse(where + "the " + chipName + " has no cell at " + Hex4(*address));
        }
        if (*word > chip.Erased()) {
            return refuse(where + Hex4(*word) + " is wider than the " + chipName + "'s words");
        }
        if (!seen.insert(*address).second) {
            return refuse(where + Hex4(*address) + " is listed twice");
        }
        chip.SetWord(*address, static_cast<std::uint16_t>(*word));
    }
    return SocketContent{std::move(chip)};
}
