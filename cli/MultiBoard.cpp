#include "cli/MultiBoard.h"

#include <atomic>
#include <exception>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "chip/AgreedRead.h"
#include "chip/ChipSession.h"
#include "chip/Interruption.h"
#include "cli/BatchPrompt.h"
#include "cli/BoardConnection.h"
#include "cli/CommandTable.h"
#include "cli/ExitStatus.h"
#include "cli/ProductionOptions.h"
#include "cli/ProductionRun.h"
#include "cli/ResultTexts.h"
#include "cli/RunChecks.h"
#include "cli/StdinHexFile.h"
#include "cli/StopHandlers.h"
#include "cli/TerminalProgress.h"
#include "image/Checksum.h"
#include "link/PortIo.h"
#include "link/ProgrammerPort.h"
#include "link/SharedCoreDelays.h"

namespace {

// How bad a status is, for the run's: a stop, then what the user must mend, then a board, then a
// chip.
int Severity(int status) {
    switch (status) {
        case ExitStatus::Done:
            return 0;
        case ExitStatus::ChipFailed:
            return 1;
        case ExitStatus::NoBoard:
            return 2;
        case ExitStatus::Usage:
            return 3;
        default:
            return 4;
    }
}

int Worse(int a, int b) {
    return Severity(b) > Severity(a) ? b : a;
}

std::string HexWord(int address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", address);
    return text;
}

struct Board {
    std::string name;
    CliOptions options;  // the run's, with this board's port and pins
    BoardClock clock;
    std::ostringstream out;  // this round's lines, printed in the boards' order when all are done
    std::ostringstream err;
    std::unique_ptr<CliEnvironment> environment;
    std::unique_ptr<BoardConnection> connection;
    bool active = true;
    int passed = 0;
    int failed = 0;
    int status = ExitStatus::Done;  // this round's
};

class BoardsRun {
public:
    BoardsRun(const CliOptions& options, CliEnvironment& environment)
        : options_(options), env_(environment), production_(options) {}

    int Execute();

private:
    void Error(const std::string& text) {
        env_.err << "chipsmith-cli: " << text << '\n' << std::flush;
    }
    void Info(const std::string& text) {
        if (!options_.quiet) {
            env_.err << text << '\n' << std::flush;
        }
    }
    bool PrepareFile();
    void MakeBoards();
    bool FindBoards();
    bool ChooseChip();
    void RunChip(Board& board, int number);
    void PrintRound();

