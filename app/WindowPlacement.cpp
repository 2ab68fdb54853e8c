#include "app/WindowPlacement.h"

#include <algorithm>

namespace {

// The start of a span of `length` centred on `centre`, kept within [low, low + room).
int Fit(int centre, int length, int low, int room) {
    return std::clamp(centre - length / 2, low, low + room - length);
}

}  // namespace

QRect PlaceOnScreen(const QSize& size, const QRect& over, const QRect& available) {
    const int width = std::min(size.width(), available.width());
    const int height = std::min(size.height(), available.height());
    return {Fit(over.x() + over.width() / 2, width, available.x(), available.width()),
            Fit(over.y() + over.height() / 2, height, available.y(), available.height()), width,
            height};
}

QPoint PlaceBeside(const QRect& mainFrame, const QSize& frameSize, const QRect& available,
                   int gap) {
    const int roomRight = available.right() - mainFrame.right() - gap;
    const int roomLeft = mainFrame.left() - gap - available.left();
    int x = 0;
    if (roomRight >= frameSize.width()) {
        x = mainFrame.right() + 1 + gap;
    } else if (roomLeft >= frameSize.width()) {
        x = mainFrame.left() - gap - frameSize.width();
    } else if (roomRight >= roomLeft) {
        // No room on either side: against the screen's edge on the roomier side, over part of the
        // main window.
        x = available.right() + 1 - frameSize.width();
    } else {
        x = available.left();
    }
    // A window larger than the screen shows its top left corner, where the title bar is.
    x = std::max(available.left(), x);
    const int y = std::max(available.top(),
                           std::min(mainFrame.top(), available.bottom() + 1 - frameSize.height()));
    return {x, y};
}
