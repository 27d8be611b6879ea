#include "frmItem.h"

#include "ItemWriter.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/clsLinks.h"
#include "core/modWebProcessing.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/ReadOnlyBox.h"
#include "platform/SpinButtons.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "records/CodeBox.h"
#include "records/FieldTag.h"
#include "records/LookupModel.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace {
ProgramContext& ctx() { return ProgramContext::current(); }
void inform(const QString& text) { MsgBox(text, vbmsg::Information, ctx().gAppTitle); }

void refuseDefaultItem() { MsgBox(ItemWriter::DefaultItemRefusal, vbmsg::Exclamation, ctx().gAppTitle); }

// The groups a control's Tag names: its boxes, spinners and labels are enabled together.
const QString LimitGroup = QStringLiteral("limit");
const QString StockGroup = QStringLiteral("stock");
const QString WarningGroup = QStringLiteral("warning");

bool inGroup(const QWidget* w, const QString& group) { return w->property("Tag").toString().contains(group); }

RecordEditor::Setup itemSetup()
{
    RecordEditor::Setup s = frmItem::ItemCodeSetup(QStringLiteral("Item"), 5900);
    s.fillEveryActivation = false;
    return s;
}
}  // namespace

RecordEditor::Setup frmItem::ItemCodeSetup(const QString& caption, int lookupWidth)
{
    RecordEditor::Setup s;
    s.caption = caption;
    s.table = QStringLiteral("Item");
    s.key = QStringLiteral("ItemId");
    s.description = QStringLiteral("Description");
    s.descriptionHeader = QStringLiteral("Description");
    s.keyMaximum = ItemWriter::ItemIdLength;
    s.codeTag = QStringLiteral("M  Item Code");
    s.codeLabel = QStringLiteral("Item code");
    s.cutWhileTyping = true;
    s.stripTrailingBlanks = true;
    s.lookupWidth = lookupWidth;
    s.lookupHeight = 2500;
    return s;
}

