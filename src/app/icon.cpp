#include "app/icon.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace orvu::app {

namespace {

void paint_tile(QPainter& painter) {
    QLinearGradient teal(0, 0, 0, 128);
    teal.setColorAt(0, QColor(38, 166, 154));
    teal.setColorAt(1, QColor(0, 105, 92));
    painter.setPen(Qt::NoPen);
    painter.setBrush(teal);
    painter.drawRoundedRect(QRectF(4, 4, 120, 120), 24, 24);
}

// Two pages curving up from a spine in the middle, the right one the left one
// mirrored.
void paint_book(QPainter& painter) {
    QPainterPath left;
    left.moveTo(64, 100);
    left.cubicTo(50, 90, 34, 88, 20, 92);
    left.lineTo(20, 48);
    left.cubicTo(34, 44, 50, 46, 64, 56);
    left.closeSubpath();
    const QPainterPath right = QTransform(-1, 0, 0, 1, 128, 0).map(left);
    painter.setPen(QPen(QColor(0, 77, 64), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(250, 250, 245));
    painter.drawPath(left);
    painter.drawPath(right);
    painter.setPen(QPen(QColor(176, 190, 197), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int line = 0; line < 3; ++line) {
        const double y = 62 + line * 9;
        painter.drawLine(QPointF(30, y - 1), QPointF(54, y + 3));
        painter.drawLine(QPointF(74, y + 3), QPointF(98, y - 1));
    }
}

void paint_arrow(QPainter& painter) {
    QPainterPath arrow;
    arrow.moveTo(56, 14);
    arrow.lineTo(72, 14);
    arrow.lineTo(72, 36);
    arrow.lineTo(84, 36);
    arrow.lineTo(64, 58);
    arrow.lineTo(44, 36);
    arrow.lineTo(56, 36);
    arrow.closeSubpath();
    painter.setPen(QPen(QColor(191, 54, 12), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 143, 0));
    painter.drawPath(arrow);
}

}  // namespace

QImage paint_program_icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 128.0;
    painter.scale(unit, unit);  // drawn on a 128-unit grid
    paint_tile(painter);
    paint_book(painter);
    paint_arrow(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QIcon program_icon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        icon.addPixmap(QPixmap::fromImage(paint_program_icon(size)));
    }
    return icon;
}

}  // namespace orvu::app
