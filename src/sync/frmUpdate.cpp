#include "frmUpdate.h"

#include "ListingRecordsets.h"
#include "ReviewListModel.h"
#include "UpdateSession.h"
#include "core/ProgramContext.h"
#include "core/modCommon.h"
#include "core/modWebProcessing.h"
#include "platform/AppSettings.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/browser/WebBrowser.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Last45 = QStringLiteral("Last 45 days");
const QString Last7 = QStringLiteral("Last 7 days");
// The relist wait: seconds between two downloads while the site catches up.
constexpr int RelistWaitSeconds = 6;
}  // namespace

QString frmUpdate::Section() { return QStringLiteral("Settings\\frmUpdate"); }

frmUpdate::frmUpdate(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Trademe - Update auction database"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(true);
    // The design size; the saved size replaces it.
    resize(900, 560);
    setMinimumSize(vb::twipsToPixels(3000), vb::twipsToPixels(3000));

    m_web = WebBrowser::create(this);
    m_session = new UpdateSession(this, m_web, this);
    connect(m_session, &UpdateSession::runEnded, this, &frmUpdate::runHasEnded, Qt::QueuedConnection);

    picFilter = new QWidget(this);
    auto* filterRow = new QHBoxLayout(picFilter);
    filterRow->setContentsMargins(0, 0, 0, 0);
    auto* lblFilter = new QLabel(QStringLiteral("Filter"), picFilter);
    cboFilter = new QComboBox(picFilter);
    cboFilter->addItems({Last7, Last45});
    lblFilter->setBuddy(cboFilter);
    filterRow->addWidget(lblFilter);
    filterRow->addWidget(cboFilter);

    sstab = new QTabWidget(this);
    for (int i = 0; i < 3; ++i) {
        m_models[i] = new ReviewListModel(i, this);
        auto* view = new QTreeView(sstab);
        view->setObjectName(QStringLiteral("list%1").arg(i));
        view->setModel(m_models[i]);
        view->setRootIsDecorated(false);
        view->setUniformRowHeights(true);
        view->setAlternatingRowColors(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->header()->setSortIndicator(0, i == ListingRecordsets::Current ? Qt::AscendingOrder : Qt::DescendingOrder);
        view->setSortingEnabled(true);
        view->setColumnHidden(0, true);  // the sort key
        connect(view, &QWidget::customContextMenuRequested, this, [this, i](const QPoint& pos) { showPopup(i, pos); });
        connect(view, &QAbstractItemView::doubleClicked, this, [this] { list_DblClick(); });
        m_lists[i] = view;
        sstab->addTab(view, ReviewListModel::PlainCaption(i));
    }
    connect(sstab, &QTabWidget::currentChanged, this, [this] { sstab_Click(); });

    cmdRefresh = new QPushButton(QStringLiteral("Refresh"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setEnabled(false);
    cmdRefresh->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    cmdSave->setAutoDefault(false);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmUpdate::cmdRefresh_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmUpdate::cmdCancel_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmUpdate::cmdSave_Click);

    StatusBar = new QStatusBar(this);
    StatusBar->setSizeGripEnabled(false);

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(picFilter);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdRefresh);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdSave);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sstab, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar);

    // The wait panel floats over the lists, so what was downloaded so far stays in view.
    picWait = new QFrame(this);
    static_cast<QFrame*>(picWait)->setFrameShape(QFrame::StyledPanel);
    picWait->setAutoFillBackground(true);
    auto* waitLayout = new QVBoxLayout(picWait);
    lblWaitMessage = new QLabel(picWait);
    lblWaitMessage->setTextFormat(Qt::PlainText);
    lblWaitMessage->setAlignment(Qt::AlignCenter);
    prgWait = new QProgressBar(picWait);
    prgWait->setRange(0, 0);  // busy: a download has no length known ahead
    prgWait->setTextVisible(false);
    waitLayout->addWidget(lblWaitMessage);
    waitLayout->addWidget(prgWait);
    picWait->hide();

    mnuPopup = new QMenu(QStringLiteral("Options"), this);
    auto item = [this](QMenu* menu, const char* name, const QString& caption, void (frmUpdate::*slot)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    item(mnuPopup, "mnuPopupTrademe", QStringLiteral("View this auction on Trademe"), &frmUpdate::mnuPopupTrademe_Click);
    item(mnuPopup, "mnuFixedPriceOffer", QStringLiteral("Make a fixed price offer"), &frmUpdate::mnuFixedPriceOffer_Click);
    mnuPopup->addSeparator();
    item(mnuPopup, "mnuPopupAuction", QStringLiteral("View auction details"), &frmUpdate::mnuPopupAuction_Click);
    QMenu* itemMenu = mnuPopup->addMenu(QStringLiteral("Item details"));
    itemMenu->menuAction()->setObjectName(QStringLiteral("mnuPopupItem"));
    item(itemMenu, "mnuPopupItemView", QStringLiteral("View item details"), &frmUpdate::mnuPopupItemView_Click);
    item(itemMenu, "mnuPopupItemAdd", QStringLiteral("Add this auction title as a new item"), &frmUpdate::mnuPopupItemAdd_Click);
    mnuPopup->addSeparator();
    item(mnuPopup, "mnuPopupShipping", QStringLiteral("Change shipping total"), &frmUpdate::mnuPopupShipping_Click);
    item(mnuPopup, "mnuPopupProcess", QStringLiteral("Process this listing (ended before system start)"), &frmUpdate::mnuPopupProcess_Click);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmUpdate::Timer1_Timer);

    // The browser reads the unsold pages out of sight; it is shown only when
    // the site turns the login away.
    if (QWidget* page = m_web->widget()) {
        page->setParent(this);
        page->hide();
    }

    Form_Load();
}

