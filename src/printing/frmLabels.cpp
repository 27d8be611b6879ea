#include "frmLabels.h"

#include "AddressLabels.h"
#include "LabelLayout.h"
#include "LabelRows.h"
#include "platform/SpinButtons.h"
#include "core/ProgramContext.h"
#include "core/TaskDue.h"
#include "core/clsDatabase.h"
#include "core/clsLinks.h"
#include "core/modWebProcessing.h"
#include "platform/AppSettings.h"
#include "platform/FocusChain.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("Settings\\frmLabels");
constexpr int TagRole = Qt::UserRole + 1;
enum Column { ColAuction = 0, ColTitle = 1, ColBuyer = 2, ColEmail = 3 };

ProgramContext& ctx() { return ProgramContext::current(); }
int msg(const QString& text, int style) { return MsgBox(text, style, ctx().gAppTitle); }
}  // namespace

frmLabels::frmLabels(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLabels"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setMinimumSize(vb::twipsToPixels(9000), vb::twipsToPixels(5000));

    m_model = new QStandardItemModel(0, 4, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Auction#"), QStringLiteral("Title"), QStringLiteral("BuyerId"), QStringLiteral("Email")});
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setColumnWidth(ColAuction, 110);
    m_list->setColumnWidth(ColTitle, 260);
    m_list->setColumnWidth(ColBuyer, 110);
    connect(m_model, &QStandardItemModel::itemChanged, this, &frmLabels::list_Check);
    connect(m_list, &QWidget::customContextMenuRequested, this, &frmLabels::list_MouseUp);
    connect(m_list, &QTreeView::doubleClicked, this, [this] { mnuPopupAuction_Click(); });

    chkSelect = new QCheckBox(QStringLiteral("Deselect all"), this);
    chkSelect->setObjectName(QStringLiteral("chkSelect"));
    chkSelect->setChecked(true);
    connect(chkSelect, &QCheckBox::clicked, this, &frmLabels::chkSelect_Click);

    auto* picCommands = new QWidget(this);
    picCommands->setObjectName(QStringLiteral("picCommands"));
    cmdPrint = new QPushButton(QStringLiteral("&Print"), picCommands);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    numLabelStart = new QLineEdit(QStringLiteral("1"), picCommands);
    numLabelStart->setObjectName(QStringLiteral("numLabelStart"));
    numLabelStart->setMaximumWidth(60);
    UpDown = new SpinButtons(picCommands);
    UpDown->setObjectName(QStringLiteral("UpDown"));
    cmdSetup = new QPushButton(QStringLiteral("&Setup"), picCommands);
    cmdSetup->setObjectName(QStringLiteral("cmdSetup"));
    connect(cmdPrint, &QPushButton::clicked, this, &frmLabels::cmdPrint_Click);
    connect(cmdSetup, &QPushButton::clicked, this, &frmLabels::cmdSetup_Click);
    connect(numLabelStart, &QLineEdit::textChanged, this, &frmLabels::numLabelStart_Change);
    connect(UpDown, &SpinButtons::stepped, this, &frmLabels::UpDown_Change);
    auto* commands = new QHBoxLayout(picCommands);
    commands->setContentsMargins(0, 0, 0, 0);
    commands->addWidget(cmdPrint);
    commands->addSpacing(12);
    commands->addWidget(new QLabel(QStringLiteral("Start at label"), picCommands));
    commands->addWidget(numLabelStart);
    commands->addWidget(UpDown);
    commands->addSpacing(12);
    commands->addWidget(cmdSetup);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);

    auto* strip = new QHBoxLayout;
    strip->addWidget(chkSelect);
    strip->addStretch();
    strip->addWidget(picCommands);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    auto* stripMargins = new QVBoxLayout;
    stripMargins->setContentsMargins(8, 4, 24, 4);
    stripMargins->addLayout(strip);
    layout->addLayout(stripMargins);
    layout->addWidget(StatusBar);
    // The label to start at goes with the list's choices, before Print and Setup.
    FocusChain::FollowLayout(this);

    mnuPopup = new QMenu(QStringLiteral("Options"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    auto item = [this](const char* name, const QString& text, void (frmLabels::*slot)()) {
        QAction* a = mnuPopup->addAction(text, this, slot);
        a->setObjectName(QLatin1String(name));
    };
    item("mnuPopupAuction", QStringLiteral("View auction details"), &frmLabels::mnuPopupAuction_Click);
    item("mnuPopupBuyer", QStringLiteral("View buyer details"), &frmLabels::mnuPopupBuyer_Click);
    item("mnuPopupItem", QStringLiteral("View item details"), &frmLabels::mnuPopupItem_Click);
    mnuPopup->addSeparator();
    item("mnuPopupBrowser", QStringLiteral("View this auction on Trademe"), &frmLabels::mnuPopupBrowser_Click);

    // Form_Load
    m_layoutRead = ReadSheetLayout();
    setWindowTitle(m_baseCaption);
    resize(vb::twipsToPixels(9600), vb::twipsToPixels(6000));
    loadSettings();
}

int frmLabels::exec()
{
    // A layout that cannot be read has been reported: there is nothing to lay labels on.
    if (!m_layoutRead) return QDialog::Rejected;
    return QDialog::exec();
}

bool frmLabels::ReadSheetLayout()
{
    LabelLayout layout;
    if (!LabelLayout::Read(&layout)) return false;
    // A stored layout outside the printable ranges prints as the nearest one that is.
    m_across = layout.Across();
    m_down = layout.Down();
    m_perSheet = m_across * m_down;
    return true;
}

void frmLabels::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_firstActivation) QMetaObject::invokeMethod(this, &frmLabels::Form_Activate, Qt::QueuedConnection);
}

