#include "HtmlTag.h"

#include <algorithm>

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

enum class Read { Attribute, TagEnd, TextEnd };

Read readAttribute(QStringView html, qsizetype& at, HtmlTag::Attribute& a)
{
    const qsizetype n = html.size();
    while (at < n && (isBlank(html[at]) || html[at] == u'/')) ++at;
    if (at >= n) return Read::TextEnd;
    if (html[at] == u'>') {
        ++at;
        return Read::TagEnd;
    }
    a = HtmlTag::Attribute();
    a.start = at++;  // a name may start with "=" or a quote
    while (at < n && !isBlank(html[at]) && html[at] != u'/' && html[at] != u'>' && html[at] != u'=') ++at;
    a.nameEnd = a.end = at;
    qsizetype p = at;
    while (p < n && isBlank(html[p])) ++p;
    if (p >= n || html[p] != u'=') return Read::Attribute;
    ++p;
    while (p < n && isBlank(html[p])) ++p;
    if (p < n && (html[p] == u'"' || html[p] == u'\'')) {
        const qsizetype close = html.indexOf(html[p], p + 1);
        a.valueStart = p + 1;
        a.valueEnd = close < 0 ? n : close;
        a.end = close < 0 ? n : close + 1;
    } else {
        a.valueStart = p;
        while (p < n && !isBlank(html[p]) && html[p] != u'>') ++p;
        a.valueEnd = a.end = p;
    }
    at = a.end;
    return Read::Attribute;
}

// After "<" or "</": the end of the tag name.
qsizetype nameEnd(QStringView html, qsizetype at)
{
    while (at < html.size() && !isBlank(html[at]) && html[at] != u'/' && html[at] != u'>') ++at;
    return at;
}

// Elements whose content the browser reads as text up to their end tag.
bool holdsTextOnly(QStringView name)
{
    static const QLatin1String names[] = {QLatin1String("script"), QLatin1String("style"), QLatin1String("textarea"),
                                          QLatin1String("title"),  QLatin1String("xmp"),   QLatin1String("iframe"),
                                          QLatin1String("noembed"), QLatin1String("noframes")};
    return std::any_of(std::begin(names), std::end(names), [&](QLatin1String n) { return name.compare(n, Qt::CaseInsensitive) == 0; });
}

}  // namespace

bool HtmlTag::NextAttribute(QStringView html, qsizetype& at, Attribute& a) { return readAttribute(html, at, a) == Read::Attribute; }

qsizetype HtmlTag::End(QStringView html, qsizetype from)
{
    qsizetype at = from;
    if (at < html.size() && html[at] == u'<') {
        ++at;
        if (at < html.size() && html[at] == u'/') ++at;
        at = nameEnd(html, at);
    }
    Attribute a;
    for (;;) {
        switch (readAttribute(html, at, a)) {
        case Read::Attribute: break;
        case Read::TagEnd: return at - 1;
        case Read::TextEnd: return -1;
        }
    }
}

qsizetype HtmlTag::after(QStringView html) const
{
    const qsizetype n = html.size();
    if (end < 0) return n;
    if (closing || !holdsTextOnly(name)) return end + 1;
    for (qsizetype p = end + 1;; p += 2) {
        p = html.indexOf(QLatin1String("</"), p);
        if (p < 0) return n;
        const qsizetype e = p + 2 + name.size();
        if (html.sliced(p + 2).startsWith(name, Qt::CaseInsensitive) && (e >= n || isBlank(html[e]) || html[e] == u'/' || html[e] == u'>'))
            return p;
    }
}

HtmlTag HtmlTag::Next(QStringView html, qsizetype from)
{
    const qsizetype n = html.size();
    for (qsizetype p = html.indexOf(u'<', from); p >= 0; p = html.indexOf(u'<', p + 1)) {
        qsizetype q = p + 1;
        const bool closing = q < n && html[q] == u'/';
        if (closing) ++q;
        if (q >= n || !isAsciiLetter(html[q])) continue;  // text
        HtmlTag tag;
        tag.start = p;
        tag.closing = closing;
        const qsizetype e = nameEnd(html, q);
        tag.name = html.sliced(q, e - q);
        tag.end = End(html, e);
        return tag;
    }
    return {};
}

HtmlTag HtmlTag::Find(QStringView html, QLatin1String tagName, qsizetype from, bool closing)
{
    for (HtmlTag tag = Next(html, from); tag.found(); tag = Next(html, tag.after(html)))
        if (tag.closing == closing && tag.is(tagName)) return tag;
    return {};
}
