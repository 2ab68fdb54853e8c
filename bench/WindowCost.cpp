// What the window adds to a chip operation: Erased ?, Read and Compare of a full chip (every
// usable word, the ID words and the configuration word programmed), pressed in the real dialog on
// Qt's offscreen platform, against the same chip reads called bare, without a window.
//
// Both run on a virtual clock, where every port access takes a fixed time (1 us unless
// --access-ns says otherwise) and every pause takes exactly what it asks. The chip's own time is
// then the virtual time an operation took; the real time it took is only what the host spent:
// the simulated board for the bare reads, the simulated board and the window for the pressed
// buttons. The window's cost is the difference. Since the window draws its progress by the
// board's clock, it draws as many frames here as it would on a real port of that speed.
//
// With --real-clock the board runs on the real clock instead, as in chipsmith-sim: the chip's time
// is then real too, and the window's cost is still the difference of the two.
//
// Not a test: it prints figures.
//   chipsmith_window_benchmark [--chip 12c672] [--access-ns N] [--runs N] [--real-clock]

#include <QApplication>
#include <QEvent>
#include <QListWidget>
#include <QProgressBar>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/FileLayer.h"
#include "app/ProgrammerDlg.h"
#include "chip/ChipReads.h"
#include "chip/ChipTable.h"
#include "chip/ConfigReadout.h"
#include "chip/IdWords.h"
#include "image/IntelHex.h"
#include "link/ProgrammerLink.h"
#include "link/SystemDelays.h"
#include "sim/SimulatedBoard.h"
#include "sim/SlowPort.h"
#include "sim/VirtualDelays.h"

namespace {

struct Options {
    std::int64_t accessNs = 1'000;
    std::string chip = "12c672";
    int runs = 3;
    bool realClock = false;
};

// Opens the one file it was given; any box is printed, since none is expected.
class BenchDesktop final : public Desktop {
public:
    explicit BenchDesktop(QString file) : file_(std::move(file)) {}
    void Tell(const QString& text, Icon) override { Unexpected(text); }
    bool Ask(const QString& text) override { return Unexpected(text); }
    bool AskYesNo(const QString& text) override { return Unexpected(text); }
    QString ChooseFileToOpen(const QString&) override { return file_; }
    QString ChooseFileToSave(const QString&, const QString&) override { return {}; }
    bool ShowHelp(const QString&, int) override { return false; }

private:
    static bool Unexpected(const QString& text) {
        std::fprintf(stderr, "unexpected box: %s\n", text.toLocal8Bit().constData());
        return false;
    }
    QString file_;
};

// Counts the progress bar's paints: the frames the window drew of it.
class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

std::int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Every usable word, the four ID words and an unprotected configuration word; the calibration
// word is the factory's.
std::vector<std::uint32_t> FullImage(const ChipInfo& chip) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::uint32_t> word(0, chip.family.wordMask - 1u);
    std::vector<std::uint32_t> image(ImageSlots, 0xFFFF);
    for (int k = 0; k <= chip.maxUsableAddress; ++k) {
        image[static_cast<std::size_t>(k)] = word(random);
    }
    for (int i = 0; i < IdWordCount; ++i) {
        image[static_cast<std::size_t>(chip.idAddress + i)] = static_cast<std::uint32_t>(i + 1);
    }
    image[static_cast<std::size_t>(chip.configAddress)] = chip.family.Is14Bit() ? 0x3FF4 : 0x0FEA;
    return image;
}

SimulatedChip FullChip(const ChipInfo& chip, const std::vector<std::uint32_t>& image) {
    SimulatedChip simulated = SimulatedChip::Factory(chip.chipType, 0x5A);
    for (int k = 0; k <= chip.maxUsableAddress; ++k) {
        simulated.SetWord(k, static_cast<std::uint16_t>(image[static_cast<std::size_t>(k)]));
    }
    for (int i = 0; i < IdWordCount; ++i) {
        const auto slot = static_cast<std::size_t>(chip.idAddress + i);
        simulated.SetWord(chip.idAddress + i, static_cast<std::uint16_t>(image[slot]));
    }
    simulated.SetConfigWord(
        static_cast<std::uint16_t>(image[static_cast<std::size_t>(chip.configAddress)]));
    return simulated;
}

struct Figures {
    double chipMs = 0;  // virtual: what the chip and the port take
    double hostMs = 0;  // real: what the host spent meanwhile
    int paints = 0;
};

Figures Measure(Delays& clock, const std::function<void()>& run) {
    const std::int64_t virtualStart = clock.Now();
    const std::int64_t realStart = SteadyNs();
    run();
    return {static_cast<double>(clock.Now() - virtualStart) / 1e6,
            static_cast<double>(SteadyNs() - realStart) / 1e6, 0};
}

