#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/AboutDlg.h"
#include "app/AppIcon.h"
#include "app/ControlIds.h"
#include "app/HelpFile.h"
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

}  // namespace
