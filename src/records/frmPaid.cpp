#include "frmPaid.h"

#include "FieldRows.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/NullableDateEdit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {
ProgramContext& ctx() { return ProgramContext::current(); }
}  // namespace

frmPaid::frmPaid(QWidget* parent) : TaskDialog("frmPaid", QStringLiteral("Paid"), parent)
{
    txtCustomerId = lineBox("txtCustomerId", AddressRules::BuyerIdLength, true);
    txtTotal = lineBox("txtTotal", 0, true);
    txtTotal->setMaximumWidth(vb::twipsToPixels(1800));
    txtName = lineBox("txtName");
    txtDeliveryAddress = addressBox(txtName);
    datePaid = new NullableDateEdit(this);
    datePaid->setObjectName(QStringLiteral("datePaid"));
    cboPayId = new QComboBox(this);
    cboPayId->setObjectName(QStringLiteral("cboPayId"));
    chkPickedUp = new QCheckBox(QStringLiteral("Buyer has picked up the item"), this);
    chkPickedUp->setObjectName(QStringLiteral("chkPickedUp"));

    QGridLayout* g = fields();
    FieldRows::addRow(g, 0, QStringLiteral("Buyer Id"), txtCustomerId,
                         formButton("cmdForm1", QStringLiteral("Open buyer details"), [this] { cmdForm_Click(1); }));
    FieldRows::addRow(g, 1, QStringLiteral("Total to pay"), txtTotal, nullptr, Qt::AlignLeft);
    FieldRows::addRow(g, 2, QStringLiteral("Name"), txtName);
    FieldRows::addRow(g, 3, QStringLiteral("Delivery address"), txtDeliveryAddress);
    FieldRows::addRow(g, 4, QStringLiteral("Date Paid"), datePaid, nullptr, Qt::AlignLeft);
    FieldRows::addRow(g, 5, QStringLiteral("Method"), cboPayId,
                         formButton("cmdForm0", QStringLiteral("Open payment methods"), [this] { cmdForm_Click(0); }));
    g->addWidget(chkPickedUp, 6, 1);
    resize(vb::twipsToPixels(6600), sizeHint().height());
}

void frmPaid::FillPayIdCombo(bool keepText)
{
    FieldRows::FillCombo(cboPayId, QStringLiteral("SELECT PayId FROM PayMethod ORDER BY PayId"), keepText);
}

void frmPaid::Form_Load() { LoadAuctionToPay(false); }

void frmPaid::LoadAuctionToPay(bool reload)
{
    FillPayIdCombo(true);
    // A sale without a buyer on file shows no buyer: Update then records the payment alone.
    Recordset rs;
    if (!openSaleWithBuyer(QStringLiteral("AuctionId, Description, DeliveryAddress, DatePaid, PayId, WinningBid, Shipping"), &rs)) return;
    if (!reload) {
        setSaleCaption(QStringLiteral("Flag as paid"), rs);
        const QVariant bid = rs.value(QStringLiteral("WinningBid")), shipping = rs.value(QStringLiteral("Shipping"));
        txtTotal->setText(bid.isNull() || shipping.isNull() ? QString()
                                                            : vb::formatNumber(bid.toDouble() + shipping.toDouble(), QStringLiteral("$0.00")));
        datePaid->setDate(QDate::currentDate());
        setAddressText(txtDeliveryAddress, rs.text(QStringLiteral("DeliveryAddress")));
    }
    const QString payId = rs.text(QStringLiteral("PayId"));
    if (!payId.isEmpty()) cboPayId->setCurrentIndex(cboPayId->findText(payId));
    showBuyer(rs, txtCustomerId, txtName, txtDeliveryAddress);
}

void frmPaid::cmdForm_Click(int index)
{
    if (index == 0) openEditor(QStringLiteral("frmPayMethod"), cboPayId->currentText());
    else openEditor(QStringLiteral("frmCustomer"), txtCustomerId->text());
    LoadAuctionToPay(true);
}

void frmPaid::cmdUpdate_Click()
{
    if (datePaid->isNull()) return inform(QStringLiteral("Please set the date paid."));
    if (cboPayId->currentText().isEmpty()) return inform(QStringLiteral("Please set the payment method."));
    const QString address = addressText(txtDeliveryAddress);
    if (!chkPickedUp->isChecked()) {
        const QString question = txtName->text().isEmpty()  ? QStringLiteral("Buyer name not entered, continue with update?")
                                 : address.isEmpty()        ? QStringLiteral("Buyer address not entered, continue with update?")
                                                            : QString();
        if (!question.isEmpty() &&
            MsgBox(question, vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton1, ctx().gAppTitle) != vbmsg::Yes)
            return;
    }

    const AddressRules::BuyerPlan buyer = AddressRules::PlanBuyerAddress(txtCustomerId->text(), txtName->text(), address, QString(), false);
    // Stored before the steps move: a refused step keeps the payment typed in.
    const double paidOn = vb::toOleDate(datePaid->date());
    if (!saveSale(buyer, {{QStringLiteral("DatePaid"), paidOn},
                          {QStringLiteral("PayId"), cboPayId->currentText()},
                          {QStringLiteral("DeliveryAddress"), textOrNull(address)}}))
        return;
    if (!SaleTasks::CompletePayment(mAuctionId, chkPickedUp->isChecked(), paidOn)) return;
    accept();
}
