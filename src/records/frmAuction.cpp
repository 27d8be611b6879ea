#include "frmAuction.h"

#include "AddressRules.h"
#include "CodeBox.h"
#include "FieldRows.h"
#include "SaleRules.h"
#include "SaleWriter.h"
#include "core/MainWindowApi.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/MailAddress.h"
#include "platform/AmountEdit.h"
#include "platform/AmountText.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/NullableDateEdit.h"
#include "platform/ReadOnlyBox.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QToolButton>

namespace {
const QString CrLf = QStringLiteral("\r\n");

RecordEditor::Setup auctionSetup()
{
    RecordEditor::Setup s;
    s.caption = QStringLiteral("Auction");
    s.table = QStringLiteral("Auction");
    s.key = QStringLiteral("AuctionId");
    s.description = QStringLiteral("Description");
    s.descriptionHeader = QStringLiteral("Description");
    s.keyMaximum = SaleWriter::AuctionIdLength;
    s.codeTag = QStringLiteral("M  Auction number");
    s.codeLabel = QStringLiteral("Auction #");
    s.cutWhileTyping = true;
    s.stripTrailingBlanks = true;
    return s;
}

ProgramContext& ctx() { return ProgramContext::current(); }
void inform(const QString& text) { MsgBox(text, vbmsg::Information, ctx().gAppTitle); }

// A date field's value as a serial, Null when empty.
QVariant serialOf(const NullableDateEdit* d) { return d->isNull() ? QVariant() : QVariant(vb::toOleDate(d->date())); }
void setSerial(NullableDateEdit* d, const QVariant& v)
{
    if (v.isNull()) d->clear();
    else d->setDate(vb::fromOleDate(v.toDouble()).date());
}
// A non-editable list set to a text it holds, or to nothing.
void choose(QComboBox* box, const QString& text) { box->setCurrentIndex(text.isEmpty() ? -1 : box->findText(text)); }
}  // namespace

