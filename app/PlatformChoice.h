#pragma once

#include <QByteArray>

// The Qt platform to ask for, or empty to leave the choice to Qt. On a Wayland desktop Qt draws
// the title bar itself, always with a maximise button, even on a fixed-size window, and a client
// cannot place its windows; through XWayland the window manager honours both. A platform the
// user chose (QT_QPA_PLATFORM) always stands.
QByteArray PreferredPlatform(const QByteArray& chosen, const QByteArray& waylandDisplay,
                             const QByteArray& x11Display);

// Applies PreferredPlatform to this process's environment; call before the application object
// exists.
void UsePreferredPlatform();
