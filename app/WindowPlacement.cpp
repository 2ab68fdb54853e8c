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
