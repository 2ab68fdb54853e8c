// The window-menu choice of the board's port: listing the FTDI adapters touches none, a chosen one
// is used at once and at the next start (it alone), --port wins for its run, and going back to
// the parallel ports gives the adapter back.

#include <QAction>
#include <QMenu>

#include "app/AlgorithmSetting.h"
#include "app/BoardPortSetting.h"
#include "app/BoardPorts.h"
#include "app/ControlIds.h"
#include "app/WindowCommandLine.h"
#include "tests/app/DialogFixture.h"
#include "tests/support/FakeFtdi.h"

namespace {

TEST(BoardPortSettingTest, OnlyAnAdapterNamedIsRemembered) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("chipsmith/window.ini"));
    EXPECT_EQ(LoadBoardPort(path), QString()) << "no file yet";
    const struct {
        const char* saved;
        const char* loaded;
    } rows[] = {
        {"ftdi:A6008xyz", "ftdi:A6008xyz"},
        {"ftdi:0403:6014", "ftdi:0403:6014"},
        {"", ""},
        {"ftdi", ""},  // whichever adapter comes first: perhaps the serial console
        {"lpt1", ""},
        {"gpio:/dev/gpiochip0", ""},
        {"sim", ""},
        {"ftdi:0403:60010", ""},
    };
    ASSERT_TRUE(SaveAlgorithm(path, Algorithm::Fast));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.saved);
        ASSERT_TRUE(SaveBoardPort(path, QString::fromLatin1(row.saved))) << "the folder is made";
        EXPECT_EQ(LoadBoardPort(path), QString::fromLatin1(row.loaded));
    }
    EXPECT_EQ(LoadAlgorithm(path), Algorithm::Fast) << "one file, each choice its own key";
}

// Without --port, --pins is read for the kind of the remembered port.
TEST(BoardPortSettingTest, PinsAreReadForThePortTheBoardStartsOn) {
    const QStringList ftdiPins = {"chipsmith", "--pins", "return=~D7"};
    EXPECT_EQ(ParseWindowCommandLine(ftdiPins, {}, true).exitNow, 2) << "D7 on a parallel port";
    const WindowCommandLine onAdapter =
        ParseWindowCommandLine(ftdiPins, {}, true, QStringLiteral("ftdi:A1"));
    EXPECT_FALSE(onAdapter.exitNow.has_value());
    EXPECT_EQ(onAdapter.pins, DefaultPinMap(PortKind::Ftdi));
}

// FakeFtdi with a record of every adapter opened, by the serial asked for.
class RecordingFtdi final : public FakeFtdi {
public:
    using FakeFtdi::FakeFtdi;
    int Open(ftdi_context* context, int vendor, int product, const std::string& serial) override {
        opened.push_back(serial);
        return FakeFtdi::Open(context, vendor, product, serial);
    }
    std::vector<std::string> opened;
};

