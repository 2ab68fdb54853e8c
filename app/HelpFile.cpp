#include "app/HelpFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString HelpFileFor(const QString& programPath) {
    const QFileInfo program(programPath);
    return program.path() + QLatin1Char('/') + program.completeBaseName() + QStringLiteral(".HLP");
}

QString FindHelpFile(const QString& programPath) {
    const QString beside = HelpFileFor(programPath);
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    const QString installed = QDir::cleanPath(QFileInfo(programPath).path() +
                                              QStringLiteral("/../share/chipsmith/chipsmith.HLP"));
    return QFileInfo::exists(installed) ? installed : beside;
}

QString HelpFilePath() {
    return FindHelpFile(QCoreApplication::applicationFilePath());
}

QString HelpAnchor(int topic) {
    return QStringLiteral("topic-0x%1").arg(topic, 0, 16);
}
