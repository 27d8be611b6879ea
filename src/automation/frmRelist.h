#pragma once
// "Relist": the listings to put up on the site again. Unsold auctions due for
// relisting are relisted; stocked items are listed again from their newest
// auction, within their listing limits. The seller ticks the listings, can
// edit each one's values, see which items the limits kept out (and force them
// in), and presses OK; each listing is then created on the site in the hidden
// browser.
//
// The queue itself (what is due, the limits, the row texts) is RelistQueue's;
// this window owns the dialogue: when the queue is rebuilt, the notices, the
// ticks that survive a rebuild, the popups and the close.

#include "BatchQueueWindow.h"
#include "RelistQueue.h"

class QTimer;
class WebBrowser;

class frmRelist : public BatchQueueWindow {
    Q_OBJECT
    // "" relists everything due; else the one auction to relist or sell again.
    Q_PROPERTY(QString mRemoteAuctionId READ remoteAuctionId WRITE setRemoteAuctionId)
    // The items forced in from the exclusions window, "[ItemId]" each.
    Q_PROPERTY(QString IgnoreExcluded READ ignoreExcluded WRITE setIgnoreExcluded)
public:
    explicit frmRelist(QWidget* parent = nullptr);
    ~frmRelist() override;

    QString remoteAuctionId() const { return m_queue.mRemoteAuctionId; }
    void setRemoteAuctionId(const QString& id) { m_queue.mRemoteAuctionId = id; }
    QString ignoreExcluded() const { return m_queue.limits().IgnoreExcluded; }
    void setIgnoreExcluded(const QString& items) { m_queue.IgnoreExcluded() = items; }

    // (Re)builds the queue and the list and tells the notices; ShowNone asks
    // for the message that there is nothing to relist.
    void LoadRelistList(bool ShowNone);
    void cmdOK_Click() override;
    void chkSelect_Click() override;
    void mnuPopupEdit_Click();
    void mnuPopupExcluded_Click();
    void Timer1_Timer();


    // Tests: the queue behind the list, the remembered ticks, the browser,
    // the page step in hand and how long a step waits for its page.
    const RelistQueue& queue() const { return m_queue; }
    QString checkedAuctions() const { return mCheckedAuctions; }
    WebBrowser* browser() const { return web; }
    QTimer* timer() const { return Timer1; }
    int step() const { return mStep; }
    int errorCode() const { return mErrorCode; }
    void setPageTimeout(int milliseconds) { m_pageTimeout = milliseconds; }

protected:
    bool fillList() override;
    bool login() override;
    RowOutcome startRow(int row) override;
    QString buyerOf(int row) const override;
    QString itemOf(int row) const override;
    void openItem() override;
    void batchFinished() override;
    void done(int result) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillRelistList();
    void SetRowRed(const QList<QStandardItem*>& cells);
    void list_ItemCheck(QStandardItem* item);
    int queueIndexOf(int row) const;
    void tellNotices();
    void web_DocumentComplete(const QString& address);
    // Posts the filled form of the page in hand and waits for the local page.
    void submit(int nextStep, const QString& stem);
    void waitForPage();
    void pageTimedOut();
    void ReportRelistError(int Code, bool NoCredit, bool UnderOffer);
    // Records a listing created on the site (RelistRecorder); one that
    // cannot be recorded is told, with the number the result page gives it.
    void RecordRelist(const RelistRecord& record, const QString& resultPage);

    RelistQueue m_queue;
    QString mCheckedAuctions;
    int mSelectedRow = 0;  // 1-based row to select again after a rebuild
    int mNoteExcluded = 0;
    QTimer* Timer1;
    WebBrowser* web;
    QTimer* m_pageTimer;
    int m_pageTimeout = 60000;
    int mStep = 0;          // the page waited for; 0 none
    int mErrorCode = 0;     // the cause of the last failure
    int mCurrentRecord = 0; // queue index of the row in hand
};
