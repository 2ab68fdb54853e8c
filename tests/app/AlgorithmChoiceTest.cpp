// The window's choice of programming algorithm: --fast, the window-menu item, where the choice is
// remembered, and what the status line says after programming.

#include <QAction>
#include <QFile>
#include <QMenu>

#include "app/AlgorithmSetting.h"
#include "app/ControlIds.h"
#include "app/WindowCommandLine.h"
#include "tests/app/DialogFixture.h"

namespace {

TEST(WindowFastOptionTest, BothWindowProgramsTakeFastForTheRun) {
    EXPECT_FALSE(ParseWindowCommandLine({"chipsmith"}, QStringLiteral("about"), true).fast);
    EXPECT_TRUE(ParseWindowCommandLine({"chipsmith", "-p", "lpt1", "--fast"}, {}, true).fast);
    EXPECT_TRUE(ParseWindowCommandLine({"chipsmith-sim", "--fast"}, {}, false).fast);
}

TEST(AlgorithmSettingTest, OnlyAnAdaptiveChoiceReadsAsAdaptive) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("chipsmith/window.ini"));
    EXPECT_EQ(LoadAlgorithm(path), Algorithm::Classic) << "no file yet";
    ASSERT_TRUE(SaveAlgorithm(path, Algorithm::Fast)) << "the folder is made";
    EXPECT_EQ(LoadAlgorithm(path), Algorithm::Fast);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[programming]\nalgorithm=turbo\n");
    file.close();
    EXPECT_EQ(LoadAlgorithm(path), Algorithm::Classic);
}

class AlgorithmChoiceTest : public DialogFixture {
protected:
    QAction* AdaptiveItem() const {
        for (QAction* action : dialog->WindowMenu()->actions()) {
            if (action->text() == QStringLiteral("Fast programming (adaptive algorithm)")) {
                return action;
            }
        }
        ADD_FAILURE() << "no menu item";
        return nullptr;
    }
    void StartWith(int chipType, const char* file) {
        WriteFile(SettingsPath(), "000");
        PlugSimulatedBoard(SimulatedChip::Factory(chipType, 0x5A));
        dialog = Start();
        board.ClearRecords();  // detection powers every chip the 12-bit way
        desktop.files = {QStringLiteral(CHIPSMITH_TEST_DATA "/") + QString::fromLatin1(file)};
        dialog->OnOpen();
    }
    QString Status() const { return dialog->DlgItemText(Ctl::StatusLine); }
    // Programming pulses the chip saw that were shorter than a classic pulse.
    int ShortPulses() {
        int count = 0;
        for (const auto& pulse : board.Chip()->Pulses()) {
            count += pulse.durationNs < 500'000 ? 1 : 0;
        }
        return count;
    }

    std::unique_ptr<CProgrammerDlg> dialog;
};

TEST_F(AlgorithmChoiceTest, TheMenuItemChoosesTheAlgorithmAndIsRemembered) {
    StartWith(1, "serial508.hex");
    const QString path = PathOf(QStringLiteral("config/chipsmith/window.ini"));
    dialog->RememberAlgorithmAt(path);
    QAction* item = AdaptiveItem();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(dialog->ProgrammingAlgorithm(), Algorithm::Classic);

    item->trigger();
    EXPECT_EQ(dialog->ProgrammingAlgorithm(), Algorithm::Fast);
    EXPECT_EQ(LoadAlgorithm(path), Algorithm::Fast);
    item->trigger();
    EXPECT_EQ(dialog->ProgrammingAlgorithm(), Algorithm::Classic);
    EXPECT_EQ(LoadAlgorithm(path), Algorithm::Classic);

    // Set from outside (--fast, or the remembered choice), the item shows it, and nothing is saved.
    dialog->SetAlgorithm(Algorithm::Fast);
    EXPECT_TRUE(item->isChecked());
    EXPECT_EQ(LoadAlgorithm(path), Algorithm::Classic);

    // A choice that cannot be saved still holds, and the user is told.
    dialog->RememberAlgorithmAt(SettingsPath() + QStringLiteral("/window.ini"));
    desktop.boxes.clear();
    item->trigger();
    EXPECT_EQ(dialog->ProgrammingAlgorithm(), Algorithm::Classic);
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].text.startsWith(QStringLiteral("The choice of algorithm")));
}

// Each family's success text, with a note when the adaptive algorithm ran; Automatic's last line
// carries the note too.
TEST_F(AlgorithmChoiceTest, TheStatusLineSaysWhichAlgorithmRan) {
    const struct {
        int chipType;
        const char* file;
        Algorithm algorithm;
        const char* programmed;
    } rows[] = {
        {1, "serial508.hex", Algorithm::Classic, "Programming successful ."},
        {1, "serial508.hex", Algorithm::Fast, "Programming successful . (adaptive)"},
        {4, "blink672.hex", Algorithm::Classic, "Programming successful."},
        {4, "blink672.hex", Algorithm::Fast, "Programming successful. (adaptive)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.file << " " << row.programmed);
        StartWith(row.chipType, row.file);
        dialog->SetAlgorithm(row.algorithm);
        desktop.answers = {true};
        dialog->OnProgramm();
        EXPECT_EQ(Status(), QString::fromLatin1(row.programmed));
        EXPECT_EQ(ShortPulses() > 0, row.algorithm == Algorithm::Fast);

        board.Insert(SimulatedChip::Factory(row.chipType, 0x5A));
        desktop.answers = {true};
        dialog->OnAutomatic();
        EXPECT_EQ(Status(), row.algorithm == Algorithm::Fast
                                ? QStringLiteral("EPROM and File equal ! (adaptive)")
                                : QStringLiteral("EPROM and File equal !"));
        EXPECT_TRUE(board.Errors().empty()) << board.Errors().front();
        board.Remove();
    }
}

// After Automatic the status line keeps the comparison's count beside a configuration word that
// differs, rather than one hiding the other.
TEST_F(AlgorithmChoiceTest, ACountOfDifferencesStaysBesideAConfigurationWordError) {
    SimulatedChip chip = SimulatedChip::Factory(4, 0x5A);
    chip.SetNeverPrograms(0);
    chip.SetNeverPrograms(4);
    chip.SetNeverPrograms(chip.ConfigAddress());
    WriteFile(SettingsPath(), "000");
    PlugSimulatedBoard(chip);
    dialog = Start();
    board.ClearRecords();
    desktop.files = {QStringLiteral(CHIPSMITH_TEST_DATA "/blink672.hex")};
    dialog->OnOpen();
    desktop.answers = {true};
    dialog->OnAutomatic();
    EXPECT_EQ(Status(), QStringLiteral("2 Bytes NOT equal !  Configuration Word ERROR !"));
    EXPECT_LE(QFontMetrics(dialog->DlgItem(Ctl::StatusLine)->font()).horizontalAdvance(Status()),
              dialog->DlgItem(Ctl::StatusLine)->width())
        << "the status line holds both";
}

}  // namespace
