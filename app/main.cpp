#include <QApplication>

#include "app/ProgrammerApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CProgrammerApp program;
    return program.RunMainDialog();
}