frmItem::frmItem(QWidget* parent) : RecordEditor(itemSetup(), parent)
{
    setObjectName(QStringLiteral("frmItem"));
    QGridLayout* grid = fieldsLayout();

    auto label = [](const QString& caption, QWidget* buddy, const QString& tag) {
        auto* l = new QLabel(caption, buddy->parentWidget());
        l->setProperty("Tag", tag);
        l->setBuddy(buddy);
        return l;
    };

    txtDescription = new QLineEdit(this);
    tagField(txtDescription, "txtDescription", QStringLiteral("MD Auction title"));
    TypingLimit::Apply(txtDescription, 50);
    grid->addWidget(label(QStringLiteral("Auction title"), txtDescription, QStringLiteral("D")), 1, 0);
    grid->addWidget(txtDescription, 1, 1);

    chkStocked = new QCheckBox(QStringLiteral("Is this a stocked / permanent Item?"), this);
    tagField(chkStocked, "chkStocked", QStringLiteral("D"));
    grid->addWidget(chkStocked, 2, 1);

    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));
    grid->addWidget(SSTab, 3, 0, 1, 2);

    // A number box with its spinner; the box takes any text, the arrows step the number it begins with.
    auto numberRow = [&](QGridLayout* page, int row, int index, const QString& caption, const QString& tag) {
        QWidget* holder = page->parentWidget();
        auto* box = new QLineEdit(holder);
        tagField(box, qPrintable(QStringLiteral("numValue(%1)").arg(index)), tag);
        box->setFixedWidth(vb::twipsToPixels(900));
        auto* spin = new SpinButtons(holder);
        spin->setObjectName(QStringLiteral("UpDown(%1)").arg(index));
        spin->setProperty("Tag", tag);
        connect(spin, &SpinButtons::stepped, this, [this, index](int step) { UpDown_Change(index, step); });
        auto* line = new QHBoxLayout;
        line->setSpacing(0);
        line->addWidget(box);
        line->addWidget(spin);
        line->addStretch(1);
        page->addWidget(label(caption, box, tag), row, 0);
        page->addLayout(line, row, 1);
        m_numValue[size_t(index)] = box;
        m_upDown[size_t(index)] = spin;
    };

    // ---- "Relist options" ----
    auto* relist = new QWidget;
    auto* relistGrid = new QGridLayout(relist);
    chkLimit = new QCheckBox(QStringLiteral("Limit the number of auctions?"), relist);
    tagField(chkLimit, "chkLimit", QStringLiteral("D"));
    relistGrid->addWidget(chkLimit, 0, 0, 1, 2);
    const QString limits[4] = {QStringLiteral("Maximum number of auctions"), QStringLiteral("Maximum auctions with no bids"),
                               QStringLiteral("Maximum auctions per day"), QStringLiteral("Min days between auctions")};
    for (int i = 0; i < 4; ++i) numberRow(relistGrid, i + 1, i, limits[i], QStringLiteral("D  limit"));
    chkEndDay[0] = new QCheckBox(QStringLiteral("Auction end day preference?"), relist);
    tagField(chkEndDay[0], "chkEndDay(0)", QStringLiteral("D"));
    relistGrid->addWidget(chkEndDay[0], 5, 0, 1, 2);
    auto* days = new QGridLayout;
    const QString dayNames[7] = {QStringLiteral("Monday"), QStringLiteral("Tuesday"),  QStringLiteral("Wednesday"), QStringLiteral("Thursday"),
                                 QStringLiteral("Friday"), QStringLiteral("Saturday"), QStringLiteral("Sunday")};
    for (int d = 1; d <= 7; ++d) {
        chkEndDay[size_t(d)] = new QCheckBox(dayNames[d - 1], relist);
        tagField(chkEndDay[size_t(d)], qPrintable(QStringLiteral("chkEndDay(%1)").arg(d)), QStringLiteral("D"));
        days->addWidget(chkEndDay[size_t(d)], (d - 1) / 4, (d - 1) % 4);
    }
    relistGrid->addLayout(days, 6, 0, 1, 2);
    relistGrid->setColumnStretch(1, 1);
    relistGrid->setRowStretch(7, 1);
    SSTab->addTab(relist, QStringLiteral("Relist options"));

    // ---- "Stock" ----
    auto* stock = new QWidget;
    auto* stockGrid = new QGridLayout(stock);
    chkUseStock = new QCheckBox(QStringLiteral("Stock tracking?"), stock);
    tagField(chkUseStock, "chkUseStock", QStringLiteral("D"));
    stockGrid->addWidget(chkUseStock, 0, 0, 1, 2);
    numberRow(stockGrid, 1, 4, QStringLiteral("Stock on hand"), QStringLiteral("D  stock"));
    auto countBox = [&](int row, const char* name, const QString& caption) {
        auto* box = new QLineEdit(stock);
        tagField(box, name, QStringLiteral("D  stock"));
        ReadOnlyBox::Apply(box);
        box->setFixedWidth(vb::twipsToPixels(900));
        box->installEventFilter(this);
        stockGrid->addWidget(label(caption, box, QStringLiteral("D  stock")), row, 0);
        stockGrid->addWidget(box, row, 1, Qt::AlignLeft);
        return box;
    };
    numCurrentListings = countBox(2, "numCurrentListings", QStringLiteral("Current listings"));
    numSoldNotShipped = countBox(3, "numSoldNotShipped", QStringLiteral("Sold (not shipped)"));
    chkStockWarning = new QCheckBox(QStringLiteral("Low stock warning?"), stock);
    tagField(chkStockWarning, "chkStockWarning", QStringLiteral("   stock"));
    stockGrid->addWidget(chkStockWarning, 4, 0, 1, 2);
    numberRow(stockGrid, 5, 5, QStringLiteral("Warn when level falls below"), QStringLiteral("D  warning"));
    stockGrid->setColumnStretch(1, 1);
    stockGrid->setRowStretch(6, 1);
    SSTab->addTab(stock, QStringLiteral("Stock"));

    cmdView = new QPushButton(QStringLiteral("&View"), this);
    cmdView->setObjectName(QStringLiteral("cmdView"));
    cmdView->setToolTip(QStringLiteral("View the last listed auction for this title on TradeMe"));
    cmdView->setAutoDefault(false);
    cmdView->hide();
    connect(cmdView, &QPushButton::clicked, this, &frmItem::cmdView_Click);
    // View stands at the left of the pattern's buttons.
    if (auto* box = qobject_cast<QVBoxLayout*>(layout()))
        if (auto* buttons = qobject_cast<QHBoxLayout*>(box->itemAt(box->count() - 1)->layout())) buttons->insertWidget(0, cmdView);

    // The seller's clicks; the program's own fills block these signals.
    connect(chkStocked, &QCheckBox::toggled, this, &frmItem::chkStocked_Click);
    connect(chkUseStock, &QCheckBox::toggled, this, &frmItem::chkUseStock_Click);
    for (QCheckBox* box : {chkLimit, chkEndDay[0], chkStockWarning}) connect(box, &QCheckBox::toggled, this, &frmItem::applyRules);

    // Wide enough for the lookup list (5900 twips from the code box).
    setMinimumSize(vb::twipsToPixels(7800), vb::twipsToPixels(6400));
    SSTab->setCurrentIndex(0);
    SetEditMode();
}

