#include <QComboBox>
#include <QFileInfo>
#include <QSaveFile>
#include <QTest>

#include "app/ControlIds.h"
#include "app/FileLayer.h"
#include "image/IntelHex.h"
#include "tests/app/DialogFixture.h"

namespace {

// A file layer whose writes stop short after a number of bytes.
class ShortWrites final : public FileLayer {
public:
    explicit ShortWrites(qint64 limit) : limit_(limit) {}

protected:
    qint64 WriteContent(QSaveFile& file, const QByteArray& bytes) override {
        return file.write(bytes.left(static_cast<int>(limit_)));
    }

private:
    qint64 limit_;
};

class ScopedFileLayer {
public:
    explicit ScopedFileLayer(FileLayer& files) : previous_(Files()) { SetFileLayer(files); }
    ~ScopedFileLayer() { SetFileLayer(previous_); }

private:
    FileLayer& previous_;
};

class ExitTest : public DialogFixture {
protected:
    // A dialog that holds what a chip read left: two words and a configuration word.
    std::unique_ptr<CProgrammerDlg> StartWithChipData() {
        WriteFile(SettingsPath(), SettingsBytes("100", {}));
        auto dialog = Start();
        dialog->FileImage[0] = 0x0C25;
        dialog->FileImage[1] = 0x0002;
        dialog->FileImage[0xFFF] = 0x0FEA;
        dialog->DataReadFromChip = true;
        return dialog;
    }

    // Exit after a chip read, saving to `path`: the failure is reported with the stop icon,
    // the dialog stays open and the settings file keeps its old content.
    void ExpectSaveFails(const QString& path, const QString& message) {
        auto dialog = StartWithChipData();
        dialog->show();
        WriteFile(SettingsPath(), "old");
        desktop.answers = {true};
        desktop.files = {path};
        dialog->OnExit();
        ASSERT_EQ(desktop.boxes.size(), 2u);
        EXPECT_EQ(desktop.boxes[1].text, message);
        EXPECT_EQ(desktop.boxes[1].icon, Desktop::Icon::Stop);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("old"));
    }
};

TEST_F(ExitTest, AfterAChipReadExitOffersToSaveAndWritesTheImageAsHex) {
    auto dialog = StartWithChipData();
    dialog->FileCombo->addItem(PathOf("kept.hex"));
    desktop.answers = {true};
    desktop.files = {PathOf("saved.hex")};
    dialog->OnExit();

    EXPECT_EQ(desktop.Texts(), QStringList{QStringLiteral("Save Data File ?")});
    EXPECT_EQ(desktop.saveFilter,
              QStringLiteral("IntelHex Files (*.hex)|*.hex|All Files (*.*)|*.*||"));
    EXPECT_EQ(desktop.saveSuffix, QStringLiteral("hex"));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->ConfigAddress, 0x2007);

    const QByteArray saved = ReadFile(PathOf("saved.hex"));
    EXPECT_TRUE(saved.startsWith(":04000000250C0200C9\r\n")) << saved.left(40).toStdString();
    EXPECT_TRUE(saved.contains(":021FFE00EA0FE8\r\n"));
    EXPECT_TRUE(saved.endsWith(":00000001FF\r\n"));
    // The saved name does not join the recent files.
    EXPECT_EQ(ReadFile(SettingsPath()), SettingsBytes("101", {PathOf("kept.hex")}));
}

TEST_F(ExitTest, CancelOnTheQuestionSkipsTheSaveButStillEnds) {
    auto dialog = StartWithChipData();
    desktop.answers = {false};
    dialog->OnExit();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("100"));
}

TEST_F(ExitTest, CancelInTheSaveDialogKeepsTheProgramOpenAndWritesNothing) {
    auto dialog = StartWithChipData();
    dialog->show();
    WriteFile(SettingsPath(), "old");
    desktop.answers = {true};
    desktop.files = {QString()};
    dialog->OnExit();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(desktop.boxes.size(), 1u) << "no error box";
    EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("old"));
    EXPECT_TRUE(dialog->DataReadFromChip);
}

