#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include "sim/SimulatedBoard.h"
#include "simulator/SocketFile.h"
#include "tests/app/QtPrinters.h"
#include "tests/simulator/SocketWindowTesting.h"

namespace {

class VirtualSocketWindowTest : public ::testing::Test {
protected:
    QString SocketPath() const { return folder.filePath(QStringLiteral("data/socket.txt")); }
    std::unique_ptr<VirtualSocketWindow> Open() {
        return std::make_unique<VirtualSocketWindow>(board, SocketPath());
    }
    static QString Text(const QLabel* label) {
        return label->isHidden() ? QString() : label->text();
    }

    QTemporaryDir folder;
    SimulatedBoard board{[] { return std::int64_t{0}; }};
};

TEST_F(VirtualSocketWindowTest, ShowsTheChipInTheSocketAtItsFamilysWidth) {
    const struct {
        int type;
        const char* chooser;
        const char* socket;
        const char* config;
        const char* firstLine;
        const char* lastLines[3];
        int lines;
    } rows[] = {
        {1,
         "12c508",
         "PIC12C508 in the socket",
         "Configuration word: F7D",
         "0000: 805 000 FFF FFF FFF FFF FFF FFF",
         {"01F8: FFF FFF FFF FFF FFF FFF FFF C5A", "0200: 00A FFF FFF FFF  ID",
          "0FFF: F7D  configuration"},
         64},
        {4,
         "12c672",
         "PIC12C672 in the socket",
         "Configuration word: 3F7D",
         "0000: 2805 0000 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF",
         {"07F8: 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF 345A", "2000: 000A 3FFF 3FFF 3FFF  ID",
          "2007: 3F7D  configuration"},
         256},
    };
    for (const auto& row : rows) {
        SimulatedChip chip = SimulatedChip::Factory(row.type, 0x5A);
        chip.SetWord(0, 0x2805);
        chip.SetWord(1, 0);
        chip.SetWord(chip.IdAddress(), 0x000A);
        chip.SetConfigWord(0x3F7D);
        board.Insert(chip);
        QFile::remove(SocketPath());  // else the window takes the last row's chip from it
        const auto window = Open();
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Virtual socket"));
        EXPECT_EQ(window->TypeChooser()->currentText(), QString::fromLatin1(row.chooser));
        EXPECT_EQ(Text(window->SocketLabel()), QString::fromLatin1(row.socket));
        EXPECT_EQ(Text(window->ConfigLabel()), QString::fromLatin1(row.config));
        EXPECT_EQ(Text(window->CalibrationLabel()), QStringLiteral("Calibration value: 5A"));
        EXPECT_TRUE(window->MemoryView()->isReadOnly());
        const QStringList lines = MemoryLines(*window);
        ASSERT_EQ(lines.size(), row.lines + 3);
        EXPECT_EQ(lines.first(), QString::fromLatin1(row.firstLine));
        EXPECT_EQ(lines[row.lines - 1], QString::fromLatin1(row.lastLines[0]));
        EXPECT_EQ(lines[row.lines], QString());
        EXPECT_EQ(lines[row.lines + 1], QString::fromLatin1(row.lastLines[1]));
        EXPECT_EQ(lines[row.lines + 2], QString::fromLatin1(row.lastLines[2]));
    }
}

TEST_F(VirtualSocketWindowTest, AnErasedCalibrationWordShowsNone) {
    board.Insert(SimulatedChip(3));
    EXPECT_EQ(Text(Open()->CalibrationLabel()), QStringLiteral("Calibration value: none"));
}

TEST_F(VirtualSocketWindowTest, NewChipPutsABlankChipOfTheChosenTypeInTheSocket) {
    board.Insert(SimulatedChip::Factory(1, 0x5A));
    board.Chip()->SetWord(0, 0);
    const auto window = Open();
    for (int type : {4, 2, 3, 1}) {
        window->TypeChooser()->setCurrentIndex(type - 1);
        window->NewChipButton()->click();
        const SimulatedChip* chip = board.Chip();
        ASSERT_NE(chip, nullptr);
        ASSERT_EQ(chip->Type(), type);
        const int calibrationAddress = chip->MemoryWords() - 1;
        for (int address : CellAddresses(*chip)) {
            if (address != calibrationAddress) {
                ASSERT_EQ(chip->Word(address), chip->Erased()) << type << ' ' << address;
            }
        }
        const std::uint16_t calibration = chip->CalibrationWord();
        EXPECT_EQ(calibration & 0xFF00, chip->Is14Bit() ? 0x3400 : 0x0C00) << "RETLW or MOVLW";
        EXPECT_NE(calibration & 0xFF, 0xFF);
        const auto saved = SavedSocket(SocketPath());
        ASSERT_TRUE(saved && saved->chip);
        EXPECT_EQ(saved->chip->CalibrationWord(), calibration) << "saved at once";
    }
}

TEST_F(VirtualSocketWindowTest, PullOutEmptiesTheSocketAndEveryDisplay) {
    board.Insert(SimulatedChip::Factory(4, 0x5A));
    const auto window = Open();
    window->PullOutButton()->click();
    EXPECT_EQ(board.Chip(), nullptr);
    EXPECT_EQ(Text(window->SocketLabel()), QStringLiteral("The socket is empty"));
    EXPECT_EQ(Text(window->ConfigLabel()), QString());
    EXPECT_EQ(Text(window->CalibrationLabel()), QString());
    EXPECT_EQ(window->MemoryView()->toPlainText(), QString());
    const auto saved = SavedSocket(SocketPath());
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->chip);

