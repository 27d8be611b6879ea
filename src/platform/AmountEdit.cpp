#include "AmountEdit.h"

#include "AmountText.h"

#include <QTimer>

AmountEdit::AmountEdit(QWidget* parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight);
    setText(AmountText::format(0));
}

double AmountEdit::value() const { return AmountText::parse(text()); }

void AmountEdit::setValue(double value) { setText(AmountText::format(value)); }

void AmountEdit::tidy()
{
    bool ok = false;
    const double amount = AmountText::parse(text(), &ok);
    setText(ok ? AmountText::format(amount) : QStringLiteral("0"));
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
