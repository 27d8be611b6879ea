#include "frmRelist.h"

#include "ListingForm.h"
#include "RelistRecorder.h"
#include "frmRelistDetail.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modWebProcessing.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/browser/WebBrowser.h"
#include "platform/db/Recordset.h"

#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

namespace {
const QString CrLf = QStringLiteral("\r\n");
ProgramContext& ctx() { return ProgramContext::current(); }

enum Column { ColAuction, ColItem, ColTitle };

BatchQueueWindow::Setup relistSetup()
{
    BatchQueueWindow::Setup s;
    s.formName = QStringLiteral("frmRelist");
    s.caption = QStringLiteral("Relist");
    s.headers = RelistQueue::Headers();
    s.selectAllChecked = false;
    s.waitText = QStringLiteral("Relisting auctions");
    s.cancelQuestion = QStringLiteral("Cancel relist?");
    s.continueQuestion = QStringLiteral("Continue relisting?");
    s.summaryText = QStringLiteral("Complete - Relisted %1 auctions.");
    s.browserCaption = QStringLiteral("View this auction on TradeMe");
    s.buyerItem = false;
    return s;
}
}  // namespace

frmRelist::frmRelist(QWidget* parent)
    : BatchQueueWindow(relistSetup(), parent), Timer1(new QTimer(this)), web(WebBrowser::create(this)), m_pageTimer(new QTimer(this))
{
    addPopupItem(QStringLiteral("mnuPopupEdit"), QStringLiteral("Edit relist options"), [this] { mnuPopupEdit_Click(); });
    QAction* excluded = addPopupItem(QStringLiteral("mnuPopupExcluded"), QStringLiteral("View items excluded from relist"),
                                     [this] { mnuPopupExcluded_Click(); });
    addPopupItem(QStringLiteral("mnuPopupLine1"), QStringLiteral("-"), {});
    // The exclusions can be looked at only when there are some.
    connect(popup(), &QMenu::aboutToShow, this, [this, excluded] { excluded->setEnabled(!m_queue.rstExclusions.isEmpty()); });

    // The exclusions window opens from a timer tick, once the popup menu has gone.
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &frmRelist::Timer1_Timer);

    // The browser works out of sight; it is shown over the list only while a
    // message about the page it holds is up.
    if (QWidget* page = web->widget()) {
        page->setParent(this);
        page->hide();
    }
    connect(web, &WebBrowser::DocumentComplete, this, &frmRelist::web_DocumentComplete);
    m_pageTimer->setSingleShot(true);
    connect(m_pageTimer, &QTimer::timeout, this, &frmRelist::pageTimedOut);
    connect(model(), &QStandardItemModel::itemChanged, this, &frmRelist::list_ItemCheck);
}

// The filled listing pages hold the seller's listing values: they go with the window.
frmRelist::~frmRelist() { modCommon::DeleteFile(QStringLiteral("VNTMR?.sub"), QString(), false); }

// ---- the queue and the list ----

bool frmRelist::fillList()
{
    // A relist made from stale data could repeat a listing that has sold meanwhile.
    if (ctx().gConfiguration.DateLastUpdate < vb::now() - 1.0 / 24 &&
        MsgBox(QStringLiteral("To ensure your database is up to date, an update should be performed prior to a relist.") + CrLf + CrLf +
                   QStringLiteral("Do you want to update TradeMe auction data now? (recommended)"),
               vbmsg::YesNo + vbmsg::Question, ctx().gAppTitle) == vbmsg::Yes)
        FormsRegistry::instance().showModal(QStringLiteral("frmUpdate"), {}, this);
    LoadRelistList(true);
    // The window stays open with an empty list: the exclusions may be looked at.
    return true;
}

