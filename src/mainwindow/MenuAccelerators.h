#pragma once
// Accelerators of menu entries: every entry of a menu gets a letter or digit
// of its own ("&" before it), so each entry can be chosen from the keyboard.
// An entry keeps its own accelerator while no earlier entry of the menu has
// it; otherwise, and for an entry without one, the first free letter or digit
// that starts a word is taken, else any free one.

#include <QChar>
#include <QList>
#include <QSet>
#include <QString>

class QAction;
class QMenu;

class MenuAccelerators {
public:
    // The character marked as the accelerator (null for none); "&&" is a plain "&".
    static QChar accelerator(const QString& text);
    // The text with an accelerator not in used (case-folded), which it joins;
    // the text as it is when none is free.
    static QString withAccelerator(const QString& text, QSet<QChar>& used);
    // Stored text for an entry, shown as stored: every "&" doubled.
    static QString escaped(const QString& text);
    // Gives the entries (separators skipped) their accelerators, in order.
    static void assign(const QList<QAction*>& entries);
    // The same for a menu and its submenus, now and whenever one is about to
    // show (entries added later get theirs then).
    static void keep(QMenu* menu);
};
