#include "ui/browser/BrowserIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

void drawArrow(QPainter& p, bool left) {
    QPainterPath arrow;
    arrow.moveTo(4, 12);
    arrow.lineTo(12, 4);
    arrow.lineTo(12, 9);
    arrow.lineTo(20, 9);
    arrow.lineTo(20, 15);
    arrow.lineTo(12, 15);
    arrow.lineTo(12, 20);
    arrow.closeSubpath();
    if (!left) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    p.setBrush(QColor(0x2e, 0x7d, 0x32));
    p.setPen(QPen(QColor(0x1b, 0x4d, 0x1e), 1));
    p.drawPath(arrow);
}

void drawStop(QPainter& p) {
    p.setBrush(QColor(0xc6, 0x28, 0x28));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8.5, 8.5), QPointF(15.5, 15.5));
    p.drawLine(QPointF(15.5, 8.5), QPointF(8.5, 15.5));
}

void drawRefresh(QPainter& p) {
    const QColor blue(0x15, 0x65, 0xc0);
    p.setPen(QPen(blue, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 5, 14, 14), 60 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(13, 2);
    head.lineTo(19, 5.5);
    head.lineTo(13, 9.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPath(head);
}

void drawHome(QPainter& p) {
    p.setPen(QPen(QColor(0x5d, 0x40, 0x37), 1.5));
    p.setBrush(QColor(0xff, 0xe0, 0xb2));
    QPainterPath house;
    house.moveTo(12, 3);
    house.lineTo(21, 11);
    house.lineTo(18, 11);
    house.lineTo(18, 20);
    house.lineTo(6, 20);
    house.lineTo(6, 11);
    house.lineTo(3, 11);
    house.closeSubpath();
    p.drawPath(house);
    p.setBrush(QColor(0x8d, 0x6e, 0x63));
    p.drawRect(QRectF(10, 14, 4, 6));
}

void drawSearch(QPainter& p) {
    p.setPen(QPen(QColor(0x37, 0x47, 0x4f), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0xe3, 0xf2, 0xfd));
    p.drawEllipse(QRectF(4, 4, 11, 11));
    p.drawLine(QPointF(14, 14), QPointF(20, 20));
}

} // namespace

QIcon browserIcon(const QString& key) {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2, 2); // drawn on a 24-point grid, kept sharp on high-density screens
    if (key == u"Back"_s)
        drawArrow(p, true);
    else if (key == u"Forward"_s)
        drawArrow(p, false);
    else if (key == u"Stop"_s)
        drawStop(p);
    else if (key == u"Refresh"_s)
        drawRefresh(p);
    else if (key == u"Home"_s)
        drawHome(p);
    else if (key == u"Search"_s)
        drawSearch(p);
    p.end();
    return QIcon(pixmap);
}

} // namespace tovin