void frmRelist::LoadRelistList(bool ShowNone)
{
    ShowWait(QStringLiteral("Loading auctions to relist"));
    if (!isVisible()) return;  // closed while the wait panel let events run
    m_queue.mOptionsEdited = false;
    if (selectBox()->isChecked()) {
        selectBox()->setChecked(false);
        chkSelect_Click();
    }
    m_queue.Build();
    FillRelistList();
    if (!isVisible()) return;
    tellNotices();

    const bool rows = rowCount() > 0;
    for (const char* name : {"mnuPopupEdit", "mnuPopupAuction", "mnuPopupItem", "mnuPopupBrowser"})
        if (QAction* a = popup()->findChild<QAction*>(QLatin1String(name))) a->setEnabled(rows);

    if (!rows && ShowNone) {
        MsgBox(QStringLiteral("There are no auctions to relist."), vbmsg::Information, ctx().gAppTitle);
        if (mNoteExcluded == 1) {
            mNoteExcluded = 2;
            mnuPopupExcluded_Click();
        }
        return;
    }
    // A single relist starts with its options.
    if (!m_queue.mRemoteAuctionId.isEmpty() && rows) mnuPopupEdit_Click();
}

void frmRelist::tellNotices()
{
    const QString title = QStringLiteral("Vendaro");
    if (m_queue.mNoOfferNotice == 1) {
        m_queue.mNoOfferNotice = 2;
        modCommon::ShowMessage(QStringLiteral("One or more of the auctions listed have not had a fixed price offer made.  These auctions "
                                              "are displayed in RED.  If you relist the auction you will NOT be able to make a fixed "
                                              "price offer for this auction."),
                               vbmsg::Exclamation, true, title, false);
    }
    if (m_queue.mTenDayNotice == 1) {
        m_queue.mTenDayNotice = 2;
        modCommon::ShowMessage(QStringLiteral("One or more of the auctions listed are 10 day auctions but the end time is after the "
                                              "current time (not allowed by TradeMe).  These auctions are displayed in RED and will be "
                                              "set to 9 days to retain your selected end time."),
                               vbmsg::Information, true, title, false);
    }
    if (m_queue.mUnknownNotice == 1) {
        m_queue.mUnknownNotice = 2;
        modCommon::ShowMessage(QStringLiteral("Columns with a '?' depict data that was not available when the auction was first "
                                              "downloaded from TradeMe.  This is normally due to auctions that ended before they were "
                                              "added to the database.") +
                                   CrLf + CrLf +
                                   QStringLiteral("The system will automatically use the current settings from the auction it is "
                                                  "relisting OR you can manually set the values before relisting."),
                               vbmsg::Information, true, title, false);
    }
    if (!m_queue.rstExclusions.isEmpty() && mNoteExcluded == 0) {
        mNoteExcluded = 1;
        modCommon::ShowMessage(QStringLiteral("One or more auctions could not be relisted.  Either there is no stock, listing "
                                              "restrictions were met or the auction would not end on a day you selected.") +
                                   CrLf + CrLf +
                                   QStringLiteral("You can view the excluded items (and the exclusion reason) by clicking the options menu."),
                               vbmsg::Information, true, title, false);
    }
}

void frmRelist::FillRelistList()
{
    QTreeView* view = list();
    QStandardItemModel* m = model();
    setFilling(true);  // a fill is no box click
    m->removeRows(0, m->rowCount());
    const double now = vb::now();
    for (int i = 1; i <= m_queue.count(); ++i) {
        const RelistQueue::Row row = m_queue.FillRow(i, now);
        // With "Select all" ticked every row is ticked (a redraw after an edit).
        const bool ticked = selectBox()->isChecked() || mCheckedAuctions.contains(RelistQueue::TickKey(m_queue.record(i)));
        const QList<QStandardItem*> cells = addRow(row.texts, ticked);
        setTag(cells.first(), i);
        if (row.red) SetRowRed(cells);
    }
    setFilling(false);
    if (rowCount() > 0) {
        m->sort(ColItem, Qt::AscendingOrder);
        mSelectedRow = std::min(mSelectedRow, rowCount());
        if (mSelectedRow > 0) view->setCurrentIndex(m->index(mSelectedRow - 1, 0));
    }
    // The panel goes (and events run) only once the rows stand in their order:
    // a click meanwhile must find the row it sees.
    ShowWait(QString());
}

