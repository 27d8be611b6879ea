#include "Vb.h"

#include <QGuiApplication>
#include <QPalette>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vb {

namespace {

constexpr qint64 msPerDay = 86400000;

const std::array<const char*, 12> monthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                "July",    "August",   "September", "October", "November", "December"};
const std::array<const char*, 7> dayNames = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                             "Friday", "Saturday", "Sunday"};

// A serial rounded to the whole second, as dates are shown. The time of a
// negative serial counts forward from its day too, so a time that rounds up to
// midnight is the start of the next day, for dates before day 0 as after.
double roundToSecond(double serial)
{
    const double days = std::trunc(serial);
    const double seconds = std::round(std::fabs(serial - days) * 86400.0);
    if (seconds >= 86400.0) return days + 1;
    return serial < 0 ? days - seconds / 86400.0 : days + seconds / 86400.0;
}

}  // namespace

QDate oleEpoch() { return QDate(1899, 12, 30); }

double toOleDate(const QDateTime& dt)
{
    const QDateTime local = dt.toLocalTime();
    const qint64 days = oleEpoch().daysTo(local.date());
    const double fraction = double(local.time().msecsSinceStartOfDay()) / msPerDay;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

double toOleDate(const QDate& d) { return double(oleEpoch().daysTo(d)); }

bool inDateRange(double serial) { return std::isfinite(serial) && serial > minDate - 1 && serial < maxDate + 1; }

QDateTime fromOleDate(double serial)
{
    if (!inDateRange(serial)) return QDateTime();
    qint64 days = qint64(std::trunc(serial));
    qint64 ms = std::llround(std::fabs(serial - double(days)) * msPerDay);
    if (ms >= msPerDay) {
        days += 1;  // the time of day counts forward, before day 0 too
        ms = 0;
    }
    return QDateTime(oleEpoch().addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

namespace {
QDateTime& fixedClock()
{
    static QDateTime fixed;
    return fixed;
}
}  // namespace

void setClock(const QDateTime& fixed) { fixedClock() = fixed; }
QDateTime currentDateTime() { return fixedClock().isValid() ? fixedClock() : QDateTime::currentDateTime(); }
double now() { return toOleDate(currentDateTime()); }
double today() { return toOleDate(currentDateTime().date()); }

double Int(double x) { return std::floor(x); }
double Fix(double x) { return std::trunc(x); }

double roundHalfEven(double x, int digits)
{
    // nearbyint rounds halves to even under the default rounding mode.
    if (digits <= 0) return std::nearbyint(x);
    const double scale = std::pow(10.0, digits);
    const double scaled = x * scale;
    if (!std::isfinite(scaled)) return x;
    return std::nearbyint(scaled) / scale;
}

QString dayKey(double serial)
{
    // Another program may have stored any number: only a date has a day.
    if (!inDateRange(serial)) return QString();
    const qint64 day = qint64(roundHalfEven(serial));
    return QStringLiteral("%1").arg(std::llabs(day), 10, 10, QLatin1Char('0')).right(10);
}

QString RTrim(QString text)
{
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ') --n;
    text.truncate(n);
    return text;
}

double Val(const QString& text, bool* found)
{
    if (found) *found = false;
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n') s.append(c);

    // A number too large to hold is no number.
    auto result = [found](double value, bool any) {
        const bool number = any && std::isfinite(value);
        if (found) *found = number;
        return number ? value : 0.0;
    };

    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        int base = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
        if (base == 0) return 0;
        double value = 0;
        bool anyDigit = false;
        for (int i = 2; i < s.size(); ++i) {
            const int digit = QString(s[i]).toInt(nullptr, base);
            const bool isDigit = base == 16 ? s[i].isDigit() || QStringLiteral("abcdefABCDEF").contains(s[i])
                                            : s[i] >= u'0' && s[i] <= u'7';
            if (!isDigit) break;
            value = value * base + digit;
            anyDigit = true;
        }
        return result(value, anyDigit);
    }

    QByteArray number;
    int i = 0;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) number.append(char(s[i++].unicode()));
    bool anyDigit = false;
    while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
        number.append(char(s[i++].unicode()));
        anyDigit = true;
    }
    if (i < s.size() && s[i] == u'.') {
        number.append('.');
        ++i;
        while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
            number.append(char(s[i++].unicode()));
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0;
    if (i < s.size() && QStringLiteral("eEdD").contains(s[i])) {
        int j = i + 1;
        QByteArray exponent = "e";
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) exponent.append(char(s[j++].unicode()));
        bool expDigit = false;
        while (j < s.size() && s[j].isDigit() && s[j].unicode() < 128) {
            exponent.append(char(s[j++].unicode()));
            expDigit = true;
        }
        if (expDigit) number.append(exponent);
    }
    return result(std::strtod(number.constData(), nullptr), true);
}