// ---- the boxes and their rules ----

ItemForm frmItem::form() const
{
    ItemForm f;
    f.heldCode = heldCode();
    f.codeText = cboId->text();
    f.adding = editMode() == Adding;
    f.description = txtDescription->text();
    f.stocked = chkStocked->isChecked();
    f.limit = chkLimit->isChecked();
    for (size_t i = 0; i < m_numValue.size(); ++i) f.numValue[i] = m_numValue[i]->text();
    for (size_t d = 0; d < chkEndDay.size(); ++d) f.chkEndDay[d] = chkEndDay[d]->isChecked();
    f.useStock = chkUseStock->isChecked();
    f.stockWarning = chkStockWarning->isChecked();
    return f;
}

void frmItem::clearFields()
{
    std::vector<std::unique_ptr<QSignalBlocker>> blocks;
    for (QCheckBox* box : findChildren<QCheckBox*>()) blocks.push_back(std::make_unique<QSignalBlocker>(box));
    txtDescription->clear();
    // A new item starts stocked.
    chkStocked->setChecked(editMode() == Adding);
    chkLimit->setChecked(false);
    for (QLineEdit* box : m_numValue) box->clear();
    for (QCheckBox* day : chkEndDay) day->setChecked(false);
    chkUseStock->setChecked(false);
    chkStockWarning->setChecked(false);
    // An empty window counts nothing.
    numCurrentListings->clear();
    numSoldNotShipped->clear();
}

void frmItem::showItem(const ItemRow& row)
{
    const ItemForm f = ItemWriter::FormOf(row);
    std::vector<std::unique_ptr<QSignalBlocker>> blocks;
    for (QCheckBox* box : findChildren<QCheckBox*>()) blocks.push_back(std::make_unique<QSignalBlocker>(box));
    txtDescription->setText(f.description);
    chkStocked->setChecked(f.stocked);
    chkLimit->setChecked(f.limit);
    for (size_t i = 0; i < m_numValue.size(); ++i) m_numValue[i]->setText(f.numValue[i]);
    for (size_t d = 0; d < chkEndDay.size(); ++d) chkEndDay[d]->setChecked(f.chkEndDay[d]);
    chkUseStock->setChecked(f.useStock);
    chkStockWarning->setChecked(f.stockWarning);
}

void frmItem::applyRules()
{
    const bool editing = editMode() >= Adding;
    const bool stocked = chkStocked->isChecked();
    // Limits, end days and stock belong to a stocked item only.
    SSTab->setTabEnabled(1, stocked);
    if (!stocked) SSTab->setCurrentIndex(0);
    chkLimit->setEnabled(editing && stocked);
    chkEndDay[0]->setEnabled(editing && stocked);
    for (int d = 1; d <= 7; ++d) chkEndDay[size_t(d)]->setEnabled(editing && chkEndDay[0]->isChecked());
    const bool useStock = chkUseStock->isChecked();
    for (QWidget* w : findChildren<QWidget*>()) {
        if (inGroup(w, LimitGroup)) w->setEnabled(editing && chkLimit->isChecked());
        else if (inGroup(w, StockGroup)) w->setEnabled(editing && useStock);
        else if (inGroup(w, WarningGroup)) w->setEnabled(editing && useStock && chkStockWarning->isChecked());
    }
}

void frmItem::chkStocked_Click()
{
    // The limits and end days are chosen afresh for a stocked item.
    {
        const QSignalBlocker a(chkLimit), b(chkEndDay[0]);
        chkLimit->setChecked(false);
        chkEndDay[0]->setChecked(false);
    }
    applyRules();
}

void frmItem::chkUseStock_Click()
{
    if (!chkUseStock->isChecked()) {
        const QSignalBlocker block(chkStockWarning);
        chkStockWarning->setChecked(false);
    }
    applyRules();
}