frmUpdate::~frmUpdate()
{
    // The run must not call back into a window being taken apart.
    if (m_session->isRunning()) m_session->Cancel();
}

QAction* frmUpdate::popupAction(const QString& name) const { return mnuPopup->findChild<QAction*>(name); }

// ---- load, layout, unload ----

void frmUpdate::Form_Load()
{
    ProgramContext& ctx = ProgramContext::current();
    mActivated = false;
    mWaitCount = 0;
    m_session->mUnsavedChanges = false;
    m_session->mCancel = false;
    mSavedTab = QVariant();
    m_session->mNoteBold = m_session->mNoteRed = m_session->mNoteShipping = m_session->mNoteLowStock = 0;
    enableControls(false);

    // A stale database takes the long window, whatever was chosen last.
    QString filterText = AppSettings::GetSetting(Section(), QStringLiteral("Filter"), Last45);
    if (ctx.gConfiguration.DateLastUpdate < vb::now() - 7 || cboFilter->findText(filterText) < 0) filterText = Last45;
    {
        const QSignalBlocker block(cboFilter);
        cboFilter->setCurrentText(filterText);
    }
    connect(cboFilter, &QComboBox::currentIndexChanged, this, [this] { cboFilter_Click(); });
    m_session->SetExportURLs(cboFilter->currentText());
    loadSettings();
    const double last = ctx.gConfiguration.DateLastUpdate;
    StatusBar->showMessage(last > 0 ? QStringLiteral("Last updated %1").arg(vb::formatDate(last, QStringLiteral("ddd d mmm yyyy h:mm ampm")))
                                    : QStringLiteral("Not updated before"));
    mLoaded = true;
}

void frmUpdate::loadSettings()
{
    const int state = AppSettings::GetSetting(Section(), QStringLiteral("WindowState"), QStringLiteral("2")).toInt();
    auto twips = [](const QString& key, int pixels) {
        return vb::twipsToPixels(AppSettings::GetSetting(Section(), key, QString::number(vb::pixelsToTwips(pixels))).toDouble());
    };
    resize(qMax(minimumWidth(), twips(QStringLiteral("Width"), width())), qMax(minimumHeight(), twips(QStringLiteral("Height"), height())));
    if (state == 2) setWindowState(Qt::WindowMaximized);
    else if (state == 1) setWindowState(Qt::WindowMinimized);
    // Keys count the columns from 1, the hidden sort key first; it keeps its width.
    for (int i = 0; i < 3; ++i) {
        QTreeView* view = m_lists[i];
        m_fitColumns[i].clear();
        for (int j = 1; j < m_models[i]->columnCount(); ++j) {
            const QString key = columnKey(i, j);
            if (AppSettings::GetSetting(Section(), key).isEmpty()) {
                m_fitColumns[i] << j;  // no width of the seller's yet: fitted to the first rows shown
                continue;
            }
            const int width = twips(key, view->header()->defaultSectionSize());
            if (width > 0) view->setColumnWidth(j, width);
        }
    }
}

