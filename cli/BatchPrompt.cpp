#include "cli/BatchPrompt.h"

#include <QString>
#include <string>

#include "chip/Interruption.h"

namespace {

bool IsQuit(const QString& answer) {
    return answer.compare(QStringLiteral("q"), Qt::CaseInsensitive) == 0 ||
           answer.compare(QStringLiteral("quit"), Qt::CaseInsensitive) == 0;
}

}  // namespace

BatchAnswer AskForNextChip(std::istream& in, std::ostream& err, bool inIsTerminal) {
    const char* question = "Put the next chip in the socket and press Enter (q to stop)";
    for (;;) {
        if (StopRequested()) {
            return BatchAnswer::Stopped;
        }
        err << question << (inIsTerminal ? " " : "\n") << std::flush;
        std::string line;
        // A signal interrupts the read (the handlers do not restart it), which then fails.
        const bool answered = static_cast<bool>(std::getline(in, line));
        if (!answered && inIsTerminal) {
            err << '\n';  // after ^C or ^D the terminal's cursor is still on the question's line
        }
        if (StopRequested()) {
            return BatchAnswer::Stopped;
        }
        const QString answer = QString::fromStdString(line).trimmed();
        if (!answered || IsQuit(answer)) {
            return BatchAnswer::Quit;
        }
        if (answer.isEmpty()) {
            return BatchAnswer::NextChip;
        }
        // A typing slip must not start a chip: one that is not in the socket yet, or not the next.
        question = "Press Enter when the next chip is in the socket, or q to stop";
    }
}