void frmRelist::SetRowRed(const QList<QStandardItem*>& cells)
{
    for (QStandardItem* c : cells) c->setForeground(QBrush(Qt::red));
}

int frmRelist::queueIndexOf(int row) const
{
    const int index = tag(cell(row, ColAuction)).toInt();
    return index >= 1 && index <= m_queue.count() ? index : 0;
}

// ---- ticks ----

void frmRelist::list_ItemCheck(QStandardItem* item)
{
    if (filling() || item->column() != ColAuction || !item->isCheckable()) return;
    const int index = queueIndexOf(item->row());
    if (index == 0) return;
    RelistRecord& r = m_queue.record(index);
    r.Checked = item->checkState() == Qt::Checked;
    const QString key = RelistQueue::TickKey(r);
    mCheckedAuctions.remove(key);
    if (r.Checked) mCheckedAuctions += key;
}

void frmRelist::chkSelect_Click()
{
    mCheckedAuctions.clear();
    BatchQueueWindow::chkSelect_Click();
}

// ---- popup ----

void frmRelist::mnuPopupEdit_Click()
{
    const int row = selectedRow() >= 0 ? selectedRow() : (rowCount() > 0 ? 0 : -1);
    if (row < 0) return;
    const int index = queueIndexOf(row);
    if (index == 0) return;
    const RelistRecord& r = m_queue.record(index);
    m_queue.mRelistOptionList.Add(r.AuctionId, r.ItemId, r.Title, r.StartPrice, r.ReservePrice, r.BuyNowPrice, r.DurationFixed,
                                  r.DurationDays, r.DurationTime, r.ExtraFeatures, r.RelistIndex);
    const QString key = RelistQueue::TickKey(r);
    {
        frmRelistDetail dialog(&m_queue.mRelistOptionList, this);
        dialog.exec();
    }
    // The queue is the one the dialog was opened for.
    if (index > m_queue.count() || RelistQueue::TickKey(m_queue.record(index)) != key) return;
    mSelectedRow = row + 1;
    m_queue.ApplyRelistOptions(index);
    FillRelistList();
}

void frmRelist::mnuPopupExcluded_Click() { Timer1->start(); }

void frmRelist::Timer1_Timer()
{
    if (m_queue.rstExclusions.isEmpty()) {
        Timer1->stop();
        return;
    }
    // Not over another window (the options dialog), nor while a batch runs:
    // the rebuild after it would change the queue under them.
    QWidget* modal = QApplication::activeModalWidget();
    if ((modal && modal != this) || running()) return;
    Timer1->stop();
    const QVariantMap out = FormsRegistry::instance().showModal(
        QStringLiteral("frmRelistExcluded"),
        {{QStringLiteral("rstExcluded"), QVariant::fromValue(m_queue.rstExclusions)},
         {QStringLiteral("IgnoreExcluded"), m_queue.limits().IgnoreExcluded}},
        this);
    if (out.contains(QStringLiteral("IgnoreExcluded"))) m_queue.IgnoreExcluded() = out.value(QStringLiteral("IgnoreExcluded")).toString();
    if (rowCount() > 0 && selectedRow() >= 0) mSelectedRow = selectedRow() + 1;
    LoadRelistList(false);
}

void frmRelist::openItem()
{
    const int row = selectedRow();
    if (row < 0) return;
    FormsRegistry::instance().showModal(
        QStringLiteral("frmItem"),
        {{QStringLiteral("mRemoteId"), cell(row, ColItem)->text()}, {QStringLiteral("mRemoteDesc"), cell(row, ColTitle)->text()}}, this);
    mSelectedRow = row + 1;
    // The item's limits may have changed.
    LoadRelistList(true);
}

