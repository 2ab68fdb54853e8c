#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>

#include "simulator/VirtualSocketWindow.h"

// The window's listing, one string a line.
inline QStringList MemoryLines(const VirtualSocketWindow& window) {
    return window.MemoryView()->toPlainText().split(QLatin1Char('\n'));
}

// What the window's timer does when it fires; the test never waits for it.
inline void TimerFires(VirtualSocketWindow& window) {
    QTimer* timer =
        window.findChild<QTimer*>(QStringLiteral("lookTimer"), Qt::FindDirectChildrenOnly);
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive());
    ASSERT_LE(timer->interval(), 250);
    QMetaObject::invokeMethod(timer, "timeout");
}