frmAuction::frmAuction(QWidget* parent) : RecordEditor(auctionSetup(), parent)
{
    setObjectName(QStringLiteral("frmAuction"));
    auto formButton = [this](int index, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setText(QStringLiteral(">>"));
        b->setToolTip(tip);
        connect(b, &QToolButton::clicked, this, [this, index] { cmdForm_Click(index); });
        return b;
    };

    txtDescription = new QLineEdit(this);
    TypingLimit::Apply(txtDescription, 50);
    tagField(txtDescription, "txtDescription", QStringLiteral("MD Description"));
    cboItemId = new QComboBox(this);
    tagField(cboItemId, "cboItemId", QStringLiteral("MD Item Code"));
    QGridLayout* g = fieldsLayout();
    FieldRows::addRow(g, 1, QStringLiteral("Title"), txtDescription);
    FieldRows::addRow(g, 2, QStringLiteral("Item code"), cboItemId, formButton(0, QStringLiteral("Open item details")));

    ssTab = new QTabWidget(this);
    g->addWidget(ssTab, 3, 0, 1, 2);
    auto page = [this](const QString& caption) {
        auto* w = new QWidget(ssTab);
        auto* grid = new QGridLayout(w);
        grid->setColumnStretch(1, 1);
        ssTab->addTab(w, caption);
        return std::make_pair(w, grid);
    };

    // Auction
    auto [auction, ga] = page(QStringLiteral("Auction"));
    dateStart = new QDateEdit(auction);
    dateStart->setCalendarPopup(true);
    dateStart->setDisplayFormat(QStringLiteral("d/MM/yyyy"));
    tagField(dateStart, "dateStart", QStringLiteral("DM Start Date"));
    cboActionId = new QComboBox(auction);
    tagField(cboActionId, "cboActionId", QStringLiteral("DM Next action"));
    dateNextAction = new NullableDateEdit(auction);
    tagField(dateNextAction, "dateNextAction", QStringLiteral("D"));
    cboDays = new QComboBox(auction);
    cboDays->setEditable(true);
    cboDays->addItems({QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("10")});
    tagField(cboDays, "cboDays", QStringLiteral("DM Days"));
    cboDays->hide();
    FieldRows::addRow(ga, 0, QStringLiteral("Start Date"), dateStart, nullptr, Qt::AlignLeft);
    FieldRows::addRow(ga, 1, QStringLiteral("Next Action"), cboActionId);
    ga->addWidget(dateNextAction, 2, 1, Qt::AlignLeft);
    ga->setRowStretch(3, 1);

    // Buyer
    auto [buyerPage, gb] = page(QStringLiteral("Buyer"));
    cboCustomerId = new QComboBox(buyerPage);
    cboCustomerId->setEditable(true);
    cboCustomerId->setInsertPolicy(QComboBox::NoInsert);
    tagField(cboCustomerId, "cboCustomerId", QStringLiteral("D"));
    txtEmail = new QLineEdit(buyerPage);
    tagField(txtEmail, "txtEmail", QStringLiteral("D"));
    txtAddress = new QPlainTextEdit(buyerPage);
    txtAddress->setTabChangesFocus(true);
    txtAddress->setLineWrapMode(QPlainTextEdit::NoWrap);
    tagField(txtAddress, "txtAddress", QStringLiteral("D"));
    txtName = new QLineEdit(buyerPage);
    tagField(txtName, "txtName", QStringLiteral("D"));
    FieldRows::addRow(gb, 0, QStringLiteral("Buyer Id"), cboCustomerId, formButton(1, QStringLiteral("Open buyer details")));
    FieldRows::addRow(gb, 1, QStringLiteral("Email"), txtEmail);
    FieldRows::addRow(gb, 2, QStringLiteral("Delivery Address"), txtAddress);
    FieldRows::addRow(gb, 3, QStringLiteral("Name"), txtName);

    // Payment
    auto [payment, gp] = page(QStringLiteral("Payment"));
    const char* amountNames[] = {"Winning bid", "Shipping", "Insurance", "Other", "TOTAL"};
    for (int i = 0; i < 5; ++i) {
        numTotal[i] = new AmountEdit(payment);
        tagField(numTotal[i], "numTotal", QStringLiteral("D"));
        numTotal[i]->setMaximumWidth(vb::twipsToPixels(1800));
        QLabel* l = FieldRows::addRow(gp, i, QLatin1String(amountNames[i]), numTotal[i], nullptr, Qt::AlignLeft);
        if (i == 2 || i == 3) {  // kept for the total, never shown
            l->hide();
            numTotal[i]->hide();
        }
        connect(numTotal[i], &QLineEdit::textChanged, this, [this] { recomputeTotal(); });
    }
    ReadOnlyBox::Apply(numTotal[4]);
    cboPayId = new QComboBox(payment);
    tagField(cboPayId, "cboPayId", QStringLiteral("D"));
    datePaid = new NullableDateEdit(payment);
    tagField(datePaid, "datePaid", QStringLiteral("D"));
    FieldRows::addRow(gp, 5, QStringLiteral("Method"), cboPayId, formButton(2, QStringLiteral("Open payment methods details")));
    FieldRows::addRow(gp, 6, QStringLiteral("Date Paid"), datePaid, nullptr, Qt::AlignLeft);
    gp->setRowStretch(7, 1);

    // Shipping
    auto [shipping, gs] = page(QStringLiteral("Shipping"));
    dateSent = new NullableDateEdit(shipping);
    tagField(dateSent, "dateSent", QStringLiteral("D"));
    txtTrackingNumber = new QLineEdit(shipping);
    TypingLimit::Apply(txtTrackingNumber, 50);
    tagField(txtTrackingNumber, "txtTrackingNumber", QStringLiteral("D"));
    FieldRows::addRow(gs, 0, QStringLiteral("Date shipped"), dateSent, nullptr, Qt::AlignLeft);
    FieldRows::addRow(gs, 1, QStringLiteral("Courier tracking No."), txtTrackingNumber);
    gs->setRowStretch(2, 1);

    // Comments / Notes
    auto [notesPage, gn] = page(QStringLiteral(" Comments / Notes"));
    txtNotes = new QPlainTextEdit(notesPage);
    tagField(txtNotes, "txtNotes", QStringLiteral("L"));
    gn->addWidget(txtNotes, 0, 0, 1, 2);

    // The seller's choices only: the program's own fills block or bypass these.
    connect(cboActionId, &QComboBox::activated, this, [this] { cboActionId_Click(); });
    connect(cboItemId, &QComboBox::activated, this, [this] { cboItemId_Click(); });
    connect(cboCustomerId, &QComboBox::activated, this, [this] { cboCustomerId_Click(); });
    connect(cboCustomerId->lineEdit(), &QLineEdit::editingFinished, this, [this] { cboCustomerId_Click(); });
    connect(cboPayId, &QComboBox::activated, this, [this] { cboPayId_Click(); });
    FieldRows::keepAddressOnly(txtEmail);
    connect(txtAddress, &QPlainTextEdit::textChanged, this, &frmAuction::txtAddress_Change);
    connect(datePaid, &NullableDateEdit::changed, this, [this] { datePaid_Change(); });
    connect(dateSent, &NullableDateEdit::changed, this, [this] { dateSent_Change(); });

    resize(vb::twipsToPixels(9000), vb::twipsToPixels(7600));
    SetEditMode();
    mHandlers = true;
    ssTab->setCurrentIndex(1);
    // The lists once more: no step is shown until a sale is loaded or Add clears the fields.
    RefreshCombos(false);
}

