#include "frmItemGroup.h"

#include "ItemDetailListModel.h"
#include "ItemDetailWriter.h"
#include "ItemGroupWriter.h"
#include "ItemWriter.h"
#include "frmItem.h"
#include "core/ProgramContext.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/TypingLimit.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "records/CodeBox.h"
#include "records/FieldRows.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
const QString CrLf = QStringLiteral("\r\n");
ProgramContext& ctx() { return ProgramContext::current(); }
void inform(const QString& text) { MsgBox(text, vbmsg::Information, ctx().gAppTitle); }

// The window's height with and without the detail panel, in twips.
constexpr int StockedHeight = 5460;
constexpr int PlainHeight = 3000;
}  // namespace

QString frmItemGroup::Section() { return QStringLiteral("Settings\\frmItemGroup"); }

frmItemGroup::frmItemGroup(QWidget* parent) : RecordEditor(frmItem::ItemCodeSetup(QStringLiteral("Item Group"), 4080), parent), m_details(new ItemDetailListModel(this))
{
    setObjectName(QStringLiteral("frmItemGroup"));
    QGridLayout* grid = fieldsLayout();
    cboId->setObjectName(QStringLiteral("cboId"));
    if (auto* label = qobject_cast<QLabel*>(grid->itemAtPosition(0, 0)->widget())) label->setObjectName(QStringLiteral("lblLabels(0)"));

    txtDescription = new QLineEdit(this);
    tagField(txtDescription, "txtDescription", QStringLiteral("MD Description"));
    TypingLimit::Apply(txtDescription, 50);
    FieldRows::addRow(grid, 1, QStringLiteral("Description"), txtDescription)->setObjectName(QStringLiteral("lblLabels(1)"));
    chkStocked = new QCheckBox(QStringLiteral("Is this a stocked / permanent Item?"), this);
    tagField(chkStocked, "chkStocked", QStringLiteral("D"));
    grid->addWidget(chkStocked, 2, 1);

    lblItemDetail = new QLabel(QStringLiteral("Stocked item details"), this);
    lblItemDetail->setObjectName(QStringLiteral("lblItemDetail"));
    grid->addWidget(lblItemDetail, 3, 0, 1, 2);
    picItemDetail = new QWidget(this);
    picItemDetail->setObjectName(QStringLiteral("picItemDetail"));
    auto* panel = new QHBoxLayout(picItemDetail);
    panel->setContentsMargins(0, 0, 0, 0);
    list = new QTreeView(picItemDetail);
    list->setObjectName(QStringLiteral("list"));
    list->setModel(m_details);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setColumnWidth(0, vb::twipsToPixels(3600));
    list->setColumnWidth(1, vb::twipsToPixels(900));
    panel->addWidget(list, 1);
    auto* detailButtons = new QVBoxLayout;
    auto makeButton = [this, detailButtons](QPushButton*& b, const char* name, const QString& caption, const QString& tag,
                                            void (frmItemGroup::*slot)()) {
        b = new QPushButton(caption, picItemDetail);
        tagField(b, name, tag);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        detailButtons->addWidget(b);
    };
    makeButton(cmdDetailAdd, "cmdDetailAdd", QStringLiteral("Add"), QStringLiteral("DV"), &frmItemGroup::cmdDetailAdd_Click);
    makeButton(cmdDetailEdit, "cmdDetailEdit", QStringLiteral("Edit"), QStringLiteral("V"), &frmItemGroup::cmdDetailEdit_Click);
    makeButton(cmdDetailDelete, "cmdDetailDelete", QStringLiteral("Delete"), QStringLiteral("V"), &frmItemGroup::cmdDetailDelete_Click);
    detailButtons->addStretch();
    panel->addLayout(detailButtons);
    grid->addWidget(picItemDetail, 4, 0, 1, 2);
    grid->setRowStretch(4, 1);
    if (auto* box = qobject_cast<QVBoxLayout*>(layout())) box->setStretchFactor(grid, 1);

    connect(chkStocked, &QCheckBox::clicked, this, &frmItemGroup::chkStocked_Click);
    connect(list, &QAbstractItemView::doubleClicked, this, &frmItemGroup::list_DblClick);

    resize(vb::twipsToPixels(6600), vb::twipsToPixels(PlainHeight));
    SetEditMode();
    restoreColumns();
    showDetailPanel();
}

// ---- column widths ----

void frmItemGroup::restoreColumns()
{
    for (int c = 0; c < m_details->columnCount(); ++c) {
        const QString stored = AppSettings::GetSetting(Section(), QStringLiteral("listColumn%1").arg(c + 1),
                                                       QString::number(vb::pixelsToTwips(list->columnWidth(c))));
        const int width = vb::twipsToPixels(stored.toDouble());
        if (width > 0) list->setColumnWidth(c, width);
    }
}

