#pragma once
// "Fixed Price Offers": the auctions of the last 45 days without an offer,
// each with an offer price and the days it is valid for. The seller checks
// the rows to offer (setting a price checks a row) and presses OK; each
// offer is then made on the site in the hidden browser, page by page: the
// site's offer page gives the recipients, a filled local page posts the
// offer, and the site's answer decides what is recorded.

#include "BatchQueueWindow.h"
#include "OfferPage.h"
#include "StockCheck.h"

class QTimer;
class WebBrowser;

class frmFixedPriceOffer : public BatchQueueWindow {
    Q_OBJECT
public:
    explicit frmFixedPriceOffer(QWidget* parent = nullptr);
    ~frmFixedPriceOffer() override;

    void cmdOK_Click() override;
    void mnuPopupFixedPrice_Click();
    void mnuPopupRemoveOffer_Click();

    // Tests: the hidden browser, the step of the row in hand, and how long a
    // step waits for its page before the row fails.
    WebBrowser* browser() const { return web; }
    int step() const { return m_step; }
    void setPageTimeout(int milliseconds) { m_pageTimeout = milliseconds; }
    int noBidderCount() const { return m_noBidders; }

protected:
    bool fillList() override;
    bool login() override;
    RowOutcome startRow(int row) override;
    QString buyerOf(int row) const override;
    QString itemOf(int row) const override;
    QString summaryMessage() const override;
    void done(int result) override;

private:
    void ShowStockWarning();
    void web_DocumentComplete(const QString& address);
    void pageTimedOut();
    void waitForPage();
    void ReportOfferError(const QString& pageText);

    WebBrowser* web;
    QTimer* m_pageTimer;
    int m_pageTimeout = 60000;
    StockCheck m_stock;
    int m_step = 0;
    int m_noBidders = 0;
    // The row in hand.
    QString m_auction;
    QString m_title;
    double m_price = 0;
    int m_days = 0;
};