    const CliOptions& options_;
    CliEnvironment& env_;
    Production production_;
    LoadedImage file_;
    const ChipInfo* chip_ = nullptr;
    std::vector<std::unique_ptr<Board>> boards_;
    int status_ = ExitStatus::Done;
};

bool BoardsRun::PrepareFile() {
    // By the command, not by the name: every command that compares or programs needs the image.
    const Command command = options_.command;
    if (command != Command::Verify && command != Command::Program && command != Command::Auto) {
        return true;
    }
    file_ =
        options_.file == QStringLiteral("-") ? LoadHexStream(env_.in) : LoadHexFile(options_.file);
    if (!file_.error.isEmpty()) {
        Error(file_.error.toStdString());
        return false;
    }
    return true;
}

void BoardsRun::MakeBoards() {
    for (const BoardPort& port : options_.ports) {
        auto board = std::make_unique<Board>();
        board->name = port.name;
        board->options = options_;
        board->options.port = port.choice;
        board->options.portName = port.name;
        board->options.pins = port.pins;
        board->options.ports.clear();
        // The real waits, made to share the cores with the other boards' threads.
        board->clock = env_.boardClock
                           ? env_.boardClock()
                           : BoardClock{std::make_shared<SharedCoreDelays>(), env_.clock};
        Delays& delays = *board->clock.delays;
        board->environment = std::make_unique<CliEnvironment>(
            CliEnvironment{board->out,
                           board->err,
                           env_.in,
                           false,
                           env_.inIsTerminal,
                           port.choice.kind == PortChoice::Kind::Simulated
                               ? NumberedSocketPath(env_.socketPath, port.choice.device)
                               : env_.socketPath,
                           board->clock.clock,
                           delays,
                           env_.openPorts,
                           env_.openGpio,
                           env_.ftdi,
                           {}});
        board->connection = std::make_unique<BoardConnection>(board->options, *board->environment);
        boards_.push_back(std::move(board));
    }
}

bool BoardsRun::FindBoards() {
    const int newChip = options_.chipType != 0 ? options_.chipType : file_.inferredChip;
    int found = 0;
    for (const auto& board : boards_) {
        std::string why;
        std::vector<std::string> reasons;
        BoardConnection& connection = *board->connection;
        if (!connection.LoadSocket(newChip, why)) {
            reasons.push_back(why);
        } else {
            try {
                if (!connection.Find(reasons)) {
                    reasons.insert(reasons.begin(), "no programmer board found");
                }
            } catch (const PortFailure& failure) {
                reasons = {std::string("the programmer stopped answering (") + failure.what() +
                           ")"};
            }
        }
        if (!reasons.empty()) {
            // Named and left out: the others go on.
            board->active = false;
            status_ = Worse(status_, ExitStatus::NoBoard);
            Error(board->name + ": " + reasons.front() + "; this board is left out");
            for (std::size_t k = 1; k < reasons.size(); ++k) {
                env_.err << "  " << reasons[k] << '\n';
            }
            continue;
        }
        ++found;
        if (options_.command == Command::Detect) {
            env_.out << board->name << ": " << connection.Where() << '\n';
        } else {
            Info(board->name + ": " + connection.Where());
        }
    }
    env_.out << std::flush;
    env_.err << std::flush;
    if (found == 0 && options_.command != Command::Detect) {
        Error("no programmer board found on any of the ports");
    }
    return found > 0;
}

bool BoardsRun::ChooseChip() {
    int chipType = options_.chipType != 0 ? options_.chipType : file_.inferredChip;
    if (!file_.image.empty() && chipType == 0) {
        Error(options_.file.toStdString() +
              ": its last word is no configuration word, so the chip it is for cannot be told; "
              "give --chip");
        return false;
    }
    for (const auto& board : boards_) {
        if (chipType == 0 && board->active && board->connection->SocketChipType() != 0) {
            chipType = board->connection->SocketChipType();
            Info(board->name + ": the virtual socket holds a " +
                 ChipOptionName(chipType).toStdString());
        }
    }
    if (chipType == 0) {
        Error("which chip? give --chip (12c508, 12c509, 12c671 or 12c672)");
        return false;
    }
    chip_ = options_.chip != nullptr && options_.chip->chipType == chipType ? options_.chip
                                                                            : FindChip(chipType);
    return true;
}

// On the board's own thread: one chip, from its socket to its log row. Everything it says goes
// to the board's own streams.
void BoardsRun::RunChip(Board& board, int number) {
    BoardConnection& connection = *board.connection;
    const auto now = board.clock.clock;
    board.status = ExitStatus::Done;
    std::string why;
    if (number > 1 && !connection.LoadSocket(chip_->chipType, why)) {
        board.err << why << '\n';
        board.status = ExitStatus::NoBoard;
        board.active = false;
        return;
    }
    if (const int refused = connection.CheckSocket(options_.command, chip_->chipType, why)) {
        board.err << why << '\n';
        board.status = refused;
        board.active = false;
        return;
    }
    ChipTicket ticket;
    if (!production_.BeginChip(*chip_, file_, now(), ticket, why)) {
        board.err << why << '\n';
        board.status = ExitStatus::Usage;
        return;
    }
    TerminalProgress progress(board.err, false, now);
    CommandContext context{
        connection.Link(),
        *chip_,
        board.options,
        ticket.file,
        progress,
        [&board](const std::string& text) { board.err << "warning: " << text << '\n'; },
        false,
        std::nullopt,
        std::nullopt};
    ChipOutcome outcome;
    std::string result;
    // Whether the chip was changed: by the pulses begun, not by the step the command reached.
    const std::int64_t pulsesBefore = connection.Link().ProgrammingPulses();
    const auto changed = [&connection, pulsesBefore] {
        return connection.Link().ProgrammingPulses() > pulsesBefore;
    };
    try {
        outcome = RunChipCommand(options_.command, context);
        result = LogResult(outcome);
        if (!outcome.passed) {
            board.status = ExitStatus::ChipFailed;
        }
        outcome.passed ? ++board.passed : ++board.failed;
        const std::string prefix = options_.repeat ? "chip " + std::to_string(number) + ": " : "";
        board.out << prefix << outcome.summary << '\n';
        for (const std::string& line : outcome.details) {
            board.out << "  " << line << '\n';
        }
        for (const std::string& line : production_.ResultLines(outcome, *chip_, file_, ticket)) {
            board.out << "  " << line << '\n';
        }
    } catch (const OperationInterrupted& interrupted) {
        result = "interrupted at word " + HexWord(interrupted.Address());
        board.err << result << (changed() ? ": the chip is partly programmed" : "") << '\n';
        board.status = ExitStatus::Interrupted;
    } catch (const InconsistentReads& inconsistent) {
        // The chip, not the board: the board's checks held around every read.
        result = std::string("failed: ") + inconsistent.what();
        board.out << result << (changed() ? "; the chip has been programmed" : "") << '\n';
        board.status = ExitStatus::ChipFailed;
        ++board.failed;
    } catch (const SupplyGapMissed& late) {
        // This chip's run only: the board is fine, and the next round may find the machine less
        // busy.
        result = std::string("too busy to time the power-up (") + late.what() + ")";
        board.err << BusyMachineText(late.what(), changed()) << '\n';
        board.status = ExitStatus::NoBoard;
        ++board.failed;
    } catch (const PortFailure& failure) {
        // This board only: its bracket has switched its supplies off; the others go on.
        result = std::string("the programmer stopped answering (") + failure.what() + ")";
        board.err << result << "; its supplies are switched off"
                  << (changed() ? ", and the chip is partly programmed" : "")
                  << "; this board is left out from now on\n";
        board.status = ExitStatus::NoBoard;
        board.active = false;
        ++board.failed;
    }
    if (!production_.EndChip(ticket, board.name, *chip_, file_, result, outcome.calibration, now(),
                             why)) {
        board.err << why << '\n';
        board.status = ExitStatus::Usage;
    }
    if (!connection.SaveSocket(why)) {
        board.err << why << '\n';
        board.status = Worse(board.status, ExitStatus::NoBoard);
    }
}

void BoardsRun::PrintRound() {
    for (const auto& board : boards_) {
        std::istringstream out(board->out.str());
        std::istringstream err(board->err.str());
        board->out.str({});
        board->err.str({});
        std::string line;
        while (std::getline(err, line)) {
            env_.err << "chipsmith-cli: " << board->name << ": " << line << '\n';
        }
        while (std::getline(out, line)) {
            env_.out << board->name << ": " << line << '\n';
        }
    }
    env_.err << std::flush;
    env_.out << std::flush;
}

int BoardsRun::Execute() {
    if (!PrepareFile()) {
        return ExitStatus::Usage;
    }
    const int newChip = options_.chipType != 0 ? options_.chipType : file_.inferredChip;
    const RunCheck check = CheckBeforeRun(options_, file_, newChip);
    for (const std::string& warning : check.warnings) {
        Info("warning: " + warning);
    }
    if (!check.refusal.empty()) {
        Error(check.refusal);
        return ExitStatus::Usage;
    }
    std::string why;
    if (options_.command != Command::Detect && !production_.Open(why)) {
        Error(why);
        return ExitStatus::Usage;
    }
    // From the first port access on a signal only raises the flag, which detection and every
    // board's word loops look at: no board is left powered by a stop.
    const DeferredStop deferred;
    // Each board's connection puts it in the chip layer's terminate handler.
    MakeBoards();
    if (!FindBoards()) {
        return ExitStatus::NoBoard;
    }
    if (StopRequested()) {
        return ExitStatus::StoppedBy(StopSignal());
    }
    if (options_.command == Command::Detect) {
        return status_;
    }
    if (!ChooseChip()) {
        return ExitStatus::Usage;
    }
    if (const std::string refusal = production_.PlaceRefusal(*chip_, file_); !refusal.empty()) {
        Error(refusal);
        return ExitStatus::Usage;
    }
    for (int number = 1;; ++number) {
        std::vector<std::thread> threads;
        for (const auto& board : boards_) {
            if (board->active) {
                threads.emplace_back([this, &board, number] {
                    try {
                        RunChip(*board, number);
                    } catch (const std::exception& unforeseen) {
                        PowerDownBestEffort(board->connection->Link());
                        board->err << unforeseen.what() << "; its supplies are switched off\n";
                        board->status = ExitStatus::NoBoard;
                        board->active = false;
                    }
                });
            }
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        PrintRound();
        bool usage = false;
        bool anyActive = false;
        for (const auto& board : boards_) {
            status_ = Worse(status_, board->status);
            usage = usage || board->status == ExitStatus::Usage;
            anyActive = anyActive || board->active;
        }
        if (!options_.repeat || usage || !anyActive || StopRequested()) {
            break;
        }
        const BatchAnswer answer = AskForNextChip(env_.in, env_.err, env_.inIsTerminal);
        if (answer == BatchAnswer::Stopped) {
            status_ = Worse(status_, ExitStatus::Interrupted);
        }
        if (answer != BatchAnswer::NextChip) {
            break;
        }
    }
    if (options_.repeat) {
        const std::string passedWord =
            options_.command == Command::Program || options_.command == Command::Auto ? "programmed"
                                                                                      : "passed";
        for (const auto& board : boards_) {
            env_.out << board->name << ": " << board->passed << ' ' << passedWord << ", "
                     << board->failed << " failed\n";
        }
    }
    env_.out << std::flush;
    return status_;
}

}  // namespace

int RunBoards(const CliOptions& options, CliEnvironment& environment) {
    return BoardsRun(options, environment).Execute();
}
