#include "frmSend.h"

#include "FieldRows.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "platform/FormsRegistry.h"
#include "platform/NullableDateEdit.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QCheckBox>
#include <QDate>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QPushButton>

namespace {
ProgramContext& ctx() { return ProgramContext::current(); }
}  // namespace

frmSend::frmSend(QWidget* parent) : TaskDialog("frmSend", QStringLiteral("Send"), parent)
{
    txtCustomerId = lineBox("txtCustomerId", AddressRules::BuyerIdLength, true);
    txtName = lineBox("txtName", 50);
    txtDeliveryAddress = addressBox(txtName);
    auto* cmdLabel = new QPushButton(QStringLiteral("Print label"), this);
    cmdLabel->setObjectName(QStringLiteral("cmdLabel"));
    connect(cmdLabel, &QPushButton::clicked, this, [this] { cmdLabel_Click(); });
    txtTrackingNumber = lineBox("txtTrackingNumber", 50);
    dateSent = new NullableDateEdit(this);
    dateSent->setObjectName(QStringLiteral("dateSent"));
    chkPickedUp = new QCheckBox(QStringLiteral("Item was picked up by the buyer"), this);
    chkPickedUp->setObjectName(QStringLiteral("chkPickedUp"));

    QGridLayout* g = fields();
    FieldRows::addRow(g, 0, QStringLiteral("Buyer Id"), txtCustomerId,
                         formButton("cmdForm", QStringLiteral("Open buyer details"), [this] { cmdForm_Click(); }));
    FieldRows::addRow(g, 1, QStringLiteral("Buyer name"), txtName);
    FieldRows::addRow(g, 2, QStringLiteral("Delivery address"), txtDeliveryAddress);
    g->addWidget(cmdLabel, 3, 1, Qt::AlignLeft);
    FieldRows::addRow(g, 4, QStringLiteral("Tracking No."), txtTrackingNumber);
    FieldRows::addRow(g, 5, QStringLiteral("Date shipped"), dateSent, nullptr, Qt::AlignLeft);
    g->addWidget(chkPickedUp, 6, 1);
    resize(vb::twipsToPixels(6600), sizeHint().height());
}

void frmSend::Form_Load() { LoadAuctionToSend(false); }

void frmSend::LoadAuctionToSend(bool reload)
{
    // A sale whose buyer is not on file shows no buyer: Update leaves the buyers alone.
    Recordset rs;
    if (!openSaleWithBuyer(QStringLiteral("AuctionId, Description, DeliveryAddress, TrackingNumber"), &rs)) return;
    if (!reload) {
        setSaleCaption(QStringLiteral("Send"), rs);
        dateSent->setDate(QDate::currentDate());
        txtTrackingNumber->setText(rs.text(QStringLiteral("TrackingNumber")));
        setAddressText(txtDeliveryAddress, rs.text(QStringLiteral("DeliveryAddress")));
    }
    showBuyer(rs, txtCustomerId, txtName, txtDeliveryAddress);
}

void frmSend::cmdForm_Click()
{
    openEditor(QStringLiteral("frmCustomer"), txtCustomerId->text());
    LoadAuctionToSend(true);
}

void frmSend::cmdLabel_Click()
{
    // The label is printed from the stored address: what is typed here is not on it until saved.
    FormsRegistry::instance().showModal(QStringLiteral("frmLabels"), {{QStringLiteral("pSingleAuctionNumber"), mAuctionId}}, this);
}

void frmSend::cmdUpdate_Click()
{
    if (dateSent->isNull()) return inform(QStringLiteral("Please set the date shipped."));
    if (!TypingLimit::ConfirmShortening(this, ctx().gAppTitle)) return;
    const QString address = addressText(txtDeliveryAddress);
    const AddressRules::BuyerPlan buyer = AddressRules::PlanBuyerAddress(txtCustomerId->text(), txtName->text(), address, QString(), false);
    // Stored before the step moves: a cancelled dispatch keeps what was typed.
    if (!saveSale(buyer, {{QStringLiteral("TrackingNumber"), txtTrackingNumber->text().isNull() ? QStringLiteral("") : txtTrackingNumber->text()},
                          {QStringLiteral("DeliveryAddress"), textOrNull(address)}}))
        return;

    clsActions::DoneOptions done;
    done.DateShipped = vb::toOleDate(dateSent->date());
    done.BuyerPickedUp = chkPickedUp->isChecked();
    done.TrackingNumber = txtTrackingNumber->text();
    if (!ctx().gActions->DoneAction(mAuctionId, done)) return;
    accept();
}