QString frmLabels::labelOf(int row) const { return m_model->item(row, ColBuyer)->data(TagRole).toString(); }
QString frmLabels::itemOf(int row) const { return m_model->item(row, ColTitle)->data(TagRole).toString(); }
bool frmLabels::isChecked(int row) const { return m_model->item(row, ColAuction)->checkState() == Qt::Checked; }

void frmLabels::Form_Activate()
{
    if (!m_firstActivation) return;
    m_firstActivation = false;
    bool sameAddress = false;

    QString sql = QStringLiteral(
        "SELECT Auction.AuctionId, Auction.Description, Auction.ItemId, Auction.Bold, Auction.Highlight, Customer.CustomerId, "
        "Customer.Email, Auction.DeliveryAddress, Auction.ActionId, Auction.DateNextAction "
        "FROM Customer INNER JOIN Auction ON Customer.CustomerId = Auction.CustomerId ");
    QVariantList binds;
    if (!pSingleAuctionNumber.isEmpty()) {
        sql += QStringLiteral("WHERE Auction.AuctionId=?");
        binds << pSingleAuctionNumber;
    } else {
        const SqlCondition due = TaskDue::Condition(QStringLiteral("Auction.DateNextAction"));
        sql += QStringLiteral("WHERE Auction.ActionId=11 AND ") + due.text + QStringLiteral(" ORDER BY Customer.CustomerId");
        binds << due.binds;
    }
    Recordset rs;
    if (ctx().gDatabase && ctx().gDatabase->OpenDB(sql, binds, false, true, true, &rs)) {
        const QSignalBlocker blocker(m_model);
        QStringList labels;
        for (; !rs.isEOF(); rs.MoveNext()) {
            const QString auctionId = rs.text(QStringLiteral("AuctionId"));
            const QString buyer = rs.text(QStringLiteral("CustomerId"));
            QList<QStandardItem*> cells{new QStandardItem(auctionId), new QStandardItem(rs.text(QStringLiteral("Description"))),
                                        new QStandardItem(buyer), new QStandardItem(rs.text(QStringLiteral("Email")))};
            cells[ColAuction]->setCheckable(true);
            bool checked = true;
            cells[ColTitle]->setData(rs.text(QStringLiteral("ItemId")), TagRole);
            const QString address = rs.text(QStringLiteral("DeliveryAddress"));
            if (!AddressLabels::HasAddress(address)) {
                msg(QStringLiteral("No delivery address for item#") + auctionId + QStringLiteral(" (") + buyer + QStringLiteral(")"),
                    vbmsg::Information);
                checked = false;
            }
            const QString label = AddressLabels::LabelText(address);
            cells[ColBuyer]->setData(label, TagRole);
            labels << label;
            // Of several sales for one address only the first stays checked.
            if (AddressLabels::SameAddressAs(labels, int(labels.size()) - 1) >= 0) {
                checked = false;
                sameAddress = true;
            }
            if (rs.HasField(QStringLiteral("Highlight")) && rs.value(QStringLiteral("Highlight")).toBool()) {
                for (QStandardItem* c : cells) {
                    QFont f = c->font();
                    f.setBold(true);
                    c->setFont(f);
                    c->setForeground(QColor(Qt::red));
                }
            }
            cells[ColAuction]->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
            m_model->appendRow(cells);
            if (checked) ++m_count;
        }
    }

    if (sameAddress &&
        msg(QStringLiteral("One or more auctions have the same delivery address.  Do you want to combine shipping (i.e. only print one "
                           "label) for these items?"),
            vbmsg::YesNo | vbmsg::Question) == vbmsg::No) {
        setAllChecked(true);
    }
    {
        const QSignalBlocker blocker(numLabelStart);
        numLabelStart->setText(AppSettings::GetSetting(Section, QStringLiteral("LabelStart"), QStringLiteral("1")));
    }
    numLabelStart_Change();

    if (m_model->rowCount() == 0) {
        msg(QStringLiteral("There are no items on the current task list to ship."), vbmsg::Information);
        QMetaObject::invokeMethod(this, [this] { done(QDialog::Rejected); }, Qt::QueuedConnection);
        return;
    }
    m_list->setCurrentIndex(m_model->index(0, 0));
    m_list->setFocus();
}

