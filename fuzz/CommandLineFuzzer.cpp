// chipsmith-cli's whole argument vector, run as the program runs it, against the simulated board
// (--port sim comes first; the input may name another port) or under --dry-run. Beyond "no crash":
// the exit status is one the program documents, and the virtual socket is never left broken.
//
// Input: the first byte chooses what the socket holds (0 empty, 1 to 4 a chip of that type); then
// the arguments, each ended by a NUL byte (an empty one too, as an unset variable gives); after an
// argument of the one byte 0xFF, standard input (FILE -, the answers of --repeat). The run happens
// in a folder of its own that holds a.hex (a 12C508 program) and b.hex (a 12C672 program);
// arguments with a '/' are left alone, so that nothing outside that folder is ever read or written.
// No port of the machine is touched: the parallel ports and GPIO chips are absent, and no FTDI
// adapter is attached.

#include <unistd.h>
#include <cerrno>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "cli/CliEnvironment.h"
#include "cli/CliRun.h"
#include "fuzz/FuzzCheck.h"
#include "link/FtdiPort.h"
#include "link/GpioPort.h"
#include "link/PortIo.h"
#include "sim/SimulatedChip.h"
#include "sim/VirtualDelays.h"
#include "simulator/SocketFile.h"

namespace {

// libgpiod on a machine without GPIO chips: none opens, and no line is touched.
class NoGpioChip final : public GpiodCalls {
public:
    gpiod_chip* OpenChip(const std::string&) override {
        errno = ENOENT;
        return nullptr;
    }
};

// libftdi1 with no adapter attached: the search finds none, and none opens.
class NoFtdiAdapters final : public FtdiCalls {
public:
    ftdi_context* New() override { return reinterpret_cast<ftdi_context*>(this); }
    void Free(ftdi_context*) override {}
    int FindAll(ftdi_context*, std::vector<FtdiAdapter>& found) override {
        found.clear();
        return 0;
    }
    int UseInterfaceA(ftdi_context*) override { return 0; }
    int Open(ftdi_context*, int, int, const std::string&) override { return -3; }
    int Close(ftdi_context*) override { return 0; }
    int Reset(ftdi_context*) override { return -1; }
    int SetLatency(ftdi_context*, int) override { return -1; }
    int SetBaudrate(ftdi_context*, int) override { return -1; }
    int SetBitmode(ftdi_context*, std::uint8_t, std::uint8_t) override { return -1; }
    int Purge(ftdi_context*) override { return -1; }
    int Write(ftdi_context*, const std::uint8_t*, int) override { return -1; }
    int Read(ftdi_context*, std::uint8_t*, int) override { return -1; }
    int Stream(ftdi_context*, const std::uint8_t*, int, std::uint8_t*) override { return -1; }
    void GiveBackToKernel(ftdi_context*, bool) override {}
    std::string Error(ftdi_context*) override { return "no adapter"; }
    int ChipType(ftdi_context*) override { return 0; }
};

QTemporaryDir* folder = nullptr;

QString SocketPath() {
    return folder->filePath(QStringLiteral("virtual-socket.txt"));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication application(*argc, *argv);
    QCoreApplication::setApplicationName(QStringLiteral("chipsmith-cli"));
    folder = new QTemporaryDir;
    Require(folder->isValid(), "a folder to run in");
    const QString data = QStringLiteral(CHIPSMITH_FUZZ_DATA "/");
    Require(QFile::copy(data + QStringLiteral("blink508.hex"),
                        folder->filePath(QStringLiteral("a.hex"))) &&
                QFile::copy(data + QStringLiteral("blink672.hex"),
                            folder->filePath(QStringLiteral("b.hex"))),
            "the test programs are there");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int socketChip = data[0] % 5;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    QStringList arguments{QStringLiteral("chipsmith-cli"), QStringLiteral("--port"),
                          QStringLiteral("sim")};
    std::size_t at = 0;
    std::string input;
    while (at < rest.size()) {
        const std::size_t end = rest.find('\0', at);
        if (end == std::string::npos) {
            arguments << QString::fromStdString(rest.substr(at));
            break;
        }
        const std::string argument = rest.substr(at, end - at);
        if (argument == "\xFF") {
            input = rest.substr(end + 1);
            break;
        }
        if (argument.find('/') != std::string::npos) {
            return 0;
        }
        arguments << QString::fromStdString(argument);
        at = end + 1;
    }
    if (arguments.back().contains(QLatin1Char('/'))) {
        return 0;
    }

    // A fixed socket for each run, so that a run can be played again.
    if (socketChip == 0) {
        Require(SaveSocketFile(SocketPath(), nullptr).saved, "an empty socket saved");
    } else {
        const SimulatedChip chip = SimulatedChip::Factory(socketChip, 0x5A);
        Require(SaveSocketFile(SocketPath(), &chip).saved, "a socket saved");
    }

    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(input);
    VirtualDelays clock;
    NoFtdiAdapters ftdi;
    CliEnvironment environment{out,
                               err,
                               in,
                               false,
                               false,
                               SocketPath(),
                               [&clock] { return clock.Now(); },
                               clock,
                               [] { return std::make_unique<AbsentPortIo>(); }};
    static NoGpioChip noGpio;
    environment.openGpio = [](const std::string& device, const PinMap& pins) {
        return std::make_unique<GpioPort>(device, pins, &noGpio);
    };
    environment.ftdi = &ftdi;
    // Only for the run: libFuzzer's own paths may be relative to where it was started.
    const QString started = QDir::currentPath();
    Require(QDir::setCurrent(folder->path()), "the run's folder is the current one");
    const int status = RunCli(arguments, environment);
    Require(QDir::setCurrent(started), "back where libFuzzer started");
    Require(status >= 0 && status <= 3, "an exit status the program documents");
    const SocketFileLoad socket = LoadSocketFile(SocketPath());
    Require(socket.outcome == SocketFileLoad::Outcome::Loaded, "the socket is left whole");
    return 0;
}
