#include "Mascot.h"

#include <QPainter>
#include <QPainterPath>

QList<QPixmap> Mascot::frames(int size)
{
    QList<QPixmap> out;
    for (int frame = 0; frame < 3; ++frame) {
        QPixmap p(size, size);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        const double s = size / 96.0;
        // Face.
        g.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 2 * s));
        g.setBrush(QColor(0xff, 0xcc, 0x33));
        g.drawEllipse(QRectF(8 * s, 8 * s, 80 * s, 80 * s));
        // Eyes: open, half-closed, closed.
        g.setBrush(QColor(0x33, 0x22, 0x00));
        g.setPen(Qt::NoPen);
        for (double x : {34.0, 62.0}) {
            if (frame == 0) {
                g.drawEllipse(QPointF(x * s, 38 * s), 6 * s, 8 * s);
            } else if (frame == 1) {
                g.drawEllipse(QPointF(x * s, 40 * s), 6 * s, 3 * s);
            } else {
                g.setPen(QPen(QColor(0x33, 0x22, 0x00), 2.5 * s, Qt::SolidLine, Qt::RoundCap));
                g.drawLine(QPointF((x - 6) * s, 40 * s), QPointF((x + 6) * s, 40 * s));
                g.setPen(Qt::NoPen);
            }
        }
        // Smile.
        g.setPen(QPen(QColor(0x33, 0x22, 0x00), 3 * s, Qt::SolidLine, Qt::RoundCap));
        g.setBrush(Qt::NoBrush);
        g.drawArc(QRectF(28 * s, 44 * s, 40 * s, 26 * s), 200 * 16, 140 * 16);
        // The auctioneer's gavel.
        g.translate(74 * s, 74 * s);
        g.rotate(-35);
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(0x7a, 0x4a, 0x1e));
        g.drawRoundedRect(QRectF(-3 * s, -2 * s, 6 * s, 22 * s), 2 * s, 2 * s);
        g.setBrush(QColor(0x5c, 0x36, 0x12));
        g.drawRoundedRect(QRectF(-10 * s, -10 * s, 20 * s, 10 * s), 3 * s, 3 * s);
        out << p;
    }
    return out;
}