TEST_F(ExitTest, AfterALoadExitAsksNothing) {
    WriteFile(SettingsPath(), SettingsBytes("000", {}));
    auto dialog = Start();
    dialog->OnExit();
    EXPECT_TRUE(desktop.boxes.empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("000"));
}

TEST_F(ExitTest, AFolderWhereTheFileShouldBeIsReportedAndNothingIsLost) {
    const QString blocked = PathOf("blocked.hex");
    QDir().mkpath(blocked);
    ExpectSaveFails(blocked, QStringLiteral("Access to %1 was denied.").arg(blocked));
}

TEST_F(ExitTest, AReadOnlyFolderIsReportedAndItsFileKept) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root may write into any folder; the short write covers this path";
    }
    const QString locked = PathOf("locked");
    WriteFile(locked + "/out.hex", "old data");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ExpectSaveFails(locked + "/out.hex",
                    QStringLiteral("Access to %1 was denied.").arg(locked + "/out.hex"));
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadFile(locked + "/out.hex"), QByteArray("old data"));
}

TEST_F(ExitTest, AShortWriteIsDiskFullAndKeepsThePreviousFile) {
    auto dialog = StartWithChipData();
    dialog->show();
    WriteFile(PathOf("out.hex"), "previous");
    ShortWrites shortWrites(2);
    ScopedFileLayer installed(shortWrites);
    desktop.answers = {true};
    desktop.files = {PathOf("out.hex")};
    dialog->OnExit();
    ASSERT_EQ(desktop.boxes.size(), 2u);
    EXPECT_EQ(desktop.boxes[1].text,
              QStringLiteral("Disk full while accessing %1.").arg(PathOf("out.hex")));
    EXPECT_EQ(ReadFile(PathOf("out.hex")), QByteArray("previous"));
    EXPECT_TRUE(dialog->isVisible());

    // The same for the settings file: the data is saved, the settings stay as they were.
    desktop.boxes.clear();
    dialog->DataReadFromChip = false;
    WriteFile(SettingsPath(), "old");
    dialog->OnExit();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text,
              QStringLiteral("Disk full while accessing %1.").arg(SettingsPath()));
    EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("old"));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ExitTest, TheSettingsFolderIsCreatedWhenMissing) {
    auto dialog = Start();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(SettingsPath()).path()));
    dialog->OnExit();
    EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("000"));
}

TEST_F(ExitTest, EscapeAndTheCloseBoxEndWithoutWritingAnything) {
    for (int way = 0; way < 2; ++way) {
        auto dialog = StartWithChipData();
        dialog->show();
        WriteFile(SettingsPath(), "old");
        if (way == 0) {
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        } else {
            dialog->close();
        }
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("old"));
    }
}

TEST_F(ExitTest, EnterPressesExit) {
    auto dialog = Start();
    dialog->show();
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("000"));
}

// Enter ends an entry in the calibration field or the chip list; only elsewhere does it exit.
TEST_F(ExitTest, EnterInTheCalibrationFieldOrTheChipListDoesNotExit) {
    WriteFile(SettingsPath(), "000");
    auto dialog = Start();
    dialog->show();
    dialog->activateWindow();

    dialog->CalibrationEdit->setFocus();
    QTest::keyClicks(dialog->CalibrationEdit, QStringLiteral("5a"));
    QTest::keyClick(dialog->CalibrationEdit, Qt::Key_Return);
    EXPECT_EQ(dialog->CalibrationEdit->text(), QStringLiteral("5A"));
    EXPECT_EQ(dialog->CalibrationEdit->selectedText(), QStringLiteral("5A")) << "the edit ended";

    // The keyboard can make an entry current without choosing it; Enter chooses it.
    dialog->ChipList->setFocus();
    dialog->ChipList->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    QTest::keyClick(dialog->ChipList, Qt::Key_Enter);
    EXPECT_TRUE(dialog->ChipList->item(2)->isSelected());
    EXPECT_EQ(dialog->ChipType, 3);

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("000")) << "Exit did not run";
}

}  // namespace
