#include "app/HelpFile.h"

#include <QCoreApplication>
#include <QFileInfo>

QString HelpFileFor(const QString& programPath) {
    const QFileInfo program(programPath);
    return program.path() + QLatin1Char('/') + program.completeBaseName() + QStringLiteral(".HLP");
}

QString HelpFilePath() {
    return HelpFileFor(QCoreApplication::applicationFilePath());
}

QString HelpAnchor(int topic) {
    return QStringLiteral("topic-0x%1").arg(topic, 0, 16);
}
