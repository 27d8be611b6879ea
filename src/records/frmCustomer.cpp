#include "frmCustomer.h"

#include "AddressRules.h"
#include "CodeBox.h"
#include "FieldRows.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace {
const QString CrLf = QStringLiteral("\r\n");

RecordEditor::Setup customerSetup()
{
    RecordEditor::Setup s;
    s.caption = QStringLiteral("Buyer ");
    s.table = QStringLiteral("Customer");
    s.key = QStringLiteral("CustomerId");
    s.description = QStringLiteral("Name");
    s.descriptionHeader = QStringLiteral("Name");
    s.keyMaximum = 50;
    s.codeTag = QStringLiteral("M  Customer Code");
    s.codeLabel = QStringLiteral("Buyer Id");
    s.cutWhileTyping = false;  // cut when the box is left, silently
    s.stripTrailingBlanks = true;
    s.fillEveryActivation = false;
    s.deleteSecondLine = QStringLiteral("Delete all auctions assigned to this buyer first.");
    return s;
}

// Empty optional text is stored as Null.
QVariant orNull(const QString& text) { return text.isEmpty() ? QVariant() : QVariant(text); }

// The active sales of a buyer whose delivery address is another than the
// address (compared exactly); a sale without one is left alone.
const QString differingSales = QStringLiteral(
    "SELECT AuctionId FROM Auction WHERE CustomerId=?1 AND ActionId<12 AND DeliveryAddress IS NOT NULL "
    "AND DeliveryAddress<>?2 COLLATE BINARY");
}  // namespace

frmCustomer::frmCustomer(QWidget* parent) : RecordEditor(customerSetup(), parent)
{
    setObjectName(QStringLiteral("frmCustomer"));
    int row = 1;
    auto add = [&](const QString& caption, QWidget* field, const char* name, const QString& tag) {
        tagField(field, name, tag);
        if (caption.isEmpty()) fieldsLayout()->addWidget(field, row, 1);
        else FieldRows::addRow(fieldsLayout(), row, caption, field);
        ++row;
    };
    auto line = [this](int maximum) {
        auto* edit = new QLineEdit(this);
        TypingLimit::Apply(edit, maximum);
        return edit;
    };
    txtName = line(45);
    add(QStringLiteral("Name"), txtName, "txtName", QStringLiteral("D"));
    txtEmail = line(50);
    add(QStringLiteral("Email address"), txtEmail, "txtEmail", QStringLiteral("MD Email address"));
    txtEmailCC = line(50);
    add(QStringLiteral("Other email"), txtEmailCC, "txtEmailCC", QStringLiteral("D"));
    chkEmail = new QCheckBox(QStringLiteral("Do not include in bulk mailings"), this);
    add(QString(), chkEmail, "chkEmail", QStringLiteral("D"));
    txtAddress = new QPlainTextEdit(this);
    txtAddress->setTabChangesFocus(true);
    txtAddress->setFixedHeight(vb::twipsToPixels(1300));
    add(QStringLiteral("Address"), txtAddress, "txtAddress", QStringLiteral("D"));
    txtComment = line(50);
    add(QStringLiteral("Comment"), txtComment, "txtComment", QStringLiteral("D"));

    FieldRows::keepAddressOnly(txtEmail);
    FieldRows::keepAddressOnly(txtEmailCC);
    AddressRules::Follow(txtAddress, txtName);

    setMinimumSize(vb::twipsToPixels(7600), vb::twipsToPixels(5600));
    SetEditMode();
}

QString frmCustomer::notFoundMessage(const QString& code) const
{
    return QStringLiteral("Buyer Id '") + code + QStringLiteral("' not found.  Click Add to create a new record.");
}

QString frmCustomer::addressText() const
{
    QString text = txtAddress->toPlainText();
    return text.replace(u'\n', CrLf);
}

void frmCustomer::clearFields()
{
    const QSignalBlocker block(txtAddress);
    for (QLineEdit* box : {txtName, txtEmail, txtEmailCC, txtComment}) box->clear();
    txtAddress->clear();
    chkEmail->setChecked(false);
}

void frmCustomer::showRecord(const Recordset& rs)
{
    // The stored name stays as stored: the first-line rule is for typing.
    const QSignalBlocker block(txtAddress);
    txtName->setText(rs.text(QStringLiteral("Name")));
    txtEmail->setText(rs.text(QStringLiteral("Email")));
    txtEmailCC->setText(rs.text(QStringLiteral("EmailCC")));
    chkEmail->setChecked(rs.value(QStringLiteral("DontEmail")).toBool());
    QString address = rs.text(QStringLiteral("Address"));
    txtAddress->setPlainText(address.replace(CrLf, QStringLiteral("\n")));
    txtComment->setText(rs.text(QStringLiteral("Comment")));
}

void frmCustomer::writeRecord(Recordset& rs)
{
    rs.setValue(QStringLiteral("Name"), orNull(txtName->text()));
    rs.setValue(QStringLiteral("Email"), txtEmail->text());
    rs.setValue(QStringLiteral("EmailCC"), orNull(txtEmailCC->text()));
    rs.setValue(QStringLiteral("DontEmail"), chkEmail->isChecked());
    rs.setValue(QStringLiteral("Address"), orNull(addressText()));
    rs.setValue(QStringLiteral("Comment"), orNull(txtComment->text()));
}

bool frmCustomer::UpdateAuctionAddresses(bool UpdateNow, int& Count)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString address = addressText();
    const QVariantList binds{heldCode(), address};
    Recordset rs;
    // Silent: the buyer is saved whatever becomes of the offer.
    if (!ctx.gDatabase->OpenDB(differingSales, binds, false, true, false, &rs)) return false;
    QStringList ids;
    for (; !rs.isEOF(); rs.MoveNext()) ids << rs.text(QStringLiteral("AuctionId"));
    rs.Close();
    if (!UpdateNow) {
        Count = int(ids.size());
        return Count > 0;
    }
    const QString sql = QStringLiteral(
        "UPDATE Auction SET DeliveryAddress=?2 WHERE CustomerId=?1 AND ActionId<12 AND DeliveryAddress IS NOT NULL "
        "AND DeliveryAddress<>?2 COLLATE BINARY");
    int rows = 0;
    if (!ctx.gConnection->Execute(sql, binds, &rows)) {
        clsDatabase::ReportError(sql, ctx.gConnection->lastError());
        return false;
    }
    Count = rows;
    // The main list shows the new addresses once it can read them.
    for (const QString& id : std::as_const(ids)) ctx.gDatabase->Log(id, QStringLiteral("Auction"), QStringLiteral("DeliveryAddress"), address, true, false);
    return false;
}

void frmCustomer::afterSave()
{
    if (txtAddress->toPlainText().isEmpty()) return;
    int count = 0;
    if (!UpdateAuctionAddresses(false, count)) return;
    const int answer = MsgBox(QStringLiteral("There are ") + QString::number(count) +
                                  QStringLiteral(" active auctions for this buyer where the delivery address is different to the buyers address "
                                                 "on file.  ") +
                                  CrLf + CrLf + QStringLiteral("Do you want to update the auction delivery address on all active auctions?"),
                              vbmsg::YesNo + vbmsg::Question, ProgramContext::current().gAppTitle);
    if (answer == vbmsg::Yes) UpdateAuctionAddresses(true, count);
}