QString frmUpdate::columnKey(int list, int column) { return QStringLiteral("listColumn(%1)%2").arg(list).arg(column + 1); }

void frmUpdate::saveSettings()
{
    if (!mLoaded) return;
    QList<QPair<QString, QString>> values = {{QStringLiteral("Filter"), cboFilter->currentText()}};
    const int state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    if (state == 0) {
        values.append({QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))});
        values.append({QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))});
    }
    values.append({QStringLiteral("WindowState"), QString::number(state)});
    // The first column is the hidden sort key: its width is not the seller's.
    for (int i = 0; i < 3; ++i)
        for (int j = 1; j < m_models[i]->columnCount(); ++j)
            values.append({columnKey(i, j), QString::number(vb::pixelsToTwips(m_lists[i]->columnWidth(j)))});
    AppSettings::SaveSettings(Section(), values);
}

void frmUpdate::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeWaitPanel();
}

void frmUpdate::placeWaitPanel()
{
    const QRect area = sstab->geometry();
    const QSize size(qMin(area.width() - 20, qMax(360, lblWaitMessage->sizeHint().width() + 60)), picWait->sizeHint().height());
    picWait->setGeometry(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
    picWait->raise();
}

bool frmUpdate::queryUnload()
{
    if (m_session->isRunning()) {
        // Cancel at any stage: the transfer or page under way is dropped.
        m_session->Cancel();
        return true;
    }
    if (!waitShowing() && m_session->mUnsavedChanges) {
        const int answer = MsgBox(QStringLiteral("There are items to be updated.") + CrLf + CrLf + QStringLiteral("Do you want to update now?"),
                                  vbmsg::YesNoCancel + vbmsg::Exclamation, ProgramContext::current().gAppTitle);
        if (answer == vbmsg::Cancel) {
            m_session->mCancel = false;
            return false;
        }
        // A save that failed has said why; the rows stay for another try.
        if (answer == vbmsg::Yes && !m_session->SaveUpdates(false)) {
            m_session->mCancel = false;
            return false;
        }
    }
    return true;
}

void frmUpdate::reject()
{
    if (mUnloading) return;
    mUnloading = true;
    const bool unload = queryUnload();
    mUnloading = false;
    if (unload) QDialog::reject();
}

void frmUpdate::closeEvent(QCloseEvent* event)
{
    // Closing is rejecting: one path asks the question.
    event->ignore();
    reject();
}

void frmUpdate::done(int result)
{
    Timer1->stop();
    mWaitCount = 0;
    if (m_session->isRunning()) m_session->Cancel();
    pAutoUpdate = 0;
    saveSettings();
    QDialog::done(result);
}

void frmUpdate::Unload()
{
    // Called from inside a step of the run: the window goes once the step is over.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) reject();
    });
}

// ---- the download sequence ----

void frmUpdate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    placeWaitPanel();
    Timer1->start();
    // The window shows first; the run starts from the event loop.
    if (!mActivated) QTimer::singleShot(0, this, &frmUpdate::Form_Activate);
}

void frmUpdate::Form_Activate()
{
    if (mActivated || !isVisible()) return;
    mActivated = true;
    mRunFinished = false;
    m_session->mUnsavedChanges = false;
    m_session->mCancel = false;
    m_session->pAutoUpdate = pAutoUpdate;
    // The lists belong to the sets of the run before: a new run starts empty.
    for (int i = 0; i < 3; ++i) {
        m_models[i]->Clear();
        sstab->setTabText(i, ReviewListModel::PlainCaption(i));
    }
    ShowWait(QStringLiteral("Logging in to TradeMe"));
    if (!modWebProcessing::ShowBrowser(this, true, true, false)) {
        ShowWait(QString());
        Unload();
        return;
    }
    if (!isVisible()) return;
    m_session->Start();
}

