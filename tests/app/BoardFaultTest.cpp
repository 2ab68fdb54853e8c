// The window's Programm, Read and Compare pressed as the user does, over a port that loses one
// write or flips one returned bit at access k: whatever the window then says is true of the
// simulated chip, and a fault it sees is the programmer's ("stopped answering"), not the chip's.

#include <QAbstractButton>
#include <random>

#include "app/ControlIds.h"
#include "tests/app/DialogFixture.h"
#include "tests/support/FaultyPort.h"

namespace {

class BoardFaultTest : public DialogFixture {
protected:
    void SetUp() override {
        dialog = StartWithBlink508();
        ASSERT_EQ(dialog->PortNumber, 1);
    }

    // Presses the button on a fresh chip (a programmed one but for Programm) with the fault at
    // access k; returns what the window said: its status line and its boxes.
    QString Press(int id, FaultyPort::Fault fault, long k) {
        SimulatedChip chip = SimulatedChip::Factory(1, 0x5A);
        if (id != Ctl::Programm) {
            for (int address = 0; address <= dialog->LastUsedAddress; ++address) {
                chip.SetWord(address, static_cast<std::uint16_t>(dialog->FileImage[address]));
            }
            chip.SetWord(dialog->LastUsedAddress, 0x0123);  // one word that differs
        }
        board.Insert(chip);
        board.ClearRecords();
        FaultyPort port(board, fault, k);
        link.SetIo(port);
        dialog->PortNumber = 1;  // found again after a failure
        dialog->SetDlgItemText(Ctl::StatusLine, QStringLiteral(" "));
        desktop.boxes.clear();
        desktop.answers = {true};
        qobject_cast<QAbstractButton*>(dialog->DlgItem(id))->click();
        link.SetIo(board);
        accesses = port.Accesses();
        EXPECT_FALSE(board.SupplyA() || board.SupplyB()) << "k = " << k;
        return dialog->DlgItemText(Ctl::StatusLine) + "|" + desktop.Texts().join("|");
    }

    bool ChipHoldsTheFile() {
        for (int address = 0; address <= dialog->LastUsedAddress; ++address) {
            if ((board.Chip()->Word(address) | 0xF000) != (dialog->FileImage[address] | 0xF000)) {
                return false;
            }
        }
        return (board.Chip()->ConfigWord() | 0xF000) == (dialog->FileImage[0xFFF] | 0xF000);
    }

    std::unique_ptr<CProgrammerDlg> dialog;
    long accesses = 0;
};

TEST_F(BoardFaultTest, TheWindowSaysSuccessOnlyWhenTheChipBearsItOut) {
    using Fault = FaultyPort::Fault;
    const QString stopped = QStringLiteral("The programmer stopped answering");
    const struct {
        int button;
        Fault fault;
        QString success;  // empty: every run must end as the programmer's failure
    } rows[] = {
        {Ctl::Programm, Fault::LostWrite, QStringLiteral("Programming successful .")},
        {Ctl::Compare, Fault::FlippedRead, QStringLiteral("EPROM and File equal !")},
        {Ctl::Compare, Fault::ReadsLow, {}},
        {Ctl::Read, Fault::ReadsHigh, {}},
    };
    std::mt19937 random(42);
    for (const auto& row : rows) {
        Press(row.button, Fault::None, -1);
        const long total = accesses;
        for (int i = 0; i < 8; ++i) {
            const long k = std::uniform_int_distribution<long>(1, total)(random);
            SCOPED_TRACE(k);
            const auto image = dialog->FileImage;
            const QString said = Press(row.button, row.fault, k);
            if (row.success.isEmpty()) {
                EXPECT_TRUE(said.contains(stopped)) << said.toStdString();
                EXPECT_EQ(dialog->FileImage, image) << "the image changed";
            } else if (said.startsWith(row.success)) {
                EXPECT_TRUE(ChipHoldsTheFile()) << said.toStdString();
            }
        }
    }
}

}  // namespace
