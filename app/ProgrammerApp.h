#pragma once

#include <QString>
#include <memory>

class CProgrammerDlg;
class PortIo;

// The application object: builds the main dialog over the port, runs it and ends.
class CProgrammerApp {
public:
    CProgrammerApp();
    virtual ~CProgrammerApp();
    // Runs the main dialog until it closes; returns the process's exit code.
    int RunMainDialog();

protected:
    // The port the board is looked for on: the real ports through ppdev.
    virtual PortIo& Port();
    // Called when the dialog exists and before it runs.
    virtual void DialogCreated(CProgrammerDlg& dialog);

private:
    std::unique_ptr<PortIo> port_;
};

// Where the settings file lives: the user's configuration folder.
QString SettingsFilePath();
