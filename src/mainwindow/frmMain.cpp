#include "frmMain.h"

#include "AuctionListDelegate.h"
#include "AuctionListModel.h"
#include "MenuAccelerators.h"
#include "SearchPanel.h"
#include "core/ProgramContext.h"
#include "core/TaskDue.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/clsLinks.h"
#include "core/modCommon.h"
#include "core/modStart.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/NullableDateEdit.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/SqlCondition.h"
#include "platform/transfer/Downloader.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {
const QString Section = QStringLiteral("Settings\\frmMain");
const QString CrLf = QStringLiteral("\r\n");

QString money(const QVariant& v) { return v.isNull() ? QString() : vb::formatNumber(v.toDouble(), QStringLiteral("$0.00")); }
QString dateText(const QVariant& v) { return v.isNull() ? QString() : vb::dateText(v.toDouble()); }
int px(double twips) { return vb::twipsToPixels(twips); }
}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(px(11500) - 16, px(7200) - 40);

    tbar = addToolBar(QStringLiteral("Toolbar"));
    tbar->setObjectName(QStringLiteral("tbar"));
    tbar->setMovable(false);
    tbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    auto* central = new QWidget(this);
    setCentralWidget(central);
    lblMode = new QLabel(QStringLiteral("  Task list"), central);
    lblMode->setObjectName(QStringLiteral("lblMode"));
    lblMode->setAutoFillBackground(true);
    QPalette modePalette = lblMode->palette();
    modePalette.setColor(QPalette::Window, vb::color(0x80000002));
    lblMode->setPalette(modePalette);
    QFont modeFont = lblMode->font();
    modeFont.setBold(true);
    modeFont.setPointSizeF(modeFont.pointSizeF() * 1.2);
    lblMode->setFont(modeFont);

    picSearch = new SearchPanel(central);
    picSearch->setFixedWidth(px(3900));
    cboSearch[0] = picSearch->cboSearch[0];
    cboSearch[1] = picSearch->cboSearch[1];
    picSearch->hide();

    model = new AuctionListModel(this);
    list = new QTreeView(central);
    list->setObjectName(QStringLiteral("list"));
    list->setModel(model);
    listDelegate = new AuctionListDelegate(list);
    list->setItemDelegate(listDelegate);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->viewport()->installEventFilter(this);
    list->header()->setSectionsClickable(true);
    list->header()->setSortIndicatorShown(true);
    list->header()->setStretchLastSection(true);
    list->installEventFilter(this);
    const int widths[] = {0, 90, 80, 260, 110, 170, 140, 170};
    for (int c = 0; c < AuctionListModel::ColumnCount; ++c) list->setColumnWidth(c, widths[c]);
    list->setColumnHidden(AuctionListModel::ColDateSortingIndex, true);
    connect(list->header(), &QHeaderView::sectionClicked, this, [this](int section) { list_ColumnClick(section + 1); });
    // The pane follows the selected row however it moves (mouse or keyboard),
    // so every command acts on the sale the seller sees.
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& index) {
        if (index.isValid() && mRefreshEnabled && model->row(index.row()).AuctionId != txtAuctionId->text())
            DisplayDetails(model->row(index.row()).AuctionId);
    });
    connect(list, &QTreeView::clicked, this, [this](const QModelIndex& index) { DisplayDetails(model->row(index.row()).AuctionId); });
    connect(list, &QTreeView::doubleClicked, this, [this] { list_DblClick(); });

    buildDetailsPane();

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(list, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(picDetails);
    bottom->addWidget(listHistory, 1);
    right->addLayout(bottom);
    auto* body = new QHBoxLayout;
    body->setContentsMargins(2, 2, 2, 2);
    body->addWidget(picSearch);
    body->addLayout(right, 1);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 1, 0, 0);
    outer->setSpacing(2);
    outer->addWidget(lblMode);
    outer->addLayout(body, 1);

    picWait = new QWidget(central);
    picWait->setObjectName(QStringLiteral("picWait"));
    picWait->setAutoFillBackground(true);
    auto* waitLayout = new QVBoxLayout(picWait);
    lblWaitMessage = new QLabel(QStringLiteral("Please wait...Writing to disk"), picWait);
    lblWaitMessage->setObjectName(QStringLiteral("lblWaitMessage"));
    lblWaitMessage->setAlignment(Qt::AlignCenter);
    waitLayout->addWidget(lblWaitMessage);
    picWait->resize(320, 80);
    picWait->hide();

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    // A panel of its own: the tips of hovered menu entries use the message area.
    lblItemsListed = new QLabel(statusBar());
    lblItemsListed->setObjectName(QStringLiteral("lblItemsListed"));
    statusBar()->addPermanentWidget(lblItemsListed);
    showItemsListed();

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("timer"));
    timer->setProperty("Tag", QStringLiteral("MAIN TIMER"));
    timer->setInterval(500);
    connect(timer, &QTimer::timeout, this, &frmMain::timer_Timer);

    buildMenus();
    buildSearchAndNotes();
    buildTaskCommands();
    buildFileAndMenus();
    Form_Load();
    timer->start();
}

frmMain::~frmMain()
{
    ProgramContext& ctx = ProgramContext::current();
    if (ctx.gMainWindow == this) ctx.gMainWindow = nullptr;
}