void frmItemGroup::saveColumns()
{
    QList<QPair<QString, QString>> values;
    for (int c = 0; c < m_details->columnCount(); ++c)
        values.append({QStringLiteral("listColumn%1").arg(c + 1), QString::number(vb::pixelsToTwips(list->columnWidth(c)))});
    AppSettings::SaveSettings(Section(), values);
}

// ---- activation ----

void frmItemGroup::Form_Activate()
{
    if (!isVisible() || activated()) return;
    setActivated();
    showDetailPanel();
    FillLookup();
    cboId->setFocus();
    OpenRequestedItemGroup();
}

void frmItemGroup::OpenRequestedItemGroup()
{
    cboId->setText(QString());
    if (!mRemoteDesc.isEmpty()) {
        const QString code = ItemGroupWriter::ItemOfTitle(mRemoteDesc);
        if (!code.isEmpty()) {
            cboId->setText(code);
            if (LoadRecord()) cmdEdit_Click();
        }
    }
    if (cboId->text().isEmpty()) {
        if (mRemoteAddNew) {
            cmdAdd_Click();
            if (mRemoteStocked) {
                chkStocked->setChecked(true);
                showDetailPanel();
            } else {
                txtDescription->setText(mRemoteDesc);
            }
        } else if (!mRemoteId.isEmpty() && !ItemWriter::IsDefaultItem(mRemoteId)) {
            cboId->setText(mRemoteId);
            if (LoadRecord()) cmdEdit_Click();
        }
    }
    mRemoteId.clear();
    if (cboId->text().isEmpty() || m_details->rowCount() == 0) return;
    for (int r = 0; r < m_details->rowCount(); ++r) {
        if (m_details->title(r) == mRemoteDesc) {
            selectDetail(r);
            cmdDetailEdit_Click();
            return;
        }
    }
}

// ---- the pattern's hooks ----

void frmItemGroup::clearFields()
{
    txtDescription->clear();
    {
        const QSignalBlocker block(chkStocked);
        chkStocked->setChecked(false);
    }
    showDetailPanel();
    // Nothing shown is nothing loaded: the list holds no other item's details.
    m_loadedCode.clear();
    m_loadedDesc.clear();
    m_loadedStocked = false;
    FillItemDetailList();
}

void frmItemGroup::showRecord(const Recordset& rs)
{
    txtDescription->setText(rs.text(QStringLiteral("Description")));
    {
        const QSignalBlocker block(chkStocked);
        chkStocked->setChecked(rs.value(QStringLiteral("Stocked")).toBool());
    }
    showDetailPanel();
    m_loadedCode = cboId->text();
    m_loadedDesc = txtDescription->text();
    m_loadedStocked = chkStocked->isChecked();
}

void frmItemGroup::writeRecord(Recordset&)
{
    // SaveRecord writes through ItemGroupWriter.
}

void frmItemGroup::modeApplied()
{
    // The copy key keeps the fields but makes a new item: it has no details yet.
    if (editMode() == Copying) {
        m_loadedCode.clear();
        m_loadedDesc.clear();
        m_loadedStocked = false;
        FillItemDetailList();
    }
    const bool any = m_details->rowCount() > 0;
    cmdDetailEdit->setEnabled(any);
    cmdDetailDelete->setEnabled(any);
}

bool frmItemGroup::validateMore()
{
    // Blanks alone are no code and no description.
    if (ItemWriter::ItemKey(cboId->text()).isEmpty()) {
        cboId->setFocus();
        inform(QStringLiteral("Please set the Item Code"));
        return false;
    }
    if (vb::RTrim(txtDescription->text()).isEmpty()) {
        txtDescription->setFocus();
        inform(QStringLiteral("Please set the Description"));
        return false;
    }
    if (m_checkDetails && chkStocked->isChecked() && m_details->rowCount() == 0) {
        inform(QStringLiteral("A stocked/permanent item must have at least one item detail. Click 'add' at the bottom of the item "
                              "detail list to add a new item detail."));
        return false;
    }
    return true;
}

bool frmItemGroup::ValidateItemGroup(bool CheckDetails)
{
    m_checkDetails = CheckDetails;
    const bool valid = Validate();
    m_checkDetails = true;
    return valid;
}

bool frmItemGroup::HasUnsavedChanges() const
{
    return cboId->text() != m_loadedCode || txtDescription->text() != m_loadedDesc || chkStocked->isChecked() != m_loadedStocked;
}