// QDialog's destructor hides the window, and a buyer box that held the caret
// then finishes its editing (and its completer picks an entry): by that time
// this part of the window is gone, so the look-up must not run.
frmAuction::~frmAuction()
{
    cboCustomerId->disconnect(this);
    cboCustomerId->lineEdit()->disconnect(this);
}

bool frmAuction::nonAuction() const { return windowTitle().contains(QLatin1String("Non")); }

int frmAuction::step() const { return cboActionId->currentIndex() + 1; }

void frmAuction::setStep(int step) { cboActionId->setCurrentIndex(step >= 1 && step <= cboActionId->count() ? step - 1 : -1); }

QString frmAuction::addressText() const { return txtAddress->toPlainText().replace(u'\n', CrLf); }

// ---- lists ----

void frmAuction::RefreshCombos(bool keepText)
{
    FieldRows::FillCombo(cboItemId, QStringLiteral("SELECT ItemId FROM Item ORDER BY ItemId"), keepText);
    FieldRows::FillCombo(cboCustomerId, QStringLiteral("SELECT CustomerId FROM Customer ORDER BY CustomerId"), keepText);
    FieldRows::FillCombo(cboPayId, QStringLiteral("SELECT PayId FROM PayMethod ORDER BY PayId"), keepText);
    if (keepText) return;
    // Steps 3 and 7 are the program's own: shown for a sale that stands at one, never chosen here.
    const QSignalBlocker block(cboActionId);
    auto* model = new QStandardItemModel(cboActionId);
    const clsActions* actions = ctx().gActions;
    for (int i = 1; i <= 16; ++i) {
        auto* item = new QStandardItem(actions && i <= actions->Count() ? actions->Description(i) : QString());
        if (i == 3 || i == 7) item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        model->appendRow(item);
    }
    cboActionId->setModel(model);
    cboActionId->setCurrentIndex(-1);
}

// ---- modes, load ----

void frmAuction::clearFields()
{
    const bool handlers = mHandlers;
    mHandlers = false;
    const QSignalBlocker blockAddress(txtAddress);
    txtDescription->clear();
    RefreshCombos(false);
    dateStart->setDate(QDate::currentDate());
    cboDays->setEditText(QStringLiteral("0"));
    dateNextAction->setDate(QDate::currentDate());
    setStep(1);
    cboCustomerId->setEditText(QString());
    for (QLineEdit* box : {txtEmail, txtName, txtTrackingNumber}) box->clear();
    txtAddress->clear();
    datePaid->clear();
    for (AmountEdit* a : numTotal) a->setValue(0);
    dateSent->clear();
    txtNotes->clear();
    mLoadedStart = 0;
    mHandlers = handlers;
}

void frmAuction::modeApplied()
{
    dateNextAction->setEnabled(step() != 15 && editMode() != Browse);
    rememberShown();
}

void frmAuction::rememberShown()
{
    mPaid = serialOf(datePaid);
    mSent = serialOf(dateSent);
    mNextAction = serialOf(dateNextAction);
    mStep = step();
}

