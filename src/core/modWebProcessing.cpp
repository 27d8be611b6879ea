#include "modWebProcessing.h"

#include "HtmlScriptFilter.h"
#include "ProgramContext.h"
#include "modCommon.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/browser/WebBrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QWidget>

namespace modWebProcessing {

namespace {
const QString CrLf = QStringLiteral("\r\n");

bool writePage(const QString& path, const QString& page, bool ownerOnly)
{
    QFile::remove(path);
    QFile out(path);
    const QFileDevice::Permissions permissions =
        ownerOnly ? QFileDevice::ReadOwner | QFileDevice::WriteOwner
                  : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (out.open(QIODevice::WriteOnly, permissions) && out.write(page.toUtf8()) >= 0) return true;
    MsgBox(QStringLiteral("The page could not be written:") + CrLf + path + CrLf + CrLf + out.errorString(), vbmsg::Critical,
           ProgramContext::current().gAppTitle);
    return false;
}

// Case-insensitive search from a position.
qsizetype find(const QString& text, const QString& what, qsizetype from = 0)
{
    return text.indexOf(what, from, Qt::CaseInsensitive);
}
}  // namespace

bool ShowBrowser(QWidget* CallerForm, bool ExitAfterLogin, bool Modal, bool GetTradeMeMemberId)
{
    const QVariantMap vars = {{QStringLiteral("RemoteForm"), QVariant::fromValue<QObject*>(CallerForm)},
                              {QStringLiteral("AutoLogin"), true},
                              {QStringLiteral("ExitAfterLogin"), ExitAfterLogin},
                              {QStringLiteral("GetTradeMeMemberId"), GetTradeMeMemberId}};
    FormsRegistry& forms = FormsRegistry::instance();
    if (Modal) return forms.showModal(QStringLiteral("frmBrowser"), vars, CallerForm).value(QStringLiteral("LoginOK")).toBool();
    QWidget* window = forms.showModeless(QStringLiteral("frmBrowser"), vars, CallerForm);
    return window && window->property("LoginOK").toBool();
}

QString SubmitPagePath(const QString& Name)
{
    return QDir(ProgramContext::current().gAppFolder).filePath(Name + QStringLiteral(".sub"));
}

bool FillTemplate(const QString& Name, const QList<QPair<QString, QString>>& codes, bool ownerOnly, const QStringList& markupCodes)
{
    const ProgramContext& ctx = ProgramContext::current();
    QFile in(QDir(ctx.gAppFolder).filePath(Name + QStringLiteral(".frm")));
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        MsgBox(QStringLiteral("The page %1.frm is missing from the program folder:").arg(Name) + CrLf + ctx.gAppFolder + CrLf + CrLf +
                   QStringLiteral("Please reinstall Vendaro."),
               vbmsg::Critical, ctx.gAppTitle);
        return false;
    }
    QString page;
    QTextStream lines(&in);
    while (!lines.atEnd()) page += lines.readLine() + CrLf;
    // The template is moved onto the configured site before the seller's values
    // go in, and they go in once: a value is text in the page, whatever it holds
    // (a site address, a template code, markup).
    QList<QPair<QString, QString>> escaped;
    for (const auto& [code, value] : codes) escaped.append({code, markupCodes.contains(code) ? value : value.toHtmlEscaped()});
    return writePage(SubmitPagePath(Name), modCommon::ReplaceCodes(SiteConfig::rebaseText(page), escaped), ownerOnly);
}

QString RemoveLineBreaks(const QString& Text)
{
    // Removing one CRLF can join a CR and an LF into another ("\r\r\n\n").
    QString out = Text;
    while (out.contains(CrLf)) out.remove(CrLf);
    return out;
}

