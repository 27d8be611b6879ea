#include "FocusChain.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

#include <algorithm>

namespace {

// Whether another option of the same set (the same parent) is chosen.
bool chosenBeside(const QRadioButton* option)
{
    const auto siblings = option->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    return std::any_of(siblings.begin(), siblings.end(), [](const QRadioButton* r) { return r->autoExclusive() && r->isChecked(); });
}

bool isButton(const QWidget* w) { return qobject_cast<const QPushButton*>(w) || qobject_cast<const QToolButton*>(w); }

bool takesTab(const QWidget* w) { return w->focusProxy() || (w->focusPolicy() & Qt::TabFocus); }

// A layout's items as they stand on the screen: a grid or form row by row,
// left to right; a box in its direction.
QList<QLayoutItem*> itemsAsShown(QLayout* layout)
{
    struct Placed {
        int row, column;
        QLayoutItem* item;
    };
    QList<Placed> placed;
    const auto* box = qobject_cast<QBoxLayout*>(layout);
    const bool reversed = box && (box->direction() == QBoxLayout::RightToLeft || box->direction() == QBoxLayout::BottomToTop);
    auto* grid = qobject_cast<QGridLayout*>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        Placed p{0, reversed ? -i : i, layout->itemAt(i)};
        if (grid) {
            int rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(i, &p.row, &p.column, &rowSpan, &columnSpan);
            // A tall control to the right of others (a list beside a subject
            // and a message) comes after them, as the eye reads down the left first.
            for (int j = 0; j < grid->count() && rowSpan > 1; ++j) {
                int r = 0, c = 0, rs = 0, cs = 0;
                grid->getItemPosition(j, &r, &c, &rs, &cs);
                if (j != i && c < p.column && r >= p.row && r < p.row + rowSpan) {
                    p.row += rowSpan - 1;
                    break;
                }
            }
        } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            QFormLayout::ItemRole role = QFormLayout::LabelRole;
            form->getItemPosition(i, &p.row, &role);
            p.column = role;
        }
        placed << p;
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.row != b.row ? a.row < b.row : a.column < b.column; });
    QList<QLayoutItem*> items;
    for (const Placed& p : std::as_const(placed)) items << p.item;
    return items;
}

class Walk {
public:
    QList<QWidget*> fields;
    QList<QWidget*> buttons;

    void layout(QLayout* layout)
    {
        for (QLayoutItem* item : itemsAsShown(layout)) {
            if (QWidget* w = item->widget()) widget(w);
            else if (QLayout* inner = item->layout()) this->layout(inner);
        }
    }

    void widget(QWidget* w)
    {
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            add(tabs->tabBar());
            for (int i = 0; i < tabs->count(); ++i) contents(tabs->widget(i));
            return;
        }
        if (auto* scroll = qobject_cast<QScrollArea*>(w); scroll && scroll->widget()) {
            contents(w);
            return;
        }
        if (auto* splitter = qobject_cast<QSplitter*>(w)) {
            for (int i = 0; i < splitter->count(); ++i) widget(splitter->widget(i));
            return;
        }
        if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (group->isCheckable()) add(group);
            contents(group);
            return;
        }
        // A control with its own parts (a combo's box, a date's check box) is one stop.
        if (takesTab(w) || !w->layout()) add(w);
        else contents(w);
    }

    void contents(QWidget* w)
    {
        // A page that scrolls (a tab page too): what it scrolls.
        if (auto* scroll = qobject_cast<QScrollArea*>(w); scroll && scroll->widget()) {
            contents(scroll->widget());
            return;
        }
        if (w->layout()) layout(w->layout());
        else if (takesTab(w)) add(w);
    }

    void add(QWidget* w)
    {
        if (!takesTab(w)) return;
        QList<QWidget*>& list = isButton(w) ? buttons : fields;
        if (!list.contains(w)) list << w;
    }
};

}  // namespace

void FocusChain::FollowLayout(QWidget* window)
{
    if (!window || !window->layout()) return;
    Walk walk;
    walk.layout(window->layout());
    const QList<QWidget*> order = walk.fields + walk.buttons;
    // From the window itself, so that a window without a focus starts at the
    // first field too. Qt orders only controls that take the focus, and takes
    // two controls with nothing focusable between them (the window closing the
    // circle) as in order already: the window takes Tab while it is ordered.
    const Qt::FocusPolicy policy = window->focusPolicy();
    window->setFocusPolicy(Qt::TabFocus);
    QWidget* previous = window;
    for (QWidget* w : order) {
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
    window->setFocusPolicy(policy);
}

bool FocusChain::IsField(const QWidget* w)
{
    if (!w) return false;
    if (auto* line = qobject_cast<const QLineEdit*>(w)) return !line->isReadOnly();
    if (auto* text = qobject_cast<const QPlainTextEdit*>(w)) return !text->isReadOnly();
    if (auto* text = qobject_cast<const QTextEdit*>(w)) return !text->isReadOnly();
    if (auto* spin = qobject_cast<const QAbstractSpinBox*>(w)) return !spin->isReadOnly();
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QAbstractSlider*>(w);
}

QWidget* FocusChain::FirstField(QWidget* window)
{
    if (!window) return nullptr;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->window() != window || !(w->focusPolicy() & Qt::TabFocus)) continue;
        if (!w->isVisibleTo(window) || !w->isEnabled()) continue;
        // A combo's or a spin box's own line edit: the control itself stood before it.
        if (qobject_cast<QLineEdit*>(w) && w->focusProxy()) continue;
        // Of a set of options, the one chosen (Tab goes to it too).
        if (auto* option = qobject_cast<QRadioButton*>(w); option && option->autoExclusive() && !option->isChecked() && chosenBeside(option))
            continue;
        if (IsField(w)) return w;
    }
    return nullptr;
}

void FocusChain::Prepare(QWidget* window)
{
    FollowLayout(window);
    if (QWidget* field = FirstField(window)) field->setFocus(Qt::OtherFocusReason);
}