void frmLabels::setAllChecked(bool checked)
{
    const QSignalBlocker blocker(m_model);
    for (int r = 0; r < m_model->rowCount(); ++r) m_model->item(r, ColAuction)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_count = checked ? m_model->rowCount() : 0;
    {
        const QSignalBlocker boxBlocker(chkSelect);
        chkSelect->setChecked(checked);
    }
    chkSelect->setText(checked ? QStringLiteral("Deselect all") : QStringLiteral("Select all"));
    m_list->viewport()->update();
}

void frmLabels::chkSelect_Click()
{
    setAllChecked(chkSelect->isChecked());
    UpdateLabelCount();
    m_list->setFocus();
}

void frmLabels::list_Check(QStandardItem* item)
{
    if (!item || item->column() != ColAuction) return;
    m_list->setCurrentIndex(item->index());
    m_count += item->checkState() == Qt::Checked ? 1 : -1;
    UpdateLabelCount();
}

double frmLabels::startValue() const { return AddressLabels::Number(numLabelStart->text()); }

void frmLabels::UpdateLabelCount() { setWindowTitle(AddressLabels::Caption(m_count, startValue(), m_perSheet)); }

void frmLabels::numLabelStart_Change()
{
    const QString ruled = AddressLabels::StartText(numLabelStart->text(), m_perSheet);
    if (ruled != numLabelStart->text()) {
        const QSignalBlocker blocker(numLabelStart);
        numLabelStart->setText(ruled);
    }
    UpdateLabelCount();
}

void frmLabels::UpDown_Change(int step)
{
    if (step == 0) return;
    numLabelStart->setText(QString::number(startValue() + step));
}

void frmLabels::cmdSetup_Click()
{
    FormsRegistry::instance().showModal(QStringLiteral("frmLabelsSetup"), {}, this);
    ReadSheetLayout();
    UpdateLabelCount();
    numLabelStart_Change();
}

