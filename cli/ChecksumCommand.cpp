#include "cli/ChecksumCommand.h"

#include "chip/ChipTable.h"
#include "cli/ExitStatus.h"
#include "image/Checksum.h"
#include "image/ConfigWordPanel.h"

int ChecksumCommand(const CliOptions& options, const LoadedImage& file, std::ostream& out,
                    std::ostream& err) {
    const int chipType = options.chipType != 0 ? options.chipType : file.inferredChip;
    if (chipType == 0) {
        err << "chipsmith-cli: " << options.file.toStdString()
            << ": its last word is no configuration word, so the chip it is for cannot be told; "
               "give --chip\n"
            << std::flush;
        return ExitStatus::Usage;
    }
    const ChipInfo& chip = options.chip != nullptr && options.chip->chipType == chipType
                               ? *options.chip
                               : *FindChip(chipType);
    const std::uint16_t checksum = ImageChecksum(chip, file.image.data());
    if (options.quiet) {
        out << ChecksumText(checksum) << '\n' << std::flush;
        return ExitStatus::Done;
    }
    const auto config = static_cast<std::uint16_t>(
        file.image[static_cast<std::size_t>(chip.configAddress)] & chip.family.wordMask);
    out << "checksum " << ChecksumText(checksum) << " (" << chip.name
        << (IsCodeProtected(chip.family.Is14Bit(), config)
                ? ", code-protected: the ID words and the configuration word"
                : "")
        << ")\n"
        << std::flush;
    return ExitStatus::Done;
}
