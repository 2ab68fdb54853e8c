#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the program's second windows go, so that they open on screen.

// Where a window whose frame measures `size` goes: centred over `over`, then moved, and shrunk
// only if it must, so that it lies wholly inside `available` (the screen without its panels).
QRect PlaceOnScreen(const QSize& size, const QRect& over, const QRect& available);

// Where a second window goes beside a main window: to the right of it at the same height, or to
// its left when there is no room on the right, and always on the screen as far as it fits.
// mainFrame and the result are frame geometry; frameSize is the second window's size with its
// frame; available is the screen's area that windows may take.
QPoint PlaceBeside(const QRect& mainFrame, const QSize& frameSize, const QRect& available, int gap);
