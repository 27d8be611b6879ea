#include "SiteText.h"

#include <QLocale>

QString SiteText::GetDollarAmount(const QString& Text)
{
    const qsizetype dollar = Text.indexOf(u'$');
    if (dollar < 0) return QStringLiteral("0");
    QString number;
    bool point = false;
    for (qsizetype i = dollar + 1; i < Text.size(); ++i) {
        const QChar c = Text.at(i);
        if (c >= u'0' && c <= u'9') {
            number += c;
        } else if (c == u'.' && !point) {
            point = true;
            number += c;
        } else {
            break;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);  // "." alone, or nothing at all, is no number
    if (!ok) return QStringLiteral("0");
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}
