#pragma once

#include <QPointer>
#include <functional>

#include "app/Desktop.h"

class QWidget;
class HelpViewer;

// The real desktop: Qt's message boxes (captioned "Chipsmith Programmer"), Qt's own file dialogs
// and the in-program help browser.
class QtDesktop final : public Desktop {
public:
    QtDesktop();
    ~QtDesktop() override;
    // The main window: it owns the boxes, the dialogs and the help window.
    void SetOwner(QWidget* owner) { owner_ = owner; }
    // What the help window's about button does.
    void SetAbout(std::function<void()> about) { about_ = std::move(about); }

    void Tell(const QString& text, Icon icon) override;
    bool Ask(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    QString ChooseFileToOpen(const QString& filter) override;
    QString ChooseFileToSave(const QString& filter, const QString& defaultSuffix) override;
    bool ShowHelp(const QString& helpFile, int topic) override;

private:
    QPointer<QWidget> owner_;
    QPointer<HelpViewer> help_;
    std::function<void()> about_;
};

// "Description|pattern|..." as Qt name filters that show the descriptions as they stand. On
// Linux "*.*" would hide files without a dot, so it matches everything instead.
QStringList QtNameFilters(const QString& filter);
// The caption of every message box: the program's name, as in the main window's title.
QString MessageBoxCaption();