void frmMain::buildDetailsPane()
{
    picDetails = new QWidget(this);
    picDetails->setObjectName(QStringLiteral("picDetails"));
    picDetails->setFixedWidth(px(7600));
    auto* grid = new QGridLayout(picDetails);
    grid->setContentsMargins(0, 0, 0, 0);

    auto field = [this](const QString& name) {
        auto* l = new QLabel(picDetails);
        l->setObjectName(name);
        l->setToolTip(QStringLiteral("Click to copy to clipboard"));
        l->setAutoFillBackground(true);
        l->setTextInteractionFlags(Qt::NoTextInteraction);
        l->setTextFormat(Qt::PlainText);  // a buyer's or title's text is never markup
        l->installEventFilter(this);
        return l;
    };
    frameAuction = new QGroupBox(picDetails);
    frameAuction->setObjectName(QStringLiteral("frameAuction"));
    auto* a = new QFormLayout(frameAuction);
    txtAuctionId = field(QStringLiteral("txtAuctionId"));
    txtDescription = field(QStringLiteral("txtDescription"));
    txtCustomerId = field(QStringLiteral("txtCustomerId"));
    txtEmail = field(QStringLiteral("txtEmail"));
    a->addRow(QStringLiteral("Auction #"), txtAuctionId);
    a->addRow(QStringLiteral("Title"), txtDescription);
    a->addRow(QStringLiteral("Buyer"), txtCustomerId);
    a->addRow(QString(), txtEmail);

    frameTotal = new QGroupBox(picDetails);
    frameTotal->setObjectName(QStringLiteral("frameTotal"));
    auto* t = new QFormLayout(frameTotal);
    for (int i : {0, 1, 4}) {
        lblTotal[i] = new QLabel(frameTotal);
        lblTotal[i]->setObjectName(QStringLiteral("lblTotal(%1)").arg(i));
        lblTotal[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    QFont bold = lblTotal[4]->font();
    bold.setBold(true);
    lblTotal[4]->setFont(bold);
    t->addRow(QStringLiteral("Winning bid"), lblTotal[0]);
    t->addRow(QStringLiteral("Shipping"), lblTotal[1]);
    t->addRow(QStringLiteral("TOTAL to pay"), lblTotal[4]);

    frameDetails = new QGroupBox(picDetails);
    frameDetails->setObjectName(QStringLiteral("frameDetails"));
    auto* d = new QGridLayout(frameDetails);
    lblPayment[0] = new QLabel(QStringLiteral("Date paid"), frameDetails);
    lblPayment[1] = new QLabel(QStringLiteral("Pay method"), frameDetails);
    lblShipped[0] = new QLabel(QStringLiteral("Date shipped"), frameDetails);
    lblShipped[1] = new QLabel(QStringLiteral("Tracking #"), frameDetails);
    txtDatePaid = new QLabel(frameDetails);
    txtPayId = new QLabel(frameDetails);
    txtDateSent = new QLabel(frameDetails);
    txtTrackingNumber = new QLabel(frameDetails);
    const std::pair<QLabel*, const char*> named[] = {{lblPayment[0], "lblPayment(0)"}, {lblPayment[1], "lblPayment(1)"},
                                                     {lblShipped[0], "lblShipped(0)"}, {lblShipped[1], "lblShipped(1)"},
                                                     {txtDatePaid, "txtDatePaid"},     {txtPayId, "txtPayId"},
                                                     {txtDateSent, "txtDateSent"},     {txtTrackingNumber, "txtTrackingNumber"}};
    for (const auto& [label, name] : named) label->setObjectName(QLatin1String(name));
    for (QLabel* value : {txtDatePaid, txtPayId, txtDateSent, txtTrackingNumber}) value->setTextFormat(Qt::PlainText);
    cmdPaid = new QPushButton(QStringLiteral("Flag as paid"), frameDetails);
    cmdPaid->setObjectName(QStringLiteral("cmdPaid"));
    connect(cmdPaid, &QPushButton::clicked, this, &frmMain::cmdPaid_Click);
    d->addWidget(lblPayment[0], 0, 0);
    d->addWidget(txtDatePaid, 0, 1);
    d->addWidget(lblPayment[1], 1, 0);
    d->addWidget(txtPayId, 1, 1);
    d->addWidget(lblShipped[0], 2, 0);
    d->addWidget(txtDateSent, 2, 1);
    d->addWidget(lblShipped[1], 3, 0);
    d->addWidget(txtTrackingNumber, 3, 1);
    d->addWidget(cmdPaid, 4, 0, 1, 2);

    frameDelivery = new QGroupBox(QStringLiteral("Delivery Address"), picDetails);
    frameDelivery->setObjectName(QStringLiteral("frameDelivery"));
    auto* del = new QVBoxLayout(frameDelivery);
    lblAuctionId = new QLabel(frameDelivery);
    lblAuctionId->setObjectName(QStringLiteral("lblAuctionId"));
    lblAuctionId->setFont(bold);
    lblAuctionId->setTextFormat(Qt::PlainText);
    txtAddress = new QPlainTextEdit(frameDelivery);
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    txtAddress->setReadOnly(true);
    txtAddress->viewport()->installEventFilter(this);
    del->addWidget(lblAuctionId);
    del->addWidget(txtAddress);
    frameDelivery->hide();

    auto* next = new QWidget(picDetails);
    auto* n = new QHBoxLayout(next);
    n->setContentsMargins(0, 0, 0, 0);
    dateNextAction = new NullableDateEdit(next);
    dateNextAction->setObjectName(QStringLiteral("dateNextAction"));
    cboNote = new QComboBox(next);
    cboNote->setObjectName(QStringLiteral("cboNote"));
    cboNote->setEditable(true);
    cboNote->setToolTip(QStringLiteral("Add a note to this auction"));
    n->addWidget(new QLabel(QStringLiteral("Next action"), next));
    n->addWidget(dateNextAction);
    n->addWidget(new QLabel(QStringLiteral("Note"), next));
    n->addWidget(cboNote, 1);

    txtItemId = new QLineEdit(picDetails);
    txtItemId->setObjectName(QStringLiteral("txtItemId"));
    txtEmailCC = new QLineEdit(picDetails);
    txtEmailCC->setObjectName(QStringLiteral("txtEmailCC"));
    txtNextAction = new QLineEdit(picDetails);
    txtNextAction->setObjectName(QStringLiteral("txtNextAction"));
    for (QLineEdit* hidden : {txtItemId, txtEmailCC, txtNextAction}) hidden->hide();

    grid->addWidget(frameAuction, 0, 0, 1, 2);
    grid->addWidget(frameDelivery, 0, 0, 2, 2);
    grid->addWidget(frameTotal, 1, 0);
    grid->addWidget(frameDetails, 1, 1);
    grid->addWidget(next, 2, 0, 1, 2);

    listHistory = new QTreeWidget(this);
    listHistory->setObjectName(QStringLiteral("listHistory"));
    listHistory->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Description")});
    listHistory->setRootIsDecorated(false);
    listHistory->setColumnWidth(0, 80);
    listHistory->setColumnWidth(1, 70);

    txtClipboard = new QLabel(QStringLiteral("Copied to clipboard"), this);
    txtClipboard->setObjectName(QStringLiteral("txtClipboard"));
    txtClipboard->setAutoFillBackground(true);
    txtClipboard->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; border: 1px solid gray; padding: 2px; }"));
    txtClipboard->hide();
}

// ---- start-up ----------------------------------------------------------------

void frmMain::Form_Load()
{
    ProgramContext& ctx = ProgramContext::current();
    ctx.gMainWindow = this;
    mActivated = false;
    ApplyConfiguration();
    // The task combo: its index is the step number (step 3 is never searched for).
    // Filling it is no choice of the seller's: it searches nothing.
    {
        const QSignalBlocker block(cboSearch[0]);
        cboSearch[0]->clear();
        cboSearch[0]->addItem(QString());
        for (int id = 1; id <= 16; ++id) cboSearch[0]->addItem(id == 3 || !ctx.gActions ? QString() : ctx.gActions->Description(id));
    }
    LoadSettings();
}

void frmMain::LoadSettings()
{
    auto get = [](const QString& key, const QString& fallback) { return AppSettings::GetSetting(Section, key, fallback); };
    const int w = px(get(QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))).toDouble());
    const int h = px(get(QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))).toDouble());
    resize(std::max(w, minimumWidth()), std::max(h, minimumHeight()));
    if (get(QStringLiteral("WindowState"), QStringLiteral("2")).toInt() == 2) setWindowState(windowState() | Qt::WindowMaximized);
    for (int n = 1; n <= listHistory->columnCount(); ++n)
        listHistory->setColumnWidth(n - 1, get(QStringLiteral("listHistoryColumn%1").arg(n), QString::number(listHistory->columnWidth(n - 1))).toInt());
    for (int n = 2; n <= AuctionListModel::ColumnCount; ++n)
        list->setColumnWidth(n - 1, get(QStringLiteral("listColumn%1").arg(n), QString::number(list->columnWidth(n - 1))).toInt());
    list->setColumnWidth(0, 0);
    mSortKey = get(QStringLiteral("ListSortKey"), QStringLiteral("7")).toInt();
    mSortOrder = get(QStringLiteral("ListSortOrder"), QStringLiteral("0")).toInt();
    mSortIndex = get(QStringLiteral("ListSortIndex"), QStringLiteral("8")).toInt();
    list->header()->setSortIndicator(mSortIndex - 1, mSortOrder == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void frmMain::SaveSettings()
{
    QList<QPair<QString, QString>> values;
    const bool maximised = isMaximized();
    values.append({QStringLiteral("WindowState"), maximised ? QStringLiteral("2") : QStringLiteral("0")});
    if (!maximised && !isMinimized()) {
        values.append({QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))});
        values.append({QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))});
    }
    for (int n = 1; n <= listHistory->columnCount(); ++n)
        values.append({QStringLiteral("listHistoryColumn%1").arg(n), QString::number(listHistory->columnWidth(n - 1))});
    // With the search panel open the list has its search widths.
    const QString columns = searchShown() ? QStringLiteral("listColumnSearch") : QStringLiteral("listColumn");
    for (int n = 2; n <= AuctionListModel::ColumnCount; ++n)
        values.append({columns + QString::number(n), QString::number(list->columnWidth(n - 1))});
    values.append({QStringLiteral("ListSortKey"), QString::number(mSortKey)});
    values.append({QStringLiteral("ListSortOrder"), QString::number(mSortOrder)});
    values.append({QStringLiteral("ListSortIndex"), QString::number(mSortIndex)});
    AppSettings::SaveSettings(Section, values);
    AppSettings::Sync();
}

