#include "frmAuctionEnded.h"

#include "FieldRows.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/MailAddress.h"
#include "platform/AmountEdit.h"
#include "platform/AmountText.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QSignalBlocker>

namespace {
ProgramContext& ctx() { return ProgramContext::current(); }
}  // namespace

frmAuctionEnded::frmAuctionEnded(QWidget* parent) : TaskDialog("frmAuctionEnded", QStringLiteral("Auction ended"), parent)
{
    cboCustomerId = new QComboBox(this);
    cboCustomerId->setObjectName(QStringLiteral("cboCustomerId"));
    cboCustomerId->setEditable(true);
    cboCustomerId->setInsertPolicy(QComboBox::NoInsert);
    txtName = lineBox("txtName");
    txtEmail = lineBox("txtEmail");
    FieldRows::keepAddressOnly(txtEmail);
    txtDeliveryAddress = addressBox(txtName);
    for (int i = 0; i < 2; ++i) {
        numTotal[i] = new AmountEdit(this);
        numTotal[i]->setObjectName(QStringLiteral("numTotal"));
        numTotal[i]->setProperty("Index", i);
        numTotal[i]->setMaximumWidth(vb::twipsToPixels(1800));
        numTotal[i]->setValue(0);
    }

    QGridLayout* g = fields();
    FieldRows::addRow(g, 0, QStringLiteral("Buyer Id"), cboCustomerId,
                         formButton("cmdForm", QStringLiteral("Open buyer details"), [this] { cmdForm_Click(); }));
    FieldRows::addRow(g, 1, QStringLiteral("Name"), txtName);
    FieldRows::addRow(g, 2, QStringLiteral("Email"), txtEmail);
    FieldRows::addRow(g, 3, QStringLiteral("Delivery address"), txtDeliveryAddress);
    FieldRows::addRow(g, 4, QStringLiteral("Winning bid"), numTotal[0], nullptr, Qt::AlignLeft);
    FieldRows::addRow(g, 5, QStringLiteral("Shipping"), numTotal[1], nullptr, Qt::AlignLeft);

    // Chosen from the list, the box left, or Enter pressed in it (eventFilter).
    connect(cboCustomerId, &QComboBox::activated, this, [this] { cboCustomerId_Click(); });
    connect(cboCustomerId->lineEdit(), &QLineEdit::editingFinished, this, [this] { cboCustomerId_Click(); });
    cboCustomerId->installEventFilter(this);
    cboCustomerId->lineEdit()->installEventFilter(this);
    resize(vb::twipsToPixels(6600), sizeHint().height());
}

// QDialog's destructor hides the window, and a buyer box that held the caret
// then finishes its editing (and its completer picks an entry): by that time
// this part of the dialog is gone, so the look-up must not run.
frmAuctionEnded::~frmAuctionEnded()
{
    cboCustomerId->disconnect(this);
    cboCustomerId->lineEdit()->disconnect(this);
}

bool frmAuctionEnded::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the buyer box looks the buyer up and stops there: it is not Update.
    if ((watched == cboCustomerId || watched == cboCustomerId->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cboCustomerId_Click();
            return true;
        }
    }
    return TaskDialog::eventFilter(watched, event);
}

void frmAuctionEnded::FillCustomerCombo()
{
    FieldRows::FillCombo(cboCustomerId, QStringLiteral("SELECT CustomerId FROM Customer ORDER BY CustomerId"), true);
}

void frmAuctionEnded::Form_Load()
{
    FillCustomerCombo();
    Recordset rs;
    if (ctx().gDatabase->OpenDB(QStringLiteral("SELECT AuctionId, Description, CustomerId, DeliveryAddress, WinningBid, Shipping "
                                               "FROM Auction WHERE AuctionId=?"),
                                {mAuctionId}, true, true, true, &rs) &&
        !rs.isEOF()) {
        setSaleCaption(QStringLiteral("Auction ended"), rs);
        cboCustomerId->setEditText(rs.text(QStringLiteral("CustomerId")));
        // A sale without a buyer shows no address: whatever it holds was not the winner's.
        if (!cboCustomerId->currentText().isEmpty()) setAddressText(txtDeliveryAddress, rs.text(QStringLiteral("DeliveryAddress")));
        numTotal[0]->setValue(rs.value(QStringLiteral("WinningBid")).toDouble());
        numTotal[1]->setValue(rs.value(QStringLiteral("Shipping")).toDouble());
    }
    rs.Close();
    const QString buyer = cboCustomerId->currentText();
    if (buyer.isEmpty()) return;
    if (ctx().gDatabase->OpenDB(QStringLiteral("SELECT Email, Name FROM Customer WHERE CustomerId=?"), {buyer}, false, true, true, &rs) &&
        !rs.isEOF()) {
        txtEmail->setText(rs.text(QStringLiteral("Email")));
        txtName->setText(rs.text(QStringLiteral("Name")));
    }
}

