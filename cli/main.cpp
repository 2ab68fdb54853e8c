#include <unistd.h>

#include <QCoreApplication>
#include <iostream>

#include "chip/ChipSession.h"
#include "chip/Interruption.h"
#include "cli/CliRun.h"
#include "cli/StopHandlers.h"
#include "link/ParportIo.h"
#include "link/SystemDelays.h"
#include "simulator/SocketFile.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chipsmith-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CHIPSMITH_VERSION));
    InstallStopHandlers();
    SystemDelays clock;
    CliEnvironment environment{std::cout,
                               std::cerr,
                               std::cin,
                               isatty(STDERR_FILENO) != 0,
                               isatty(STDIN_FILENO) != 0,
                               SocketFilePath(),
                               SteadyNanoseconds,
                               clock,
                               [] { return std::make_unique<ParportIo>(); }};
    const int status = RunCli(QCoreApplication::arguments(), environment);
    if (StopSignal() != 0) {
        std::cout.flush();  // a death by signal flushes nothing
        std::cerr.flush();
        EndBySignal(StopSignal());
    }
    return status;
}
