#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/AboutDlg.h"
#include "app/AppIcon.h"
#include "app/ControlIds.h"
#include "app/HelpFile.h"
#include "app/HelpViewer.h"
#include "app/QtDesktop.h"
#include "app/WindowPlacement.h"
#include "tests/app/DialogFixture.h"

namespace {

class ShellTest : public DialogFixture {};

TEST_F(ShellTest, TheAboutItemOpensTheAboutBoxAndOkClosesIt) {
    auto dialog = Start();
    dialog->show();
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        seen << about->windowTitle();
        for (QLabel* label : about->findChildren<QLabel*>()) {
            seen << (label->pixmap().isNull() ? label->text() : QStringLiteral("<icon>"));
        }
        QPushButton* ok = about->findChild<QPushButton*>();
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isDefault());
        ok->click();
    });
    dialog->WindowMenu()->actions().last()->trigger();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Info about Chipsmith Programmer"),
                                 QStringLiteral("<icon>"),
                                 QStringLiteral("Chipsmith Version 1.1 (english)")}));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ShellTest, WindowMenuCommandsAreRoutedByTheirNumbers) {
    auto dialog = Start();
    dialog->show();
    // Any command whose low four bits differ still means the about box.
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            QTest::keyClick(about, Qt::Key_Escape);
        }
    });
    dialog->OnSysCommand(IDM_ABOUTBOX | 0x7);
    EXPECT_TRUE(opened);

    dialog->OnSysCommand(0xF010);  // a move: nothing of ours happens
    EXPECT_TRUE(dialog->isVisible());
    dialog->OnSysCommand(SC_CLOSE);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(QFileInfo::exists(SettingsPath())) << "Close is the cancel command";
}

TEST_F(ShellTest, HelpAsksForTheDialogsTopicInTheFileBesideTheProgram) {
    auto dialog = Start();
    desktop.boxes.clear();
    dialog->OnHelp();
    EXPECT_EQ(desktop.helpTopic, 0x20066);
    EXPECT_EQ(desktop.helpFile, FindHelpFile(QCoreApplication::applicationFilePath()));
    EXPECT_TRUE(desktop.boxes.empty());

    desktop.helpStarts = false;
    dialog->OnHelp();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Failed to launch help."));
}

TEST(HelpFileTest, TheHelpFileIsTheProgramsPathWithHlpForItsExtension) {
    EXPECT_EQ(HelpFileFor("/usr/bin/chipsmith"), QStringLiteral("/usr/bin/chipsmith.HLP"));
    EXPECT_EQ(HelpFileFor("/opt/x/CHIPSMITH.EXE"), QStringLiteral("/opt/x/CHIPSMITH.HLP"));
    EXPECT_EQ(HelpAnchor(0x20066), QStringLiteral("topic-0x20066"));
}

TEST(HelpFileTest, TheFileBesideTheProgramWinsOverTheInstalledOne) {
    QTemporaryDir root;
    const QString program = root.filePath("usr/bin/chipsmith-sim");
    QDir().mkpath(root.filePath("usr/bin"));
    QDir().mkpath(root.filePath("usr/share/chipsmith"));
    EXPECT_EQ(FindHelpFile(program), root.filePath("usr/bin/chipsmith-sim.HLP")) << "neither";
    QFile(root.filePath("usr/share/chipsmith/chipsmith.HLP")).open(QIODevice::WriteOnly);
    EXPECT_EQ(FindHelpFile(program), root.filePath("usr/share/chipsmith/chipsmith.HLP"));
    QFile(root.filePath("usr/bin/chipsmith-sim.HLP")).open(QIODevice::WriteOnly);
    EXPECT_EQ(FindHelpFile(program), root.filePath("usr/bin/chipsmith-sim.HLP"));
}

TEST(AppIconTest, TheMinimisedIconIsCentredWithHalvesTruncated) {
    const struct {
        QSize client, icon;
        QPoint origin;
    } rows[] = {
        {{36, 36}, {32, 32}, {2, 2}}, {{32, 32}, {32, 32}, {0, 0}},   {{37, 35}, {32, 32}, {3, 2}},
        {{31, 30}, {32, 32}, {0, 0}}, {{20, 20}, {32, 32}, {-5, -5}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MinimisedIconOrigin(row.client, row.icon), row.origin);
    }
}

TEST(AppIconTest, TheIconComesInBothSizesAndIsNotEmpty) {
    for (int size : {32, 16}) {
        const QImage image = ChipsmithIconImage(size);
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(image.pixelColor(size / 2, size / 2).alpha(), 0);
    }
    const QList<QSize> sizes = ChipsmithIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
}

TEST(WindowPlacementTest, AWindowGoesOverItsOwnerAndWhollyOnTheScreen) {
    const QRect left(0, 0, 1024, 768), right(1024, 0, 1024, 768);
    const struct {
        QSize size;
        QRect over, available, placed;
    } rows[] = {
        {{400, 300}, {100, 100, 600, 400}, left, {200, 150, 400, 300}},     // over its owner
        {{400, 300}, {800, 600, 200, 100}, left, {624, 468, 400, 300}},     // owner in a corner
        {{400, 300}, {-300, -200, 200, 100}, left, {0, 0, 400, 300}},       // owner off screen
        {{1200, 900}, {100, 100, 600, 400}, left, {0, 0, 1024, 768}},       // too large
        {{400, 300}, {1100, 100, 600, 400}, right, {1200, 150, 400, 300}},  // a second screen
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlaceOnScreen(row.size, row.over, row.available), row.placed) << row.over.x();
    }
}

// The real desktop: message boxes carry the program's name; the help window belongs to the main
// window, lies on the screen and offers the about box.
TEST(QtDesktopTest, BoxCaptionsAndTheHelpWindow) {
    QWidget owner;
    owner.resize(500, 400);
    owner.show();
    QtDesktop desktop;
    desktop.SetOwner(&owner);
    int abouts = 0;
    desktop.SetAbout([&] { ++abouts; });

    QString caption;
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            caption = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    desktop.Tell(QStringLiteral("No Programmer !"), Desktop::Icon::Stop);
    EXPECT_EQ(caption, QStringLiteral("Chipsmith Programmer"));

    QTemporaryDir folder;
    EXPECT_TRUE(desktop.ShowHelp(folder.filePath(QStringLiteral("help.HLP")), HelpTopic));
    auto* help = owner.findChild<HelpViewer*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->isWindow());
    EXPECT_TRUE(owner.screen()->availableGeometry().contains(help->frameGeometry()));
    for (QPushButton* button : help->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Info about Chipsmith...")) {
            button->click();
        }
    }
    EXPECT_EQ(abouts, 1);
}

}  // namespace
