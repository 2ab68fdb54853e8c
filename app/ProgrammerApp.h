#pragma once

#include <QString>
#include <memory>

#include "link/PinMap.h"

class CProgrammerDlg;
class Delays;
class LinePort;
class PortIo;
class ProgrammerLink;

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
    // Where the board's lines are on that port (--pins, or the port kind's default).
    void SetPins(const PinMap& pins) { pins_ = pins; }
    // --fast: the adaptive algorithm for this run, whatever the window menu last chose.
    void SetFast(bool fast) { fast_ = fast; }

protected:
    // The ports the board is looked for on: the real parallel ports through ppdev.
    virtual PortIo& Port();
    // The GPIO chip or the FTDI adapter --port names, instead; none when it names neither.
    std::unique_ptr<LinePort> NamedLinePort(Delays& clock) const;
    const PinMap& Pins() const { return pins_; }
    // Called when the dialog exists and before it runs.
    virtual void DialogCreated(CProgrammerDlg& dialog);

private:
    // Resolves --port against the backend; false, with a message on standard error, when the
    // port named is not one the machine has.
    bool ApplyChosenPort(ProgrammerLink& board);

    std::unique_ptr<PortIo> port_;
    QString chosenPort_;
    PinMap pins_ = DefaultPinMap(PortKind::Parallel);
    bool fast_ = false;
};

// Where the settings file lives: the user's configuration folder.
QString SettingsFilePath();
