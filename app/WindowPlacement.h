#pragma once

#include <QRect>

// Where a window whose frame measures `size` goes: centred over `over`, then moved, and shrunk
// only if it must, so that it lies wholly inside `available` (the screen without its panels).
QRect PlaceOnScreen(const QSize& size, const QRect& over, const QRect& available);
