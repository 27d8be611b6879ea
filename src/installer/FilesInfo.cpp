#include "FilesInfo.h"

#include <QStringDecoder>

bool FilesInfo::Parse(const QByteArray& text, QStringList* items)
{
    items->clear();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = utf8.decode(text);
    if (utf8.hasError()) return false;
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    const auto endsItem = [](QChar c) { return c == u',' || c == u'\n' || c == u'\r'; };
    QStringList out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (n > 0 && s[0] == QChar(0xFEFF)) i = 1;  // a byte-order mark is no part of the first name
    while (i < n) {
        while (i < n && isBlank(s[i])) ++i;
        QString item;
        if (i < n && s[i] == u'"') {
            const qsizetype close = s.indexOf(u'"', i + 1);
            if (close < 0) return false;
            item = s.mid(i + 1, close - i - 1);
            i = close + 1;
            while (i < n && !endsItem(s[i])) ++i;
        } else {
            const qsizetype start = i;
            while (i < n && !endsItem(s[i])) ++i;
            item = s.mid(start, i - start);
            while (!item.isEmpty() && isBlank(item.back())) item.chop(1);
        }
        if (i < n) {
            // CR LF is one line end.
            if (s[i] == u'\r' && i + 1 < n && s[i + 1] == u'\n') ++i;
            ++i;
        }
        if (!item.isEmpty()) out << item;
    }
    *items = out;
    return true;
}
