#include "app/DialogTemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/ControlIds.h"

using K = ControlKind;
using namespace Style;

const DialogTemplate MainDialogTemplate{
    102,
    "Chipsmith Programmer",
    321,
    212,
    "MS Sans Serif",
    8,
    {
        {Ctl::Exit, K::DefaultButton, "&Exit", 249, 7, 50, 14, 0},
        {Ctl::Open, K::Button, "&Open", 188, 20, 35, 14, 0},
        {Ctl::FileCombo, K::DropDownCombo, "", 16, 21, 166, 65, VerticalScroll},
        {Ctl::ReadConfigWord, K::Button, "Read  Config.&Word", 129, 58, 70, 16, SunkenEdge},
        {Ctl::ChipList, K::SortedList, "", 84, 92, 32, 35, Border | VerticalScroll},
        {Ctl::Mclr, K::CheckBox, "MCLR", 129, 91, 36, 8, 0},
        {Ctl::Watchdog, K::CheckBox, "Watchdog Timer", 129, 102, 69, 10, 0},
        {Ctl::CodeProtect0, K::CheckBox, "Code Protection CP0", 129, 115, 82, 10, 0},
        {Ctl::CodeProtect1, K::CheckBox, "Code Protection CP1", 129, 128, 82, 10, 0},
        {Ctl::PowerOnTimer, K::CheckBox, "Power-On Timer", 129, 78, 67, 10, 0},
        {Ctl::OscLP, K::RadioButton, "LP low frequ. Crystal", 215, 93, 83, 10, StartsGroup},
        {Ctl::OscXT, K::RadioButton, "XT standart Crystal", 215, 104, 83, 10, 0},
        {Ctl::OscIntRC, K::RadioButton, "Int..RC 4MHz Oscillator", 215, 82, 92, 10, 0},
        {Ctl::OscExtRC, K::RadioButton, "Ext.. RC Oscillator", 215, 115, 73, 10, 0},
        {Ctl::OscHS, K::RadioButton, "HS high speed Crystal", 215, 60, 85, 10, 0},
        {Ctl::OscIntRCOut, K::RadioButton, "Int..RC 4MHz Osc. cl.out", 215, 71, 91, 10, 0},
        {Ctl::OscExtRCOut, K::RadioButton, "Ext.. RC Osc. clockout", 215, 126, 88, 10, 0},
        {Ctl::Read, K::Button, "&Read", 13, 155, 42, 14, SunkenEdge},
        {Ctl::OscCal, K::Button, "O&sc.Cal.", 58, 155, 42, 14, SunkenEdge},
        {Ctl::Erased, K::Button, "Erased &?", 103, 155, 42, 14, StartsGroup},
        {Ctl::Programm, K::Button, "&Programm", 148, 155, 42, 14, 0},
        {Ctl::Compare, K::Button, "&Compare", 193, 155, 42, 14, 0},
        {Ctl::Automatic, K::Button, "&Automatic", 243, 152, 61, 25, SunkenEdge | Frame},
        {Ctl::CalibrationEdit, K::Edit, "", 279, 185, 15, 13, Border},
        {Ctl::Help, K::Button, "&Help", 249, 28, 50, 14, 0},
        {Ctl::DataFileGroup, K::GroupBox, "Data File", 7, 5, 223, 40, 0},
        {Ctl::ControllerGroup, K::GroupBox, "Controller", 7, 50, 307, 95, 0},
        {Ctl::None, K::GroupBox, "File", 18, 61, 48, 77, 0},
        {Ctl::None, K::Label, "Size:", 32, 71, 16, 8, 0},
        {Ctl::Size, K::Label, "0000", 26, 80, 16, 8, 0},
        {Ctl::None, K::Label, "Byte", 45, 80, 15, 8, 0},
        {Ctl::None, K::GroupBox, "PIC-Type", 77, 60, 44, 78, 0},
        {Ctl::ChipName, K::Label, "", 85, 76, 31, 8, 0},
        {Ctl::ProgressBar, K::Progress, "", 13, 172, 221, 9, Border},
        {Ctl::ProgrammerStatus, K::Label, "Pic-Programmer not found !", 17, 187, 87, 8, 0},
        {Ctl::StatusLine, K::Label, "", 16, 199, 182, 8, 0},
        {Ctl::CalibrationLabel, K::Label, "Oscillator Calibration", 137, 187, 139, 8, RightAligned},
        {Ctl::MemoryFillBar, K::Progress, "", 26, 92, 30, 41, Vertical | SunkenEdge},
    },
};