QString frmRelist::buyerOf(int) const { return {}; }
QString frmRelist::itemOf(int row) const { return cell(row, ColItem)->text(); }

// ---- the batch ----

void frmRelist::cmdOK_Click()
{
    int n = 0;
    bool red = false;
    for (int r = 0; r < rowCount(); ++r) {
        if (cell(r, ColAuction)->checkState() != Qt::Checked) continue;
        ++n;
        red = red || cell(r, ColAuction)->foreground().color() == QColor(Qt::red);
    }
    if (n == 0) {
        MsgBox(QStringLiteral("Select the listings you want to relist first."), vbmsg::Information, ctx().gAppTitle);
        return;
    }
    QString question = QStringLiteral("You are about to relist ") + QString::number(n) + QStringLiteral(" auctions on TradeMe.") + CrLf + CrLf;
    if (red)
        question += QStringLiteral("ONE OR MORE OF THE AUCTIONS YOU HAVE SELECTED HAVE NOT YET HAD A FIXED PRICE OFFER MADE.  IF YOU "
                                   "RELIST THE AUCTION YOU WILL NOT BE ABLE TO MAKE A FIXED PRICE OFFER.") +
                    CrLf + CrLf;
    question += QStringLiteral("Are you sure you want to continue?");
    if (MsgBox(question, vbmsg::YesNo + (red ? vbmsg::Exclamation : vbmsg::Question) + vbmsg::DefaultButton2, ctx().gAppTitle) !=
        vbmsg::Yes)
        return;
    if (!login()) return;
    startBatch();
}

bool frmRelist::login() { return modWebProcessing::ShowBrowser(this, true, true, false); }

BatchQueueWindow::RowOutcome frmRelist::startRow(int row)
{
    mCurrentRecord = queueIndexOf(row);
    if (mCurrentRecord == 0) return RowOutcome::Passed;
    const RelistRecord& r = m_queue.record(mCurrentRecord);
    QString path;
    if (r.RelistAction == QLatin1String("Relist")) path = QStringLiteral("/Sell/Details2.aspx?action=relist&listingid=");
    else if (r.ActionId != 1) path = QStringLiteral("/Sell/Details2.aspx?action=sell_similar&inlog=true&listingid=");
    else path = QStringLiteral("/Sell/Details2.aspx?action=sell_similar&listingid=");  // the template still runs
    mStep = 1;
    waitForPage();
    web->Navigate(SiteConfig::siteUrl() + path + QString::fromLatin1(QUrl::toPercentEncoding(modWebProcessing::SiteAuctionNumber(r.AuctionId))));
    return RowOutcome::Pending;
}

void frmRelist::waitForPage()
{
    if (m_pageTimeout > 0) m_pageTimer->start(m_pageTimeout);
}

void frmRelist::submit(int nextStep, const QString& stem)
{
    mStep = nextStep;
    waitForPage();
    web->Navigate(modWebProcessing::SubmitPagePath(stem));
}

