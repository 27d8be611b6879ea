#include "ReadOnlyBox.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>

ReadOnlyBox::ReadOnlyBox(QLineEdit* box) : QObject(box), m_box(box)
{
    setObjectName(QStringLiteral("ReadOnlyBox"));
    box->installEventFilter(this);
    refresh();
}

void ReadOnlyBox::Apply(QLineEdit* box)
{
    if (!box) return;
    Follow(box);
    box->setReadOnly(true);  // redrawn by its ReadOnlyChange
}

void ReadOnlyBox::Follow(QLineEdit* box)
{
    if (box && !box->findChild<ReadOnlyBox*>(QString(), Qt::FindDirectChildrenOnly)) new ReadOnlyBox(box);
}

bool ReadOnlyBox::eventFilter(QObject* watched, QEvent* event)
{
    // A palette change arrives once the box's palette is resolved again; so does a new parent's.
    if (watched == m_box && (event->type() == QEvent::ReadOnlyChange || event->type() == QEvent::PaletteChange))
        refresh();
    return QObject::eventFilter(watched, event);
}

void ReadOnlyBox::refresh()
{
    const QPalette shown = m_box->palette();
    // Whatever else the box's own palette sets stays; its base is the look's alone.
    QPalette own;
    for (int g = 0; g < QPalette::NColorGroups; ++g) {
        const auto group = QPalette::ColorGroup(g);
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto role = QPalette::ColorRole(r);
            if (role != QPalette::Base && shown.isBrushSet(group, role)) own.setBrush(group, role, shown.brush(group, role));
        }
        if (m_box->isReadOnly()) own.setBrush(group, QPalette::Base, shown.brush(group, QPalette::Window));
    }
    // Setting an equal palette again would come back here through PaletteChange without end.
    if (own.resolveMask() == shown.resolveMask() && own.resolve(shown) == shown) return;
    m_box->setPalette(own);
}
