#pragma once

#include <QString>

// The help topic of the main dialog: 0x20000 plus its template number, 102.
constexpr int HelpTopic = 0x20066;

// The help file: the program's own path with ".HLP" for its extension.
QString HelpFileFor(const QString& programPath);
QString HelpFilePath();
// The anchor in the help document that a topic number opens at.
QString HelpAnchor(int topic);
