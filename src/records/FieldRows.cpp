#include "FieldRows.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/db/Recordset.h"

#include "core/MailAddress.h"

#include <QComboBox>
#include <QGridLayout>
#include <QSignalBlocker>
#include <QStringList>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

QLabel* FieldRows::addRow(QGridLayout* grid, int row, const QString& caption, QWidget* field, QWidget* beside,
                             Qt::Alignment fieldAlignment)
{
    auto* label = new QLabel(caption, field->parentWidget());
    label->setProperty("Tag", QStringLiteral("D"));
    label->setBuddy(field);
    // A label beside a box of several lines stands at its first line.
    grid->addWidget(label, row, 0, qobject_cast<QPlainTextEdit*>(field) ? Qt::AlignTop : Qt::Alignment());
    if (beside) {
        auto* line = new QHBoxLayout;
        line->addWidget(field, 1);
        line->addWidget(beside);
        grid->addLayout(line, row, 1);
    } else {
        grid->addWidget(field, row, 1, fieldAlignment);
    }
    return label;
}

void FieldRows::keepAddressOnly(QLineEdit* box)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [box] {
        const QString address = MailAddress::bare(box->text());
        if (address != box->text()) box->setText(address);
    });
}

void FieldRows::FillCombo(QComboBox* box, const QString& sql, bool keepText)
{
    const QString text = box->currentText();
    const QSignalBlocker block(box);
    box->clear();
    Recordset rs;
    ProgramContext& ctx = ProgramContext::current();
    if (ctx.gDatabase && ctx.gDatabase->OpenDB(sql, true, true, true, &rs)) {
        QStringList codes;
        codes.reserve(rs.RecordCount());
        for (const QVariantList& row : rs.rows()) codes << row.value(0).toString();
        box->addItems(codes);
    }
    if (!keepText) box->setCurrentIndex(-1);
    else if (box->isEditable()) box->setEditText(text);
    else box->setCurrentIndex(text.isEmpty() ? -1 : box->findText(text));
}