void frmItem::UpDown_Change(int index, int step)
{
    QLineEdit* box = m_numValue.at(size_t(index));
    const qint64 n = std::clamp<qint64>(qint64(ItemWriter::BoxNumber(box->text())) + step, 0, std::numeric_limits<int>::max());
    box->setText(QString::number(n));
}

void frmItem::showView()
{
    const QString code = cboId->text();
    cmdView->setVisible(editMode() == Browse && !code.isEmpty() && !ItemWriter::IsDefaultItem(code));
}

void frmItem::modeApplied()
{
    applyRules();
    showView();
}

// ---- the counts ----

void frmItem::numCurrentListings_GotFocus()
{
    inform(QStringLiteral("You cannot change this value manually.  This is the actual number of listings you currently have available "
                          "and is updated automatically."));
}

void frmItem::numSoldNotShipped_GotFocus()
{
    inform(QStringLiteral("You cannot change this value manually.  This is the actual number of listings that are sold but have not yet "
                          "been shipped and is updated automatically."));
}

bool frmItem::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == numCurrentListings || watched == numSoldNotShipped)) {
        // Coming back from the explanation itself is no new visit.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == numCurrentListings) numCurrentListings_GotFocus();
            else numSoldNotShipped_GotFocus();
        }
    }
    return RecordEditor::eventFilter(watched, event);
}

// ---- activation and the caller's request ----

void frmItem::Form_Activate()
{
    if (!isVisible() || activated()) return;
    setActivated();
    FillLookup();
    cboId->setFocus();
    OpenRequestedItem();
}

void frmItem::OpenRequestedItem()
{
    cboId->setText(QString());
    if (!mRemoteDesc.isEmpty()) {
        // The item listed under the sale's title wins over the code the sale carries.
        Recordset rs;
        if (ctx().gDatabase->OpenDB(QStringLiteral("SELECT ItemId FROM Item WHERE Description=? ORDER BY ItemId"), {mRemoteDesc}, false, true,
                                    true, &rs)) {
            if (!rs.isEOF()) cboId->setText(rs.text(QStringLiteral("ItemId")));
            rs.Close();
        }
        if (!cboId->text().isEmpty()) {
            if (LoadItem()) cmdEdit_Click();
            return;
        }
    }
    if (mRemoteAddNew) {
        cmdAdd_Click();
        txtDescription->setText(mRemoteDesc);
        return;
    }
    if (mRemoteId.isEmpty() || ItemWriter::IsDefaultItem(mRemoteId)) return;
    cboId->setText(mRemoteId);
    if (LoadItem()) cmdEdit_Click();
}

// ---- load, save, delete ----

bool frmItem::LoadItem()
{
    const QString code = cboId->text();
    const ItemLoadResult loaded = ItemWriter::Load(code);
    bool found = loaded.outcome != ItemLoadResult::Failed;
    if (loaded.outcome == ItemLoadResult::Found) {
        if (editMode() == Adding || editMode() == Editing) {
            // Another item's code; the item being edited may be retyped in another case.
            if (!LookupModel::sameCode(loaded.row.itemId, heldCode())) {
                inform(QStringLiteral("Code already exists."));
                cboId->setText(heldCode());
            }
        } else {
            cboId->setText(loaded.row.itemId);
            showItem(loaded.row);
        }
    } else if (loaded.outcome == ItemLoadResult::NotFound && editMode() == Browse) {
        found = false;
        inform(QStringLiteral("Record not found.  Click Add to create a new record."));
        cboId->setText(QString());
    }
    clsDatabase& db = *ctx().gDatabase;
    numCurrentListings->setText(QString::number(db.GetCurrentListings(cboId->text(), txtDescription->text())));
    numSoldNotShipped->setText(QString::number(db.GetSoldNotShippedListings(cboId->text(), txtDescription->text())));
    showView();
    applyRules();
    return found;
}

bool frmItem::Validate() { return ValidateItem(); }

