#pragma once

#include <QString>
#include <memory>

#include "app/ProgrammerApp.h"
#include "simulator/SocketFile.h"

class SimulatedBoard;

// The program over the simulated board on LPT1 (0x378), with the "Virtual socket" window beside
// the main window. The socket's chip is read from socketPath at start and saved there as it
// changes; with no readable file the socket holds a new blank PIC12C508 (an unreadable file is
// kept aside, and the window says so).
class SimProgrammerApp : public CProgrammerApp {
public:
    explicit SimProgrammerApp(QString socketPath);
    ~SimProgrammerApp() override;

protected:
    PortIo& Port() override;
    void DialogCreated(CProgrammerDlg& dialog) override;

private:
    QString socketPath_;
    SocketFileLoad start_;  // what the board's chip was taken from
    std::unique_ptr<SimulatedBoard> board_;
};
