#pragma once

#include <QString>

// Everything the dialog asks of the desktop: message boxes, the file dialogs and the help viewer.
// The program uses QtDesktop; tests script the answers and record every box.
class Desktop {
public:
    enum class Icon { None, Stop };

    virtual ~Desktop() = default;
    // A message box with an OK button.
    virtual void Tell(const QString& text, Icon icon) = 0;
    // A message box with OK and Cancel; true for OK.
    virtual bool Ask(const QString& text) = 0;
    // A warning with Yes and No, No the default (Enter does not go on); true for Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    // Filters are given as "Description|pattern|Description|pattern||". An empty result means
    // the user cancelled.
    virtual QString ChooseFileToOpen(const QString& filter) = 0;
    virtual QString ChooseFileToSave(const QString& filter, const QString& defaultSuffix) = 0;
    // Opens the help file at a topic; false when no viewer could be started.
    virtual bool ShowHelp(const QString& helpFile, int topic) = 0;
};
