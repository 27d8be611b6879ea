#include "FieldTag.h"

#include <QVariant>
#include <QWidget>

FieldTag FieldTag::parse(const QString& tag)
{
    FieldTag t;
    const QString flags = tag.left(3);
    t.mandatory = flags.contains(u'M');
    t.editOnly = flags.contains(u'D');
    t.locked = flags.contains(u'L');
    t.visibleEditOnly = flags.contains(u'V');
    t.caption = tag.mid(3);
    return t;
}

FieldTag FieldTag::of(const QWidget* widget) { return parse(widget->property("Tag").toString()); }
