#pragma once

#include <QIcon>
#include <QPoint>
#include <QSize>

// The program's icon: an eight-pin chip in a programming socket, drawn at 32x32 and 16x16 in
// the sixteen classic colours.
QIcon ChipsmithIcon();
QImage ChipsmithIconImage(int size);

// Where the icon of a minimised window is drawn: centred in the client area, halves truncated.
QPoint MinimisedIconOrigin(QSize client, QSize icon);