// The best of the runs: the host's figure is what the work costs, not what the machine's other
// load added to it.
Figures Best(const std::vector<Figures>& runs) {
    return *std::min_element(runs.begin(), runs.end(), [](const Figures& a, const Figures& b) {
        return a.hostMs < b.hostMs;
    });
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--real-clock") {
            options.realClock = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        char* end = nullptr;
        if (name == "--chip") {
            options.chip = value;
        } else if (name == "--access-ns") {
            options.accessNs = std::strtoll(value.c_str(), &end, 10);
        } else if (name == "--runs") {
            options.runs = static_cast<int>(std::strtol(value.c_str(), &end, 10));
        } else {
            return false;
        }
        if ((end != nullptr && *end != '\0') || options.accessNs < 0 || options.runs < 1) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const bool parsed = ParseOptions(argc, argv, options);
    const ChipInfo* named = FindChipByName(options.chip);
    const ChipInfo* chip = named != nullptr ? FindChip(named->chipType) : nullptr;
    if (!parsed || chip == nullptr) {
        std::fprintf(stderr,
                     "usage: %s [--chip 12c508|12c509|12c671|12c672] [--access-ns N] "
                     "[--runs N] [--real-clock]\n",
                     argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);

    const std::vector<std::uint32_t> image = FullImage(*chip);
    QTemporaryDir folder;
    const QString hexPath = folder.filePath(QStringLiteral("full.hex"));
    std::vector<char> text(HexTextCapacity);
    const int length = WriteIntelHex(chip->configAddress, image.data(), text.data());
    if (Files().WriteWhole(hexPath, QByteArray(text.data(), length))) {
        std::fprintf(stderr, "cannot write %s\n", hexPath.toLocal8Bit().constData());
        return 1;
    }

    VirtualDelays virtualClock;
    SystemDelays realClock;
    Delays& clock = options.realClock ? static_cast<Delays&>(realClock) : virtualClock;
    SimulatedBoard board{[&clock] { return clock.Now(); }};
    board.Insert(FullChip(*chip, image));
    SlowPort slowPort(board, virtualClock, options.accessNs);
    PortIo& port = options.realClock ? static_cast<PortIo&>(board) : slowPort;
    ProgrammerLink link(port, clock, board.Base());

    BenchDesktop desktop(hexPath);
    const QString settings = folder.filePath(QStringLiteral("Chipsmith.ini"));
    if (Files().WriteWhole(settings, QByteArrayLiteral("000"))) {
        std::fprintf(stderr, "cannot write %s\n", settings.toLocal8Bit().constData());
        return 1;
    }
    CProgrammerDlg dialog(link, desktop, settings);
    // Detection powers the socket the 12-bit way, which a 14-bit chip would count as an error.
    board.ClearRecords();
    dialog.show();
    QApplication::processEvents();
    dialog.OnOpen();
    dialog.ChipList->setCurrentRow(chip->chipType - 1);
    PaintCounter counter;
    dialog.ProgressBar->installEventFilter(&counter);

    const ChipFamily& family = chip->family;
    const int compared = dialog.LastUsedAddress + 1;
    struct Operation {
        const char* name;
        std::function<void()> window;
        std::function<void()> bare;  // the same chip reads, without the window
    };
    const std::vector<Operation> operations{
        {"Erased ?", [&] { dialog.OnErased(); },
         [&] { BlankCheckChip(link, family, chip->calibrationAddress, nullptr); }},
        {"Read", [&] { dialog.OnRead(); },
         [&] {
             std::vector<std::uint32_t> read(ImageSlots, 0xFFFF);
             ReadProgramWords(link, family, chip->memoryWords, nullptr);
             ReadIdWords(link, *chip, read.data());
             ReadConfigWordFromChip(link, family);
         }},
        {"Compare", [&] { dialog.OnCompare(); },
         [&] {
             VerifyChip(link, family, image.data(), compared, true, nullptr);
             IdWordDifferences(link, *chip, image.data());
         }},
    };

    std::printf("%s, full chip, on %s, Qt platform %s; best of %d runs\n", chip->name,
                options.realClock ? "the real clock"
                                  : ("a virtual clock at " + std::to_string(options.accessNs) +
                                     " ns a port access")
                                        .c_str(),
                QGuiApplication::platformName().toLocal8Bit().constData(), options.runs);
    std::printf("%-9s | %9s | %12s %12s | %10s | %s\n", "operation", "chip ms", "bare host ms",
                "window host", "window adds", "progress bar paints");
    for (const Operation& operation : operations) {
        std::vector<Figures> window;
        std::vector<Figures> bare;
        for (int run = 0; run < options.runs; ++run) {
            counter.paints = 0;
            window.push_back(Measure(clock, operation.window));
            window.back().paints = counter.paints;
            bare.push_back(Measure(clock, operation.bare));
        }
        const Figures inWindow = Best(window);
        const Figures alone = Best(bare);
        std::printf("%-9s | %9.1f | %12.1f %12.1f | %10.1f | %d\n", operation.name, inWindow.chipMs,
                    alone.hostMs, inWindow.hostMs, inWindow.hostMs - alone.hostMs, inWindow.paints);
        std::fflush(stdout);
    }
    const std::vector<std::string> errors = board.Errors();
    if (!errors.empty()) {
        std::printf("simulation errors: %zu (%s)\n", errors.size(), errors.front().c_str());
        return 1;
    }
    return 0;
}