    window->NewChipButton()->click();
    EXPECT_EQ(Text(window->SocketLabel()), QStringLiteral("PIC12C672 in the socket"));
}

TEST_F(VirtualSocketWindowTest, FollowsChangesMadeThroughTheBoardAndKeepsTheUsersPlace) {
    board.Insert(SimulatedChip::Factory(4, 0x5A));
    const auto window = Open();
    window->show();
    QScrollBar* scroll = window->MemoryView()->verticalScrollBar();
    scroll->setValue(scroll->maximum() / 2);
    const int place = scroll->value();
    ASSERT_GT(place, 0);

    board.Chip()->SetWord(9, 0x1234);  // as a programming pulse would
    TimerFires(*window);
    EXPECT_EQ(MemoryLines(*window)[1],
              QStringLiteral("0008: 3FFF 1234 3FFF 3FFF 3FFF 3FFF 3FFF 3FFF"));
    EXPECT_EQ(scroll->value(), place);
    auto saved = SavedSocket(SocketPath());
    ASSERT_TRUE(saved && saved->chip);
    EXPECT_EQ(saved->chip->Word(9), 0x1234);

    // Nothing changed: nothing is written.
    ASSERT_TRUE(QFile::remove(SocketPath()));
    TimerFires(*window);
    EXPECT_FALSE(QFile::exists(SocketPath()));
}

TEST_F(VirtualSocketWindowTest, ClosingSavesTheLatestChip) {
    board.Insert(SimulatedChip::Factory(2, 0x5A));
    const auto window = Open();
    board.Chip()->SetConfigWord(0x00A);
    window->close();
    const auto saved = SavedSocket(SocketPath());
    ASSERT_TRUE(saved && saved->chip);
    EXPECT_EQ(saved->chip->ConfigWord(), 0x00A);
}

TEST_F(VirtualSocketWindowTest, SaysSoWhenTheSocketCannotBeSaved) {
    QFile blocker(folder.filePath(QStringLiteral("data")));  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    board.Insert(SimulatedChip::Factory(1, 0x5A));
    EXPECT_EQ(Open()->FileLabel()->text(),
              QStringLiteral("Cannot save to %1: the folder %2 cannot be made")
                  .arg(SocketPath(), blocker.fileName()));
}

}  // namespace