// ---- numbers ---------------------------------------------------------------

namespace {

// |value| rounded half away from zero to `decimals` places, worked in decimal
// on the number's 15 significant digits (so 2.675 -> 2.68, as the user expects).
// Returns the integer digits and the fraction digits.
std::pair<QString, QString> decimalDigits(double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    const QString text = QString::fromLatin1(buf);
    const int e = text.indexOf(u'e');
    QString mantissa = text.left(e);
    mantissa.remove(u'.');
    const int exponent = text.mid(e + 1).toInt();

    // digits = mantissa * 10^(exponent - 14); point after (exponent + 1) digits.
    QString all = mantissa;
    int pointPos = exponent + 1;
    if (pointPos <= 0) {
        all.prepend(QString(-pointPos + 1, u'0'));
        pointPos = 1;
    }
    while (all.size() < pointPos + decimals + 1) all.append(u'0');

    // Round at `decimals` fraction digits.
    QString kept = all.left(pointPos + decimals);
    const bool roundUp = all[pointPos + decimals] >= u'5';
    if (roundUp) {
        int k = kept.size() - 1;
        while (k >= 0) {
            if (kept[k] == u'9') {
                kept[k] = u'0';
                --k;
            } else {
                kept[k] = QChar(kept[k].unicode() + 1);
                break;
            }
        }
        if (k < 0) {
            kept.prepend(u'1');
            ++pointPos;
        }
    }
    QString integer = kept.left(pointPos);
    while (integer.size() > 1 && integer[0] == u'0') integer.remove(0, 1);
    return {integer, kept.mid(pointPos)};
}

bool isPlaceholder(QChar c) { return c == u'0' || c == u'#' || c == u'.' || c == u','; }

}  // namespace

QString formatNumber(double value, const QString& pattern)
{
    if (!std::isfinite(value)) return QString::number(value);
    const QString section = pattern.section(u';', 0, 0);

    int first = -1, last = -1;
    for (int i = 0; i < section.size(); ++i) {
        if (section[i] == u'0' || section[i] == u'#') {
            if (first < 0) first = i;
            last = i;
        }
    }
    if (first < 0) return section;  // no digits: the pattern is all literal
    // A leading "." or "," belongs to the number pattern too.
    while (first > 0 && isPlaceholder(section[first - 1])) --first;
    while (last + 1 < section.size() && isPlaceholder(section[last + 1])) ++last;

    const QString prefix = section.left(first);
    const QString suffix = section.mid(last + 1);
    const QString digits = section.mid(first, last - first + 1);
    const int point = digits.indexOf(u'.');
    const QString intPart = point < 0 ? digits : digits.left(point);
    const QString fracPart = point < 0 ? QString() : digits.mid(point + 1);

    const int decimals = int(fracPart.count(u'0') + fracPart.count(u'#'));
    const int minDecimals = int(fracPart.count(u'0'));
    const int minInteger = int(intPart.count(u'0'));
    const bool thousands = intPart.contains(u',');

    auto [integer, fraction] = decimalDigits(value, decimals);
    while (fraction.size() > minDecimals && fraction.endsWith(u'0')) fraction.chop(1);
    if (integer == u"0" && minInteger == 0) integer.clear();
    while (integer.size() < minInteger) integer.prepend(u'0');
    if (thousands)
        for (int k = integer.size() - 3; k > 0; k -= 3) integer.insert(k, u',');

    QString number = integer;
    if (!fraction.isEmpty() || (point >= 0 && minDecimals > 0)) number += u'.' + fraction;
    if (point >= 0 && fraction.isEmpty() && minDecimals == 0 && !fracPart.isEmpty()) number += u'.';

    auto nonZero = [](QChar c) { return c >= u'1' && c <= u'9'; };
    const bool isZero = std::none_of(integer.cbegin(), integer.cend(), nonZero) &&
                        std::none_of(fraction.cbegin(), fraction.cend(), nonZero);
    const QString sign = value < 0 && !isZero ? QStringLiteral("-") : QString();
    return sign + prefix + number + suffix;
}

// ---- dates -----------------------------------------------------------------

