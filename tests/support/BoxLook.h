#pragma once
// How a box looks to the seller: the colour it is drawn on, and the desktop
// palettes windows are looked at on.

#include <QColor>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QWidget>

namespace BoxLook {

// The colour most of the box is drawn in: its background (the text and the
// frame are a small part of it).
inline QColor background(QWidget* box)
{
    const QImage image = box->grab().toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
    QRgb most = 0;
    int seen = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > seen) {
            most = it.key();
            seen = it.value();
        }
    return QColor::fromRgb(most);
}

// A dark desktop palette, as dark themes set it.
inline QPalette dark()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    p.setColor(QPalette::AlternateBase, QColor(0x42, 0x42, 0x42));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

}  // namespace BoxLook
