#include "AmountText.h"

#include "Vb.h"

#include <cmath>

namespace {
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
}  // namespace

QString AmountText::format(double value) { return vb::formatNumber(value, QStringLiteral("#,##0.00")); }

double AmountText::parse(const QString& text, bool* ok, Reading reading)
{
    if (ok) *ok = false;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace()) ++i;
    };
    skipBlanks();
    bool negative = false, dollar = false;
    for (;;) {  // "-$3" and "$-3" alike
        if (i < n && text[i] == u'-' && !negative) negative = true;
        else if (i < n && text[i] == u'$' && !dollar) dollar = true;
        else break;
        ++i;
        skipBlanks();
    }

    QString number;
    while (i < n && isDigit(text[i])) number += text[i++];
    // Group commas only in threes after at most three digits: "12,34" is no grouping.
    if (!number.isEmpty() && number.size() <= 3) {
        while (i + 3 < n && text[i] == u',' && isDigit(text[i + 1]) && isDigit(text[i + 2]) && isDigit(text[i + 3]) &&
               !(i + 4 < n && isDigit(text[i + 4]))) {
            number += text.mid(i + 1, 3);
            i += 4;
        }
    }
    bool hasDigits = !number.isEmpty();
    if (i < n && text[i] == u'.') {
        number += u'.';
        ++i;
        while (i < n && isDigit(text[i])) {
            number += text[i++];
            hasDigits = true;
        }
    }
    if (!hasDigits) return 0;

    const QStringView rest = QStringView(text).mid(i);
    if (reading == Reading::Whole) {
        if (!rest.trimmed().isEmpty()) return 0;
    } else {
        for (QChar c : rest)
            if (c.isDigit()) return 0;  // the number goes on in a way no amount is written
    }
    bool good = false;
    const double value = number.toDouble(&good);
    if (!good || !std::isfinite(value)) return 0;
    if (ok) *ok = true;
    return negative ? -value : value;
}

QString AmountText::NotAnAmount(const QString& what, const QString& text)
{
    return QStringLiteral("The %1 \"%2\" is not an amount.  Type a number such as 1,250.00.").arg(what, text);
}