QString ExtractForm(const QString& PageHTML, const QString& FormKey, bool SkipOptions)
{
    // 1. The first form whose opening tag holds the key.
    QString text;
    for (qsizetype from = find(PageHTML, QStringLiteral("<form")); from >= 0; from = find(PageHTML, QStringLiteral("<form"), from + 1)) {
        const qsizetype close = PageHTML.indexOf(u'>', from);
        const QString openingTag = close < 0 ? PageHTML.mid(from) : PageHTML.mid(from, close - from + 1);
        if (openingTag.contains(FormKey, Qt::CaseInsensitive)) {
            text = PageHTML.mid(from);
            break;
        }
    }
    if (text.isEmpty()) return CrLf + QStringLiteral("</form>");

    // 2. Forms nested in it go, each up to the first "</form>".
    for (;;) {
        const qsizetype end = find(text, QStringLiteral("</form>"));
        if (end < 0) break;
        qsizetype nested = -1;
        for (qsizetype p = find(text, QStringLiteral("<form"), 1); p >= 0 && p < end; p = find(text, QStringLiteral("<form"), p + 1))
            nested = p;
        if (nested < 0) break;
        text.remove(nested, end + 7 - nested);
    }

    // 3. The opening tag as it stands, then the fields up to the form's end.
    // The page will be a local one: whatever could run script goes.
    const qsizetype tagEnd = text.indexOf(u'>');
    if (tagEnd < 0) return HtmlScriptFilter::Filter(text) + CrLf + QStringLiteral("</form>");
    QString out = text.left(tagEnd + 1) + CrLf;
    QString rest = text.mid(tagEnd + 1);
    const qsizetype formEnd = find(rest, QStringLiteral("</form>"));
    if (formEnd >= 0) rest.truncate(formEnd);

    // 4. Inputs, selects and textareas in page order. An element without its
    // end takes the rest of the page and ends the walk. Each kind's next
    // place is looked up again only once the walk has passed it.
    const QString kinds[] = {QStringLiteral("<input"), QStringLiteral("<select"), QStringLiteral("<textarea")};
    qsizetype next[] = {0, 0, 0};
    qsizetype searchedFrom[] = {-1, -1, -1};
    qsizetype pos = 0;
    while (pos < rest.size()) {
        qsizetype first = -1;
        for (int k = 0; k < 3; ++k) {
            if (next[k] >= 0 && (searchedFrom[k] < 0 || next[k] < pos)) {
                next[k] = find(rest, kinds[k], pos);
                searchedFrom[k] = pos;
            }
            if (next[k] >= 0 && (first < 0 || next[k] < first)) first = next[k];
        }
        if (first < 0) break;

        if (first == next[0]) {
            const qsizetype end = rest.indexOf(u'>', first);
            if (end < 0) {
                out += RemoveLineBreaks(rest.mid(first)) + CrLf;
                break;
            }
            out += RemoveLineBreaks(rest.mid(first, end - first + 1)) + CrLf;
            pos = end + 1;
        } else if (first == next[1]) {
            const qsizetype end = find(rest, QStringLiteral("</select>"), first);
            if (SkipOptions) {
                // Its own first option only: an empty select must not run into the next one.
                const qsizetype limit = end >= 0 ? end : rest.size();
                const qsizetype option = QStringView(rest).first(limit).indexOf(QLatin1String("<option"), first, Qt::CaseInsensitive);
                const qsizetype stop = option >= 0 ? option : limit;
                out += RemoveLineBreaks(rest.mid(first, stop - first)) + CrLf;
            } else {
                out += RemoveLineBreaks(end < 0 ? rest.mid(first) : rest.mid(first, end + 9 - first)) + CrLf;
            }
            if (end < 0) break;
            pos = end + 9;
        } else {
            const qsizetype end = find(rest, QStringLiteral("</textarea>"), first);
            if (end < 0) {
                out += rest.mid(first) + CrLf;
                break;
            }
            out += rest.mid(first, end + 11 - first) + CrLf;
            pos = end + 11;
        }
    }
    out = HtmlScriptFilter::Filter(out);
    if (!out.endsWith(CrLf)) out += CrLf;  // a script without its end took the last line's end with it
    return out + QStringLiteral("</form>");
}

bool SaveSubmitPage(QString& FormText, const QString& ActionPath, const QString& FormName, const QString& FileName, bool AddId)
{
    const qsizetype p = find(FormText, ActionPath);
    if (ActionPath.isEmpty() || p < 0) return false;
    QString form = FormText;
    form.insert(p, SiteConfig::siteUrl());
    if (AddId) {
        const qsizetype close = form.indexOf(u'>');
        if (close >= 0) form.insert(close, QStringLiteral(" id=") + FormName);
    }
    const QString page = QStringLiteral("<html><head></head><body onload=") + FormName + QStringLiteral(".submit()>") + CrLf + form + CrLf +
                         QStringLiteral("</body></html>");
    if (!writePage(SubmitPagePath(FileName), page, false)) return false;
    FormText = page;
    return true;
}

QString GetBidderInputs(const QString& Text)
{
    const qsizetype p = find(Text, QStringLiteral("<input name=\"bidder_id_"));
    if (p < 0) return {};
    const qsizetype q = find(Text, QStringLiteral("<input name=\"hasbidders"), p);
    if (q < 0) return {};
    return Text.mid(p, q - p);
}

QString SiteAuctionNumber(const QString& AuctionId)
{
    // One letter after the listing's digits marks a further sale (A, B, C, ...).
    const qsizetype n = AuctionId.size();
    if (n >= 2 && AuctionId[n - 2].isDigit() && AuctionId[n - 1] >= u'A' && AuctionId[n - 1] <= u'Z')
        return AuctionId.chopped(1);
    return AuctionId;
}

