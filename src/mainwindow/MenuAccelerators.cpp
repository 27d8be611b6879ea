#include "MenuAccelerators.h"

#include <QAction>
#include <QMenu>

namespace {

QChar folded(QChar c) { return c.toCaseFolded(); }

// The shown characters of an entry's text: where each stands in the text,
// and the marker's place (-1 for none).
struct Parsed {
    struct Char {
        qsizetype at;
        QChar c;
        bool wordStart;
    };
    QList<Char> chars;
    qsizetype marker = -1;
};

Parsed parse(const QString& text)
{
    Parsed p;
    QChar previous;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            if (text[i + 1] == u'&') {
                p.chars.append({i + 1, u'&', false});
                previous = u'&';
                ++i;
                continue;
            }
            if (p.marker < 0) p.marker = i;
            continue;  // the marker itself is not shown
        }
        p.chars.append({i, text[i], !previous.isLetterOrNumber()});
        previous = text[i];
    }
    return p;
}

}  // namespace

QChar MenuAccelerators::accelerator(const QString& text)
{
    const Parsed p = parse(text);
    return p.marker < 0 ? QChar() : text[p.marker + 1];
}

QString MenuAccelerators::withAccelerator(const QString& text, QSet<QChar>& used)
{
    const Parsed p = parse(text);
    if (p.marker >= 0 && !used.contains(folded(text[p.marker + 1]))) {
        used.insert(folded(text[p.marker + 1]));
        return text;
    }
    for (bool wordStartsOnly : {true, false}) {
        for (const Parsed::Char& c : p.chars) {
            if (!c.c.isLetterOrNumber() || (wordStartsOnly && !c.wordStart) || used.contains(folded(c.c))) continue;
            used.insert(folded(c.c));
            QString out = text;
            out.insert(c.at, u'&');
            if (p.marker >= 0) out.remove(p.marker < c.at ? p.marker : p.marker + 1, 1);  // the taken marker goes
            return out;
        }
    }
    return text;
}

QString MenuAccelerators::escaped(const QString& text)
{
    QString out = text;
    return out.replace(u'&', QStringLiteral("&&"));
}

void MenuAccelerators::assign(const QList<QAction*>& entries)
{
    QSet<QChar> used;
    for (QAction* a : entries) {
        if (a->isSeparator() || a->text().isEmpty()) continue;
        const QString text = withAccelerator(a->text(), used);
        if (text != a->text()) a->setText(text);
    }
}

void MenuAccelerators::keep(QMenu* menu)
{
    assign(menu->actions());
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { assign(menu->actions()); });
    for (QAction* a : menu->actions())
        if (a->menu()) keep(a->menu());
}
