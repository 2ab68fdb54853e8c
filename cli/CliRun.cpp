#include "cli/CliRun.h"

#include <QFile>
#include <cstdio>
#include <string>

#include "chip/AgreedRead.h"
#include "chip/ChipTable.h"
#include "chip/Interruption.h"
#include "cli/BatchPrompt.h"
#include "cli/BoardConnection.h"
#include "cli/ChecksumCommand.h"
#include "cli/ChipCommands.h"
#include "cli/DryRun.h"
#include "cli/ExitStatus.h"
#include "cli/MultiBoard.h"
#include "cli/OutputFile.h"
#include "cli/ProductionOptions.h"
#include "cli/ProductionRun.h"
#include "cli/ResultTexts.h"
#include "cli/RunChecks.h"
#include "cli/StdinHexFile.h"
#include "cli/StopHandlers.h"
#include "cli/TerminalProgress.h"
#include "link/PortIo.h"
#include "link/ProgrammerPort.h"

namespace {

const char* const Program = "chipsmith-cli";

std::string HexWord(int address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", address);
    return text;
}

class CliRun {
public:
    CliRun(const CliOptions& options, CliEnvironment& environment)
        : options_(options),
          env_(environment),
          progress_(environment.err, environment.errIsTerminal && !options.quiet, environment.clock,
                    options.verbose),
          production_(options) {}

    int Execute();

private:
    void Error(const std::string& text) {
        progress_.Clear();
        env_.err << Program << ": " << text << '\n' << std::flush;
    }
    void Info(const std::string& text) {
        if (!options_.quiet) {
            progress_.Clear();
            env_.err << text << '\n' << std::flush;
        }
    }
    // Results go to standard output, unless read sends the chip's text there.
    std::ostream& Results() {
        return options_.command == Command::Read && options_.file == QStringLiteral("-") ? env_.err
                                                                                         : env_.out;
    }

    bool PrepareFile();
    bool ChooseChip(BoardConnection& board);
    int RunChips(BoardConnection& board);
    ChipOutcome RunOnce(ProgrammerLink& board, const LoadedImage& file);
    bool LogChip(BoardConnection& board, const ChipTicket& ticket, const std::string& result,
                 const std::optional<int>& calibration);
    int NewChipType() const {
        return options_.chipType != 0 ? options_.chipType : file_.inferredChip;
    }
    void Report(const ChipOutcome& outcome, int number, const ChipTicket& ticket);
    bool Deliver(const ChipOutcome& outcome, int number);
    int Finish(BoardConnection& board, int status);

