#pragma once
// "Send multiple emails": every sale whose task is an e-mail step and due,
// each e-mail made from its template, queued for the Emailer and the task
// completed together (clsEmails::SendForTask), one row after another, until
// the rows are used up, the seller cancels or a row fails.

#include "automation/BatchQueueWindow.h"

class frmEmailMultiple : public BatchQueueWindow {
    Q_OBJECT
public:
    explicit frmEmailMultiple(QWidget* parent = nullptr);

protected:
    bool fillList() override;
    RowOutcome startRow(int row) override;
    QString buyerOf(int row) const override;
    QString itemOf(int row) const override;

private:
    RowOutcome SendRowEmail(int row);
    bool m_senderDown = false;  // a row was queued but the sender did not start
};