void frmUpdate::runHasEnded()
{
    if (m_session->isRunning()) return;  // a refresh began meanwhile
    if (!mRunFinished && isVisible()) {
        // A failed or stopped run: the panel goes and Refresh and the filter
        // come back; Save waits for a whole run.
        ShowWait(QString());
    }
    emit runEnded();
}

void frmUpdate::RunFinished()
{
    ProgramContext& ctx = ProgramContext::current();
    mRunFinished = true;
    ShowWait(QString());
    sstab->setCurrentIndex(mSavedTab.isValid() && mSavedTab.toInt() >= 0 ? mSavedTab.toInt() : m_session->mChangedTab);

    if (cboFilter->currentText() == Last45 && vb::now() > ctx.gConfiguration.DateSystemStart + 7)
        modCommon::ShowMessage(QStringLiteral("Tip:") + CrLf + CrLf +
                                   QStringLiteral("You can speed up the update download time by changing the filter to 7 days instead of 45 days "
                                                  "(at the top of this page)"),
                               vbmsg::Information, false, ctx.gAppTitle, true);
    struct Note {
        int& state;
        int type;
        QString text;
    };
    const Note notes[] = {
        {m_session->mNoteBold, vbmsg::Information,
         QStringLiteral("Listings that are displayed in BOLD are changes that will be made to the database.  This includes new auctions, "
                        "auctions that have ended or any altered auction information.")},
        {m_session->mNoteRed, vbmsg::Information,
         QStringLiteral("Listings displayed in RED are listings that ended BEFORE your chosen system start date.  These auctions will be "
                        "added to your database but will be set as completed.")},
        {m_session->mNoteShipping, vbmsg::Exclamation, QStringLiteral("One or more sold items do not have the shipping cost set.")},
    };
    for (const Note& note : notes) {
        if (note.state != 1) continue;
        note.state = 2;
        modCommon::ShowMessage(note.text, note.type, true, ctx.gAppTitle, false);
    }

    // After a relist the site may not list the new auctions yet: download
    // again until it shows as many as were relisted.
    if (pAutoUpdate >= 1 && m_models[ListingRecordsets::Current]->Count() < pAutoUpdate) {
        mWaitCount = RelistWaitSeconds;
        enableControls(false);
    }
}

void frmUpdate::Timer1_Timer()
{
    if (mWaitCount <= 0) return;
    --mWaitCount;
    ShowWait(QStringLiteral("Waiting for trademe to update...") + QString::number(mWaitCount));
    if (mWaitCount == 0) cmdRefresh_Click();
}

// ---- the wait panel ----

void frmUpdate::enableControls(bool enabled)
{
    picFilter->setEnabled(enabled);
    sstab->setEnabled(enabled);
    for (QTreeView* view : m_lists) view->setEnabled(enabled);
    cmdRefresh->setEnabled(enabled);
    cmdSave->setEnabled(enabled && mRunFinished);
    mnuPopup->setEnabled(enabled);
}

void frmUpdate::ShowWait(const QString& Message)
{
    lblWaitMessage->setText(Message);
    picWait->setVisible(!Message.isEmpty());
    enableControls(Message.isEmpty());
    if (!Message.isEmpty()) placeWaitPanel();
}

bool frmUpdate::waitShowing() const { return !picWait->isHidden(); }

QString frmUpdate::waitMessage() const { return picWait->isHidden() ? QString() : lblWaitMessage->text(); }

void frmUpdate::ShowListProgress()
{
    static const char* const names[] = {"CURRENT", "SOLD", "UNSOLD"};
    const int type = qBound(0, m_session->mListType, 2);
    ShowWait(QStringLiteral("Downloading %1 auctions [%2]").arg(QLatin1String(names[type])).arg(m_models[type]->rowCount()));
}

void frmUpdate::LoginFailed()
{
    // The seller sees the page the site gave instead of the list.
    if (QWidget* page = m_web->widget()) {
        page->setGeometry(rect());
        page->show();
        page->raise();
    }
    UpdateSession::ShowUpdateError(QStringLiteral("Error attempting to login"));
    Unload();
}

