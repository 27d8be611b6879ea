#pragma once
// Site work in the browser: the login window, the local pages that submit
// themselves (filled templates and forms cut out of site pages), and leaving
// feedback step by step.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QWidget;
class WebBrowser;

namespace modWebProcessing {

// Opens a browser window in login mode for the calling window and returns
// whether the site has the database's member logged in. With modal false the
// window stays open and the result is read at once (false).
bool ShowBrowser(QWidget* CallerForm, bool ExitAfterLogin, bool Modal, bool GetTradeMeMemberId);

// Fills the program folder's Name.frm into Name.sub: each code replaced, in
// order, by its value made safe for HTML; built-in site addresses moved onto
// the configured site. ownerOnly writes a page only the seller may read.
// False, with a critical message, when the template is missing or the page
// cannot be written. The values of markupCodes go in as given: markup the
// caller built from escaped parts (the offer's recipient inputs).
bool FillTemplate(const QString& Name, const QList<QPair<QString, QString>>& codes, bool ownerOnly = false,
                  const QStringList& markupCodes = {});
QString SubmitPagePath(const QString& Name);

// The form of a page whose opening tag holds FormKey, cut down to its
// opening tag, one line per field and "</form>". With SkipOptions a select
// keeps only its opening tag.
QString ExtractForm(const QString& PageHTML, const QString& FormKey, bool SkipOptions);
// Text with every CR LF pair removed.
QString RemoveLineBreaks(const QString& Text);
// Makes FormText a page that posts itself to the site (ActionPath made
// absolute) and writes it as FileName.sub; false when ActionPath is not in it.
bool SaveSubmitPage(QString& FormText, const QString& ActionPath, const QString& FormName, const QString& FileName, bool AddId);
// The bidder inputs of an extracted fixed-price-offer form, or "".
QString GetBidderInputs(const QString& Text);

// The site's number of a sale: a further sale of one listing ("...A", "...B",
// "...C") is the listing's own number.
QString SiteAuctionNumber(const QString& AuctionId);

// Writes FileName.sub from its template for one feedback.
bool CreateFeedbackPage(const QString& FileName, QString AuctionNumber, const QString& FeedbackComment, const QString& MemberId,
                        const QString& OtherMemberRole);
// One step of leaving feedback, run from the caller's page-loaded event:
// 1 placed, -1 failed (message shown, Step 0), 0 not finished.
int PlaceFeedback(QWidget* CallerForm, WebBrowser* Browser, int& Step, const QString& AuctionId, const QString& Member,
                  const QString& FeedbackText, const QString& AuctionType);
void ShowFeedbackError(QWidget* CallerForm, WebBrowser* Browser, const QString& Member, const QString& PageText,
                       bool NoMemberNumber, bool KeepBrowser);

}  // namespace modWebProcessing