void frmLabels::cmdPrint_Click()
{
    QStringList labels;
    for (int r = 0; r < m_model->rowCount(); ++r)
        if (isChecked(r)) labels << labelOf(r);
    if (labels.isEmpty()) {
        msg(QStringLiteral("Select the items to print first."), vbmsg::Information);
        return;
    }
    {
        const QSignalBlocker blocker(m_model);
        for (int r = m_model->rowCount() - 1; r >= 0; --r)
            if (!isChecked(r)) m_model->removeRow(r);
    }
    const double start = startValue();
    int printed = 0;
    const LabelRows rows = AddressLabels::Rows(labels, start, m_across, &printed);
    // The labels count as used even when the preview closes without printing.
    AppSettings::SaveSetting(Section, QStringLiteral("LabelStart"), QString::number(AddressLabels::NextStart(start, printed, m_perSheet)));
    QWidget* owner = parentWidget();
    accept();
    FormsRegistry::instance().showModal(QStringLiteral("reportLabels"), {{QStringLiteral("DataSource"), QVariant::fromValue(rows)}}, owner);
}

int frmLabels::selectedRow() const
{
    const QModelIndex current = m_list->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void frmLabels::list_MouseUp(const QPoint& pos)
{
    const int row = selectedRow();
    if (m_model->rowCount() == 0 || row < 0) return;
    const QRect rect = m_list->visualRect(m_model->index(row, 0));
    if (pos.y() < rect.top() || pos.y() > rect.bottom()) return;
    mnuPopup->popup(m_list->viewport()->mapToGlobal(pos));
}

void frmLabels::mnuPopupAuction_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    FormsRegistry::instance().showModal(QStringLiteral("frmAuction"),
                                        {{QStringLiteral("mRemoteEdit"), true}, {QStringLiteral("mRemoteId"), m_model->item(row, ColAuction)->text()}}, this);
}

void frmLabels::mnuPopupBuyer_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    FormsRegistry::instance().showModal(QStringLiteral("frmCustomer"), {{QStringLiteral("mRemoteId"), m_model->item(row, ColBuyer)->text()}}, this);
}

void frmLabels::mnuPopupItem_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    FormsRegistry::instance().showModal(QStringLiteral("frmItem"), {{QStringLiteral("mRemoteId"), itemOf(row)}}, this);
}

void frmLabels::mnuPopupBrowser_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    QString address = ctx().gLinks ? ctx().gLinks->Link(ctx().gLinkIdViewAuction) : QString();
    // A further sale of a listing ("...A") shows the listing's own page.
    address.replace(QStringLiteral("[AUCTIONNUMBER]"), modWebProcessing::SiteAuctionNumber(m_model->item(row, ColAuction)->text()));
    FormsRegistry::instance().showModal(QStringLiteral("frmBrowser"), {{QStringLiteral("StartingAddress"), address}}, this);
}

void frmLabels::loadSettings()
{
    auto twips = [](const QString& key, int pixels) {
        return vb::twipsToPixels(vb::Val(AppSettings::GetSetting(Section, key, QString::number(vb::pixelsToTwips(pixels)))));
    };
    resize(qMax(minimumWidth(), twips(QStringLiteral("Width"), width())), qMax(minimumHeight(), twips(QStringLiteral("Height"), height())));
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int w = twips(QStringLiteral("listColumn%1").arg(c + 1), m_list->columnWidth(c));
        if (w > 0) m_list->setColumnWidth(c, w);
    }
}

void frmLabels::saveSettings()
{
    QList<QPair<QString, QString>> values{{QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))},
                                          {QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))}};
    for (int c = 0; c < m_model->columnCount(); ++c)
        values.append({QStringLiteral("listColumn%1").arg(c + 1), QString::number(vb::pixelsToTwips(m_list->columnWidth(c)))});
    AppSettings::SaveSettings(Section, values);
}

void frmLabels::done(int result)
{
    if (!m_settingsSaved) {
        m_settingsSaved = true;
        saveSettings();
    }
    QDialog::done(result);
}