void frmAuction::showRecord(const Recordset& rs)
{
    mHandlers = false;
    const QSignalBlocker blockAddress(txtAddress);
    txtDescription->setText(rs.text(QStringLiteral("Description")));
    choose(cboItemId, rs.text(QStringLiteral("ItemId")));
    mLoadedStart = rs.value(QStringLiteral("dateStart")).toDouble();
    dateStart->setDate(vb::fromOleDate(mLoadedStart).date());
    setSerial(dateNextAction, rs.value(QStringLiteral("dateNextAction")));
    setStep(rs.value(QStringLiteral("ActionId")).toInt());
    cboCustomerId->setEditText(rs.text(QStringLiteral("CustomerId")));
    // The buyer's e-mail and name are the shown sale's buyer's (afterLoad): none of the sale before.
    txtEmail->clear();
    txtName->clear();
    txtAddress->setPlainText(rs.text(QStringLiteral("DeliveryAddress")).replace(CrLf, QStringLiteral("\n")));
    setSerial(datePaid, rs.value(QStringLiteral("datePaid")));
    // A sale without a method shows none, not the one of the sale before.
    choose(cboPayId, rs.text(QStringLiteral("PayId")));
    numTotal[0]->setValue(rs.value(QStringLiteral("Winningbid")).toDouble());
    numTotal[1]->setValue(rs.value(QStringLiteral("Shipping")).toDouble());
    setSerial(dateSent, rs.value(QStringLiteral("dateSent")));
    txtTrackingNumber->setText(rs.text(QStringLiteral("TrackingNumber")));
    txtNotes->setPlainText(rs.text(QStringLiteral("Notes")));
    recomputeTotal();
    rememberShown();
}

void frmAuction::afterLoad()
{
    // The buyer's e-mail and name, in every mode, only when the buyer is on file: a new
    // buyer's typed e-mail and name stay (leaving the code box runs this while adding).
    const QString buyer = cboCustomerId->currentText();
    if (buyer.isEmpty()) {
        // A sale shown without a buyer shows none; while adding or editing, what was typed stays.
        if (editMode() == Browse) {
            const QSignalBlocker block(txtAddress);
            txtEmail->clear();
            txtName->clear();
            txtAddress->clear();
        }
    } else {
        Recordset rs;
        if (ctx().gDatabase->OpenDB(QStringLiteral("SELECT Email, Name FROM Customer WHERE CustomerId=?"), {buyer}, false, true, true, &rs) &&
            !rs.isEOF()) {
            txtEmail->setText(rs.text(QStringLiteral("Email")));
            txtName->setText(rs.text(QStringLiteral("Name")));
        }
    }
    mHandlers = true;
}

void frmAuction::writeRecord(Recordset&) {}  // SaveRecord writes through SaleWriter

// ---- activation and buttons ----

void frmAuction::Form_Activate()
{
    if (!isVisible() || activated()) return;
    setActivated();
    FillLookup();
    cboId->setFocus();
    if (mRemotePrivate) {
        mRemotePrivate = false;
        setWindowTitle(QStringLiteral("Add Non-Auction"));
        cmdAdd_Click();
        setStep(4);
        dateNextAction->setDate(QDate::currentDate().addDays(3));
        rememberShown();
        ssTab->setCurrentIndex(1);
    } else if (mRemoteEdit) {
        cboId->setText(mRemoteId);
        mRemoteEdit = false;
        cmdEdit_Click();
    }
    RefreshCombos(true);
}

void frmAuction::cmdAdd_Click()
{
    RecordEditor::cmdAdd_Click();
    if (nonAuction()) {
        ssTab->setCurrentIndex(1);
        cboId->setText(QString::number(ctx().gConfiguration.NextAuctionNumber));
    } else {
        ssTab->setCurrentIndex(0);
        cboId->setFocus();
    }
}

void frmAuction::cmdForm_Click(int index)
{
    static const char* const forms[] = {"frmItem", "frmCustomer", "frmPayMethod"};
    const QString code = index == 0 ? cboItemId->currentText() : index == 1 ? cboCustomerId->currentText() : cboPayId->currentText();
    FormsRegistry::instance().showModal(QLatin1String(forms[index]), {{QStringLiteral("mRemoteId"), code}}, this);
}

// ---- change handlers ----

void frmAuction::cboActionId_Click()
{
    if (step() == 15) {
        dateNextAction->clear();
        dateNextAction->setEnabled(false);
    } else {
        if (dateNextAction->isNull()) dateNextAction->setDate(QDate::currentDate());
        dateNextAction->setEnabled(editMode() != Browse);
    }
}

void frmAuction::cboItemId_Click()
{
    if (!txtDescription->text().isEmpty()) return;
    Recordset rs;
    if (ctx().gDatabase->OpenDB(QStringLiteral("SELECT Description FROM Item WHERE ItemId=?"), {cboItemId->currentText()}, false, true, true, &rs) &&
        !rs.isEOF())
        txtDescription->setText(rs.text(QStringLiteral("Description")));
}

