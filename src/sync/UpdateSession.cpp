#include "UpdateSession.h"

#include "UnsoldPageReader.h"
#include "UpdateView.h"
#include "core/ProgramContext.h"
#include "core/modWebProcessing.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/browser/WebBrowser.h"

#include <QSet>
#include <QTimer>

// What one run keeps between its steps. A new run (a refresh) starts a new
// generation, so steps still queued for the old one do nothing.
struct UpdateSession::RunState {
    int generation = 0;
    bool running = false;
    bool readingUnsold = false;  // the unsold step waits for pages
    bool unsoldFailed = false;   // a page could not be read: no DateLastUpdate
    bool dateReported = false;   // an unreadable closed date is reported once a run
    int lastPageListings = -1;   // listings on the page before (-1: none read yet)
    QSet<QString> seen;          // listing numbers read in this run
    QTimer pageTimer;
    int pageTimeout = 60000;
};

namespace {
const QString CrLf = QStringLiteral("\r\n");

QString unsoldWait(int page) { return QStringLiteral("Downloading unsold listings (Page %1)").arg(page); }
}  // namespace

UpdateSession::UpdateSession(UpdateView* view, WebBrowser* web, QObject* parent)
    : QObject(parent), m_view(view), m_web(web), m_run(std::make_unique<RunState>())
{
    m_run->pageTimer.setSingleShot(true);
    connect(&m_run->pageTimer, &QTimer::timeout, this, &UpdateSession::onPageTimeout);
    if (m_web) connect(m_web, &WebBrowser::DocumentComplete, this, &UpdateSession::onDocumentComplete);
}

UpdateSession::~UpdateSession() = default;

void UpdateSession::CreateListingRecordsets()
{
    for (int i = 0; i < 3; ++i) mListings[i] = ListingRecordsets::Create(i);
}

void UpdateSession::ShowUpdateError(const QString& Text)
{
    const QString crlf = QStringLiteral("\r\n");
    MsgBox(QStringLiteral("Auction update failed.") + crlf + crlf + Text + crlf + crlf +
               QStringLiteral("Check you are connected to the internet.") + crlf +
               QStringLiteral("TradeMe may be down, try again later.") + crlf +
               QStringLiteral("Check you have the latest version of this software."),
           vbmsg::Critical, ProgramContext::current().gAppTitle);
}

void UpdateSession::setPageLoadTimeout(int milliseconds) { m_run->pageTimeout = qMax(1, milliseconds); }

bool UpdateSession::unsoldStepFailed() const { return m_run->unsoldFailed; }

// ---- the download sequence ----

void UpdateSession::beginRun()
{
    RunState& r = *m_run;
    r.pageTimer.stop();
    ++r.generation;
    r.running = true;
    r.readingUnsold = false;
    r.unsoldFailed = false;
    r.dateReported = false;
    r.lastPageListings = -1;
    r.seen.clear();
    mChangedTab = 0;
    mPaging = false;
}

void UpdateSession::Start()
{
    beginRun();
    CreateListingRecordsets();
    downloadList(ListingRecordsets::Current);
}

void UpdateSession::StartUnsoldPages()
{
    beginRun();
    if (!mListings[ListingRecordsets::Unsold]) CreateListingRecordsets();
    startUnsold();
}

void UpdateSession::later(std::function<void()> step)
{
    const int generation = m_run->generation;
    QTimer::singleShot(0, this, [this, generation, step = std::move(step)] {
        if (generation != m_run->generation || !m_run->running) return;
        if (mCancel) return endRun();
        step();
    });
}

void UpdateSession::downloadList(int listType)
{
    m_view->ShowWait(listType == ListingRecordsets::Current ? QStringLiteral("Downloading current listings")
                                                            : QStringLiteral("Downloading sold listings"));
    mListType = listType;
    QPointer<UpdateSession> self(this);
    const int generation = m_run->generation;
    DownloadCSV([self, generation, listType](bool ok) {
        if (!self || generation != self->m_run->generation || !self->m_run->running) return;
        // A failed download has been reported; the window stays for a refresh.
        if (!ok) return self->endRun();
        self->later([self, listType] { self->readList(listType); });
    });
}