// ---- load, save, delete ----

bool frmItemGroup::LoadRecord()
{
    m_loadRan = false;
    const bool found = RecordEditor::LoadRecord();
    if (!m_loadRan) return false;  // the query failed (reported): nothing more
    if (!found && editMode() == Browse) {
        m_loadedCode.clear();
        m_loadedDesc.clear();
        m_loadedStocked = false;
    }
    FillItemDetailList();
    return found;
}

bool frmItemGroup::SaveRecord()
{
    if (!ConfirmShortening()) return false;
    const bool adding = editMode() == Adding;
    if (adding) setHeldCode(ItemWriter::ItemKey(cboId->text()));
    const ItemSaveResult saved =
        ItemGroupWriter::Save({adding, heldCode(), cboId->text(), txtDescription->text(), chkStocked->isChecked()});
    if (saved.outcome == ItemSaveResult::Refused) {
        MsgBox(saved.message, saved.message == ItemWriter::DefaultItemRefusal ? vbmsg::Exclamation : vbmsg::Information, ctx().gAppTitle);
        // Another item's code typed without leaving the box: the code edited comes back.
        if (saved.message == QLatin1String("Code already exists.")) cboId->setText(heldCode());
        return false;
    }
    if (saved.outcome != ItemSaveResult::Saved) return false;  // reported; the mode and the fields stay
    setHeldCode(saved.row.itemId);
    UpdateAuctionItemCodes(saved.row.itemId, saved.row.description);
    ItemWriter::ItemsChanged();
    setEditModeValue(Browse);
    SetEditMode();
    cboId->setText(heldCode());
    LoadRecord();
    FillLookup();
    return true;
}

void frmItemGroup::UpdateAuctionItemCodes(const QString& code, const QString& title)
{
    // A stocked item's titles are its details': the detail dialog offers them.
    if (chkStocked->isChecked()) return;
    const int sales = ItemWriter::SalesToRecode(code, title);
    if (sales <= 0) return;
    const ItemQuestion q = ItemWriter::RecodeQuestion(code, title, sales);
    if (MsgBox(q.text, q.style, ctx().gAppTitle) == vbmsg::Yes) ItemWriter::RecodeSales(code, title);
}

void frmItemGroup::DeleteRecord()
{
    const QString code = cboId->text();
    if (ItemWriter::IsDefaultItem(code)) {
        MsgBox(ItemWriter::DefaultItemRefusal, vbmsg::Exclamation, ctx().gAppTitle);
        return;
    }
    const int sales = ItemWriter::SalesOf(code);
    if (sales < 0) return;
    const ItemQuestion q = ItemWriter::DeleteQuestion(code, txtDescription->text(), sales);
    if (MsgBox(q.text, q.style, ctx().gAppTitle) != vbmsg::Yes) return;
    const ItemDeleteResult deleted = ItemWriter::Delete(code);
    if (deleted.outcome == ItemDeleteResult::Refused) inform(deleted.message);
    if (deleted.outcome != ItemDeleteResult::Deleted) return;
    setEditModeValue(Browse);
    SetEditMode();  // empties the fields and the detail list
    FillLookup();
    ItemWriter::ItemsChanged();
}

// ---- buttons ----

void frmItemGroup::cmdAdd_Click()
{
    RecordEditor::cmdAdd_Click();
    FillItemDetailList();
}

void frmItemGroup::cmdEdit_Click()
{
    if (ItemWriter::IsDefaultItem(cboId->text())) {
        MsgBox(ItemWriter::DefaultItemRefusal, vbmsg::Exclamation, ctx().gAppTitle);
        cboId->setFocus();
        return;
    }
    RecordEditor::cmdEdit_Click();
}

void frmItemGroup::cmdCancel_Click()
{
    if (editMode() >= Adding && HasUnsavedChanges()) {
        const int answer = MsgBox(QStringLiteral("Do you want to save the changes made?"), vbmsg::YesNoCancel + vbmsg::Question,
                                  ctx().gAppTitle);
        if (answer == vbmsg::Cancel) return;
        if (answer == vbmsg::Yes && (!ValidateItemGroup(true) || !SaveRecord())) return;
    }
    RecordEditor::cmdCancel_Click();
}

void frmItemGroup::done(int result)
{
    saveColumns();
    if (editMode() >= Adding && HasUnsavedChanges()) {
        const int answer = MsgBox(QStringLiteral("Do you want to save the changes made?"), vbmsg::YesNoCancel + vbmsg::Question,
                                  ctx().gAppTitle);
        if (answer == vbmsg::Cancel) return;
        if (answer == vbmsg::Yes && (!ValidateItemGroup(true) || !SaveRecord())) return;
    }
    RecordEditor::done(result);
}

