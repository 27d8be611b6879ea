#pragma once
// Tags of site markup read the way a browser reads them. A tag ends at the
// first ">" outside a quoted attribute value: the browser writes a page's
// markup back with ">" and "<" left as they are inside values, so a title
// box holding "USB-C > HDMI adapter" does not end its input at the ">".
// The one reader of tags for the script filter and the form cutters.

#include <QLatin1String>
#include <QStringView>

class HtmlTag {
public:
    // One attribute as the browser splits it: name [blanks = blanks value].
    struct Attribute {
        qsizetype start = 0, nameEnd = 0;
        qsizetype valueStart = -1, valueEnd = -1;  // -1: no value
        qsizetype end = 0;                         // after the value (and its closing quote)
    };

    // Reads the next attribute from `at` (inside a tag, outside any value);
    // false when the tag has ended, with `at` after its ">" (or at the end of
    // the text when nothing ends it).
    static bool NextAttribute(QStringView html, qsizetype& at, Attribute& a);
    // The ">" that ends the tag whose "<" is at `from` (or a place between
    // its attributes); -1 when the text ends first.
    static qsizetype End(QStringView html, qsizetype from);

    // A tag in markup: its "<", its ">" (-1 when the text ends first), its
    // name, and whether it is an end tag ("</select>").
    qsizetype start = -1;
    qsizetype end = -1;
    bool closing = false;
    QStringView name;

    bool found() const { return start >= 0; }
    bool is(QLatin1String tagName) const { return name.compare(tagName, Qt::CaseInsensitive) == 0; }
    // Where markup goes on after this tag: after its ">", but for a start tag
    // whose element holds text and no tags (script, style, textarea, title)
    // at that element's end tag. The end of the text for a tag without end.
    qsizetype after(QStringView html) const;

    // The next tag ("<" or "</" and a letter) at or after `from`, a place
    // outside any tag. Markup inside other tags' values is no tag; not found
    // (start -1) when there is none.
    static HtmlTag Next(QStringView html, qsizetype from);
    // The next start tag (or, with closing, end tag) named tagName, passing
    // over other tags and the text of elements that hold no tags.
    static HtmlTag Find(QStringView html, QLatin1String tagName, qsizetype from, bool closing = false);
};
