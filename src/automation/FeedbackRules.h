#pragma once
// What the feedback windows share, kept out of widgets: the seller's standard
// comments as the windows offer and deal them, the site's member search for a
// buyer, and moving a sale on once the site has confirmed its feedback.

#include <QString>
#include <QStringList>

namespace FeedbackRules {

// The task a sale stands at while its feedback is due.
constexpr int FeedbackStep = 13;

// The configured comments without trailing blanks and trailing empty lines:
// blanks are removed, then one CR LF, until the text no longer ends in CR LF.
QString TidyComments(QString text);
// The comments of a tidied text, one per line, blank lines included; none for "".
QStringList CommentLines(const QString& tidied);
// Tidies the loaded configuration (in memory only: the text then ends in
// exactly one CR LF) and returns its comments; none when there are none, in
// which case the seller has been told where to set them.
QStringList LoadComments();
// The comment dealt to the k-th row (from 0): the comments in turn.
QString DealtComment(const QStringList& comments, int k);

// The site's seller search for a buyer, which leads to the member's page.
QString MemberSearchAddress(const QString& buyerId);

// After the site confirmed the feedback: completes the sale's task when it
// stands at the feedback step, so that a sale at another step is never moved
// on for a step that did not happen. True when the task was completed.
bool CompleteFeedbackTask(const QString& AuctionId);

}  // namespace FeedbackRules
