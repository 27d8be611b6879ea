#pragma once
// "Submit positive feedback": every sale whose feedback task is due, each
// given one of the seller's standard comments in turn; the checked rows get
// their feedback left on the site through the hidden browser, one after
// another, and each confirmed one has its task completed.

#include "BatchQueueWindow.h"

class WebBrowser;

class frmFeedback : public BatchQueueWindow {
    Q_OBJECT
public:
    explicit frmFeedback(QWidget* parent = nullptr);

    // "Change feedback comment" (also a double-click): the single feedback
    // dialog in change-comment mode; its comment goes into the selected row.
    void mnuPopupFeedback_Click();

    // ---- what tests look at ----
    WebBrowser* browser() const { return web; }
    int step() const { return m_step; }
    static constexpr int CommentColumn = 3;

protected:
    bool fillList() override;
    bool login() override;
    RowOutcome startRow(int row) override;
    QString buyerOf(int row) const override;
    QString itemOf(int row) const override;
    void done(int result) override;

private:
    void web_DocumentComplete();

    WebBrowser* web;
    int m_step = 0;
    // The current row's values, taken when its step starts.
    QString m_auctionId, m_buyerId, m_auctionType, m_comment;
};
