#include "frmEmailMultiple.h"

#include "clsEmails.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QBrush>
#include <QFont>
#include <QStandardItem>

namespace {
const QString CrLf = QStringLiteral("\r\n");
ProgramContext& ctx() { return ProgramContext::current(); }

BatchQueueWindow::Setup emailSetup()
{
    BatchQueueWindow::Setup s;
    s.formName = QStringLiteral("frmEmailMultiple");
    s.caption = QStringLiteral("Send multiple emails");
    s.headers = {QStringLiteral("Auction#"), QStringLiteral("Description"), QStringLiteral("Email address"), QStringLiteral("Next action"),
                 QStringLiteral("Email to send")};
    s.startName = QStringLiteral("cmdSend");
    s.startCaption = QStringLiteral("Send");
    s.cancelCaption = QStringLiteral("Cancel");
    s.waitText = QStringLiteral("Sending email");
    s.confirmText = QStringLiteral("You are about to send %1 emails.");
    s.cancelQuestion = QStringLiteral("Cancel sending email?");
    s.summaryText = QStringLiteral("%1 emails were sent successfully.");
    s.keepsWindowState = false;
    return s;
}
}  // namespace

frmEmailMultiple::frmEmailMultiple(QWidget* parent) : BatchQueueWindow(emailSetup(), parent) {}

bool frmEmailMultiple::fillList()
{
    // Due today or earlier: before tomorrow began.
    Recordset rs;
    if (ctx().gDatabase->OpenDB(QStringLiteral("SELECT Auction.AuctionId, Auction.ItemId, Auction.Description, Auction.DateNextAction, "
                                               "Auction.ActionId, Auction.Highlight, Customer.CustomerId, Customer.Email, Customer.EmailCC, "
                                               "[Action].Description AS ActionDesc "
                                               "FROM Auction INNER JOIN Customer ON Customer.CustomerId = Auction.CustomerId "
                                               "INNER JOIN [Action] ON [Action].ActionId = Auction.ActionId "
                                               "WHERE Auction.DateNextAction < ? AND Auction.ActionId IN (2, 4, 5, 6, 10, 12, 14) "
                                               "ORDER BY Auction.ActionId"),
                                {vb::today() + 1}, false, true, true, &rs)) {
        for (; !rs.isEOF(); rs.MoveNext()) {
            const QVariant due = rs.value(QStringLiteral("DateNextAction"));
            const QList<QStandardItem*> cells =
                addRow({rs.text(QStringLiteral("AuctionId")), rs.text(QStringLiteral("Description")), rs.text(QStringLiteral("Email")),
                        due.isNull() ? QString() : vb::formatDate(due.toDouble(), QStringLiteral("d/mm/yyyy")),
                        rs.text(QStringLiteral("ActionDesc"))},
                       true);
            setTag(cells[0], rs.text(QStringLiteral("CustomerId")));
            setTag(cells[1], rs.text(QStringLiteral("ItemId")));
            setTag(cells[2], rs.text(QStringLiteral("EmailCC")));
            setTag(cells[4], rs.value(QStringLiteral("ActionId")).toInt());
            if (rs.value(QStringLiteral("Highlight")).toBool()) highlight(cells);
        }
    }
    if (rowCount() > 0) return true;
    MsgBox(QStringLiteral("Nothing to send on the current task list."), vbmsg::Information, ctx().gAppTitle);
    return false;
}

QString frmEmailMultiple::buyerOf(int row) const { return tag(cell(row, 0)).toString(); }
QString frmEmailMultiple::itemOf(int row) const { return tag(cell(row, 1)).toString(); }

BatchQueueWindow::RowOutcome frmEmailMultiple::startRow(int row) { return SendRowEmail(row); }

BatchQueueWindow::RowOutcome frmEmailMultiple::SendRowEmail(int row)
{
    clsEmails* emails = clsEmails::Current();
    if (!emails || m_senderDown) return RowOutcome::EndBatch;
    const QString auctionId = cell(row, 0)->text();
    bool whole = true;
    const QString email = emails->GetEmail(auctionId, tag(cell(row, 4)).toInt(), tag(cell(row, 1)).toString(), QString(), whole);
    // A missing include or required value has been said: the batch ends here.
    if (!whole) return RowOutcome::EndBatch;
    const qsizetype split = email.indexOf(CrLf);
    // The e-mail and the task's step are kept together or not at all: a row
    // that fails is still due, with nothing queued, and is sent once next time.
    switch (emails->SendForTask(auctionId, ctx().gConfiguration.EmailFrom, cell(row, 2)->text(), tag(cell(row, 2)).toString(),
                                email.left(split), email.mid(split + 2))) {
    case clsEmails::TaskEmail::Sent: return RowOutcome::Succeeded;
    case clsEmails::TaskEmail::NotSent: return RowOutcome::EndBatch;
    case clsEmails::TaskEmail::SenderNotStarted:
        // Queued and done; the rows after it would only pile up behind a sender that does not run.
        m_senderDown = true;
        return RowOutcome::Succeeded;
    }
    return RowOutcome::EndBatch;
}
