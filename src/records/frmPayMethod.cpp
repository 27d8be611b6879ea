#include "frmPayMethod.h"

#include "CodeBox.h"
#include "FieldRows.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QGridLayout>
#include <QLineEdit>

namespace {
RecordEditor::Setup payMethodSetup()
{
    RecordEditor::Setup s;
    s.caption = QStringLiteral("Payment Methods");
    s.table = QStringLiteral("PayMethod");
    s.key = QStringLiteral("PayId");
    s.description = QStringLiteral("Description");
    s.descriptionHeader = QStringLiteral("Description");
    s.keyMaximum = 10;
    s.codeTag = QStringLiteral("M  Code");
    s.codeLabel = QStringLiteral("Code");
    s.cutWhileTyping = true;
    s.stripTrailingBlanks = false;
    s.fillEveryActivation = true;
    s.deleteSecondLine = QStringLiteral("Delete/Change all auctions assigned to this record first.");
    return s;
}
}  // namespace

frmPayMethod::frmPayMethod(QWidget* parent) : RecordEditor(payMethodSetup(), parent)
{
    setObjectName(QStringLiteral("frmPayMethod"));
    txtDescription = new QLineEdit(this);
    tagField(txtDescription, "txtDescription", QStringLiteral("MD Description"));
    TypingLimit::Apply(txtDescription, 50);
    FieldRows::addRow(fieldsLayout(), 1, QStringLiteral("Description"), txtDescription);
    setMinimumSize(vb::twipsToPixels(6000), vb::twipsToPixels(4200));
    SetEditMode();
}

void frmPayMethod::clearFields() { txtDescription->clear(); }

void frmPayMethod::showRecord(const Recordset& rs) { txtDescription->setText(rs.text(QStringLiteral("Description"))); }

void frmPayMethod::writeRecord(Recordset& rs) { rs.setValue(QStringLiteral("Description"), txtDescription->text()); }
