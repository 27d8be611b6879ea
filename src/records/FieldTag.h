#pragma once
// The flags an editor keeps in a control's "Tag": the first three characters
// are flag positions ("M" mandatory, "D" enabled only while adding or
// editing, "V" shown only while adding or editing, "L" locked while
// browsing), the rest is the field's caption for messages. "MD Email
// address" is a mandatory field named "Email address".

#include <QString>

class QWidget;

struct FieldTag {
    bool mandatory = false;
    bool editOnly = false;  // "D"
    bool locked = false;    // "L"
    bool visibleEditOnly = false;  // "V"
    QString caption;

    static FieldTag parse(const QString& tag);
    // The widget's "Tag" property, parsed.
    static FieldTag of(const QWidget* widget);
    bool hasFlags() const { return mandatory || editOnly || locked || visibleEditOnly; }
};