void frmMain::ApplyLook()
{
    // The caption and grid lines follow the settings at every load and save.
    ProgramContext& ctx = ProgramContext::current();
    const Configuration& config = ctx.gConfiguration;
    setWindowTitle(!config.DatabaseDesc.isEmpty() ? config.DatabaseDesc + QStringLiteral(" - ") + ctx.gAppTitle
                                                  : ctx.gAppTitle + QStringLiteral(" - ") + ctx.gDatabaseTitle);
    listDelegate->setGridLines(config.ShowGrid);
    list->viewport()->update();
}

void frmMain::ApplyConfiguration()
{
    ProgramContext& ctx = ProgramContext::current();
    ApplyLook();
    mTaskList = ctx.gConfiguration.DefaultList;
    mTaskShip = false;
    mRefreshEnabled = true;
    list->setAlternatingRowColors(false);
    UpdateComboItems();
    if (ctx.gLinks) ctx.gLinks->UpdateLinks();

    // The recent databases: entry 1 is the open one, shown only with a second.
    ShowRecentEntries(true);
    if (searchShown()) cmdSearchClose_Click();
    UpdateEmailToolBar();
    RefreshNotes();
}

void frmMain::ShowDefaultListAfresh()
{
    if (searchShown()) cmdSearchClose_Click();
    mTaskList = ProgramContext::current().gConfiguration.DefaultList;
    Refreshlist();
}