bool CreateFeedbackPage(const QString& FileName, QString AuctionNumber, const QString& FeedbackComment, const QString& MemberId,
                        const QString& OtherMemberRole)
{
    return FillTemplate(FileName, {{QStringLiteral("[MEMBERID]"), MemberId},
                                   {QStringLiteral("[AUCTIONNUMBER]"), SiteAuctionNumber(AuctionNumber)},
                                   {QStringLiteral("[FEEDBACK]"), FeedbackComment},
                                   {QStringLiteral("[TIME]"), vb::formatDate(vb::now(), QStringLiteral("h:mm:ss AMPM"))},
                                   {QStringLiteral("[OTHERMEMBERROLE]"), OtherMemberRole}});
}

int PlaceFeedback(QWidget* CallerForm, WebBrowser* Browser, int& Step, const QString& AuctionId, const QString& Member,
                  const QString& FeedbackText, const QString& AuctionType)
{
    const QString address = Browser->LocationURL() + u'&';
    const QString pageText = Browser->BodyText();
    switch (Step) {
    case 1: {
        if (!SiteConfig::isOnSite(address)) return 0;
        Step = 0;
        const qsizetype at = find(address, QStringLiteral("member="));
        if (at < 0) {
            ShowFeedbackError(CallerForm, Browser, Member, QString(), true, false);
            return -1;
        }
        const qsizetype start = at + 7;
        const QString memberNumber = address.mid(start, address.indexOf(u'&', start) - start);
        const QString role = AuctionType == QLatin1String("O") ? QStringLiteral("offer_recipient") : QStringLiteral("successful_bidder");
        if (!CreateFeedbackPage(QStringLiteral("VNTMFB"), AuctionId, FeedbackText + QStringLiteral(" :)"), memberNumber, role)) {
            ShowFeedbackError(CallerForm, Browser, Member, QString(), false, false);
            return -1;
        }
        Step = 2;
        Browser->Navigate(SubmitPagePath(QStringLiteral("VNTMFB")));
        modCommon::DeleteFile(QStringLiteral("VNTMFB.sub"), QString(), false);  // the browser has its content
        return 0;
    }
    case 2:
        if (address.toUpper().contains(QLatin1String("VNTMFB"))) Step = 3;
        return 0;
    case 3:
        if (!SiteConfig::isOnSite(address)) return 0;
        Step = 0;
        modCommon::DeleteFile(QStringLiteral("VNTMFB.sub"), QString(), false);
        if (pageText.toLower().contains(QLatin1String("your feedback has been placed"))) {
            Step = 4;
            Browser->Navigate(SubmitPagePath(QStringLiteral("VNTM")));
            return 0;
        }
        ShowFeedbackError(CallerForm, Browser, Member, pageText, false, false);
        return -1;
    case 4:
        if (!address.toUpper().contains(QLatin1String("VNTM"))) return 0;
        Step = 0;
        return 1;
    default: return 0;
    }
}

void ShowFeedbackError(QWidget* CallerForm, WebBrowser* Browser, const QString& Member, const QString& PageText,
                       bool NoMemberNumber, bool KeepBrowser)
{
    // The seller sees the page the site answered with, over the whole window.
    const Qt::WindowStates state = CallerForm ? CallerForm->windowState() : Qt::WindowNoState;
    QWidget* view = Browser ? Browser->widget() : nullptr;
    const QRect place = view ? view->geometry() : QRect();
    const bool wasVisible = view && view->isVisible();
    if (CallerForm) CallerForm->setWindowState(Qt::WindowMaximized);
    if (view && CallerForm && view->window() == CallerForm->window()) {
        view->setGeometry(CallerForm->rect());
        view->show();
        view->raise();
    }
    const QString possibleCause = QStringLiteral("Possible cause:") + CrLf +
                                  QStringLiteral("1. You may not be using the latest version of this software (check for update).") + CrLf +
                                  QStringLiteral("2. TradeMe could be temporarily down (try again later).");
    QString message;
    if (NoMemberNumber)
        message = QStringLiteral("Feedback failed - Could not retrieve member number (") + Member + QStringLiteral(").") + CrLf + CrLf + possibleCause;
    else if (PageText.toLower().contains(QLatin1String("you may only place feedback once on an auction")))
        message = QStringLiteral("Feedback failed - Could not leave feedback for member: ") + Member + CrLf + CrLf +
                  QStringLiteral("Feedback has already been placed for this member.");
    else
        message = QStringLiteral("Feedback failed - Could not leave feedback for member: ") + Member + CrLf + CrLf + possibleCause;
    MsgBox(message, vbmsg::Exclamation, ProgramContext::current().gAppTitle);
    if (KeepBrowser) return;
    if (view && CallerForm && view->window() == CallerForm->window()) {
        view->setGeometry(place);
        view->setVisible(wasVisible);
    }
    if (CallerForm) CallerForm->setWindowState(state);
    QCoreApplication::processEvents();
}

}  // namespace modWebProcessing
