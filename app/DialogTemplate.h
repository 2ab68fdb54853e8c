#pragma once

// Dialogs described as tables of controls in dialog units, the way the program's two dialogs are
// laid out, and built into Qt widgets with the dialog font's metrics.

#include <QFont>
#include <QRect>
#include <map>
#include <vector>

class QDialog;
class QWidget;

enum class ControlKind {
    DefaultButton,
    Button,
    DropDownCombo,
    SortedList,
    CheckBox,
    RadioButton,
    GroupBox,
    Label,
    Edit,
    Progress,
    Icon,
};

namespace Style {
constexpr unsigned StartsGroup = 1u << 0;
constexpr unsigned SunkenEdge = 1u << 1;
constexpr unsigned Frame = 1u << 2;
constexpr unsigned RightAligned = 1u << 3;
constexpr unsigned Vertical = 1u << 4;
constexpr unsigned Border = 1u << 5;
constexpr unsigned VerticalScroll = 1u << 6;
constexpr unsigned NoPrefix = 1u << 7;
}  // namespace Style

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* caption;
    int x, y, width, height;
    unsigned style;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;
    const char* fontFamily;
    int pointSize;
    std::vector<ControlTemplate> controls;  // template order, which is the tab order
};

extern const DialogTemplate MainDialogTemplate;   // 102
extern const DialogTemplate AboutDialogTemplate;  // 100

// Dialog units to pixels: a horizontal unit is a quarter of the font's average character width,
// a vertical unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect ToPixels(int x, int y, int width, int height) const;
    int baseWidth() const { return baseWidth_; }
    int baseHeight() const { return baseHeight_; }

private:
    int baseWidth_;
    int baseHeight_;
};

// The dialog font: the template's face when the system has it, otherwise the nearest sans font.
QFont DialogFont(const DialogTemplate& dialog);

struct BuiltDialog {
    std::map<int, QWidget*> byId;   // controls that have an id
    std::vector<QWidget*> inOrder;  // every control, template order
};

// Creates the controls as children of `dialog`, sizes the dialog and fixes it at that size.
BuiltDialog BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);