void UpdateSession::readList(int listType)
{
    mListType = listType;
    if (!ReadCSVFile(*mListings[listType])) {
        m_view->Unload();
        return endRun();
    }
    later([this, listType] { compareList(listType); });
}

void UpdateSession::compareList(int listType)
{
    mListType = listType;
    if (listType == ListingRecordsets::Sold) MarkBeforeSystemStart(*mListings[listType], QStringLiteral("sold_date"));
    CompareWithDatabase(*mListings[listType]);
    later([this, listType] { lookUpItems(listType); });
}

void UpdateSession::lookUpItems(int listType)
{
    mListType = listType;
    GetItemCodes();
    later([this, listType] { fillList(listType); });
}

void UpdateSession::fillList(int listType)
{
    mListType = listType;
    if (listType == ListingRecordsets::Sold) CheckSoldShipping();
    m_view->FillList(listType);
    if (listType == ListingRecordsets::Current) later([this] { downloadList(ListingRecordsets::Sold); });
    else if (listType == ListingRecordsets::Sold) later([this] { startUnsold(); });
    else later([this] { finishRun(); });
}

// ---- the unsold pages ----

void UpdateSession::startUnsold()
{
    m_view->ShowWait(unsoldWait(1));
    mListType = ListingRecordsets::Unsold;
    mUnsoldPage = 1;
    mPaging = false;
    if (!m_web) return unsoldFailed(QStringLiteral("Could not retrieve Unsold listings from TradeMe"));
    m_run->readingUnsold = true;
    navigateUnsold(mListURL[ListingRecordsets::Unsold]);
}

void UpdateSession::navigateUnsold(const QString& address)
{
    // A page that never comes must not hold the run: the timer ends the step.
    m_run->pageTimer.start(m_run->pageTimeout);
    m_web->Navigate(address);
}

void UpdateSession::onPageTimeout()
{
    if (!m_run->running || !m_run->readingUnsold) return;
    if (m_web) m_web->Stop();
    if (mCancel) {
        stopReadingUnsold();
        return endRun();
    }
    // While the blank page is awaited, the page held up is the next one.
    unsoldFailed(QStringLiteral("TradeMe did not send the Unsold listings (Page %1) in time.").arg(mUnsoldPage + (mPaging ? 1 : 0)));
}

void UpdateSession::onDocumentComplete(const QString& address)
{
    if (!m_run->running || !m_run->readingUnsold) return;
    if (mCancel) {
        stopReadingUnsold();
        return endRun();
    }
    if (mPaging) {
        // The blank page between two site pages has loaded: ask for the next page.
        if (!address.contains(QLatin1String("VNTM.sub"), Qt::CaseInsensitive)) return;
        mPaging = false;
        ++mUnsoldPage;
        m_view->ShowWait(unsoldWait(mUnsoldPage));
        navigateUnsold(mListURL[ListingRecordsets::Unsold] + QStringLiteral("?page=") + QString::number(mUnsoldPage));
        return;
    }
    if (!SiteConfig::isOnSite(address)) return;
    m_run->pageTimer.stop();
    mPaging = true;
    m_view->SelectTab(mListType);
    // Read now: the browser may move on while the step waits its turn.
    const QString text = m_web ? m_web->BodyText() : QString();
    later([this, address, text] { readUnsoldPage(address, text); });
}

void UpdateSession::readUnsoldPage(const QString& address, const QString& text)
{
    const QString lower = text.toLower();
    if (lower.contains(QLatin1String("you need to login to view this page"))) {
        stopReadingUnsold();
        m_run->unsoldFailed = true;
        m_view->LoginFailed();
        return endRun();
    }
    if (!lower.contains(QLatin1String("my trade me > selling")))
        return unsoldFailed(QStringLiteral("Could not retrieve Unsold listings from TradeMe"));
    // Asked past its last page, the site lands on a lower page number (an
    // address without one is page 1).
    if (mUnsoldPage > 1 && UnsoldPageReader::PageNumber(address) < mUnsoldPage) {
        stopReadingUnsold();
        return FinishUpdate();
    }
    ParseUnsoldPage(text);
}

