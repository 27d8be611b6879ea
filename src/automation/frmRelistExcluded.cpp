#include "frmRelistExcluded.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/clsLinks.h"
#include "core/modWebProcessing.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("Settings\\frmRelistExcluded");
ProgramContext& ctx() { return ProgramContext::current(); }
}  // namespace

frmRelistExcluded::frmRelistExcluded(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmRelistExcluded"));
    setWindowTitle(QStringLiteral("Relist Exclusions"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    m_model = new QStandardItemModel(0, 4, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Item Code"), QStringLiteral("Title"), QStringLiteral("Currrent listings"),
                                        QStringLiteral("Reason excluded")});
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    for (int c = 0; c < m_model->columnCount(); ++c) m_list->setColumnWidth(c, vb::twipsToPixels(DesignedWidths[c]));
    m_list->viewport()->installEventFilter(this);
    connect(m_list, &QTreeView::doubleClicked, this, [this] { mnuPopupItem_Click(); });

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { accept(); });
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_list, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(StatusBar, 1);
    bottom->addWidget(cmdOK);
    outer->addLayout(bottom);

    mnuPopup = new QMenu(QStringLiteral("Options"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    auto item = [this](const char* name, const QString& text, void (frmRelistExcluded::*run)()) {
        QAction* a = mnuPopup->addAction(text);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, run);
    };
    item("mnuPopupItem", QStringLiteral("View item details"), &frmRelistExcluded::mnuPopupItem_Click);
    mnuPopup->addSeparator();
    item("mnuPopupBrowser", QStringLiteral("View this listing title on TradeMe"), &frmRelistExcluded::mnuPopupBrowser_Click);
    mnuPopup->addSeparator();
    item("mnuRelist", QStringLiteral("Relist this item (ignore exclusion restriction)"), &frmRelistExcluded::mnuRelist_Click);

    resize(vb::twipsToPixels(11000), vb::twipsToPixels(4500));
}

void frmRelistExcluded::showEvent(QShowEvent* event)
{
    if (!m_loaded) Form_Load();
    QDialog::showEvent(event);
}

void frmRelistExcluded::Form_Load()
{
    m_loaded = true;
    m_model->removeRows(0, m_model->rowCount());
    for (const RelistExclusion& e : rstExcluded) {
        QList<QStandardItem*> cells;
        for (const QString& text : {e.ItemId, e.Description, QString::number(e.CurrentListings), e.Reason}) {
            auto* cell = new QStandardItem(text);
            cell->setEditable(false);
            cells << cell;
        }
        m_model->appendRow(cells);
    }
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString stored = AppSettings::GetSetting(Section, QStringLiteral("listColumn%1").arg(c + 1));
        bool ok = false;
        const double twips = stored.toDouble(&ok);
        m_list->setColumnWidth(c, vb::twipsToPixels(ok && twips > 0 ? twips : DesignedWidths[c]));
    }
}

void frmRelistExcluded::done(int result)
{
    // Unload: OK, Escape and the close box all keep the seller's widths.
    if (m_loaded) {
        QList<QPair<QString, QString>> values;
        for (int c = 0; c < m_model->columnCount(); ++c)
            values.append({QStringLiteral("listColumn%1").arg(c + 1), QString::number(vb::pixelsToTwips(m_list->columnWidth(c)))});
        AppSettings::SaveSettings(Section, values);
    }
    QDialog::done(result);
}

int frmRelistExcluded::selectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool frmRelistExcluded::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) list_MouseUp(mouse->position().toPoint());
    }
    return QDialog::eventFilter(watched, event);
}

bool frmRelistExcluded::list_MouseUp(const QPoint& pos)
{
    if (m_model->rowCount() == 0) return false;
    const int row = selectedRow();
    if (row < 0) return false;
    const QRect rowRect = m_list->visualRect(m_model->index(row, 0));
    if (pos.y() < rowRect.top() || pos.y() > rowRect.bottom()) return false;
    mnuPopup->popup(m_list->viewport()->mapToGlobal(pos));
    return true;
}

void frmRelistExcluded::mnuPopupItem_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    FormsRegistry::instance().showModal(QStringLiteral("frmItem"),
                                        {{QStringLiteral("mRemoteId"), m_model->item(row, 0)->text()},
                                         {QStringLiteral("mRemoteDesc"), m_model->item(row, 1)->text()}},
                                        this);
}

void frmRelistExcluded::mnuPopupBrowser_Click()
{
    const int row = selectedRow();
    if (row < 0 || !ctx().gDatabase) return;
    // The newest auction of the item under this title; code and title are data.
    Recordset rs;
    if (!ctx().gDatabase->OpenDB(QStringLiteral("SELECT AuctionId FROM Auction WHERE ItemId=? AND Description=? ORDER BY DateStart DESC"),
                                 {m_model->item(row, 0)->text(), m_model->item(row, 1)->text()}, true, true, true, &rs))
        return;
    const bool found = !rs.isEOF();
    const QString auctionId = found ? rs.text(QStringLiteral("AuctionId")) : QString();
    rs.Close();
    if (!found) {
        MsgBox(QStringLiteral("An auction using this title is not currently in the database."), vbmsg::Information, ctx().gAppTitle);
        return;
    }
    QString address = ctx().gLinks ? ctx().gLinks->Link(ctx().gLinkIdViewAuction) : QString();
    // A further sale of a listing ("...A") shows the listing's own page.
    address.replace(QStringLiteral("[AUCTIONNUMBER]"),
                    QString::fromLatin1(QUrl::toPercentEncoding(modWebProcessing::SiteAuctionNumber(auctionId))));
    FormsRegistry::instance().showModal(QStringLiteral("frmBrowser"), {{QStringLiteral("StartingAddress"), address}}, this);
}

void frmRelistExcluded::mnuRelist_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    // Forced without a question; the caller's rows keep the exclusion.
    IgnoreExcluded += QLatin1Char('[') + m_model->item(row, 0)->text() + QLatin1Char(']');
    m_model->removeRow(row);
    m_list->selectionModel()->clearSelection();
}
