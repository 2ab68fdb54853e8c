#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/ControlIds.h"
#include "app/DialogTemplate.h"
#include "tests/app/DialogFixture.h"

namespace {

struct Expected {
    int id;
    const char* kind;  // Qt class name
    const char* caption;
    int x, y, w, h;
};

// The main dialog as it must look, in tab order.
const Expected Controls[] = {
    {1, "QPushButton", "&Exit", 249, 7, 50, 14},
    {1004, "QPushButton", "&Open", 188, 20, 35, 14},
    {1051, "QComboBox", "", 16, 21, 166, 0},
    {1012, "QPushButton", "Read  Config.&Word", 129, 58, 70, 16},
    {1049, "QListWidget", "", 84, 92, 32, 35},
    {1015, "QCheckBox", "MCLR", 129, 91, 36, 8},
    {1016, "QCheckBox", "Watchdog Timer", 129, 102, 69, 10},
    {1017, "QCheckBox", "Code Protection CP0", 129, 115, 82, 10},
    {1023, "QCheckBox", "Code Protection CP1", 129, 128, 82, 10},
    {1061, "QCheckBox", "Power-On Timer", 129, 78, 67, 10},
    {1018, "QRadioButton", "LP low frequ. Crystal", 215, 93, 83, 10},
    {1019, "QRadioButton", "XT standart Crystal", 215, 104, 83, 10},
    {1020, "QRadioButton", "Int..RC 4MHz Oscillator", 215, 82, 92, 10},
    {1021, "QRadioButton", "Ext.. RC Oscillator", 215, 115, 73, 10},
    {1022, "QRadioButton", "HS high speed Crystal", 215, 60, 85, 10},
    {1031, "QRadioButton", "Int..RC 4MHz Osc. cl.out", 215, 71, 91, 10},
    {1029, "QRadioButton", "Ext.. RC Osc. clockout", 215, 126, 88, 10},
    {1024, "QPushButton", "&Read", 13, 155, 42, 14},
    {1064, "QPushButton", "O&sc.Cal.", 58, 155, 42, 14},
    {1026, "QPushButton", "Erased &?", 103, 155, 42, 14},
    {1028, "QPushButton", "&Programm", 148, 155, 42, 14},
    {1025, "QPushButton", "&Compare", 193, 155, 42, 14},
    {1027, "QPushButton", "&Automatic", 243, 152, 61, 25},
    {1065, "QLineEdit", "", 279, 185, 15, 13},
    {1030, "QPushButton", "&Help", 249, 28, 50, 14},
    {1005, "QGroupBox", "Data File", 7, 5, 223, 40},
    {1007, "QGroupBox", "Controller", 7, 50, 307, 95},
    {1053, "QLabel", "0000", 26, 80, 16, 8},
    {1050, "QLabel", "??????", 85, 76, 31, 8},
    {1047, "QProgressBar", "", 13, 172, 221, 9},
    {1066, "QLabel", "Pic-Programmer not found !", 17, 187, 87, 8},
    {1011, "QLabel", "", 16, 199, 182, 8},
    {1062, "QLabel", "Oscillator Calibration", 137, 187, 139, 8},
    {1068, "QProgressBar", "", 26, 92, 30, 41},
};

QString Caption(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    return {};
}

class DialogLayoutTest : public DialogFixture {};

TEST_F(DialogLayoutTest, EveryControlStandsWhereTheTemplatePutsIt) {
    desktop.answers.clear();
    auto dialog = Start();
    const DialogUnits units(dialog->font());
    for (const Expected& control : Controls) {
        SCOPED_TRACE(control.id);
        QWidget* widget = dialog->DlgItem(control.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), control.kind);
        EXPECT_EQ(Caption(widget), QString::fromLatin1(control.caption));
        const QRect expected = units.ToPixels(control.x, control.y, control.w, control.h);
        const QRect actual(widget->mapTo(dialog.get(), QPoint(0, 0)), widget->size());
        // Controls with a sunken edge sit a few pixels inside their rectangle.
        EXPECT_LE((actual.topLeft() - expected.topLeft()).manhattanLength(), 6);
        EXPECT_LE(std::abs(actual.width() - expected.width()), 6);
        if (control.h > 0) {
            EXPECT_LE(std::abs(actual.height() - expected.height()), 6);
        }
    }
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Chipsmith Programmer"));
    EXPECT_EQ(dialog->size(), units.ToPixels(0, 0, 321, 212).size());
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "not resizable";
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(DialogLayoutTest, ControlsHaveTheTemplatesLooks) {
    auto dialog = Start();
    auto* exit = qobject_cast<QPushButton*>(dialog->DlgItem(Ctl::Exit));
    EXPECT_TRUE(exit->isDefault());
    EXPECT_TRUE(qobject_cast<QComboBox*>(dialog->DlgItem(Ctl::FileCombo))->isEditable());
    EXPECT_TRUE(qobject_cast<QListWidget*>(dialog->DlgItem(Ctl::ChipList))->isSortingEnabled());
    EXPECT_EQ(qobject_cast<QProgressBar*>(dialog->DlgItem(Ctl::MemoryFillBar))->orientation(),
              Qt::Vertical);
    for (int id : {Ctl::ProgressBar, Ctl::MemoryFillBar}) {
        auto* bar = qobject_cast<QProgressBar*>(dialog->DlgItem(id));
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_FALSE(bar->isTextVisible());
    }
    EXPECT_TRUE(qobject_cast<QLabel*>(dialog->DlgItem(Ctl::CalibrationLabel))->alignment() &
                Qt::AlignRight);
    // Sunken buttons sit in a sunken frame; Automatic's is framed twice as thick.
    for (int id : {Ctl::ReadConfigWord, Ctl::Read, Ctl::OscCal, Ctl::Automatic}) {
        QWidget* button = dialog->DlgItem(id);
        const auto frames = dialog->findChildren<QFrame*>(QString(), Qt::FindDirectChildrenOnly);
        const bool framed = std::any_of(frames.begin(), frames.end(), [&](QFrame* frame) {
            return frame->metaObject()->className() == QByteArray("QFrame") &&
                   frame->frameShadow() == QFrame::Sunken &&
                   frame->geometry().contains(button->geometry());
        });
        EXPECT_TRUE(framed) << id;
    }
}

TEST_F(DialogLayoutTest, TabOrderIsTemplateOrder) {
    auto dialog = Start();
    std::map<QWidget*, int> ids;
    std::vector<int> expected;
    for (const Expected& control : Controls) {
        QWidget* widget = dialog->DlgItem(control.id);
        if (widget->focusPolicy() & Qt::TabFocus) {
            ids[widget] = control.id;
            expected.push_back(control.id);
        }
    }
    // The focus chain from Exit, reduced to the template's controls.
    std::vector<int> chain;
    QWidget* widget = dialog->DlgItem(Ctl::Exit);
    do {
        if (ids.count(widget) != 0) {
            chain.push_back(ids[widget]);
        }
        widget = widget->nextInFocusChain();
    } while (widget != dialog->DlgItem(Ctl::Exit) && chain.size() <= expected.size());
    EXPECT_EQ(chain, expected);
    EXPECT_GE(expected.size(), 24u);
}

TEST_F(DialogLayoutTest, TheChipListHoldsTheFourChipsInOrder) {
    auto dialog = Start();
    auto* list = dialog->ChipList;
    ASSERT_EQ(list->count(), 4);
    const char* names[] = {"12c508", "12c509", "12c671", "12c672"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->item(i)->text(), QString::fromLatin1(names[i]));
    }
}

}  // namespace