namespace {

struct DateToken {
    enum Kind { Literal, Day, Month, Year, Hour, Minute, Second, AmPm } kind;
    int width = 0;      // number of letters (d, dd, ddd, dddd ...)
    QString text;       // literal text, or the AM/PM style
};

QList<DateToken> tokenize(const QString& pattern)
{
    QList<DateToken> tokens;
    auto run = [&](int i, QChar c) {
        int n = 0;
        while (i + n < pattern.size() && pattern[i + n].toLower() == c) ++n;
        return n;
    };
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern[i].toLower();
        const QString rest = pattern.mid(i);
        if (rest.startsWith(QLatin1String("ampm"), Qt::CaseInsensitive)) {
            tokens.append({DateToken::AmPm, 0, QStringLiteral("AMPM")});
            i += 4;
        } else if (rest.startsWith(QLatin1String("am/pm"), Qt::CaseInsensitive)) {
            tokens.append({DateToken::AmPm, 0, rest.left(5)});
            i += 5;
        } else if (rest.startsWith(QLatin1String("a/p"), Qt::CaseInsensitive)) {
            tokens.append({DateToken::AmPm, 0, rest.left(3)});
            i += 3;
        } else if (c == u'd' || c == u'm' || c == u'y' || c == u'h' || c == u'n' || c == u's') {
            const int n = run(i, c);
            DateToken::Kind kind = c == u'd'   ? DateToken::Day
                                   : c == u'm' ? DateToken::Month
                                   : c == u'y' ? DateToken::Year
                                   : c == u'h' ? DateToken::Hour
                                   : c == u'n' ? DateToken::Minute
                                               : DateToken::Second;
            tokens.append({kind, n, QString()});
            i += n;
        } else if (pattern[i] == u'\\' && i + 1 < pattern.size()) {
            tokens.append({DateToken::Literal, 0, pattern.mid(i + 1, 1)});
            i += 2;
        } else if (pattern[i] == u'"') {
            const int end = pattern.indexOf(u'"', i + 1);
            const int stop = end < 0 ? pattern.size() : end;
            tokens.append({DateToken::Literal, 0, pattern.mid(i + 1, stop - i - 1)});
            i = stop + 1;
        } else {
            tokens.append({DateToken::Literal, 0, pattern.mid(i, 1)});
            ++i;
        }
    }
    // "m" or "mm" right after an hour or right before seconds means minutes.
    for (int k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind != DateToken::Month || tokens[k].width > 2) continue;
        int prev = k - 1;
        while (prev >= 0 && tokens[prev].kind == DateToken::Literal) --prev;
        int next = k + 1;
        while (next < tokens.size() && tokens[next].kind == DateToken::Literal) ++next;
        if ((prev >= 0 && tokens[prev].kind == DateToken::Hour) ||
            (next < tokens.size() && tokens[next].kind == DateToken::Second))
            tokens[k].kind = DateToken::Minute;
    }
    return tokens;
}

QString twoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

}  // namespace

QString formatDate(const QDateTime& dt, const QString& pattern)
{
    return formatDate(toOleDate(dt), pattern);
}

QString formatDate(double serial, const QString& pattern)
{
    const QDateTime dt = fromOleDate(roundToSecond(serial));
    if (!dt.isValid() || !inDateRange(toOleDate(dt.date()))) return QString();  // no such date: no text
    const QDate d = dt.date();
    const QTime t = dt.time();
    const QList<DateToken> tokens = tokenize(pattern);
    bool twelveHour = false;
    for (const DateToken& tk : tokens) twelveHour = twelveHour || tk.kind == DateToken::AmPm;

    QString out;
    for (const DateToken& tk : tokens) {
        switch (tk.kind) {
        case DateToken::Literal: out += tk.text; break;
        case DateToken::Day:
            if (tk.width == 1) out += QString::number(d.day());
            else if (tk.width == 2) out += twoDigits(d.day());
            else if (tk.width == 3) out += QString::fromLatin1(dayNames[d.dayOfWeek() - 1]).left(3);
            else out += QString::fromLatin1(dayNames[d.dayOfWeek() - 1]);
            break;
        case DateToken::Month:
            if (tk.width == 1) out += QString::number(d.month());
            else if (tk.width == 2) out += twoDigits(d.month());
            else if (tk.width == 3) out += QString::fromLatin1(monthNames[d.month() - 1]).left(3);
            else out += QString::fromLatin1(monthNames[d.month() - 1]);
            break;
        case DateToken::Year:
            if (tk.width <= 2) out += twoDigits(d.year() % 100);
            else out += QString::number(d.year());
            break;
        case DateToken::Hour: {
            int h = t.hour();
            if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
            out += tk.width >= 2 ? twoDigits(h) : QString::number(h);
            break;
        }
        case DateToken::Minute: out += tk.width >= 2 ? twoDigits(t.minute()) : QString::number(t.minute()); break;
        case DateToken::Second: out += tk.width >= 2 ? twoDigits(t.second()) : QString::number(t.second()); break;
        case DateToken::AmPm: {
            const bool pm = t.hour() >= 12;
            if (tk.text.compare(QLatin1String("AMPM"), Qt::CaseInsensitive) == 0) {
                out += pm ? QStringLiteral("PM") : QStringLiteral("AM");
            } else {
                // "am/pm" or "a/p": the case of the pattern's own letters is kept.
                const QStringList parts = tk.text.split(u'/');
                out += pm ? parts.value(1) : parts.value(0);
            }
            break;
        }
        }
    }
    return out;
}

