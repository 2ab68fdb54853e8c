#pragma once

#include <QString>
#include <memory>

#include "link/PinMap.h"

class CProgrammerDlg;
class PortIo;

// The application object: builds the main dialog over the port, runs it and ends.
class CProgrammerApp {
public:
    CProgrammerApp();
    virtual ~CProgrammerApp();
    // Runs the main dialog until it closes; returns the process's exit code (128 and the signal's
    // number when a stop signal ended it, as the shell counts: 130 Ctrl-C, 143 SIGTERM).
    int RunMainDialog();
    // The port given with --port (/dev/parportN, lptN or an I/O base): only it is probed.
    void SetChosenPort(const QString& port) { chosenPort_ = port; }
    // The window menu offers the board's port (the parallel ports or an FTDI adapter), and
    // remembers the choice at `path`; `remembered`, read from there, is where the board is looked
    // for when no --port is given. Not offered unless called (chipsmith-sim's board is simulated).
    void OfferPortChoice(const QString& path, const QString& remembered) {
        portPath_ = path;
        remembered_ = remembered;
    }
    // Where the board's lines are on the port it starts on (--pins, or that port kind's default).
    void SetPins(const PinMap& pins) { pins_ = pins; }
    // --fast: the adaptive algorithm for this run, whatever the window menu last chose.
    void SetFast(bool fast) { fast_ = fast; }

protected:
    // The ports the board is looked for on: the real parallel ports through ppdev.
    virtual PortIo& Port();
    const PinMap& Pins() const { return pins_; }
    // Called when the dialog exists and before it runs.
    virtual void DialogCreated(CProgrammerDlg& dialog);

private:
    // The port the board starts on: --port's, else the one remembered.
    QString StartingPort() const;

    std::unique_ptr<PortIo> port_;
    QString chosenPort_;
    QString portPath_;
    QString remembered_;
    PinMap pins_ = DefaultPinMap(PortKind::Parallel);
    bool fast_ = false;
};

// Where the settings file lives: the user's configuration folder.
QString SettingsFilePath();
