#include "app/QtDesktop.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

#include "app/DialogTemplate.h"
#include "app/HelpFile.h"
#include "app/HelpViewer.h"

namespace {

// Message boxes show the ordinary arrow even in the middle of a chip operation.
class ArrowCursor {
public:
    ArrowCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

QString MessageBoxCaption() {
    return QString::fromLatin1(MainDialogTemplate.caption);
}

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty()) {
            break;
        }
        QString pattern = parts.at(i + 1);
        if (pattern == QLatin1String("*.*")) {
            pattern = QStringLiteral("*");
        }
        // The dialog hides the trailing pattern list, so the description shows as it stands.
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), pattern);
    }
    return filters;
}

QtDesktop::QtDesktop() = default;

QtDesktop::~QtDesktop() {
    delete help_.data();
}

void QtDesktop::Tell(const QString& text, Icon icon) {
    ArrowCursor arrow;
    QMessageBox box(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon,
                    MessageBoxCaption(), text, QMessageBox::Ok, owner_);
    box.exec();
}

bool QtDesktop::Ask(const QString& text) {
    ArrowCursor arrow;
    QMessageBox box(QMessageBox::NoIcon, MessageBoxCaption(), text,
                    QMessageBox::Ok | QMessageBox::Cancel, owner_);
    return box.exec() == QMessageBox::Ok;
}

bool QtDesktop::AskYesNo(const QString& text) {
    ArrowCursor arrow;
    QMessageBox box(QMessageBox::Warning, MessageBoxCaption(), text,
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

namespace {

QString RunFileDialog(QWidget* owner, QFileDialog::AcceptMode mode, const QString& filter,
                      const QString& defaultSuffix) {
    ArrowCursor arrow;
    QFileDialog dialog(owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QString QtDesktop::ChooseFileToOpen(const QString& filter) {
    return RunFileDialog(owner_, QFileDialog::AcceptOpen, filter, QString());
}

QString QtDesktop::ChooseFileToSave(const QString& filter, const QString& defaultSuffix) {
    return RunFileDialog(owner_, QFileDialog::AcceptSave, filter, defaultSuffix);
}

bool QtDesktop::ShowHelp(const QString& helpFile, int topic) {
    if (help_ == nullptr) {
        // A window of the main window's own: in front of it, and not blocked while it runs.
        help_ = new HelpViewer(owner_);
        QObject::connect(help_.data(), &HelpViewer::AboutRequested, help_.data(), [this] {
            if (about_) {
                about_();
            }
        });
    }
    help_->Open(helpFile, HelpAnchor(topic));
    return true;
}
