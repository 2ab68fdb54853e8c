#include "app/PressedLook.h"

#include <QAbstractButton>
#include <QEvent>

void PressedLook::Set(QAbstractButton* button, bool on) {
    button->setDown(on);
    if (on) {
        held_.insert(button);
        button->installEventFilter(this);
    } else {
        held_.remove(button);
        button->removeEventFilter(this);
    }
}

bool PressedLook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && held_.contains(watched)) {
        auto* button = static_cast<QAbstractButton*>(watched);
        if (!button->isDown()) {
            button->setDown(true);
        }
    }
    return false;
}
