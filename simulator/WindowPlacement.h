#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a second window goes beside a main window: to the right of it at the same height, or to
// its left when there is no room on the right, and always on the screen as far as it fits.
// mainFrame and the result are frame geometry; frameSize is the second window's size with its
// frame; available is the screen's area that windows may take.
QPoint PlaceBeside(const QRect& mainFrame, const QSize& frameSize, const QRect& available, int gap);