void frmRelist::web_DocumentComplete(const QString& address)
{
    if (mStep < 1 || mCurrentRecord == 0) return;
    const bool onSite = SiteConfig::isOnSite(address);
    // A filled local page posts itself as it loads; when only the site's
    // answer is reported, that answer is taken as it comes.
    if (mStep % 2 == 0) {
        static const char* const stems[] = {"VNTMR1", "VNTMR2", "VNTMR3", "VNTMR4", "VNTM"};
        if (address.toUpper().contains(QLatin1String(stems[mStep / 2 - 1]))) {
            if (mStep == 10) {
                mStep = 0;
                m_pageTimer->stop();
                return rowFinished(RowOutcome::Succeeded);
            }
            ++mStep;
            return;
        }
        if (mStep == 10 || !onSite) return;
        ++mStep;
    }
    if (!onSite) return;

    const RelistRecord& record = m_queue.record(mCurrentRecord);
    const QString html = web->DocumentHtml();
    const QString text = html.toLower();
    const int step = mStep;
    mStep = 0;
    m_pageTimer->stop();
    QString form;
    int code = 0;
    switch (step) {
    case 1:
        if (text.contains(QLatin1String("you cannot relist an auction that is under offer"))) return ReportRelistError(0, false, true);
        if (!text.contains(QLatin1String("required fields are shown with a"))) return ReportRelistError(1, false, false);
        form = modWebProcessing::ExtractForm(html, QStringLiteral("newlisting_form"), false);
        if ((code = ListingForm::FillListingForm(form, record)) || (code = ListingForm::FixBodyTextarea(form)))
            return ReportRelistError(code, false, false);
        if (!modWebProcessing::SaveSubmitPage(form, QStringLiteral("/sell/details2.aspx"), QStringLiteral("newlisting_form"),
                                              QStringLiteral("VNTMR1"), false))
            return ReportRelistError(2, false, false);
        return submit(2, QStringLiteral("VNTMR1"));
    case 3:
        if (!text.contains(QLatin1String("first photo free"))) return ReportRelistError(3, false, false);
        form = modWebProcessing::ExtractForm(html, QStringLiteral("/sell/extras2.aspx"), false);
        if (!modWebProcessing::SaveSubmitPage(form, QStringLiteral("/sell/extras2.aspx"), QStringLiteral("ContinueUpload"),
                                              QStringLiteral("VNTMR2"), true))
            return ReportRelistError(4, false, false);
        return submit(4, QStringLiteral("VNTMR2"));
    case 5:
        if (!text.contains(QLatin1String("shows a photo in search results"))) return ReportRelistError(5, false, false);
        form = modWebProcessing::ExtractForm(html, QStringLiteral("extras"), false);
        if ((code = ListingForm::SetExtraFeatures(form, record))) return ReportRelistError(code, false, false);
        if (!modWebProcessing::SaveSubmitPage(form, QStringLiteral("/sell/extras2.aspx"), QStringLiteral("extras"), QStringLiteral("VNTMR3"),
                                              false))
            return ReportRelistError(6, false, false);
        return submit(6, QStringLiteral("VNTMR3"));
    case 7:
        if (text.contains(QLatin1String("sorry, you don't have enough credit to pay for this listing")))
            return ReportRelistError(0, true, false);
        if (!text.contains(QLatin1String("check that your listing details are correct"))) return ReportRelistError(7, false, false);
        form = modWebProcessing::ExtractForm(html, QStringLiteral("newlisting_finished_form"), false);
        if (!modWebProcessing::SaveSubmitPage(form, QStringLiteral("/sell/confirm2.aspx"), QStringLiteral("newlisting_finished_form"),
                                              QStringLiteral("VNTMR4"), false))
            return ReportRelistError(8, false, false);
        return submit(8, QStringLiteral("VNTMR4"));
    case 9:
        if (!text.contains(QLatin1String("your auction has"))) return ReportRelistError(9, false, false);
        // The listing exists on the site now: it is recorded at once, so a
        // close before the blank page cannot lose it.
        RecordRelist(record, html);
        return submit(10, QStringLiteral("VNTM"));
    default: return;
    }
}

void frmRelist::pageTimedOut()
{
    const int step = mStep;
    if (step < 1) return;
    mStep = 0;
    web->Stop();
    // The listing was made and recorded; only the blank page that ends the row is late.
    if (step == 10) return rowFinished(RowOutcome::Succeeded);
    if (step >= 8) {
        // The confirmation went to the site: the listing may well exist. It
        // is not recorded, and the seller is told to look before relisting it.
        const RelistRecord& r = m_queue.record(mCurrentRecord);
        ShowBrowserMessage(web,
                           r.Title + CrLf + CrLf + QStringLiteral("Relist result unknown - TradeMe did not answer after the listing of auction (ref# ") +
                               r.AuctionId + QStringLiteral(") was confirmed.") + CrLf + CrLf +
                               QStringLiteral("Check your current listings on TradeMe before you relist this auction again."),
                           vbmsg::Exclamation);
        return rowFinished(RowOutcome::Failed);
    }
    // A site page that never came lacks its text; a local page that never
    // loaded could not be posted.
    ReportRelistError(step, false, false);
}

