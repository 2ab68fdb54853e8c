#include "simulator/WindowPlacement.h"

#include <algorithm>

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