class BoardPortTest : public DialogFixture {
protected:
    BoardPortTest() {
        WriteFile(SettingsPath(), "000");
        PlugBoardIntoLpt1();
        adapter.attached = {
            {0x0403, 0x6001, "A6008xyz"}, {0x0403, 0x6014, "FT9ZQ1"}, {0x0403, 0x6010, ""}};
    }
    QString WindowIni() const { return PathOf(QStringLiteral("config/chipsmith/window.ini")); }
    // The window as the program starts it: the board put on `port` first, the choice offered.
    void StartOn(const QString& port) {
        dialog.reset();
        boardPorts.Use(port);
        dialog = Start();
        dialog->OfferBoardPorts(&boardPorts, WindowIni());
    }
    // The submenu as it opens: each item's text, "*" before the checked one.
    QStringList Items() {
        emit dialog->PortMenu()->aboutToShow();
        QStringList texts;
        for (const QAction* item : dialog->PortMenu()->actions()) {
            texts << (item->isChecked() ? QStringLiteral("*") : QString()) + item->text();
        }
        return texts;
    }
    void Choose(const QString& text) {
        Items();
        for (QAction* item : dialog->PortMenu()->actions()) {
            if (item->text() == text) {
                item->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no item " << text.toStdString();
    }
    QString Status() const { return dialog->DlgItemText(Ctl::ProgrammerStatus); }
    QString Tip() const { return dialog->DlgItem(Ctl::ProgrammerStatus)->toolTip(); }
    // Nothing of the adapters is held, powered or taken from the kernel's serial driver.
    void ExpectAdaptersUntouched() {
        EXPECT_FALSE(adapter.open);
        EXPECT_EQ(adapter.contexts, 0);
        EXPECT_TRUE(adapter.kernelDriver);
        EXPECT_FALSE(adapter.suppliesWereOn);
    }

    RecordingFtdi adapter{delays.clock(), DefaultPinMap(PortKind::Ftdi)};
    BoardPorts boardPorts{link,
                          delays.clock(),
                          [this]() -> PortIo& { return ports; },
                          DefaultPinMap(PortKind::Parallel),
                          PortKind::Parallel,
                          &adapter};
    std::unique_ptr<CProgrammerDlg> dialog;
};

TEST_F(BoardPortTest, ListingTheAdaptersClaimsNone) {
    StartOn({});
    EXPECT_TRUE(dialog->PortMenu()->menuAction()->isVisible());
    EXPECT_EQ(Status(), QStringLiteral("PIC-Programmer on LPT1"));
    EXPECT_EQ(Items(), QStringList({"*Parallel ports (search)", "FTDI adapter A6008xyz (0403:6001)",
                                    "FTDI adapter FT9ZQ1 (0403:6014)",
                                    "FTDI adapter 0403:6010 (serial number unreadable)"}));
    Items();
    EXPECT_TRUE(adapter.opened.empty());
    EXPECT_TRUE(adapter.written.empty());
    ExpectAdaptersUntouched();
}

TEST_F(BoardPortTest, AChosenAdapterIsUsedAtOnceAndTheParallelPortsGiveItBack) {
    StartOn({});
    Choose(QStringLiteral("FTDI adapter A6008xyz (0403:6001)"));
    EXPECT_EQ(Status(), QStringLiteral("PIC-Programmer on FT232R A6008xyz"));
    EXPECT_EQ(Tip(), QStringLiteral("FT232R A6008xyz\npins data=~D1,clock=~D3,vdd=D5,vpp=D6,"
                                    "return=~D7"));
    EXPECT_EQ(adapter.opened, std::vector<std::string>{"A6008xyz"});
    EXPECT_TRUE(adapter.open) << "held while the board is on it";
    EXPECT_EQ(LoadBoardPort(WindowIni()), QStringLiteral("ftdi:A6008xyz"));
    EXPECT_EQ(Items()[1], QStringLiteral("*FTDI adapter A6008xyz (0403:6001)"));

    Choose(QStringLiteral("Parallel ports (search)"));
    EXPECT_EQ(Status(), QStringLiteral("PIC-Programmer on LPT1"));
    EXPECT_EQ(link.Pins(), DefaultPinMap(PortKind::Parallel));
    ExpectAdaptersUntouched();
    EXPECT_EQ(LoadBoardPort(WindowIni()), QString());

    // A choice that cannot be saved still holds, and the user is told.
    dialog->OfferBoardPorts(&boardPorts, SettingsPath() + QStringLiteral("/window.ini"));
    desktop.boxes.clear();
    Choose(QStringLiteral("FTDI adapter FT9ZQ1 (0403:6014)"));
    EXPECT_EQ(Status(), QStringLiteral("PIC-Programmer on FT232R FT9ZQ1"));
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_TRUE(desktop.boxes[0].text.startsWith(QStringLiteral("The choice of port")));
}

// The next start: the remembered adapter alone, unless --port names another port for the run.
TEST_F(BoardPortTest, TheRememberedAdapterIsUsedAtTheNextStartUnlessPortSaysOtherwise) {
    const struct {
        const char* commandLine;
        const char* remembered;
        const char* status;
        std::vector<std::string> opened;
        bool parallelProbed;
        const char* lastItem;
    } rows[] = {
        {"", "ftdi:FT9ZQ1", "PIC-Programmer on FT232R FT9ZQ1", {"FT9ZQ1"}, false, nullptr},
        {"lpt1", "ftdi:FT9ZQ1", "PIC-Programmer on LPT1", {}, true, "*--port lpt1"},
        {"ftdi",
         "ftdi:FT9ZQ1",
         "PIC-Programmer on FT232R A6008xyz",
         {"A6008xyz"},
         false,
         "*FTDI adapter (the first attached)"},
        {"ftdi:0403:6014", "", "PIC-Programmer on FT232R", {""}, false, "*FTDI adapter 0403:6014"},
        {"",
         "ftdi:GONE42",
         "Pic-Programmer not found !",
         {},
         false,
         "*FTDI adapter GONE42 (not attached)"},
    };
    adapter.attached.pop_back();  // every serial readable: one not listed is not there
    for (const auto& row : rows) {
        SCOPED_TRACE(row.remembered + std::string(" --port ") + row.commandLine);
        dialog.reset();
        boardPorts.Use({});
        adapter.opened.clear();
        ports.ClearLog();
        ASSERT_TRUE(SaveBoardPort(WindowIni(), QString::fromLatin1(row.remembered)));
        StartOn(StartingPort(QString::fromLatin1(row.commandLine), LoadBoardPort(WindowIni())));
        EXPECT_EQ(Status(), QString::fromLatin1(row.status));
        EXPECT_EQ(adapter.opened, row.opened);
        EXPECT_EQ(!ports.Log().empty(), row.parallelProbed);
        if (row.lastItem != nullptr) {
            EXPECT_EQ(Items().last(), QString::fromLatin1(row.lastItem));
        }
        if (row.opened.empty()) {
            ExpectAdaptersUntouched();
        }
        EXPECT_EQ(LoadBoardPort(WindowIni()), QString::fromLatin1(row.remembered));
    }
    // An adapter not attached: the tooltip says so, as for a named port that cannot be used.
    EXPECT_TRUE(Tip().contains(QStringLiteral("no FTDI adapter with serial number GONE42")))
        << Tip().toStdString();
    // One whose serial cannot be read may be it, so then it is not said to be missing.
    adapter.attached.push_back({0x0403, 0x6010, ""});
    EXPECT_EQ(Items().last(), QStringLiteral("*FTDI adapter GONE42"));
}

}  // namespace