void frmMain::CloseSearchAndRefreshList()
{
    // Closing the search refreshes the list itself.
    if (searchShown()) cmdSearchClose_Click();
    else Refreshlist();
}

void frmMain::SettingsChanged()
{
    ProgramContext& ctx = ProgramContext::current();
    ApplyLook();
    if (QAction* site = action(QStringLiteral("TradeMe")); site && ctx.gLinks) site->setData(ctx.gLinks->UpdateToolBar().ButtonTag);
    Refreshlist();
    RefreshNotes();
}

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    QTimer::singleShot(0, this, &frmMain::Form_Activate);
}

void frmMain::Form_Activate()
{
    ProgramContext& ctx = ProgramContext::current();
    if (!mActivated) {
        mActivated = true;
        if (ctx.gLinks) {
            const clsLinks::ToolBarMenu menu = ctx.gLinks->UpdateToolBar();
            if (QAction* site = action(QStringLiteral("TradeMe"))) {
                site->setData(menu.ButtonTag);
                if (QMenu* m = site->menu()) {
                    m->clear();
                    for (const clsLinks::MenuEntry& e : menu.Entries) {
                        if (e.Key == QLatin1String("-")) {
                            m->addSeparator();
                            continue;
                        }
                        QAction* a = m->addAction(MenuAccelerators::escaped(e.Text));  // the stored text as stored
                        a->setObjectName(e.Key);
                        a->setData(e.Tag);
                        connect(a, &QAction::triggered, this, [this, a] { TradeMe_Link(a->data().toString()); });
                    }
                }
            }
        }
        Refreshlist();
        RefreshNotes();
        modCommon::ShowMessage(QStringLiteral("To get started, click the UPDATE button on the toolbar to download your auction "
                                              "information from TradeMe.  For more information and see the help section on our website"),
                               vbmsg::Information, true, QStringLiteral("Vendaro"), false);
        // The check waits for the network: the window may be closed meanwhile.
        QPointer<frmMain> self(this);
        const bool pending = CheckForSoftwareUpdate();
        if (!self) return;
        mUpdatePending = pending;
    }
    if (!mUpdatePending) return;
    mUpdatePending = false;
    if (MsgBox(QStringLiteral("An important vendaro software update is available and must be installed before you can continue (for "
                              "more information on this update see our website).  ") +
                   CrLf + CrLf + QStringLiteral("Do you want to update now?"),
               vbmsg::YesNo + vbmsg::Question, ctx.gAppTitle) == vbmsg::No &&
        MsgBox(QStringLiteral("Some functions of this software will be locked until the update is completed.") + CrLf + CrLf +
                   QStringLiteral("Are you sure you want to cancel the update?"),
               vbmsg::YesNo + vbmsg::Question, ctx.gAppTitle) == vbmsg::Yes)
        return;
    close();
    modStart::RunInstaller(QStringLiteral("Update"));
}

frmMain::SoftwareUpdateCheck frmMain::CheckSoftwareVersion()
{
    // The maker's site names the version every seller must have: a few bytes.
    const QString address = SiteConfig::makerUrl() + QStringLiteral("/downloads/version.txt");
    const Downloader::Result r = Downloader::Get(QUrl(address), 3000, 64 * 1024);
    SoftwareUpdateCheck check;
    if (!r.ok) {
        check.failure = QStringLiteral("The maker's web site could not be asked for the current version:") + CrLf + r.error;
        return check;
    }
    bool ok = false;
    const double required = QString::fromUtf8(r.data).trimmed().toDouble(&ok);
    if (!ok) {
        check.failure = QStringLiteral("The maker's web site gave no version number.");
        return check;
    }
    check.made = true;
    check.pending = required > ProgramContext::AppVersion + 1e-9;
    return check;
}

bool frmMain::CheckForSoftwareUpdate() { return CheckSoftwareVersion().pending; }

void frmMain::closeOtherWindows()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        if (*it != this && (*it)->isVisible()) (*it)->close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // The other windows go first, then the layout is kept; the database and
    // the program-wide objects go when the program ends.
    timer->stop();
    closeOtherWindows();
    if (!mClosing) SaveSettings();
    mClosing = true;
    QMainWindow::closeEvent(event);
}

// ---- the list ----------------------------------------------------------------

