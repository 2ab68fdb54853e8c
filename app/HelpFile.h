#pragma once

#include <QString>

// The help topic of the main dialog: 0x20000 plus its template number, 102.
constexpr int HelpTopic = 0x20066;

// The help file beside a program: its path with ".HLP" for its extension.
QString HelpFileFor(const QString& programPath);
// The help file for a program: the one beside it (a build tree), else the installed one in
// share/chipsmith/ next to its bin/ folder; when neither exists, the one beside it, which the
// viewer then reports missing.
QString FindHelpFile(const QString& programPath);
QString HelpFilePath();
// The anchor in the help document that a topic number opens at.
QString HelpAnchor(int topic);
