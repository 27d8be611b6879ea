#include "AmountText.h"

#include "Vb.h"

#include <cmath>

QString AmountText::format(double value) { return vb::formatNumber(value, QStringLiteral("#,##0.00")); }

double AmountText::parse(const QString& text, bool* ok)
{
    if (ok) *ok = false;
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(u'-')) {
        negative = true;
        t = t.mid(1).trimmed();
    }
    if (t.startsWith(u'$')) t = t.mid(1).trimmed();
    if (!negative && t.startsWith(u'-')) {  // "$-5"
        negative = true;
        t = t.mid(1).trimmed();
    }
    // Group commas only between digits, and never after the point.
    const qsizetype point = t.indexOf(u'.');
    QString digits;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == u',') {
            const bool between = i > 0 && i + 1 < t.size() && t[i - 1].isDigit() && t[i + 1].isDigit();
            if (!between || (point >= 0 && i > point)) return 0;
            continue;
        }
        if (!c.isDigit() && c != u'.') return 0;
        digits += c;
    }
    if (digits.isEmpty() || digits == QLatin1String(".")) return 0;
    bool good = false;
    const double value = digits.toDouble(&good);
    if (!good || !std::isfinite(value)) return 0;
    if (ok) *ok = true;
    return negative ? -value : value;
}