void frmAuctionEnded::cboCustomerId_Click()
{
    const QString typed = MailAddress::bare(cboCustomerId->currentText());
    if (typed != cboCustomerId->currentText()) cboCustomerId->setEditText(typed);
    if (typed.isEmpty()) return;
    Recordset rs;
    if (!ctx().gDatabase->OpenDB(QStringLiteral("SELECT CustomerId, Email, Address, Name FROM Customer WHERE CustomerId=?"), {typed}, false,
                                 true, false, &rs) ||
        rs.isEOF())
        return;
    // A known buyer's details on file replace what is shown, the address included.
    cboCustomerId->setEditText(rs.text(QStringLiteral("CustomerId")));
    txtEmail->setText(rs.text(QStringLiteral("Email")));
    setAddressText(txtDeliveryAddress, rs.text(QStringLiteral("Address")));
    txtName->setText(rs.text(QStringLiteral("Name")));
}

void frmAuctionEnded::cmdForm_Click()
{
    openEditor(QStringLiteral("frmCustomer"), cboCustomerId->currentText());
    FillCustomerCombo();
}

bool frmAuctionEnded::FailValidation(const QString& message)
{
    inform(message);
    return false;
}

bool frmAuctionEnded::confirm(const QString& question)
{
    return MsgBox(question, vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton1, ctx().gAppTitle) == vbmsg::Yes;
}

bool frmAuctionEnded::ValidateAuctionEnded()
{
    const bool hasBuyer = !cboCustomerId->currentText().isEmpty();
    const bool hasEmail = !txtEmail->text().isEmpty();
    auto noBuyer = [this] {
        cboCustomerId->setFocus();
        return FailValidation(QStringLiteral("Please set the Buyer Id."));
    };
    auto noEmail = [this] {
        txtEmail->setFocus();
        return FailValidation(QStringLiteral("Please set the buyer email address."));
    };
    if (!txtName->text().isEmpty() || !txtDeliveryAddress->toPlainText().isEmpty()) {
        if (!hasBuyer) return noBuyer();
        if (!hasEmail) return noEmail();
    } else {
        if (hasBuyer && !hasEmail) return noEmail();
        if (hasEmail && !hasBuyer) return noBuyer();
    }
    // A text that holds no amount is refused, never stored as 0.
    const char* const amountNames[] = {"winning bid", "shipping amount"};
    for (int i = 0; i < 2; ++i) {
        if (numTotal[i]->holdsAmount()) continue;
        numTotal[i]->setFocus();
        return FailValidation(AmountText::NotAnAmount(QLatin1String(amountNames[i]), numTotal[i]->text()));
    }
    if (hasBuyer) {
        if (numTotal[0]->value() == 0) {
            if (confirm(QStringLiteral("The winning bid amount is set to zero - is this correct?"))) return true;
            numTotal[0]->setFocus();
            return false;
        }
        if (numTotal[1]->value() == 0 && !confirm(QStringLiteral("The shipping amount is set to zero - is this correct?"))) {
            numTotal[1]->setFocus();
            return false;
        }
        return true;
    }
    if (confirm(QStringLiteral("No buyer details entered, did this auction end without a winning bidder?"))) return true;
    cboCustomerId->setFocus();
    return false;
}

void frmAuctionEnded::cmdUpdate_Click()
{
    // Update by its key leaves the buyer box without its own clean-up: a pasted
    // "mailto:" address is still taken apart.
    const QString typed = MailAddress::bare(cboCustomerId->currentText());
    if (typed != cboCustomerId->currentText()) cboCustomerId->setEditText(typed);
    if (!ValidateAuctionEnded()) return;

    const QString buyerId = cboCustomerId->currentText();
    const QString address = addressText(txtDeliveryAddress);
    const AddressRules::BuyerPlan buyer = AddressRules::PlanBuyerAddress(buyerId, txtName->text(), address, txtEmail->text(), true);
    // The sale names the buyer row as it was written.
    if (!saveSale(buyer, {{QStringLiteral("CustomerId"), textOrNull(AddressRules::BuyerKey(buyerId))},
                          {QStringLiteral("DeliveryAddress"), textOrNull(address)},
                          {QStringLiteral("DateEnded"), vb::today()},
                          {QStringLiteral("WinningBid"), numTotal[0]->value()},
                          {QStringLiteral("Shipping"), numTotal[1]->value()}}))
        return;

    clsActions::DoneOptions done;
    done.AuctionEnded = true;
    done.AuctionSold = !buyerId.isEmpty();
    // A refusal or failure has been said, naming the sale; what was typed stays
    // for another try.
    if (!ctx().gActions->DoneAction(mAuctionId, done)) return;
    accept();
}