int frmMain::selectedRow() const
{
    const QModelIndexList rows = list->selectionModel() ? list->selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void frmMain::selectRow(int row)
{
    if (row < 0 || row >= model->rowCount()) return;
    const QModelIndex index = model->index(row, AuctionListModel::ColAuction);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString frmMain::SelectedAuctionId() const
{
    return model->rowCount() > 0 ? txtAuctionId->text() : QString();
}

QString frmMain::SelectedItemId() const { return txtItemId->text(); }

void frmMain::sortList()
{
    model->sortRows(mSortKey, mSortOrder == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void frmMain::Refreshlist()
{
    if (!mRefreshEnabled) return;
    mRefreshEnabled = false;
    ProgramContext& ctx = ProgramContext::current();
    SqlCondition condition;
    if (!searchShown()) {
        condition.text = mTaskShip ? QStringLiteral("Auction.ActionId =11 ") : QStringLiteral("Auction.ActionId <> 15 ");
        if (mTaskShip || mTaskList) {
            condition += QStringLiteral("AND ");
            condition += TaskDue::Condition(QStringLiteral("Auction.DateNextAction"));
        }
    } else {
        condition = picSearch->BuildCondition();
    }
    const QString sql = AuctionListModel::statement(condition.text);

    QPalette pal = list->palette();
    pal.setColor(QPalette::Base, vb::colorOfNumber(ctx.gConfiguration.ListColor));
    list->setPalette(pal);

    QString error;
    if (ctx.gConnection && !model->load(*ctx.gConnection, sql, condition.binds, &error)) clsDatabase::ReportError(sql, error);
    fitAuctionColumn();
    layoutList();
    if (model->rowCount() == 0) {
        listHistory->clear();
        UpdateModeLabel();
    } else {
        if (!searchShown()) list->setFocus();
        sortList();
        selectRow(0);
        list->scrollToTop();
        DisplayDetails(model->row(0).AuctionId);
    }
    showItemsListed();
    mRefreshEnabled = true;
    emailFallback();
    enableListCommands(model->rowCount() > 0);
}

void frmMain::emailFallback()
{
    // No sale for the typed e-mail address: try it as the buyers' other address.
    QLineEdit* email = picSearch->txtSearch[2];
    if (!searchShown() || model->rowCount() > 0 || email->text().isEmpty()) return;
    const int caret = email->cursorPosition();
    const QString typed = email->text();
    mRefreshEnabled = false;
    picSearch->txtSearch[8]->setText(typed);
    mRefreshEnabled = true;
    email->clear();  // searches again, now on the other address
    mRefreshEnabled = false;
    email->setText(typed);
    picSearch->txtSearch[8]->clear();
    mRefreshEnabled = true;
    email->setCursorPosition(caret);
}

void frmMain::enableListCommands(bool enabled)
{
    for (const char* name : {"mnuTaskDo", "mnuTaskSkip", "mnuTaskDone", "mnuTaskRelistSelected", "mnuTaskEmailBuyer", "mnuTaskEmailWinner",
                             "mnuTaskEmailOver1", "mnuTaskEmailOver2", "mnuTaskEmailOver3", "mnuTaskEmailPayment", "mnuTaskEmailShipped",
                             "mnuTaskEmailFollowup", "mnuWebOpen"})
        if (QAction* a = action(QLatin1String(name))) a->setEnabled(enabled);
    for (QAction* a : actions)
        if (a->property("needsSale").toBool()) a->setEnabled(enabled);
}

void frmMain::layoutList()
{
    const bool rows = model->rowCount() > 0;
    listHistory->setVisible(rows);
    picDetails->setVisible(rows);
    if (picWait->isVisible()) picWait->move((centralWidget()->width() - picWait->width()) / 2, (centralWidget()->height() - picWait->height()) / 2);
}

void frmMain::fitAuctionColumn()
{
    // The auction number is the seller's key to a sale: its column widens to
    // the widest one listed, whatever width it was given. Digits are equally
    // wide, so each shape of number (its length, its letters where they stand)
    // is measured once, on a bold row where there is one.
    std::vector<int> digitsOnly;       // by length: a row with a number of digits only
    QHash<QString, int> withLetters;   // shape -> a row
    auto better = [this](int known, int r) { return known < 0 || (model->row(r).Highlight && !model->row(known).Highlight); };
    for (int r = 0; r < model->rowCount(); ++r) {
        const QString& id = model->row(r).AuctionId;
        if (std::all_of(id.cbegin(), id.cend(), [](QChar c) { return c.isDigit(); })) {
            if (digitsOnly.size() <= size_t(id.size())) digitsOnly.resize(size_t(id.size()) + 1, -1);
            int& known = digitsOnly[size_t(id.size())];
            if (better(known, r)) known = r;
            continue;
        }
        QString shape = id;
        for (QChar& c : shape)
            if (c.isDigit()) c = u'0';
        auto it = withLetters.find(shape);
        if (it == withLetters.end()) it = withLetters.insert(shape, -1);
        int& known = *it;
        if (better(known, r)) known = r;
    }
    int widest = list->header()->sectionSizeHint(AuctionListModel::ColAuction);
    auto measure = [&](int r) {
        if (r >= 0) widest = std::max(widest, list->sizeHintForIndex(model->index(r, AuctionListModel::ColAuction)).width());
    };
    for (const int r : digitsOnly) measure(r);
    for (const int r : std::as_const(withLetters)) measure(r);
    if (list->columnWidth(AuctionListModel::ColAuction) < widest) list->setColumnWidth(AuctionListModel::ColAuction, widest);
}

void frmMain::showItemsListed() { lblItemsListed->setText(QStringLiteral("%1 Items listed").arg(model->rowCount())); }

void frmMain::SetListItemBold(int Index, bool Highlight)
{
    if (Index < 1 || Index > model->rowCount()) return;
    AuctionRow row = model->row(Index - 1);
    row.Highlight = Highlight;
    model->setRow(Index - 1, row);
}

bool frmMain::CheckItemSelected()
{
    if (model->rowCount() > 0) return true;
    MsgBox(QStringLiteral("Select an auction item first."), vbmsg::Information, ProgramContext::current().gAppTitle);
    return false;
}

void frmMain::UpdateModeLabel()
{
    QPalette pal = lblMode->palette();
    QColor colour = vb::color(0x80000009);
    QString caption;
    if (searchShown()) {
        caption = QStringLiteral("  Search Results");
        colour = vb::color(0xFFFF);
    } else if (mTaskShip) {
        caption = QStringLiteral("  Task List - Send Items");
        colour = vb::color(0xFFFF);
    } else if (mTaskList) {
        caption = QStringLiteral("  Task List");
    } else {
        caption = QStringLiteral("  List All");
    }
    pal.setColor(QPalette::WindowText, colour);
    lblMode->setPalette(pal);
    lblMode->setText(caption);
}

void frmMain::RefreshListItem(const QString& AuctionId)
{
    ProgramContext& ctx = ProgramContext::current();
    const int r = model->rowOf(AuctionId);
    if (r < 0) return;
    list->scrollTo(model->index(r, AuctionListModel::ColAuction));
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT Auction.*, Customer.Email FROM Auction LEFT JOIN Customer ON "
                                              "Customer.CustomerId = Auction.CustomerId WHERE Auction.AuctionId=?"),
                               {AuctionId}, false, true, true, &rs))
        return;
    bool remove = rs.isEOF();
    if (!remove && !searchShown()) {
        const QVariant due = rs.value(QStringLiteral("DateNextAction"));
        const int step = rs.value(QStringLiteral("ActionId")).toInt();
        remove = (mTaskList && !due.isNull() && !TaskDue::IsDue(due, vb::now())) || (mTaskShip && step != 11) || step == 15;
    }
    const int selected = selectedRow();
    if (remove) {
        model->removeRowAt(r);
    } else {
        AuctionRow row = model->row(r);
        const QVariant due = rs.value(QStringLiteral("DateNextAction"));
        row.DateSortingIndex = AuctionListModel::dateKey(due.isNull() ? rs.value(QStringLiteral("DateStart")).toDouble() : due.toDouble());
        row.AuctionType = rs.text(QStringLiteral("AuctionType"));
        row.ItemId = rs.text(QStringLiteral("ItemId"));
        row.Description = rs.text(QStringLiteral("Description"));
        row.CustomerId = rs.text(QStringLiteral("CustomerId"));
        row.Email = rs.text(QStringLiteral("Email"));
        row.ActionDate = dateText(due);
        row.ActionId = rs.value(QStringLiteral("ActionId")).toInt();
        row.NextAction = ctx.gActions->Description(row.ActionId);
        row.Highlight = rs.value(QStringLiteral("Highlight")).toBool();
        model->setRow(r, row);
    }
    rs.Close();
    layoutList();
    if (model->rowCount() == 0) {
        listHistory->clear();
        UpdateModeLabel();
        showItemsListed();
        enableListCommands(false);
        return;
    }
    // The row now at the selected place (or the last) is selected and shown.
    const int keep = remove && selected >= r ? std::min(selected == r ? r : selected - 1, model->rowCount() - 1) : selected;
    selectRow(std::clamp(keep, 0, model->rowCount() - 1));
    DisplayDetails(model->row(selectedRow()).AuctionId);
    if (remove) showItemsListed();
    list->setFocus();
}

void frmMain::DisplayDetails(const QString& AuctionId)
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT Auction.AuctionId, Auction.ItemId, Auction.Description, Auction.CustomerId, "
                                              "Customer.Email, Customer.EmailCC, Auction.WinningBid, Auction.PayId, Auction.DatePaid, "
                                              "Auction.DateSent, Auction.DateNextAction, Auction.ActionId, Auction.Shipping, "
                                              "Auction.DeliveryAddress, Auction.DateStart, Auction.TrackingNumber FROM Auction LEFT "
                                              "JOIN Customer ON Customer.CustomerId = Auction.CustomerId WHERE Auction.AuctionId=?"),
                               {AuctionId}, false, true, true, &rs))
        return;
    if (!rs.isEOF()) {
        const QVariant bid = rs.value(QStringLiteral("WinningBid"));
        const QVariant shipping = rs.value(QStringLiteral("Shipping"));
        txtAuctionId->setText(rs.text(QStringLiteral("AuctionId")));
        // No bid yet: the title alone, not an empty "()".
        lblAuctionId->setText(bid.isNull() ? rs.text(QStringLiteral("Description"))
                                           : rs.text(QStringLiteral("Description")) + QStringLiteral("  (") + money(bid) + u')');
        txtItemId->setText(rs.text(QStringLiteral("ItemId")));
        txtDescription->setText(rs.text(QStringLiteral("Description")));
        txtEmail->setText(rs.text(QStringLiteral("Email")));
        txtEmailCC->setText(rs.text(QStringLiteral("EmailCC")));
        txtCustomerId->setText(rs.text(QStringLiteral("CustomerId")));
        lblTotal[0]->setText(money(bid));
        lblTotal[1]->setText(money(shipping));
        // The total adds the amounts that are there.
        lblTotal[4]->setText(bid.isNull() && shipping.isNull() ? QString()
                                                               : vb::formatNumber(bid.toDouble() + shipping.toDouble(), QStringLiteral("$0.00")));
        const QVariant due = rs.value(QStringLiteral("DateNextAction"));
        dateNextAction->setProperty("Due", due);
        if (!due.isNull()) {
            dateNextAction->setDate(vb::fromOleDate(due.toDouble()).date());
            dateNextAction->setProperty("Tag", AuctionListModel::dateKey(due.toDouble()));  // "" when no day (the picker then shows none)
        } else {
            dateNextAction->setProperty("Tag", AuctionListModel::dateKey(rs.value(QStringLiteral("DateStart")).toDouble()));
            dateNextAction->clear();
        }
        cboNote->setEditText(QString());
        const int step = rs.value(QStringLiteral("ActionId")).toInt();
        txtNextAction->setText(ctx.gActions->Description(step));
        txtNextAction->setProperty("Tag", QString::number(step));
        frameTotal->setVisible(!mTaskShip && step > 1);
        const QVariant paid = rs.value(QStringLiteral("DatePaid"));
        txtDatePaid->setText(dateText(paid));
        txtPayId->setText(rs.text(QStringLiteral("PayId")));
        cmdPaid->setVisible(step > 1 && step < 10);
        for (QWidget* w : {static_cast<QWidget*>(lblPayment[0]), static_cast<QWidget*>(lblPayment[1]), static_cast<QWidget*>(txtDatePaid),
                           static_cast<QWidget*>(txtPayId)})
            w->setVisible(!paid.isNull());
        const QVariant sent = rs.value(QStringLiteral("DateSent"));
        txtDateSent->setText(dateText(sent));
        txtTrackingNumber->setText(rs.text(QStringLiteral("TrackingNumber")));
        for (QWidget* w : {static_cast<QWidget*>(lblShipped[0]), static_cast<QWidget*>(lblShipped[1]), static_cast<QWidget*>(txtDateSent),
                           static_cast<QWidget*>(txtTrackingNumber)})
            w->setVisible(!sent.isNull());
        txtAddress->setPlainText(rs.text(QStringLiteral("DeliveryAddress")));
    }
    rs.Close();
    cboNote->setProperty("Tag", QString());
    cboNote->setPalette(QPalette());

    // The sale's history, oldest first.
    listHistory->clear();
    if (ctx.gDatabase->OpenDB(QStringLiteral("SELECT * FROM History WHERE AuctionId=? ORDER BY \"Date\", Autonumber"), {AuctionId}, false,
                              true, true, &rs)) {
        QList<QTreeWidgetItem*> items;
        for (; !rs.isEOF(); rs.MoveNext()) {
            const double when = rs.value(QStringLiteral("Date")).toDouble();
            const QString description = rs.text(QStringLiteral("Description"));
            auto* item = new QTreeWidgetItem({vb::formatDate(when, QStringLiteral("d/mm/yyyy")), vb::formatDate(when, QStringLiteral("h:mm ampm")),
                                              description});
            item->setData(0, Qt::UserRole, rs.value(QStringLiteral("Autonumber")));
            if (rs.text(QStringLiteral("Changed")) == QLatin1String("[NOTHING]")) {
                QFont f = item->font(2);
                f.setBold(true);
                item->setFont(2, f);
            }
            if (description.left(14) == QLatin1String("SKIPPED TASK: ")) item->setForeground(2, QColor(Qt::red));
            items << item;
        }
        listHistory->addTopLevelItems(items);
        if (!items.isEmpty()) listHistory->scrollToItem(items.last());
    }

    // The selected row follows what the pane shows.
    const int r = selectedRow();
    if (r >= 0 && model->row(r).AuctionId == txtAuctionId->text()) {
        AuctionRow row = model->row(r);
        const QVariant due = shownDue();
        row.DateSortingIndex = due.isNull() ? dateNextAction->property("Tag").toString() : AuctionListModel::dateKey(due.toDouble());
        row.ItemId = txtItemId->text();
        row.Description = txtDescription->text();
        row.CustomerId = txtCustomerId->text();
        row.Email = txtEmail->text();
        row.ActionDate = due.isNull() ? QString() : vb::dateText(due.toDouble());
        row.NextAction = txtNextAction->text();
        model->setRow(r, row);
    }
    frameAuction->setVisible(!mTaskShip);
    // The payment box shows when it has something to show (no empty frame before the auction ends).
    frameDetails->setVisible(!mTaskShip && (!cmdPaid->isHidden() || !txtDatePaid->isHidden() || !txtDateSent->isHidden()));
    frameDelivery->setVisible(mTaskShip);
    UpdateModeLabel();
}