const DialogTemplate AboutDialogTemplate{
    100,
    "Info about Chipsmith Programmer",
    235,
    55,
    "MS Sans Serif",
    8,
    {
        {Ctl::None, K::Icon, "", 11, 17, 20, 20, 0},
        {Ctl::None, K::Label, "Chipsmith Version 1.1 (english)", 45, 17, 107, 8, NoPrefix},
        {Ctl::Exit, K::DefaultButton, "OK", 178, 7, 50, 14, 0},
    },
};

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the Latin letters, as dialog managers measure it.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseWidth_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    baseHeight_ = metrics.height();
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    auto horizontal = [this](int units) { return (units * baseWidth_ + 2) / 4; };
    auto vertical = [this](int units) { return (units * baseHeight_ + 4) / 8; };
    return QRect(horizontal(x), vertical(y), horizontal(width), vertical(height));
}

QFont DialogFont(const DialogTemplate& dialog) {
    QFont font(QString::fromLatin1(dialog.fontFamily), dialog.pointSize);
    font.setStyleHint(QFont::SansSerif);
    if (QFontInfo(font).family() != font.family()) {
        font.setFamily(QStringLiteral("Sans Serif"));
    }
    return font;
}

namespace {

QWidget* CreateControl(QDialog& dialog, const ControlTemplate& control) {
    const QString caption = QString::fromLatin1(control.caption);
    switch (control.kind) {
        case K::DefaultButton:
        case K::Button: {
            auto* button = new QPushButton(caption, &dialog);
            button->setAutoDefault(true);
            button->setDefault(control.kind == K::DefaultButton);
            return button;
        }
        case K::DropDownCombo: {
            auto* combo = new QComboBox(&dialog);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            return combo;
        }
        case K::SortedList: {
            auto* list = new QListWidget(&dialog);
            list->setSortingEnabled(true);
            // A scroll bar only when the entries do not fit, and never a horizontal one.
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            return list;
        }
        case K::CheckBox:
            return new QCheckBox(caption, &dialog);
        case K::RadioButton:
            return new QRadioButton(caption, &dialog);
        case K::GroupBox:
            return new QGroupBox(caption, &dialog);
        case K::Label: {
            auto* label = new QLabel(caption, &dialog);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(((control.style & RightAligned) ? Qt::AlignRight : Qt::AlignLeft) |
                                Qt::AlignTop);
            return label;
        }
        case K::Icon:
            return new QLabel(&dialog);
        case K::Edit:
            return new QLineEdit(&dialog);
        case K::Progress: {
            auto* bar = new QProgressBar(&dialog);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            bar->setOrientation((control.style & Vertical) ? Qt::Vertical : Qt::Horizontal);
            return bar;
        }
    }
    return nullptr;
}

// A sunken edge is drawn inside the control's rectangle, as a frame around a slightly smaller
// control; a framed control gets a second, raised line outside it.
void PlaceWithEdge(QDialog& dialog, QWidget* widget, const QRect& rect, unsigned style) {
    if (!(style & SunkenEdge) || qobject_cast<QProgressBar*>(widget) != nullptr) {
        widget->setGeometry(rect);
        return;
    }
    auto* frame = new QFrame(&dialog);
    frame->setFrameStyle(((style & Frame) ? QFrame::Box : QFrame::Panel) | QFrame::Sunken);
    frame->setLineWidth((style & Frame) ? 2 : 1);
    frame->setGeometry(rect);
    frame->lower();
    const int inset = (style & Frame) ? 3 : 2;
    widget->setGeometry(rect.adjusted(inset, inset, -inset, -inset));
}

}  // namespace

BuiltDialog BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate) {
    const QFont font = DialogFont(dialogTemplate);
    dialog.setFont(font);
    dialog.setWindowTitle(QString::fromLatin1(dialogTemplate.caption));
    const DialogUnits units(font);

    BuiltDialog built;
    QWidget* previousFocusable = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = CreateControl(dialog, control);
        QRect rect = units.ToPixels(control.x, control.y, control.width, control.height);
        if (control.kind == K::DropDownCombo) {
            // The template's height is that of the dropped list; the box itself is one line.
            rect.setHeight(widget->sizeHint().height());
        }
        PlaceWithEdge(dialog, widget, rect, control.style);
        if (control.kind == K::GroupBox) {
            widget->lower();  // a frame behind the controls it surrounds, never over them
        }
        if (control.id != Ctl::None) {
            built.byId[control.id] = widget;
        }
        built.inOrder.push_back(widget);
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previousFocusable != nullptr) {
                QWidget::setTabOrder(previousFocusable, widget);
            }
            previousFocusable = widget;
        }
    }
    dialog.setFixedSize(units.ToPixels(0, 0, dialogTemplate.width, dialogTemplate.height).size());
    return built;
}
