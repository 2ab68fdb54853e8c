#pragma once

#include <QPointer>

#include "app/Desktop.h"

class QWidget;
class HelpViewer;

// The real desktop: Qt's message boxes (captioned with the program file's base name), Qt's own
// file dialogs and the in-program help browser.
class QtDesktop final : public Desktop {
public:
    QtDesktop();
    ~QtDesktop() override;
    void SetOwner(QWidget* owner) { owner_ = owner; }

    void Tell(const QString& text, Icon icon) override;
    bool Ask(const QString& text) override;
    QString ChooseFileToOpen(const QString& filter) override;
    QString ChooseFileToSave(const QString& filter, const QString& defaultSuffix) override;
    bool ShowHelp(const QString& helpFile, int topic) override;

private:
    QPointer<QWidget> owner_;
    QPointer<HelpViewer> help_;
};

// "Description|pattern|..." as Qt name filters that show the descriptions as they stand. On
// Linux "*.*" would hide files without a dot, so it matches everything instead.
QStringList QtNameFilters(const QString& filter);
// The caption of every message box: the program file's base name.
QString ProgramName();
