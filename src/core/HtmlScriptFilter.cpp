#include "HtmlScriptFilter.h"

#include "platform/HtmlTag.h"

#include <algorithm>

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// After a script start tag: the end of the element's end tag, or of the text.
qsizetype scriptEnd(const QString& html, qsizetype from)
{
    const qsizetype n = html.size();
    for (qsizetype p = from;;) {
        const qsizetype e = html.indexOf(QLatin1String("</script"), p, Qt::CaseInsensitive);
        if (e < 0 || e + 8 >= n) return n;
        const QChar c = html[e + 8];
        if (isBlank(c) || c == u'/' || c == u'>') {
            const qsizetype gt = HtmlTag::End(html, e);
            return gt < 0 ? n : gt + 1;
        }
        p = e + 8;
    }
}

int digit(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// Whether a value is a script address as the browser reads it: character
// references decoded, tabs and line breaks dropped, leading blanks and
// control characters ignored.
bool isScriptAddress(QStringView value)
{
    static const std::pair<QLatin1String, QChar> named[] = {
        {QLatin1String("tab;"), u'\t'}, {QLatin1String("newline;"), u'\n'}, {QLatin1String("colon;"), u':'}};
    QString v;
    v.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\t' || c == u'\n' || c == u'\r') continue;
        if (c != u'&') {
            v += c;
            continue;
        }
        qsizetype j = i + 1;
        if (j < value.size() && value[j] == u'#') {
            const int base = j + 1 < value.size() && (value[j + 1] == u'x' || value[j + 1] == u'X') ? 16 : 10;
            j += base == 16 ? 2 : 1;
            char32_t code = 0;
            const qsizetype digits = j;
            for (int d; j < value.size() && (d = digit(value[j], base)) >= 0; ++j) code = std::min<char32_t>(code * base + d, 0x110000);
            if (j > digits) {
                if (j < value.size() && value[j] == u';') ++j;
                if (code != u'\t' && code != u'\n' && code != u'\r')
                    v += code > 0 && code < 0x110000 ? QString::fromUcs4(&code, 1) : QString(QChar(0xFFFD));
                i = j - 1;
                continue;
            }
        } else {
            const QStringView rest = value.sliced(j);
            const auto known = std::find_if(std::begin(named), std::end(named),
                                            [&](const auto& e) { return rest.startsWith(e.first, Qt::CaseInsensitive); });
            if (known != std::end(named)) {
                if (known->second != u'\t' && known->second != u'\n') v += known->second;
                i = j + known->first.size() - 1;
                continue;
            }
        }
        v += c;
    }
    qsizetype start = 0;
    while (start < v.size() && v[start].unicode() <= 0x20) ++start;
    const QStringView address = QStringView(v).sliced(start);
    return address.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("vbscript:"), Qt::CaseInsensitive);
}

// Attributes the browser follows as addresses.
bool isAddressAttribute(QStringView name)
{
    static const QLatin1String names[] = {
        QLatin1String("action"), QLatin1String("background"), QLatin1String("cite"),     QLatin1String("codebase"),
        QLatin1String("data"),   QLatin1String("dynsrc"),     QLatin1String("formaction"), QLatin1String("href"),
        QLatin1String("longdesc"), QLatin1String("lowsrc"),   QLatin1String("poster"),   QLatin1String("src"),
        QLatin1String("usemap"), QLatin1String("xlink:href")};
    return std::any_of(std::begin(names), std::end(names), [&](QLatin1String n) { return name.compare(n, Qt::CaseInsensitive) == 0; });
}

bool runsScript(QStringView name, QStringView value, bool hasValue)
{
    if (name.size() > 2 && name.startsWith(QLatin1String("on"), Qt::CaseInsensitive)) return true;  // event handlers
    if (name.compare(QLatin1String("srcdoc"), Qt::CaseInsensitive) == 0) return true;             // a document of its own
    return hasValue && isAddressAttribute(name) && isScriptAddress(value);
}

}  // namespace

QString HtmlScriptFilter::Filter(const QString& html)
{
    const qsizetype n = html.size();
    QString out;
    out.reserve(n);
    qsizetype copied = 0;  // html before this is in out (or dropped)
    qsizetype at = 0;
    while (at < n) {
        const qsizetype lt = html.indexOf(u'<', at);
        if (lt < 0) break;
        qsizetype p = lt + 1;
        const bool endTag = p < n && html[p] == u'/';
        if (endTag) ++p;
        if (p >= n || !isAsciiLetter(html[p])) {
            at = lt + 1;  // not a tag: text
            continue;
        }
        const qsizetype nameStart = p;
        while (p < n && !isBlank(html[p]) && html[p] != u'/' && html[p] != u'>') ++p;
        const QStringView tagName = QStringView(html).sliced(nameStart, p - nameStart);
        const bool script = !endTag && tagName.compare(QLatin1String("script"), Qt::CaseInsensitive) == 0;

        HtmlTag::Attribute a;
        while (HtmlTag::NextAttribute(html, p, a)) {
            if (script) continue;
            const QStringView name = QStringView(html).sliced(a.start, a.nameEnd - a.start);
            const QStringView value =
                a.valueStart < 0 ? QStringView() : QStringView(html).sliced(a.valueStart, a.valueEnd - a.valueStart);
            if (runsScript(name, value, a.valueStart >= 0)) {
                out += QStringView(html).sliced(copied, a.start - copied);
                copied = a.end;
                // An "=" that followed the removed attribute began an attribute of
                // its own; with nothing between, it would give the attribute
                // before a value ("href onclick=x =javascript:..."). An empty
                // attribute in the removed one's place keeps the tag as it read.
                qsizetype next = a.end;
                while (next < n && isBlank(html[next])) ++next;
                if (next < n && html[next] == u'=') out += QLatin1String("removed=\"\"");
            } else if (value.contains(u'<') || value.contains(u'>')) {
                // Would end a comment or a textarea early where the browser reads this as text.
                out += QStringView(html).sliced(copied, a.valueStart - copied);
                for (QChar c : value) {
                    if (c == u'<') out += QLatin1String("&lt;");
                    else if (c == u'>') out += QLatin1String("&gt;");
                    else out += c;
                }
                copied = a.valueEnd;
            }
        }
        if (script) {
            out += QStringView(html).sliced(copied, lt - copied);
            out += u' ';  // what stood before and after must not join into new markup
            p = scriptEnd(html, p);
            copied = p;
        }
        at = p;
    }
    out += QStringView(html).sliced(copied);
    return out;
}
