#include "MailAddress.h"

QString MailAddress::bare(const QString& Address)
{
    QString text = Address;
    if (text.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) text = text.mid(7);
    const qsizetype open = Address.indexOf(u'<');
    const qsizetype close = Address.indexOf(u'>');
    if (Address.contains(u'@') && open >= 0 && close >= 0) {
        // A ">" before the "<" encloses nothing: the text is no name-and-address form.
        if (close < open) return Address;
        text = Address.mid(open + 1, close - open - 1);
    }
    return text;
}
