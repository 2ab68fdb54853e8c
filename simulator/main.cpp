#include <QApplication>

#include "simulator/SimProgrammerApp.h"
#include "simulator/SocketFile.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    SimProgrammerApp program(SocketFilePath());
    return program.RunMainDialog();
}