QString dateText(double serial)
{
    const double rounded = roundToSecond(serial);
    const bool hasDate = Fix(rounded) != 0;
    const bool hasTime = rounded != Fix(rounded);
    if (!hasDate) return formatDate(rounded, QStringLiteral("h:mm:ss AMPM"));
    if (!hasTime) return formatDate(rounded, QStringLiteral("d/mm/yyyy"));
    return formatDate(rounded, QStringLiteral("d/mm/yyyy h:mm:ss AMPM"));
}

bool parseDateText(const QString& text, double* serial)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{1,2})/(\d{1,2})/(\d{2,4}))?\s*(?:(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch() || text.trimmed().isEmpty()) return false;

    double result = 0;
    if (m.capturedLength(1) > 0) {
        int year = m.captured(3).toInt();
        if (m.capturedLength(3) == 2) year += year < 30 ? 2000 : 1900;
        const QDate d(year, m.captured(2).toInt(), m.captured(1).toInt());
        if (!d.isValid() || !inDateRange(toOleDate(d))) return false;
        result = toOleDate(d);
    }
    if (m.capturedLength(4) > 0) {
        int hour = m.captured(4).toInt();
        const int minute = m.captured(5).toInt();
        const int second = m.captured(6).toInt();
        const QString marker = m.captured(7).toUpper();
        if (!marker.isEmpty()) {
            if (hour < 1 || hour > 12) return false;
            hour = hour % 12 + (marker == u"PM" ? 12 : 0);
        }
        if (hour > 23 || minute > 59 || second > 59) return false;
        const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
        result = result < 0 ? result - fraction : result + fraction;
    }
    *serial = result;
    return true;
}

int twipsToPixels(double twips) { return int(std::lround(twips / twipsPerPixel)); }
double pixelsToTwips(int pixels) { return double(pixels) * twipsPerPixel; }

QColor colorOfNumber(double vbColor)
{
    constexpr qint64 windowBackground = 0x80000005;
    const double number = roundHalfEven(vbColor);
    if (!std::isfinite(number) || number < -2147483648.0 || number > 4294967295.0) return color(windowBackground);
    return color(qint64(number));
}

QColor color(qint64 vbColor)
{
    const quint32 value = quint32(vbColor);
    if ((value & 0x80000000u) == 0)
        return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));

    const QPalette palette = QGuiApplication::palette();
    switch (value & 0xFF) {
    case 0x00: return palette.color(QPalette::Button);            // scroll bars
    case 0x01: return QColor(0x3A, 0x6E, 0xA5);                   // desktop
    case 0x02: return palette.color(QPalette::Highlight);         // active title bar
    case 0x03: return palette.color(QPalette::Mid);               // inactive title bar
    case 0x04: return palette.color(QPalette::Window);            // menu bar
    case 0x05: return palette.color(QPalette::Base);              // window background
    case 0x06: return palette.color(QPalette::Shadow);            // window frame
    case 0x07: return palette.color(QPalette::WindowText);        // menu text
    case 0x08: return palette.color(QPalette::Text);              // window text
    case 0x09: return palette.color(QPalette::HighlightedText);   // title bar text
    case 0x0A: return palette.color(QPalette::Button);            // active border
    case 0x0B: return palette.color(QPalette::Button);            // inactive border
    case 0x0C: return palette.color(QPalette::Dark);              // application workspace
    case 0x0D: return palette.color(QPalette::Highlight);         // highlight
    case 0x0E: return palette.color(QPalette::HighlightedText);   // highlight text
    case 0x0F: return palette.color(QPalette::Button);            // button face
    case 0x10: return palette.color(QPalette::Dark);              // button shadow
    case 0x11: return palette.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 0x12: return palette.color(QPalette::ButtonText);        // button text
    case 0x13: return palette.color(QPalette::Disabled, QPalette::WindowText);  // inactive caption text
    case 0x14: return palette.color(QPalette::Light);             // 3D highlight
    case 0x15: return palette.color(QPalette::Shadow);            // 3D dark shadow
    case 0x16: return palette.color(QPalette::Midlight);          // 3D light
    case 0x17: return palette.color(QPalette::ToolTipText);       // info text
    case 0x18: return palette.color(QPalette::ToolTipBase);       // info background
    default: return palette.color(QPalette::WindowText);
    }
}

}  // namespace vb