QVariant frmMain::shownDue() const
{
    const QVariant picked = dateNextAction->value();
    const QVariant stored = dateNextAction->property("Due");
    if (picked.isNull()) return {};
    return stored.isValid() && !stored.isNull() && vb::Int(stored.toDouble()) == picked.toDouble() ? stored : picked;
}

void frmMain::RefreshNotes()
{
    cboNote->clear();
    QString s = ProgramContext::current().gConfiguration.Notes + CrLf;
    while (s.contains(CrLf)) {
        const qsizetype p = s.indexOf(CrLf);
        cboNote->addItem(s.left(p));
        s = s.mid(p + 2);
    }
    cboNote->setEditText(QString());
}

void frmMain::UpdateComboItems()
{
    // A new list of items changes no search: the field keeps what the seller
    // typed or chose, and the list is not loaded again.
    QComboBox* items = cboSearch[1];
    const QSignalBlocker block(items);
    const QString typed = items->currentText();
    items->clear();
    Recordset rs;
    ProgramContext& ctx = ProgramContext::current();
    if (ctx.gDatabase && ctx.gDatabase->OpenDB(QStringLiteral("SELECT ItemId FROM Item ORDER BY ItemId"), true, true, true, &rs))
        for (; !rs.isEOF(); rs.MoveNext()) items->addItem(rs.text(QStringLiteral("ItemId")));
    items->setCurrentIndex(items->findText(typed));
    items->setEditText(typed);
}

