#include "frmFeedback.h"

#include "FeedbackRules.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modWebProcessing.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/browser/WebBrowser.h"
#include "platform/db/Recordset.h"

#include <QBrush>
#include <QFont>
#include <QStandardItem>

namespace {
const QString CrLf = QStringLiteral("\r\n");
ProgramContext& ctx() { return ProgramContext::current(); }

BatchQueueWindow::Setup feedbackSetup()
{
    BatchQueueWindow::Setup s;
    s.formName = QStringLiteral("frmFeedback");
    s.caption = QStringLiteral("Submit positive feedback");
    s.headers = {QStringLiteral("Auction#"), QStringLiteral("Title"), QStringLiteral("BuyerId"), QStringLiteral("Comment")};
    s.waitText = QStringLiteral("Submit feedback to Trademe");
    s.confirmText = QStringLiteral("You are about to leave %1 feedback comments.");
    s.cancelQuestion = QStringLiteral("Cancel feedback?");
    s.continueQuestion = QStringLiteral("Continue leaving feedback?");
    s.summaryText = QStringLiteral("Feedback complete - Left feedback for %1 auctions.");
    return s;
}
}  // namespace

frmFeedback::frmFeedback(QWidget* parent) : BatchQueueWindow(feedbackSetup(), parent), web(WebBrowser::create(this))
{
    addPopupItem(QStringLiteral("mnuPopupFeedback"), QStringLiteral("Change feedback comment"), [this] { mnuPopupFeedback_Click(); });
    addPopupItem(QStringLiteral("mnuPopupLine"), QStringLiteral("-"), {});
    // The site steps run out of sight; the page is shown only when the site refuses.
    if (QWidget* page = web->widget()) {
        page->setParent(this);
        page->hide();
    }
    connect(web, &WebBrowser::DocumentComplete, this, [this] { web_DocumentComplete(); });
}

bool frmFeedback::fillList()
{
    const QStringList comments = FeedbackRules::LoadComments();
    if (comments.isEmpty()) return false;
    // Due today or earlier: before tomorrow began. By buyer, so a buyer's sales stand together.
    Recordset rs;
    if (ctx().gDatabase->OpenDB(QStringLiteral("SELECT AuctionId, AuctionType, Description, ItemId, CustomerId, Highlight FROM Auction "
                                               "WHERE ActionId=? AND DateNextAction < ? ORDER BY CustomerId, AuctionId"),
                                {FeedbackRules::FeedbackStep, vb::today() + 1}, true, true, true, &rs)) {
        for (int k = 0; !rs.isEOF(); rs.MoveNext(), ++k) {
            const QList<QStandardItem*> cells = addRow({rs.text(QStringLiteral("AuctionId")), rs.text(QStringLiteral("Description")),
                                                        rs.text(QStringLiteral("CustomerId")), FeedbackRules::DealtComment(comments, k)},
                                                       true);
            setTag(cells[0], rs.text(QStringLiteral("AuctionType")));
            setTag(cells[1], rs.text(QStringLiteral("ItemId")));
            if (rs.value(QStringLiteral("Highlight")).toBool()) highlight(cells);
        }
    }
    if (rowCount() > 0) return true;
    MsgBox(QStringLiteral("Nothing to do.") + CrLf + CrLf + QStringLiteral("This feature will only leave feedback for items on the current task ") +
               CrLf + QStringLiteral("list with a next action of 'leave positive feedback'."),
           vbmsg::Information, ctx().gAppTitle);
    return false;
}

bool frmFeedback::login() { return modWebProcessing::ShowBrowser(this, true, true, false); }

QString frmFeedback::buyerOf(int row) const { return cell(row, 2)->text(); }
QString frmFeedback::itemOf(int row) const { return tag(cell(row, 1)).toString(); }

BatchQueueWindow::RowOutcome frmFeedback::startRow(int row)
{
    m_auctionId = cell(row, 0)->text();
    m_buyerId = cell(row, 2)->text();
    m_auctionType = tag(cell(row, 0)).toString();
    m_comment = cell(row, CommentColumn)->text();
    m_step = 1;
    web->Navigate(FeedbackRules::MemberSearchAddress(m_buyerId));
    return RowOutcome::Pending;
}

void frmFeedback::web_DocumentComplete()
{
    if (m_step < 1) return;
    const int result = modWebProcessing::PlaceFeedback(this, web, m_step, m_auctionId, m_buyerId, m_comment, m_auctionType);
    if (result == 1) {
        FeedbackRules::CompleteFeedbackTask(m_auctionId);
        rowFinished(RowOutcome::Succeeded);
    } else if (result == -1) {
        rowFinished(RowOutcome::Failed);
    }
}

void frmFeedback::mnuPopupFeedback_Click()
{
    const int row = selectedRow();
    if (row < 0) return;
    const QVariantMap answer = FormsRegistry::instance().showModal(
        QStringLiteral("frmFeedbackSingle"), {{QStringLiteral("mRemoteId"), cell(row, 0)->text()}, {QStringLiteral("mRemoteFeedbackMultiple"), true}},
        this);
    // Confirmed there: the row it was opened for takes the comment, nothing else changes.
    if (answer.value(QStringLiteral("result")).toInt() == QDialog::Accepted && answer.contains(QStringLiteral("mRemoteFeedbackMultiple")) &&
        !answer.value(QStringLiteral("mRemoteFeedbackMultiple")).toBool() && row < rowCount())
        cell(row, CommentColumn)->setText(answer.value(QStringLiteral("Comment")).toString());
}

void frmFeedback::done(int result)
{
    BatchQueueWindow::done(result);
    if (isVisible()) return;  // a first close while a row runs is a Cancel request
    // Gone: a page still on its way carries nothing on.
    if (m_step > 0) web->Stop();
    m_step = 0;
}
