#include "app/PlatformChoice.h"

#include <QtGlobal>

QByteArray PreferredPlatform(const QByteArray& chosen, const QByteArray& waylandDisplay,
                             const QByteArray& x11Display) {
    if (!chosen.isEmpty() || waylandDisplay.isEmpty() || x11Display.isEmpty()) {
        return {};
    }
    return QByteArrayLiteral("xcb");
}

void UsePreferredPlatform() {
    const QByteArray platform = PreferredPlatform(qgetenv("QT_QPA_PLATFORM"),
                                                  qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform);
    }
}
