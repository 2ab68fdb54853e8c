#include "app/BoardPortSetting.h"

#include <QSettings>
#include <optional>

#include "link/PortChoice.h"

namespace {

const QString Key = QStringLiteral("board/port");
// What the file says for the parallel ports: --port's own word for the search.
const QString Search = QStringLiteral("auto");

}  // namespace

QString LoadBoardPort(const QString& path) {
    const QSettings settings(path, QSettings::IniFormat);
    const QString port = settings.value(Key).toString();
    const std::optional<PortChoice> choice = ParsePortChoice(port.toStdString());
    const bool named = choice && choice->kind == PortChoice::Kind::Ftdi &&
                       (!choice->ftdi.serial.empty() || choice->ftdi.vendor != 0);
    return named ? port : QString();
}

bool SaveBoardPort(const QString& path, const QString& port) {
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(Key, port.isEmpty() ? Search : port);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString StartingPort(const QString& commandLine, const QString& remembered) {
    return commandLine.isEmpty() ? remembered : commandLine;
}