// ---- the stocked box and the details ----

void frmItemGroup::chkStocked_Click()
{
    if (editMode() >= Adding && !chkStocked->isChecked() && m_details->rowCount() > 0) {
        const int answer = MsgBox(QStringLiteral("WARNING: If you uncheck this option the item detail (titles, relisting info, stock "
                                                 "levels etc) will be lost!") +
                                      CrLf + CrLf + QStringLiteral("Are you sure you want to uncheck this option?"),
                                  vbmsg::YesNo + vbmsg::Exclamation, ctx().gAppTitle);
        if (answer != vbmsg::Yes) {
            const QSignalBlocker block(chkStocked);
            chkStocked->setChecked(true);
            return;
        }
    }
    showDetailPanel();
}

void frmItemGroup::showDetailPanel()
{
    const bool on = chkStocked->isChecked();
    lblItemDetail->setVisible(on);
    picItemDetail->setVisible(on);
    if (layout()) layout()->activate();
    resize(width(), qMax(minimumSizeHint().height(), vb::twipsToPixels(on ? StockedHeight : PlainHeight)));
}

void frmItemGroup::FillItemDetailList()
{
    m_details->Fill(m_loadedCode);
    const bool any = m_details->rowCount() > 0;
    cmdDetailEdit->setEnabled(any);
    cmdDetailDelete->setEnabled(any);
    if (any) selectDetail(0);
}

void frmItemGroup::selectDetail(int row)
{
    if (row < 0 || row >= m_details->rowCount()) return;
    list->setCurrentIndex(m_details->index(row, 0));
}

bool frmItemGroup::ConfirmSaveFirst(const QString& action)
{
    // A record shown from the database, unchanged, is saved as it is; a new
    // one never is.
    if (editMode() == Browse) return !m_loadedCode.isEmpty();
    if (editMode() == Editing && !HasUnsavedChanges() && !m_loadedCode.isEmpty()) return true;
    const int answer = MsgBox(QStringLiteral("You must save this item before you can ") + action + QStringLiteral(" item details") + CrLf +
                                  CrLf + QStringLiteral("Do you want to save now?"),
                              vbmsg::YesNo + vbmsg::Question, ctx().gAppTitle);
    if (answer != vbmsg::Yes) return false;
    if (!ValidateItemGroup(false) || !SaveRecord()) return false;
    cmdEdit_Click();
    return editMode() == Editing;
}

void frmItemGroup::openDetail(qlonglong autoId)
{
    QVariantMap vars{{QStringLiteral("mRemoteId"), autoId}, {QStringLiteral("mItemId"), m_loadedCode}};
    if (autoId == 0) {
        // The opener's title serves the first new detail only.
        vars.insert(QStringLiteral("mRemoteDesc"), mRemoteDesc);
        mRemoteDesc.clear();
    }
    FormsRegistry::instance().showModal(QStringLiteral("frmItemDetails"), vars, this);
    FillItemDetailList();
    if (autoId > 0) selectDetail(m_details->find(autoId));
}

void frmItemGroup::cmdDetailAdd_Click()
{
    if (!ConfirmSaveFirst(QStringLiteral("add"))) return;
    list->setFocus();
    openDetail(0);
}

void frmItemGroup::cmdDetailEdit_Click()
{
    // The detail chosen before a save refills the list.
    const int row = list->currentIndex().isValid() ? list->currentIndex().row() : 0;
    const qlonglong chosen = m_details->autoId(row);
    if (!ConfirmSaveFirst(QStringLiteral("edit")) || m_details->rowCount() == 0) return;
    const int now = m_details->find(chosen);
    list->setFocus();
    openDetail(m_details->autoId(now >= 0 ? now : 0));
}

void frmItemGroup::cmdDetailDelete_Click()
{
    if (m_details->rowCount() == 0) return;
    const int row = list->currentIndex().isValid() ? list->currentIndex().row() : 0;
    if (MsgBox(m_details->title(row) + CrLf + CrLf + QStringLiteral("Are you sure you want to delete this item detail?"),
               vbmsg::YesNo + vbmsg::Question, ctx().gAppTitle) != vbmsg::Yes)
        return;
    const int deleted = ItemDetailWriter::Delete(m_details->autoId(row), m_loadedCode);
    if (deleted < 0) return;
    if (deleted == 0) inform(QStringLiteral("Record not found."));
    FillItemDetailList();
}

void frmItemGroup::list_DblClick()
{
    if (m_details->rowCount() > 0) cmdDetailEdit_Click();
}
