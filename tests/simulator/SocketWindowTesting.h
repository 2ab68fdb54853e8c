#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>
#include <optional>

#include "simulator/SocketFile.h"
#include "simulator/VirtualSocketWindow.h"

// What the socket file holds; nothing when there is no file or it is broken.
inline std::optional<SocketContent> SavedSocket(const QString& path) {
    SocketFileLoad load = LoadSocketFile(path);
    if (load.outcome != SocketFileLoad::Outcome::Loaded) {
        return std::nullopt;
    }
    return std::move(load.content);
}

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
