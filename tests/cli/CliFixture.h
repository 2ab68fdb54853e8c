#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliEnvironment.h"
#include "cli/CliRun.h"
#include "link/PortIo.h"
#include "sim/VirtualDelays.h"
#include "simulator/SocketFile.h"
#include "tests/support/FakeFtdi.h"

// chipsmith-cli run as a library: its standard streams are strings, the simulated board's clock is
// the virtual one, the virtual socket lives in a temporary folder, and "the machine's ports" are
// whatever the test plugs in (none by default, and no FTDI adapter attached).
class CliFixture : public ::testing::Test {
protected:
    CliFixture() { ftdi.attached.clear(); }

    struct Run {
        int status;
        std::string out;
        std::string err;
    };

    Run Cli(std::initializer_list<const char*> arguments, const std::string& input = {}) {
        std::istringstream in(input);
        return Cli(std::vector<std::string>(arguments.begin(), arguments.end()), in);
    }
    Run Cli(std::initializer_list<const char*> arguments, std::istream& in) {
        return Cli(std::vector<std::string>(arguments.begin(), arguments.end()), in);
    }
    Run Cli(const std::vector<std::string>& arguments, const std::string& input = {}) {
        std::istringstream in(input);
        return Cli(arguments, in);
    }
    Run Cli(const std::vector<std::string>& arguments, std::istream& in) {
        QStringList list{QStringLiteral("chipsmith-cli")};
        for (const std::string& argument : arguments) {
            list << QString::fromStdString(argument);
        }
        std::ostringstream out;
        std::ostringstream err;
        CliEnvironment environment{out,
                                   err,
                                   in,
                                   false,
                                   inIsTerminal,
                                   SocketPath(),
                                   [this] { return Now(); },
                                   delays.clock(),
                                   machine};
        environment.ftdi = &ftdi;
        environment.boardClock = boardClock;
        const int status = RunCli(list, environment);
        return {status, out.str(), err.str()};
    }

    QString SocketPath() const { return folder.filePath(QStringLiteral("virtual-socket.txt")); }
    std::string Path(const char* name) const { return folder.filePath(name).toStdString(); }
    static std::string Data(const char* name) {
        return std::string(CHIPSMITH_TEST_DATA "/") + name;
    }

    // Puts a chip into the virtual socket file, as chipsmith-sim would have saved it.
    void Socket(const SimulatedChip& chip) {
        ASSERT_TRUE(SaveSocketFile(SocketPath(), &chip).saved);
    }
    SimulatedChip SocketChip() const {
        const SocketFileLoad load = LoadSocketFile(SocketPath());
        EXPECT_EQ(load.outcome, SocketFileLoad::Outcome::Loaded) << load.reason.toStdString();
        EXPECT_TRUE(load.content.chip.has_value());
        return load.content.chip ? *load.content.chip : SimulatedChip(1);
    }

    // The simulated chip's clock; a test may hook it to act at a moment of the run.
    std::int64_t Now() {
        if (onTick) {
            onTick(delays.clock().Now());
        }
        return delays.clock().Now();
    }

    QTemporaryDir folder;
    bool inIsTerminal = false;
    ScopedVirtualDelays delays;
    FakeFtdi ftdi{delays.clock(), DefaultPinMap(PortKind::Ftdi)};
    std::function<void(std::int64_t)> onTick;
    // Several boards at once: each its own virtual clock, as each runs on a thread of its own.
    std::function<BoardClock()> boardClock = [] {
        auto clock = std::make_shared<VirtualDelays>();
        return BoardClock{clock, [clock] { return clock->Now(); }};
    };
    std::function<std::unique_ptr<PortIo>()> machine = [] {
        return std::make_unique<AbsentPortIo>();
    };
};
