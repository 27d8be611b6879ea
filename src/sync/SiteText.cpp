#include "SiteText.h"

#include "platform/AmountText.h"

#include <QLocale>

QString SiteText::GetDollarAmount(const QString& Text)
{
    const qsizetype dollar = Text.indexOf(u'$');
    if (dollar < 0) return QStringLiteral("0");
    qsizetype end = dollar + 1;
    while (end < Text.size() && !Text.at(end).isSpace()) ++end;
    const QString word = Text.mid(dollar + 1, end - dollar - 1);
    // The amount begins right after the sign (no sign of its own) and may be
    // grouped ("1,200.00"); a word after it that is no amount gives "0".
    if (word.isEmpty() || !(word.front().isDigit() || word.front() == u'.')) return QStringLiteral("0");
    bool ok = false;
    const double value = AmountText::parse(word, &ok, AmountText::Reading::Leading);
    if (!ok) return QStringLiteral("0");
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}
