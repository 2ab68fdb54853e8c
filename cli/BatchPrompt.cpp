#include "cli/BatchPrompt.h"

#include <QString>
#include <string>

#include "chip/Interruption.h"

BatchAnswer AskForNextChip(std::istream& in, std::ostream& err, bool inIsTerminal) {
    if (StopRequested()) {
        return BatchAnswer::Stopped;
    }
    err << "Put the next chip in the socket and press Enter (q to stop)"
        << (inIsTerminal ? " " : "\n") << std::flush;
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
    const bool quit = answer.compare(QStringLiteral("q"), Qt::CaseInsensitive) == 0 ||
                      answer.compare(QStringLiteral("quit"), Qt::CaseInsensitive) == 0;
    return !answered || quit ? BatchAnswer::Quit : BatchAnswer::NextChip;
}
