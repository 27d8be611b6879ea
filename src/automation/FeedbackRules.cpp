#include "FeedbackRules.h"

#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/db/Recordset.h"

#include <QUrl>

namespace FeedbackRules {

namespace {
const QString CrLf = QStringLiteral("\r\n");
ProgramContext& ctx() { return ProgramContext::current(); }
}  // namespace

QString TidyComments(QString text)
{
    for (;;) {
        qsizetype n = text.size();
        while (n > 0 && text[n - 1] == u' ') --n;
        text.truncate(n);
        if (!text.endsWith(CrLf)) return text;
        text.chop(2);
    }
}

QStringList CommentLines(const QString& tidied)
{
    if (tidied.isEmpty()) return {};
    return tidied.split(CrLf);
}

QStringList LoadComments()
{
    QString& loaded = ctx().gConfiguration.Feedback;
    const QString tidied = TidyComments(loaded);
    if (tidied.isEmpty()) {
        loaded = tidied;
        MsgBox(QStringLiteral("Please set the feedback comments under tools/options on the main menu first."), vbmsg::Information,
               ctx().gAppTitle);
        return {};
    }
    loaded = tidied + CrLf;
    return CommentLines(tidied);
}

QString DealtComment(const QStringList& comments, int k)
{
    return comments.isEmpty() ? QString() : comments.at(k % comments.size());
}

QString MemberSearchAddress(const QString& buyerId)
{
    // The name is a query value: "&", "#" or "+" in it must not end or change the query.
    return SiteConfig::siteUrl() + QStringLiteral("/Browse/SearchResults.aspx?searchtype=SELLER&searchstring=") +
           QString::fromLatin1(QUrl::toPercentEncoding(buyerId)) + QStringLiteral("&searchregion=100");
}

bool CompleteFeedbackTask(const QString& AuctionId)
{
    Recordset rs;
    if (!ctx().gDatabase->OpenDB(QStringLiteral("SELECT ActionId FROM Auction WHERE AuctionId=?"), {AuctionId}, true, true, true, &rs))
        return false;
    if (rs.isEOF() || rs.value(QStringLiteral("ActionId")).toInt() != FeedbackStep) return false;
    rs.Close();
    clsActions::DoneOptions done;
    return ctx().gActions->DoneAction(AuctionId, done);
}

}  // namespace FeedbackRules