void frmRelist::ReportRelistError(int Code, bool NoCredit, bool UnderOffer)
{
    if (Code != 0) mErrorCode = Code;
    mStep = 0;
    const RelistRecord& r = m_queue.record(mCurrentRecord);
    const QString head = r.Title + CrLf + CrLf;
    const QString ref = QStringLiteral("Relist failed - Could not relist auction (ref# ") + r.AuctionId + QStringLiteral(")");
    if (NoCredit || UnderOffer) {
        ShowBrowserMessage(web,
                           head + ref + CrLf + CrLf +
                               (NoCredit ? QStringLiteral("You do not have enough credit. You need to add funds to your TradeMe account "
                                                          "before you can relist more auctions.")
                                         : QStringLiteral("You cannot relist an auction that is under offer.")),
                           vbmsg::Information);
        requestCancel();
    } else {
        ShowBrowserMessage(web,
                           head + QStringLiteral("[Error ") + QString::number(mErrorCode) + QStringLiteral("] : ") + ref + CrLf + CrLf +
                               QStringLiteral("Possible cause:") + CrLf + QStringLiteral("1. You do not have enough credit.") + CrLf +
                               QStringLiteral("2. The auction is currently under offer.") + CrLf +
                               QStringLiteral("3. The auction has already been relisted.") + CrLf +
                               QStringLiteral("4. The auction you are relisting is too old.") + CrLf +
                               QStringLiteral("5. One or more of the auction settings is incorrect.") + CrLf +
                               QStringLiteral("6. Check you are using the latest version of this software.") + CrLf +
                               QStringLiteral("7. TradeMe could be temporarily down (try again later)."),
                           vbmsg::Critical);
    }
    rowFinished(RowOutcome::Failed);
}

void frmRelist::RecordRelist(const RelistRecord& record, const QString& resultPage)
{
    const RelistRecorder::Outcome outcome = RelistRecorder::Record(record);
    if (outcome.recorded) return;
    // The listing exists on the site whatever the database says: it counts
    // as relisted, and the seller hears which auctions still look due.
    ShowBrowserMessage(web, RelistRecorder::NotRecordedMessage(record, RelistRecorder::NewListingNumber(resultPage), outcome),
                       vbmsg::Exclamation);
}

void frmRelist::batchFinished()
{
    // What was edited has been used: closing asks nothing.
    m_queue.mOptionsEdited = false;
    // The new listings enter the database.
    if (doneCount() > 0) FormsRegistry::instance().showModal(QStringLiteral("frmUpdate"), {{QStringLiteral("pAutoUpdate"), doneCount()}}, this);
}

void frmRelist::done(int result)
{
    if (!running() && m_queue.mOptionsEdited &&
        MsgBox(QStringLiteral("Any changes you have made will be lost.") + CrLf + CrLf + QStringLiteral("Are you sure you want to exit?"),
               vbmsg::YesNo + vbmsg::Question, ctx().gAppTitle) != vbmsg::Yes)
        return;
    m_queue.mOptionsEdited = false;  // asked once
    Timer1->stop();
    BatchQueueWindow::done(result);
    if (isVisible()) return;  // a first close while running is a Cancel request
    // The window goes: a step in hand is abandoned.
    mStep = 0;
    m_pageTimer->stop();
    web->Stop();
}

void frmRelist::resizeEvent(QResizeEvent* event)
{
    BatchQueueWindow::resizeEvent(event);
    // The wait panel sits in the middle of the list.
    const QRect area = list()->geometry();
    waitPanel()->move(area.x() + (area.width() - waitPanel()->width()) / 2, area.y() + (area.height() - waitPanel()->height()) / 2);
}
