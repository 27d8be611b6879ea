#include "NullableDateEdit.h"

#include "Vb.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

NullableDateEdit::NullableDateEdit(QWidget* parent) : QWidget(parent), m_check(new QCheckBox(this)), m_edit(new QDateEdit(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_check);
    layout->addWidget(m_edit, 1);
    m_edit->setDisplayFormat(QStringLiteral("d/MM/yyyy"));
    m_edit->setCalendarPopup(true);
    m_edit->setDate(QDate::currentDate());
    m_edit->setEnabled(false);
    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        m_edit->setEnabled(on);
        emit changed();
    });
    connect(m_edit, &QDateEdit::dateChanged, this, &NullableDateEdit::changed);
}

bool NullableDateEdit::isNull() const { return !m_check->isChecked(); }

QDate NullableDateEdit::date() const { return isNull() ? QDate() : m_edit->date(); }

void NullableDateEdit::setDate(const QDate& date)
{
    const QSignalBlocker a(m_check), b(m_edit);
    if (date.isValid()) m_edit->setDate(date);
    m_check->setChecked(date.isValid());
    m_edit->setEnabled(date.isValid());
    emit changed();
}

void NullableDateEdit::clear() { setDate(QDate()); }

QVariant NullableDateEdit::value() const { return isNull() ? QVariant() : QVariant(vb::toOleDate(m_edit->date())); }
