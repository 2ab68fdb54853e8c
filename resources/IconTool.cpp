// Writes the program's icon as PNG files for the desktop's icon theme:
//   chipsmith-icons OUTPUT_FOLDER  ->  OUTPUT_FOLDER/<N>x<N>/apps/chipsmith.png

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "app/AppIcon.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: chipsmith-icons OUTPUT_FOLDER\n");
        return 2;
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) ||
            !ChipsmithIconImage(size).save(folder + QStringLiteral("/chipsmith.png"))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
