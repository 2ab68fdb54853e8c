#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <memory>

#include "app/OperationPump.h"

namespace {

// A box opened during a run (a question, an error) is the user's to answer: its keys go through.
TEST(OperationPumpTest, ABoxOpenedDuringTheRunGetsItsInput) {
    QWidget window;
    auto* field = new QLineEdit(&window);
    window.show();
    auto pump = std::make_unique<OperationPump>();

    QDialog box(&window);
    bool timedOut = false;
    // Only if the box never closes: a failing test ends instead of hanging.
    QTimer::singleShot(10000, &box, [&] {
        timedOut = true;
        box.hide();  // ends exec without a close request, which a faulty pump would drop
    });
    QTimer::singleShot(0, &box, [&] {
        QCoreApplication::postEvent(
            &box, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    EXPECT_EQ(box.exec(), QDialog::Rejected);
    EXPECT_FALSE(timedOut);

    // Back in the run, and after it, typing is dropped.
    QCoreApplication::postEvent(
        field, new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b")));
    pump.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(window.isVisible());
}

}  // namespace
