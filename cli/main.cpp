#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <iostream>

#include "chip/Interruption.h"
#include "cli/CliRun.h"
#include "link/ParportIo.h"
#include "link/SystemDelays.h"
#include "simulator/SocketFile.h"

namespace {

// Ctrl-C, SIGTERM and SIGHUP finish the word in hand, power the chip down and end with 130.
// No SA_RESTART: a read of the --repeat answer returns at once.
void InstallStopHandlers() {
    struct sigaction action {};
    action.sa_handler = [](int) { RequestStop(); };
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chipsmith-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CHIPSMITH_VERSION));
    InstallStopHandlers();
    CliEnvironment environment{std::cout,
                               std::cerr,
                               std::cin,
                               isatty(STDERR_FILENO) != 0,
                               SocketFilePath(),
                               SteadyNanoseconds,
                               [] { return std::make_unique<ParportIo>(); }};
    return RunCli(QCoreApplication::arguments(), environment);
}
