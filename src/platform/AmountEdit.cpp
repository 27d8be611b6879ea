#include "AmountEdit.h"

#include "AmountText.h"

#include <QTimer>

AmountEdit::AmountEdit(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight);
    setText(AmountText::format(0));
}

double AmountEdit::value() const { return AmountText::parse(text(), nullptr, AmountText::Reading::Leading); }

void AmountEdit::setValue(double value) { setText(AmountText::format(value)); }

bool AmountEdit::holdsAmount() const
{
    bool ok = false;
    AmountText::parse(text(), &ok, AmountText::Reading::Leading);
    return ok || text().trimmed().isEmpty();
}

void AmountEdit::tidy()
{
    bool ok = false;
    const double amount = AmountText::parse(text(), &ok, AmountText::Reading::Leading);
    if (ok || text().trimmed().isEmpty()) setText(AmountText::format(amount));
}

void AmountEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // After the click that brought the focus has placed the caret.
    QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void AmountEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    tidy();
    emit left();
}
