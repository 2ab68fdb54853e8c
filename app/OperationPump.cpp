#include "app/OperationPump.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <exception>

namespace {

// A screen that does not say how often it refreshes is taken as the common 60 Hz.
constexpr double DefaultHertz = 60.0;

std::int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// None without a screen (no application, or a core one).
double PrimaryScreenHertz() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->refreshRate() : 0.0;
}

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::NativeGesture:
            return true;
        default:
            return false;
    }
}

bool IsTransient(Qt::WindowType type) {
    return type == Qt::Popup || type == Qt::ToolTip;
}

// A close request for one of our windows (the close box, Alt+F4, the window menu's Close); menus
// and tool tips close themselves and are let be.
bool IsCloseRequest(const QObject* receiver, const QEvent* event) {
    if (event->type() != QEvent::Close) {
        return false;
    }
    if (receiver->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(receiver);
        return widget->isWindow() && !IsTransient(widget->windowType());
    }
    if (receiver->isWindowType()) {
        return !IsTransient(static_cast<const QWindow*>(receiver)->type());
    }
    return false;
}

}  // namespace

std::int64_t FrameNanoseconds(double hertz) {
    return static_cast<std::int64_t>(1e9 / (hertz > 0 ? hertz : DefaultHertz));
}

OperationPump::OperationPump(std::function<std::int64_t()> nowNs, std::int64_t frameNs)
    : nowNs_(nowNs ? std::move(nowNs) : SteadyNanoseconds),
      frameNs_(frameNs > 0 ? frameNs : FrameNanoseconds(PrimaryScreenHertz())) {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    modalAtStart_ = QApplication::activeModalWidget();
    QCoreApplication::instance()->installEventFilter(this);
}

OperationPump::~OperationPump() {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    if (std::uncaught_exceptions() == 0) {
        HandlePending();
    }
    QCoreApplication::instance()->removeEventFilter(this);
}

bool OperationPump::FrameDue() const {
    return !pumped_ || nowNs_() - lastPumpNs_ >= frameNs_;
}

void OperationPump::Pump() {
    if (FrameDue()) {
        HandlePending();
    }
}

void OperationPump::HandlePending() {
    if (pumping_ || QCoreApplication::instance() == nullptr) {
        return;
    }
    pumping_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastPumpNs_ = nowNs_();
    pumped_ = true;
    pumping_ = false;
}

bool OperationPump::eventFilter(QObject* receiver, QEvent* event) {
    if (!IsUserInput(event->type()) && !IsCloseRequest(receiver, event)) {
        return false;
    }
    // A box opened during the run has become the modal window: its input goes through.
    return QApplication::activeModalWidget() == modalAtStart_;
}
