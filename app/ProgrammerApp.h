#pragma once

#include <QString>

// The application object: builds the main dialog over the real port, runs it and ends.
class CProgrammerApp {
public:
    virtual ~CProgrammerApp() = default;
    // Runs the main dialog until it closes; returns the process's exit code.
    virtual int RunMainDialog();
};

// Where the settings file lives: the user's configuration folder.
QString SettingsFilePath();
