#include "cli/RunChecks.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>

#include "chip/ChipTable.h"
#include "cli/OutputFile.h"
#include "image/ImageFit.h"

namespace {

bool Stat(const QString& path, struct stat& status) {
    return ::stat(QFile::encodeName(path).constData(), &status) == 0;
}

// The file's name in its folder's canonical path; the folder may hold no such file yet.
QString CanonicalName(const QString& path) {
    const QFileInfo info(path);
    QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty()) {
        folder = info.absolutePath();
    }
    return folder + QLatin1Char('/') + info.fileName();
}

bool WritesChip(Command command) {
    return command == Command::Program || command == Command::Auto;
}

}  // namespace

bool SameFile(const QString& first, const QString& second) {
    struct stat a {};
    struct stat b {};
    if (Stat(first, a) && Stat(second, b)) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }
    return CanonicalName(first) == CanonicalName(second);
}

RunCheck CheckBeforeRun(const CliOptions& options, const LoadedImage& file, int chipType) {
    RunCheck check;
    const ChipInfo* chip = chipType != 0 ? FindChip(chipType) : nullptr;
    if (chip != nullptr && !file.image.empty() &&
        (WritesChip(options.command) || options.command == Command::Verify)) {
        // A word cut to fit would be burned into a chip that can never be used again.
        const std::string fit = DescribeImageFit(*chip, CheckImageFit(*chip, file.image.data()));
        if (!fit.empty() && !WritesChip(options.command)) {
            check.warnings.push_back(fit);
        } else if (!fit.empty() && options.force) {
            check.warnings.push_back(fit + " Programming it cut to fit, as --force says.");
        } else if (!fit.empty()) {
            check.refusal = fit + " Nothing was done; --force programs it cut to fit.";
            return check;
        }
    }
    if (!options.tracePath.isEmpty() && !options.file.isEmpty() &&
        options.file != QStringLiteral("-") && SameFile(options.tracePath, options.file)) {
        check.refusal =
            "--trace " + options.tracePath.toStdString() + " names " +
            (options.command == Command::Read ? "the file read writes" : "the input file") +
            "; give the trace another name";
        return check;
    }
    // The chip's read-out would be lost after the run; better to know before.
    std::string why;
    if (options.command == Command::Read && options.file != QStringLiteral("-") &&
        !CanReplace(options.repeat ? NumberedPath(options.file, 1) : options.file, why)) {
        check.refusal = why;
    }
    return check;
}

std::string ReadOverSocket(const CliOptions& options, const QString& path,
                           const QString& socketPath) {
    if (options.port.kind != PortChoice::Kind::Simulated || !SameFile(path, socketPath)) {
        return {};
    }
    return "read " + path.toStdString() +
           " names the virtual socket's file, which holds the chip; give the read-out another "
           "name";
}