bool frmItem::ValidateItem()
{
    QString message;
    // In the window's order: the code box first, then the fields as laid out.
    QList<QWidget*> controls{cboId};
    controls += findChildren<QWidget*>();
    for (QWidget* w : std::as_const(controls)) {
        const FieldTag tag = FieldTag::of(w);
        if (!tag.mandatory || (w != cboId && qobject_cast<const QComboBox*>(w->parentWidget()))) continue;
        const QString text = w == cboId ? cboId->text() : qobject_cast<QLineEdit*>(w) ? static_cast<QLineEdit*>(w)->text() : QStringLiteral("x");
        if (!vb::RTrim(text).isEmpty()) continue;
        message = QStringLiteral("Please set the ") + tag.caption;
        w->setFocus();
        break;
    }
    if (chkStockWarning->isChecked() && ItemWriter::BoxNumber(m_numValue[5]->text()) == 0)
        message = QStringLiteral("Please set your low stock warning level or disable low stock warnings.");
    if (message.isEmpty()) return true;
    inform(message);
    return false;
}

bool frmItem::SaveRecord()
{
    if (!ConfirmShortening()) return false;
    SaveItem();
    return editMode() == Browse;
}

void frmItem::SaveItem()
{
    if (editMode() == Adding) setHeldCode(cboId->text());
    const ItemSaveResult saved = ItemWriter::Save(form());
    if (saved.outcome == ItemSaveResult::Failed) return;  // reported; the boxes stay for another try
    if (saved.outcome == ItemSaveResult::Refused) {
        if (saved.message == ItemWriter::DefaultItemRefusal) {
            refuseDefaultItem();
        } else {
            inform(saved.message);
            if (saved.message == QLatin1String("Code already exists.")) cboId->setText(heldCode());
        }
        return;
    }
    setHeldCode(saved.row.itemId);
    UpdateAuctionItemCodes(saved.row.itemId, saved.row.description);
    ItemWriter::ItemsChanged();
    setEditModeValue(Browse);
    SetEditMode();
    cboId->setText(heldCode());
    LoadItem();
    FillLookup();
}

void frmItem::UpdateAuctionItemCodes(const QString& code, const QString& title)
{
    const int sales = ItemWriter::SalesToRecode(code, title);
    if (sales <= 0) return;
    const ItemQuestion question = ItemWriter::RecodeQuestion(code, title, sales);
    if (MsgBox(question.text, question.style, ctx().gAppTitle) == vbmsg::Yes) ItemWriter::RecodeSales(code, title);
}

void frmItem::DeleteItem()
{
    const QString code = cboId->text();
    if (ItemWriter::IsDefaultItem(code)) {
        refuseDefaultItem();
        return;
    }
    const int sales = ItemWriter::SalesOf(code);
    if (sales < 0) return;
    const ItemQuestion question = ItemWriter::DeleteQuestion(code, txtDescription->text(), sales);
    if (MsgBox(question.text, question.style, ctx().gAppTitle) != vbmsg::Yes) return;
    const ItemDeleteResult deleted = ItemWriter::Delete(code);
    if (deleted.outcome == ItemDeleteResult::Deleted) {
        setEditModeValue(Browse);
        SetEditMode();
        FillLookup();
    } else if (deleted.outcome == ItemDeleteResult::Refused) {
        inform(deleted.message);
    }
    ItemWriter::ItemsChanged();
}

// ---- buttons ----

void frmItem::cmdEdit_Click()
{
    const QString code = cboId->text();
    if (ItemWriter::IsDefaultItem(code)) {
        refuseDefaultItem();
    } else if (code.isEmpty()) {
        inform(QStringLiteral("Select a record to edit."));
    } else if (LoadItem()) {
        setHeldCode(cboId->text());
        setEditModeValue(Editing);
        SetEditMode();
        cboId->setText(heldCode());
    }
    cboId->setFocus();
}

void frmItem::cmdView_Click()
{
    const QString code = cboId->text();
    Recordset rs;
    if (!ctx().gDatabase->OpenDB(QStringLiteral("SELECT AuctionId FROM Auction WHERE ItemId=? AND Description=? ORDER BY DateStart DESC"),
                                 {code, txtDescription->text()}, false, true, true, &rs))
        return;
    if (rs.isEOF()) {
        inform(QStringLiteral("An auction with this title was not found in the database."));
        return;
    }
    // The listing started last.
    const QString auctionId = rs.text(QStringLiteral("AuctionId"));
    rs.Close();
    QString address = ctx().gLinks ? ctx().gLinks->Link(ctx().gLinkIdViewAuction) : QString();
    address.replace(QStringLiteral("[AUCTIONNUMBER]"), modWebProcessing::SiteAuctionNumber(auctionId));
    FormsRegistry::instance().showModal(QStringLiteral("frmBrowser"), {{QStringLiteral("StartingAddress"), address}}, this);
}
