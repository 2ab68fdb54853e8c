#include "cli/CommandTable.h"

ChipOutcome RunChipCommand(Command command, CommandContext& context) {
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
    for (const auto& row : table) {
        if (row.command == command) {
            return row.run(context);
        }
    }
    return {};
}
