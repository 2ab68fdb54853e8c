#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "app/ProgrammerDlg.h"
#include "link/ProgrammerLink.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"
#include "tests/app/QtPrinters.h"
#include "tests/app/ScriptedDesktop.h"
#include "tests/support/FakePorts.h"

// The real dialog over a scripted desktop, a temporary settings folder and a fake port.
class DialogFixture : public ::testing::Test {
protected:
    QString SettingsPath() const { return folder.filePath(QStringLiteral("config/Chipsmith.ini")); }
    QString PathOf(const QString& name) const { return folder.filePath(name); }

    std::unique_ptr<CProgrammerDlg> Start() {
        return std::make_unique<CProgrammerDlg>(link, desktop, SettingsPath());
    }

    // The window started over the simulated board with a factory-fresh 12C508 in its socket, and
    // tests/data/blink508.hex opened.
    std::unique_ptr<CProgrammerDlg> StartWithBlink508() {
        WriteFile(SettingsPath(), "000");
        PlugSimulatedBoard(SimulatedChip::Factory(1, 0x5A));
        auto dialog = Start();
        desktop.files = {QStringLiteral(CHIPSMITH_TEST_DATA "/blink508.hex")};
        dialog->OnOpen();
        return dialog;
    }

    // A board answering on LPT1.
    void PlugBoardIntoLpt1() { ports.AddPort(0x378, FakePorts::Loopback); }
    // The simulated board on LPT1, with a chip in its socket or none.
    void PlugSimulatedBoard(std::optional<SimulatedChip> chip) {
        if (chip) {
            board.Insert(*chip);
        }
        link.SetIo(board);
    }

    void WriteFile(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Settings bytes: digits, then 100-byte zero-padded records.
    static QByteArray SettingsBytes(const char* digits, const QStringList& paths) {
        QByteArray bytes(digits);
        for (const QString& path : paths) {
            QByteArray record = path.toUtf8();
            record.append(QByteArray(100 - record.size(), '\0'));
            bytes.append(record);
        }
        return bytes;
    }

    QTemporaryDir folder;
    ScriptedDesktop desktop;
    FakePorts ports;
    ScopedVirtualDelays delays;
    ProgrammerLink link{ports, delays.clock()};
    SimulatedBoard board{[this] { return delays.clock().Now(); }};
};
