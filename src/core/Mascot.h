#pragma once
// The wizards' mascot: a friendly gavel-holding face, in the three frames of
// its blink (open, half-closed, closed eyes).

#include <QList>
#include <QPixmap>

class Mascot {
public:
    static QList<QPixmap> frames(int size = 96);
};