// ---- the review lists ----

void frmUpdate::SelectTab(int listType) { sstab->setCurrentIndex(listType); }

void frmUpdate::FillList(int listType) { fill(listType); }
void frmUpdate::FillCurrentList() { fill(ListingRecordsets::Current); }
void frmUpdate::FillSoldList() { fill(ListingRecordsets::Sold); }
void frmUpdate::FillUnsoldList() { fill(ListingRecordsets::Unsold); }

void frmUpdate::fill(int listType)
{
    Recordset* rs = m_session->mListings[listType].get();
    ReviewListModel& model = *m_models[listType];
    QTreeView* view = m_lists[listType];
    // A refill keeps the seller's place: the record selected stays selected.
    const QModelIndex selected = view->currentIndex();
    const int position = selected.isValid() ? model.RecordPosition(selected.row()) : -1;
    if (rs) model.Fill(*rs);
    else model.Clear();
    // The default order after every fill, whatever column the seller sorted by.
    view->header()->setSortIndicator(0, listType == ListingRecordsets::Current ? Qt::AscendingOrder : Qt::DescendingOrder);
    sstab->setTabText(listType, model.Caption());
    sstab->setCurrentIndex(listType);
    if (model.AnyBold() && m_session->mNoteBold == 0) m_session->mNoteBold = 1;
    if (listType == ListingRecordsets::Sold && model.ShippingNote() && m_session->mNoteShipping == 0) m_session->mNoteShipping = 1;
    bool unsaved = false;
    for (const ReviewListModel* m : m_models) unsaved = unsaved || m->AnyBold();
    m_session->mUnsavedChanges = unsaved;
    if (!m_fitColumns[listType].isEmpty() && model.rowCount() > 0) {
        // Long titles and addresses must not push the other columns out of sight.
        constexpr int widest = 320;
        for (const int j : std::exchange(m_fitColumns[listType], {})) {
            view->resizeColumnToContents(j);
            view->setColumnWidth(j, qMin(widest, view->columnWidth(j) + 12));
        }
    }
    if (const int row = position >= 0 ? model.RowOfRecord(position) : -1; row >= 0) {
        view->setCurrentIndex(model.index(row, 1));
        view->scrollTo(model.index(row, 1));
    } else if (listType == ListingRecordsets::Current && model.rowCount() > 0) {
        view->scrollToBottom();
    }
    if (waitShowing()) {
        const int saved = m_session->mListType;
        m_session->mListType = listType;
        ShowListProgress();
        m_session->mListType = saved;
    }
}

void frmUpdate::refillLists()
{
    // Every fill brings its tab to the front; a refill after a command leaves
    // the seller on the tab the command came from.
    const int tab = sstab->currentIndex();
    for (int i = 0; i < 3; ++i)
        if (m_session->mListings[i]) fill(i);
    sstab->setCurrentIndex(tab);
}

void frmUpdate::sstab_Click()
{
    // Each tab holds its own list; the popup follows the list shown.
    mnuPopup->setEnabled(sstab->isEnabled() && m_models[currentListType()]->rowCount() > 0);
}

int frmUpdate::currentListType() const { return qBound(0, sstab->currentIndex(), 2); }

int frmUpdate::currentRow() const
{
    const QModelIndex index = m_lists[currentListType()]->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void frmUpdate::selectRow(int listType, int row)
{
    sstab->setCurrentIndex(listType);
    m_lists[listType]->setCurrentIndex(m_models[listType]->index(row, 1));
}

// ---- the buttons ----

void frmUpdate::cmdRefresh_Click()
{
    mSavedTab = sstab->currentIndex();
    mActivated = false;
    mWaitCount = 0;
    Form_Activate();
}

void frmUpdate::cboFilter_Click()
{
    mSavedTab = sstab->currentIndex();
    m_session->SetExportURLs(cboFilter->currentText());
    cmdRefresh_Click();
}

void frmUpdate::cmdSave_Click()
{
    if (!mRunFinished || m_session->isRunning()) return;
    m_session->SaveUpdates(true);
}

void frmUpdate::cmdCancel_Click()
{
    m_session->mCancel = true;
    mWaitCount = 0;
    reject();
}