void frmAuction::cboCustomerId_Click()
{
    const QString typed = MailAddress::bare(cboCustomerId->currentText());
    if (typed != cboCustomerId->currentText()) cboCustomerId->setEditText(typed);
    if (typed.isEmpty()) return;
    Recordset rs;
    if (!ctx().gDatabase->OpenDB(QStringLiteral("SELECT * FROM Customer WHERE CustomerId=?"), {typed}, false, true, false, &rs) || rs.isEOF())
        return;
    cboCustomerId->setEditText(rs.text(QStringLiteral("CustomerId")));
    txtEmail->setText(rs.text(QStringLiteral("Email")));
    {
        // The buyer's address on file replaces the delivery address; the name is the buyer's own.
        const QSignalBlocker block(txtAddress);
        txtAddress->setPlainText(rs.text(QStringLiteral("Address")).replace(CrLf, QStringLiteral("\n")));
    }
    txtName->setText(rs.text(QStringLiteral("Name")));
}

void frmAuction::txtAddress_Change()
{
    const QString text = addressText();
    const QString name = AddressRules::FirstLineName(text, txtName->text());
    if (name != txtName->text()) txtName->setText(SaleRules::ProperCaseName(name));
    const QString kept = SaleRules::StripSiteAddressLabels(text);
    if (kept != text) {
        const QSignalBlocker block(txtAddress);
        txtAddress->setPlainText(QString(kept).replace(CrLf, QStringLiteral("\n")));
        txtAddress->moveCursor(QTextCursor::End);
    }
}

void frmAuction::recomputeTotal()
{
    double total = 0;
    for (int i = 0; i < 4; ++i) total += numTotal[i]->value();
    const QSignalBlocker block(numTotal[4]);
    numTotal[4]->setValue(total);
}

void frmAuction::cboPayId_Click()
{
    if (datePaid->isNull()) datePaid->setDate(QDate::currentDate());  // the handler follows from its signal
    else datePaid_Change();
}

void frmAuction::lockStep(const QDate& due, int step)
{
    dateNextAction->setDate(due);
    dateNextAction->setEnabled(false);
    setStep(step);
    cboActionId->setEnabled(false);
}

void frmAuction::restoreStep()
{
    dateNextAction->setEnabled(true);
    setSerial(dateNextAction, mNextAction);
    cboActionId->setEnabled(true);
    setStep(mStep);
}

void frmAuction::datePaid_Change()
{
    if (!mHandlers || !mPaid.isNull()) return;  // a sale paid when loaded is not re-stepped
    if (!datePaid->isNull()) lockStep(QDate::currentDate(), 10);
    else restoreStep();
}

void frmAuction::dateSent_Change()
{
    if (!mHandlers || !mSent.isNull()) return;
    const clsActions* actions = ctx().gActions;
    if (!dateSent->isNull())
        lockStep(QDate::currentDate().addDays(actions ? actions->NumDays(11) : 0), actions ? actions->NextActionId(11) : 12);
    else
        restoreStep();
}

// ---- checks, save, delete ----

bool frmAuction::ValidateAuction() { return Validate(); }

bool frmAuction::validateMore()
{
    // A text that holds no amount is refused, never stored as 0.
    const char* const amountNames[] = {"winning bid", "shipping amount"};
    for (int i = 0; i < 2; ++i) {
        if (numTotal[i]->holdsAmount()) continue;
        inform(AmountText::NotAnAmount(QLatin1String(amountNames[i]), numTotal[i]->text()));
        ssTab->setCurrentIndex(2);
        numTotal[i]->setFocus();
        return false;
    }
    SaleRules::Check c;
    c.step = step();
    c.stepText = cboActionId->currentText();
    c.nextActionDate = !dateNextAction->isNull();
    c.customerId = cboCustomerId->currentText();
    c.email = txtEmail->text();
    c.name = txtName->text();
    c.address = addressText();
    c.datePaid = !datePaid->isNull();
    c.payId = cboPayId->currentText();
    c.dateSent = !dateSent->isNull();
    c.nonAuction = nonAuction();
    c.adding = editMode() == Adding;
    c.winningBid = numTotal[0]->value();
    const SaleRules::Verdict v = SaleRules::Validate(c);
    if (v.message.isEmpty()) return true;
    if (v.askZeroBid &&
        MsgBox(SaleRules::ZeroBidQuestion(), vbmsg::YesNo + vbmsg::Question, ctx().gAppTitle) == vbmsg::Yes)
        return true;
    inform(v.message);
    switch (v.field) {
    case SaleRules::Field::NextActionDate: dateNextAction->setFocus(); break;
    case SaleRules::Field::CustomerId: ssTab->setCurrentIndex(1); cboCustomerId->setFocus(); break;
    case SaleRules::Field::Email: ssTab->setCurrentIndex(1); txtEmail->setFocus(); break;
    case SaleRules::Field::Step: ssTab->setCurrentIndex(0); cboActionId->setFocus(); break;
    case SaleRules::Field::PayId: ssTab->setCurrentIndex(2); cboPayId->setFocus(); break;
    case SaleRules::Field::WinningBid: ssTab->setCurrentIndex(2); numTotal[0]->setFocus(); break;
    case SaleRules::Field::None: break;
    }
    return false;
}