    const CliOptions& options_;
    CliEnvironment& env_;
    TerminalProgress progress_;
    LoadedImage file_;
    const ChipInfo* chip_ = nullptr;
    bool programmingStarted_ = false;
    Production production_;  // --serial and --log
};

bool CliRun::PrepareFile() {
    // By the command, not by the name: every command that compares or programs needs the image.
    const Command command = options_.command;
    if (command != Command::Verify && command != Command::Program && command != Command::Auto &&
        command != Command::Checksum) {
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

bool CliRun::ChooseChip(BoardConnection& board) {
    int chipType = options_.chipType;
    const std::string fileName =
        options_.file == QStringLiteral("-") ? "standard input" : options_.file.toStdString();
    if (!file_.image.empty()) {
        if (chipType == 0 && file_.inferredChip == 0) {
            Error(fileName +
                  ": its last word is no configuration word, so the chip it is for "
                  "cannot be told; give --chip");
            return false;
        }
        if (chipType == 0) {
            chipType = file_.inferredChip;
        } else if (file_.inferredChip != 0 && file_.inferredChip != chipType) {
            Info("warning: " + fileName + " looks like a file for the " +
                 ChipOptionName(file_.inferredChip).toStdString() + "; going on with the " +
                 std::string(options_.chip->name) + " as --chip says");
        } else if (file_.inferredChip == 0) {
            Info("warning: " + fileName +
                 " ends without a configuration word; the chip's stays "
                 "as it is");
        }
    }
    if (chipType == 0 && board.SocketChipType() != 0) {
        chipType = board.SocketChipType();
        Info("the virtual socket holds a " + ChipOptionName(chipType).toStdString());
    }
    if (chipType == 0) {
        Error("which chip? give --chip (12c508, 12c509, 12c671 or 12c672)");
        return false;
    }
    // Under the name --chip gave, when it is that chip (a sibling is reported by its own name).
    chip_ = options_.chip != nullptr && options_.chip->chipType == chipType ? options_.chip
                                                                            : FindChip(chipType);
    return true;
}

ChipOutcome CliRun::RunOnce(ProgrammerLink& board, const LoadedImage& file) {
    CommandContext context{
        board, *chip_,       options_,
        file,  progress_,    [this](const std::string& text) { Info("warning: " + text); },
        false, std::nullopt, std::nullopt};
    using Runner = ChipOutcome (*)(CommandContext&);
    const struct {
        Command command;
        Runner run;
    } table[] = {
        {Command::Read, ReadChipCommand}, {Command::Blank, BlankCommand},
        {Command::Verify, VerifyCommand}, {Command::Program, ProgramCommand},
        {Command::Auto, AutoCommand},     {Command::Config, ConfigCommand},
        {Command::Osccal, OsccalCommand},
    };
    // Whether the chip was changed: by the pulses begun, not by the step the command reached.
    const std::int64_t pulsesBefore = board.ProgrammingPulses();
    programmingStarted_ = false;
    for (const auto& row : table) {
        if (row.command == options_.command) {
            try {
                ChipOutcome outcome = row.run(context);
                programmingStarted_ = board.ProgrammingPulses() > pulsesBefore;
                return outcome;
            } catch (...) {
                programmingStarted_ = board.ProgrammingPulses() > pulsesBefore;
                throw;
            }
        }
    }
    return {};
}

// The result is what the command is run for: --quiet hides the messages around it, never it.
void CliRun::Report(const ChipOutcome& outcome, int number, const ChipTicket& ticket) {
    progress_.Clear();
    const std::string prefix = number > 0 ? "chip " + std::to_string(number) + ": " : "";
    // $(chipsmith-cli -q osccal) is the value itself.
    if (options_.quiet && !outcome.value.empty() && number == 0) {
        Results() << outcome.value << '\n' << std::flush;
        return;
    }
    Results() << prefix << outcome.summary << '\n';
    for (const std::string& line : outcome.details) {
        Results() << "  " << line << '\n';
    }
    for (const std::string& line : production_.ResultLines(outcome, *chip_, file_, ticket)) {
        Results() << "  " << line << '\n';
    }
    Results() << std::flush;
}

// read's text goes to its file (one per chip with --repeat) or standard output; false when it
// cannot be written. A read that found nothing worth keeping has no text.
bool CliRun::Deliver(const ChipOutcome& outcome, int number) {
    if (options_.command != Command::Read || outcome.data.isEmpty()) {
        return true;
    }
    std::string why;
    const QString path = options_.repeat ? NumberedPath(options_.file, number) : options_.file;
    if (options_.file != QStringLiteral("-")) {
        why = ReadOverSocket(options_, path, env_.socketPath);
    }
    const bool written = why.empty() && (options_.file == QStringLiteral("-")
                                             ? WriteStream(env_.out, outcome.data, why)
                                             : SaveWhole(path, outcome.data, why));
    if (!written) {
        Error(why);
    }
    return written;
}

int CliRun::Finish(BoardConnection& board, int status) {
    progress_.Clear();
    std::string why;
    if (!board.SaveSocket(why)) {
        Error(why);
        status = status == ExitStatus::Done ? ExitStatus::NoBoard : status;
    }
    if (!board.WriteTrace(why)) {
        Error(why);
        status = status == ExitStatus::Done ? ExitStatus::Usage : status;
    }
    // The results lost to a full disk or a closed pipe are a failure of their own, unless the run
    // has already failed for its output.
    if (status != ExitStatus::Usage && !WriteStream(env_.out, {}, why)) {
        Error(why);
        status = status == ExitStatus::Done ? ExitStatus::Usage : status;
    }
    return status;
}

int CliRun::RunChips(BoardConnection& board) {
    int number = 0;
    int passed = 0;
    int failed = 0;
    int status = ExitStatus::Done;
    const std::string passedWord =
        options_.command == Command::Program || options_.command == Command::Auto ? "programmed"
                                                                                  : "passed";
    for (;;) {
        ++number;
        std::string why;
        if (number > 1 && !board.LoadSocket(chip_->chipType, why)) {
            Error(why);
            return Finish(board, ExitStatus::NoBoard);
        }
        if (number > 1 && !board.OpenTrace(number, why)) {
            Error(why);
            return Finish(board, ExitStatus::Usage);
        }
        if (const int refused = board.CheckSocket(options_.command, chip_->chipType, why)) {
            Error(why);
            return Finish(board, refused);
        }
        // The chip's serial number is on disk before the chip is touched.
        ChipTicket ticket;
        if (!production_.BeginChip(*chip_, file_, env_.clock(), ticket, why)) {
            Error(why);
            return Finish(board, ExitStatus::Usage);
        }
        ChipOutcome outcome;
        try {
            outcome = RunOnce(board.Link(), ticket.file);
        } catch (const OperationInterrupted& interrupted) {
            Error("interrupted at word " + HexWord(interrupted.Address()) +
                  (programmingStarted_ ? ": the chip is partly programmed" : ""));
            if (!LogChip(board, ticket, "interrupted at word " + HexWord(interrupted.Address()),
                         std::nullopt)) {
                return Finish(board, ExitStatus::Usage);
            }
            if (!options_.repeat) {
                return Finish(board, ExitStatus::Interrupted);
            }
            status = ExitStatus::Interrupted;  // the batch's tally still counts the chips done
            break;
        } catch (const InconsistentReads& inconsistent) {
            // The chip, not the board: the board's checks held around every read.
            outcome.passed = false;
            outcome.summary = std::string("failed: ") + inconsistent.what() +
                              (programmingStarted_ ? "; the chip has been programmed" : "");
        } catch (const SupplyGapMissed& late) {
            // Neither the board nor the chip: the bracket has switched the supplies off already.
            Error(BusyMachineText(late.what(), programmingStarted_));
            LogChip(board, ticket,
                    std::string("too busy to time the power-up (") + late.what() + ")",
                    std::nullopt);
            return Finish(board, ExitStatus::NoBoard);
        } catch (const PortFailure& failure) {
            // The board, not the chip: the bracket has switched the supplies off already.
            Error(std::string("the programmer stopped answering (") + failure.what() +
                  "); its supplies are switched off" +
                  (programmingStarted_ ? ", and the chip is partly programmed" : ""));
            LogChip(board, ticket,
                    std::string("the programmer stopped answering (") + failure.what() + ")",
                    std::nullopt);
            return Finish(board, ExitStatus::NoBoard);
        }
        if (!Deliver(outcome, number)) {
            return Finish(board, ExitStatus::Usage);
        }
        Report(outcome, options_.repeat ? number : 0, ticket);
        if (!LogChip(board, ticket, LogResult(outcome), outcome.calibration)) {
            return Finish(board, ExitStatus::Usage);
        }
        outcome.passed ? ++passed : ++failed;
        if (!outcome.passed) {
            status = ExitStatus::ChipFailed;
        }
        if (!options_.repeat) {
            return Finish(board, status);
        }
        // The board is unpowered between chips: every operation powers down when it ends.
        if (!board.SaveSocket(why)) {
            Error(why);
        }
        if (!board.WriteTrace(why)) {
            Error(why);
            return Finish(board, ExitStatus::Usage);
        }
        const BatchAnswer answer = AskForNextChip(env_.in, env_.err, env_.inIsTerminal);
        if (answer == BatchAnswer::Stopped) {
            status = ExitStatus::Interrupted;
        }
        if (answer != BatchAnswer::NextChip) {
            break;
        }
    }
    Results() << passed << ' ' << passedWord << ", " << failed << " failed\n" << std::flush;
    return Finish(board, status);
}

int CliRun::Execute() {
    if (!PrepareFile()) {
        return ExitStatus::Usage;
    }
    if (options_.command == Command::Checksum) {
        return ChecksumCommand(options_, file_, env_.out, env_.err);
    }
    if (options_.dryRun) {
        const int status = DryRun(options_, file_, env_.out, env_.err);
        const ChipInfo* chip = FindChip(NewChipType());
        std::string why;
        if (status == ExitStatus::Done && chip != nullptr &&
            !production_.Preview(*chip, file_, env_.out, why)) {
            Error("dry run: " + why);
            return ExitStatus::Usage;
        }
        return status;
    }
    const RunCheck check = CheckBeforeRun(options_, file_, NewChipType());
    for (const std::string& warning : check.warnings) {
        Info("warning: " + warning);
    }
    if (!check.refusal.empty()) {
        Error(check.refusal);
        return ExitStatus::Usage;
    }
    if (options_.command == Command::Read && options_.file != QStringLiteral("-")) {
        const std::string refusal = ReadOverSocket(
            options_, options_.repeat ? NumberedPath(options_.file, 1) : options_.file,
            env_.socketPath);
        if (!refusal.empty()) {
            Error(refusal);
            return ExitStatus::Usage;
        }
    }
    std::string why;
    if (!production_.Open(why)) {
        Error(why);
        return ExitStatus::Usage;
    }
    // From the first port access on a signal only raises the flag: detection probes each port it
    // looks at, and the board must be left unpowered (the deferral outlasts the board, whose ports
    // are given back with the supplies off).
    const DeferredStop deferred;
    BoardConnection board(options_, env_);
    if (!board.OpenTrace(1, why)) {
        Error(why);
        return ExitStatus::Usage;
    }
    if (!board.LoadSocket(NewChipType(), why)) {
        Error(why);
        return ExitStatus::NoBoard;
    }
    if (const int refused = board.CheckSocket(options_.command, NewChipType(), why)) {
        Error(why);
        return refused;
    }
    std::vector<std::string> reasons;
    if (!board.Find(reasons)) {
        Error("no programmer board found");
        for (const std::string& reason : reasons) {
            env_.err << "  " << reason << '\n';
        }
        return Finish(board, ExitStatus::NoBoard);
    }
    if (StopRequested()) {
        return Finish(board, ExitStatus::StoppedBy(StopSignal()));
    }
    // How the board is wired there, as --pins writes it: the map a wrong wiring is found by.
    const std::string pins =
        "  pins " + DescribePinMap(board.Link().Pins(), board.Link().PinKind());
    // What the port's backend measured of it (an FTDI adapter's byte clock).
    if (const std::string facts = board.Link().Port().Facts(); options_.verbose && !facts.empty()) {
        Info(facts);
    }
    if (options_.command == Command::Detect) {
        env_.out << board.Where() << '\n' << pins << '\n' << std::flush;
        return Finish(board, ExitStatus::Done);
    }
    Info(board.Where());
    if (options_.verbose) {
        Info(pins);
    }
    if (!ChooseChip(board)) {
        return Finish(board, ExitStatus::Usage);
    }
    if (const std::string refusal = production_.PlaceRefusal(*chip_, file_); !refusal.empty()) {
        Error(refusal);
        return Finish(board, ExitStatus::Usage);
    }
    return RunChips(board);
}

// The chip's row in the log; false (and said) when it could not be written, which ends the run:
// a production log with a chip missing is no record.
bool CliRun::LogChip(BoardConnection& board, const ChipTicket& ticket, const std::string& result,
                     const std::optional<int>& calibration) {
    std::string why;
    const std::string where = board.Where();
    const std::string port = options_.portName != "auto"        ? options_.portName
                             : where.rfind("board on ", 0) == 0 ? where.substr(9)
                                                                : where;
    if (production_.EndChip(ticket, port, *chip_, file_, result, calibration, env_.clock(), why)) {
        return true;
    }
    Error(why);
    return false;
}

}  // namespace

int RunCli(const QStringList& arguments, CliEnvironment& environment) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    if (!parsed.output.isEmpty()) {
        environment.out << parsed.output.toStdString() << std::flush;
        return ExitStatus::Done;
    }
    if (!parsed.options) {
        environment.err << Program << ": " << parsed.error.toStdString() << '\n' << std::flush;
        return ExitStatus::Usage;
    }
    ClearStopRequest();
    // A numbered simulated board (sim:2) has a socket file of its own.
    CliEnvironment boardEnvironment = environment;
    boardEnvironment.socketPath =
        parsed.options->port.kind == PortChoice::Kind::Simulated
            ? NumberedSocketPath(environment.socketPath, parsed.options->port.device)
            : environment.socketPath;
    CliRun run(*parsed.options, boardEnvironment);
    int status = ExitStatus::Done;
    try {
        status = parsed.options->ports.size() > 1 ? RunBoards(*parsed.options, environment)
                                                  : run.Execute();
    } catch (const PortFailure& failure) {
        // Outside a chip's run (detection, the trace's start): nothing is powered.
        environment.err << Program << ": the programmer stopped answering (" << failure.what()
                        << ")\n"
                        << std::flush;
        status = ExitStatus::NoBoard;
    }
    // A stop seen late (after the last word loop) still ends the run with the signal's status.
    return StopRequested() ? ExitStatus::StoppedBy(StopSignal()) : status;
}
