#include "app/AppIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

const QColor SocketGreen(0, 128, 0);
const QColor SocketDark(0, 64, 0);
const QColor ChipBlack(0, 0, 0);
const QColor ChipGrey(128, 128, 128);
const QColor PinSilver(192, 192, 192);
const QColor LeverRed(255, 0, 0);
const QColor White(255, 255, 255);

// Drawn on a 32-unit grid and scaled, so both sizes show the same picture, in the sixteen
// classic colours only.
void Draw(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    // The socket: a board-green base with a dark slot and its lever.
    painter.fillRect(QRect(3, 2, 26, 28), SocketDark);
    painter.fillRect(QRect(4, 3, 24, 26), SocketGreen);
    painter.fillRect(QRect(22, 1, 3, 6), LeverRed);
    // Four pins a side, silver against the socket.
    for (int i = 0; i < 4; ++i) {
        painter.fillRect(QRect(6, 8 + 5 * i, 4, 3), PinSilver);
        painter.fillRect(QRect(22, 8 + 5 * i, 4, 3), PinSilver);
    }
    // The chip with its notch and pin-1 dot.
    painter.fillRect(QRect(9, 6, 14, 22), ChipBlack);
    painter.setBrush(ChipGrey);
    painter.drawEllipse(QRect(14, 5, 4, 4));
    painter.fillRect(QRect(11, 9, 2, 2), White);
}

}  // namespace

QImage ChipsmithIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(size / 32.0, size / 32.0);
    Draw(painter);
    return image;
}

QIcon ChipsmithIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(ChipsmithIconImage(32)));
    icon.addPixmap(QPixmap::fromImage(ChipsmithIconImage(16)));
    return icon;
}

QPoint MinimisedIconOrigin(QSize client, QSize icon) {
    return QPoint((client.width() - icon.width() + 1) / 2,
                  (client.height() - icon.height() + 1) / 2);
}