bool frmAuction::SaveRecord()
{
    if (!ConfirmShortening()) return false;
    SaleForm f;
    f.heldCode = heldCode();
    f.codeText = cboId->text();
    f.adding = editMode() == Adding;
    f.nonAuction = nonAuction();
    f.description = txtDescription->text();
    f.itemId = cboItemId->currentText();
    // The start keeps its time of day while its date is the one loaded.
    const double shownStart = vb::toOleDate(dateStart->date());
    f.dateStart = vb::Int(mLoadedStart) == shownStart ? mLoadedStart : shownStart;
    f.dateNextAction = serialOf(dateNextAction);
    f.actionId = step();
    f.customerId = cboCustomerId->currentText();
    f.buyerName = txtName->text();
    f.buyerEmail = txtEmail->text();
    f.deliveryAddress = addressText();
    f.datePaid = serialOf(datePaid);
    f.payId = cboPayId->currentText();
    f.winningBid = numTotal[0]->value();
    f.shipping = numTotal[1]->value();
    f.dateSent = serialOf(dateSent);
    f.trackingNumber = txtTrackingNumber->text();
    f.notes = txtNotes->toPlainText().replace(u'\n', CrLf);
    f.rememberedDatePaid = mPaid;
    f.rememberedDateSent = mSent;
    f.rememberedDateNextAction = mNextAction;
    f.rememberedStep = mStep;

    // The address question comes before anything is written.
    const AddressRules::BuyerPlan plan =
        f.customerId.isEmpty() ? AddressRules::BuyerPlan{}
                               : AddressRules::PlanBuyerAddress(f.customerId, f.buyerName, f.deliveryAddress, f.buyerEmail, true);
    const SaleSaveResult result = SaleWriter::Save(f, plan);
    if (result.outcome == SaleSaveResult::Refused) inform(result.message);
    if (result.outcome != SaleSaveResult::Saved) return false;

    if (MainWindowApi* main = ctx().gMainWindow) {
        if (f.adding) main->Refreshlist();
        main->RefreshListItem(result.auctionId);
    }
    setEditModeValue(Browse);
    SetEditMode();
    setHeldCode(result.auctionId);
    cboId->setText(result.auctionId);
    LoadRecord();
    FillLookup();
    return true;
}

void frmAuction::DeleteRecord()
{
    const QString code = cboId->text();
    if (MsgBox(QStringLiteral("Are you sure you want to PERMANENTLY delete this record?") + CrLf + CrLf +
                   QStringLiteral("WARNING: This action cannot be un-done!"),
               vbmsg::YesNo + vbmsg::Exclamation, ctx().gAppTitle) != vbmsg::Yes)
        return;
    const SaleDeleteResult result = SaleWriter::Delete(code, nonAuction());
    if (result.outcome == SaleDeleteResult::Failed) return;
    if (result.outcome == SaleDeleteResult::NotFound) {
        inform(notFoundMessage(code));
        return;
    }
    if (!result.message.isEmpty()) inform(result.message);
    if (MainWindowApi* main = ctx().gMainWindow) {
        main->Refreshlist();
        main->RefreshListItem(code);
        if (!result.renamedTo.isEmpty()) main->RefreshListItem(result.renamedTo);
    }
    setEditModeValue(Browse);
    SetEditMode();
    FillLookup();
}
