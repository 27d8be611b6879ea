#pragma once
// The undo recipe of a History row (its Changed text): "Name=Value" pairs
// joined by ",". The one writer and the one reader of that text: a value keeps
// its commas by doubling them, and a pair's name ends at its first "=", so an
// "=" inside a value needs nothing. Recipes written before values were
// escaped never hold ",," and read as they always did.

#include <QList>
#include <QString>
#include <QVariant>

class UndoRecipe {
public:
    struct Pair {
        QString Name;
        QString Value;
        bool operator==(const Pair&) const = default;
    };

    UndoRecipe() = default;
    explicit UndoRecipe(const QString& text) : m_text(text) {}

    // Appends Name=Value, the value written so that it reads back whole.
    UndoRecipe& add(const QString& Name, const QString& Value);
    // Appends a date (an OLE serial, or Null) as DateText writes it.
    UndoRecipe& addDate(const QString& Name, const QVariant& serial);
    QString text() const { return m_text; }

    // A date as a recipe holds it: its serial number in the C locale, in the
    // shortest text that reads back as the very same number; "Null" for none.
    static QString DateText(const QVariant& serial);

    // The pairs of a recipe, in order (empty parts are skipped). False, with
    // the offending part in badPart, when a part is not Name=Value.
    static bool Parse(const QString& recipe, QList<Pair>* pairs, QString* badPart = nullptr);

private:
    QString m_text;
};