// ---- list events and the timer ----------------------------------------------

void frmMain::list_ColumnClick(int column)
{
    const int sortColumn = column == 7 ? 1 : column;
    mSortOrder = sortColumn - 1 == mSortKey ? (mSortOrder == 0 ? 1 : 0) : 0;
    mSortKey = sortColumn - 1;
    mSortIndex = column;
    list->header()->setSortIndicator(column - 1, mSortOrder == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    const QString selected = SelectedAuctionId();
    sortList();
    if (model->rowCount() > 0) {
        const int r = std::max(0, model->rowOf(selected));
        selectRow(r);
        list->scrollTo(model->index(model->rowCount() - 1, AuctionListModel::ColAuction));
        list->scrollTo(model->index(r, AuctionListModel::ColAuction));
        DisplayDetails(model->row(r).AuctionId);
    }
}

void frmMain::ToggleHighlight()
{
    if (!CheckItemSelected() || selectedRow() < 0) return;  // never a sale the seller did not pick
    ProgramContext& ctx = ProgramContext::current();
    const QString id = model->row(selectedRow()).AuctionId;
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT AuctionId, Bold, Highlight FROM Auction WHERE AuctionId=?"), {id}, false, false, true, &rs))
        return;
    if (!rs.isEOF()) {
        const bool highlight = !rs.value(QStringLiteral("Highlight")).toBool();
        rs.setValue(QStringLiteral("Highlight"), highlight);
        rs.setValue(QStringLiteral("Bold"), highlight);
        rs.Update();
    }
    rs.Close();
    RefreshListItem(id);
}

void frmMain::list_DblClick()
{
    if (model->rowCount() == 0) return;
    FormsRegistry::instance().showModal(QStringLiteral("frmAuction"),
                                        {{QStringLiteral("mRemoteId"), txtAuctionId->text()}, {QStringLiteral("mRemoteEdit"), true}}, this);
}

void frmMain::cmdPaid_Click()
{
    list->setFocus();
    if (model->rowCount() == 0 || selectedRow() < 0) return;
    FormsRegistry::instance().showModal(QStringLiteral("frmPaid"), {{QStringLiteral("mAuctionId"), model->row(selectedRow()).AuctionId}}, this);
}

void frmMain::timer_Timer()
{
    if (txtClipboard->isVisible())
        for (QWidget* f : {static_cast<QWidget*>(txtAuctionId), static_cast<QWidget*>(txtDescription), static_cast<QWidget*>(txtCustomerId),
                           static_cast<QWidget*>(txtEmail), static_cast<QWidget*>(txtAddress)})
            EndCopyHighlight(f);
    ProgramContext& ctx = ProgramContext::current();
    const bool settled = !ctx.gDatabase || ctx.gDatabase->CheckLog();
    const bool wasShown = picWait->isVisible();
    if (settled && wasShown) picWait->hide();
    if (!settled && !wasShown) {
        lblWaitMessage->setText(QStringLiteral("Please wait...updating records"));
        layoutList();
        picWait->move((centralWidget()->width() - picWait->width()) / 2, (centralWidget()->height() - picWait->height()) / 2);
        picWait->show();
        picWait->raise();
    }
    if (picWait->isVisible() != wasShown) {
        const bool accept = !picWait->isVisible();
        for (QWidget* w : {static_cast<QWidget*>(tbar), static_cast<QWidget*>(picSearch), static_cast<QWidget*>(listHistory), picDetails, static_cast<QWidget*>(list)})
            w->setEnabled(accept);
    }
}

void frmMain::CopyToClipboard(QWidget* field, int x)
{
    if (!txtClipboard->isVisible()) {
        const QPoint at = field->mapTo(this, QPoint(x, 0));
        txtClipboard->adjustSize();
        txtClipboard->move(at.x(), at.y() - txtClipboard->height());
        txtClipboard->show();
        txtClipboard->raise();
        const QString text = qobject_cast<QLabel*>(field) ? static_cast<QLabel*>(field)->text() : txtAddress->toPlainText();
        QGuiApplication::clipboard()->clear();
        QGuiApplication::clipboard()->setText(text);
        QPalette pal = field->palette();
        pal.setColor(QPalette::Window, vb::color(0x80FF80));
        pal.setColor(QPalette::Base, vb::color(0x80FF80));
        field->setPalette(pal);
        field->setProperty("Tag", 1);
    }
    list->setFocus();
}

void frmMain::EndCopyHighlight(QWidget* field)
{
    const QVariant tag = field->property("Tag");
    if (!tag.isValid() || tag.toString().isEmpty()) return;
    const int ticks = tag.toInt() + 1;
    if (ticks < 4) {
        field->setProperty("Tag", ticks);
        return;
    }
    field->setProperty("Tag", QString());
    field->setPalette(QPalette());
    txtClipboard->hide();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_H || key->key() == Qt::Key_B) && key->modifiers() == Qt::ShiftModifier) {
            ToggleHighlight();
            return true;
        }
        if (key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            ShowPopupAtSelectedRow();
            return true;
        }
    }
    // Some platforms turn the Menu key into a context-menu event of their own.
    if (watched == list && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        ShowPopupAtSelectedRow();
        return true;
    }
    if (watched == list->viewport() && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            // A right click never moves the selection; its release over the selected row opens the popup.
            if (event->type() == QEvent::MouseButtonRelease) ShowPopup(mouse->position().toPoint());
            return true;
        }
    }
    if (watched == cboNote && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        mLastNoteKey = key->key();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            SaveNote();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            cboNote->setEditText(QString());
            cboNote->setProperty("Tag", QString());
            cboNote->setPalette(QPalette());
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        for (QWidget* f : {static_cast<QWidget*>(txtAuctionId), static_cast<QWidget*>(txtDescription),
                           static_cast<QWidget*>(txtCustomerId), static_cast<QWidget*>(txtEmail)})
            if (watched == f) CopyToClipboard(f, int(mouse->position().x()));
        if (watched == txtAddress->viewport()) CopyToClipboard(txtAddress, int(mouse->position().x()));
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- site pages --------------------------------------------------------------

void frmMain::NotYetAvailable(const QString& what)
{
    MsgBox(what + QStringLiteral(" is not yet available in this version of Vendaro."), vbmsg::Information,
           ProgramContext::current().gAppTitle);
}
