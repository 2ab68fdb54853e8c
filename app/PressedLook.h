#pragma once

#include <QObject>
#include <QSet>

class QAbstractButton;

// Holds buttons in the pressed look. A button gives that look up on its own whenever it loses the
// focus or a press is dragged off it; a held button takes it back before it is painted again.
class PressedLook final : public QObject {
public:
    explicit PressedLook(QObject* parent) : QObject(parent) {}
    void Set(QAbstractButton* button, bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSet<QObject*> held_;
};
