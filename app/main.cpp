#include <QApplication>

#include "app/PlatformChoice.h"
#include "app/ProgrammerApp.h"

int main(int argc, char** argv) {
    UsePreferredPlatform();
    QApplication application(argc, argv);
    CProgrammerApp program;
    return program.RunMainDialog();
}
