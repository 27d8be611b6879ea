#include "UndoRecipe.h"

#include <QLocale>

UndoRecipe& UndoRecipe::add(const QString& Name, const QString& Value)
{
    if (!m_text.isEmpty()) m_text += u',';
    QString value = Value;
    m_text += Name + u'=' + value.replace(QLatin1String(","), QLatin1String(",,"));
    return *this;
}

UndoRecipe& UndoRecipe::addDate(const QString& Name, const QVariant& serial) { return add(Name, DateText(serial)); }

QString UndoRecipe::DateText(const QVariant& serial)
{
    if (serial.isNull()) return QStringLiteral("Null");
    return QString::number(serial.toDouble(), 'g', QLocale::FloatingPointShortest);
}

bool UndoRecipe::Parse(const QString& recipe, QList<Pair>* pairs, QString* badPart)
{
    pairs->clear();
    const qsizetype n = recipe.size();
    qsizetype i = 0;
    while (i < n) {
        // One part: up to a "," that is not one of a doubled pair.
        QString part;
        while (i < n) {
            if (recipe[i] == u',') {
                if (i + 1 < n && recipe[i + 1] == u',') {
                    part += u',';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            part += recipe[i++];
        }
        if (part.isEmpty()) continue;
        // The name never holds "=" or ",": the first "=" ends it.
        const qsizetype eq = part.indexOf(u'=');
        if (eq <= 0) {
            if (badPart) *badPart = part;
            return false;
        }
        pairs->append({part.left(eq), part.mid(eq + 1)});
    }
    return true;
}