void UpdateSession::ParseUnsoldPage(const QString& PageText)
{
    RunState& r = *m_run;
    if (!mListings[ListingRecordsets::Unsold]) mListings[ListingRecordsets::Unsold] = ListingRecordsets::Create(ListingRecordsets::Unsold);
    const UnsoldPageReader::PageResult page = UnsoldPageReader::ParseUnsoldPage(
        PageText, *mListings[ListingRecordsets::Unsold], mDays, vb::fromOleDate(vb::today()).date(), &r.seen);

    QPointer<UpdateSession> self(this);
    if (!page.unreadDates.isEmpty()) {
        // The listings passed over make the step incomplete; one message a run is enough.
        r.unsoldFailed = true;
        if (!r.dateReported) {
            r.dateReported = true;
            r.pageTimer.stop();
            ShowUpdateError(QStringLiteral("Could not read the closed date of listing ") + page.unreadDates.first() +
                            (page.unreadDates.size() > 1 ? QStringLiteral(" (and %1 more)").arg(page.unreadDates.size() - 1)
                                                         : QString()));
            if (!self || !r.running) return;
        }
    }
    switch (page.outcome) {
    case UnsoldPageReader::PageResult::LoginFailed:
        stopReadingUnsold();
        r.unsoldFailed = true;
        m_view->LoginFailed();
        return endRun();
    case UnsoldPageReader::PageResult::Failed: return unsoldFailed(page.error);
    case UnsoldPageReader::PageResult::Done:
        stopReadingUnsold();
        return FinishUpdate();
    case UnsoldPageReader::PageResult::NextPage: break;
    }
    // A site that answers past its end with a page it gave before (or a
    // second empty page) has no more to give.
    const bool repeated = page.listings > 0 && page.repeated == page.listings;
    const bool secondEmpty = page.listings == 0 && page.unreadDates.isEmpty() && r.lastPageListings == 0;
    r.lastPageListings = page.listings;
    if (repeated || secondEmpty) {
        stopReadingUnsold();
        return FinishUpdate();
    }
    if (mUnsoldPage >= MaxUnsoldPages)
        return unsoldFailed(QStringLiteral("Stopped reading Unsold listings after %1 pages.").arg(MaxUnsoldPages));
    if (!r.readingUnsold || !m_web) return;  // a page handed in by hand, outside a run
    mPaging = true;
    navigateUnsold(modWebProcessing::SubmitPagePath(QStringLiteral("VNTM")));
}

void UpdateSession::stopReadingUnsold()
{
    m_run->readingUnsold = false;
    m_run->pageTimer.stop();
    mPaging = false;
}

void UpdateSession::unsoldFailed(const QString& text)
{
    stopReadingUnsold();
    m_run->unsoldFailed = true;
    QPointer<UpdateSession> self(this);
    const int generation = m_run->generation;
    ShowUpdateError(text);
    if (!self || generation != m_run->generation || !m_run->running) return;
    FinishUpdate();
}

// ---- the end of a run ----

void UpdateSession::FinishUpdate()
{
    if (!m_run->running) return;
    stopReadingUnsold();
    if (mCancel) return endRun();
    mListType = ListingRecordsets::Unsold;
    MarkBeforeSystemStart(*mListings[ListingRecordsets::Unsold], QStringLiteral("end_date"));
    CompareWithDatabase(*mListings[ListingRecordsets::Unsold]);
    later([this] { lookUpItems(ListingRecordsets::Unsold); });
}

void UpdateSession::finishRun()
{
    m_view->RunFinished();
    // With rows to save, the stamp waits for the save; a run that could not
    // read every unsold page never stamps it.
    if (!mUnsavedChanges && !m_run->unsoldFailed) SetDateLastUpdate();
    endRun();
}

void UpdateSession::Cancel()
{
    mCancel = true;
    if (!m_run->running) return;
    delete m_transfer;
    if (m_web && m_run->readingUnsold) m_web->Stop();
    endRun();
}

bool UpdateSession::isRunning() const { return m_run->running; }

void UpdateSession::endRun()
{
    if (!m_run->running) return;
    m_run->running = false;
    stopReadingUnsold();
    emit runEnded();
}
