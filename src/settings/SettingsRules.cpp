#include "SettingsRules.h"

#include "platform/Vb.h"

#include <cmath>
#include <limits>

namespace SettingsRules {

double Number(const QString& text)
{
    const double n = vb::Val(text);
    return std::isfinite(n) ? n : 0;
}

qint64 Whole(const QString& text, qint64 min, qint64 max)
{
    const double n = vb::roundHalfEven(Number(text));
    if (n < double(min)) return min;
    if (n > double(max)) return max;
    return qint64(n);
}

bool WrapAllowed(double width) { return width == 0 || (width >= MinWrap && width <= MaxWrap); }

QString SaleNumberText(const QString& text)
{
    const double n = Number(text);
    if (n < 1) return QStringLiteral("1");
    if (n > std::numeric_limits<qint32>::max()) return QString::number(std::numeric_limits<qint32>::max());
    return text;
}

QString DaysText(const QString& text) { return QString::number(Whole(text, 0, 99)); }

QString CleanFeedback(const QString& text)
{
    QString s = text;
    for (;;) {
        // Blanks only: a line break at either end is not a blank.
        qsizetype from = 0;
        while (from < s.size() && s[from] == u' ') ++from;
        qsizetype to = s.size();
        while (to > from && s[to - 1] == u' ') --to;
        s = s.mid(from, to - from);
        if (!s.endsWith(QLatin1String("\r\n"))) return s;
        s.chop(2);
    }
}

qint64 ColorNumber(const QColor& color) { return qint64(color.red()) | (qint64(color.green()) << 8) | (qint64(color.blue()) << 16); }

QString VersionText(double version)
{
    const qint64 scaled = qint64(std::llround(version * 10000));
    return QStringLiteral("%1.%2.%3").arg(scaled / 10000).arg((scaled / 1000) % 10).arg(scaled % 1000, 3, 10, QLatin1Char('0'));
}

}  // namespace SettingsRules
