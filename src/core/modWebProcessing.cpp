#include "modWebProcessing.h"

#include "HtmlScriptFilter.h"
#include "platform/HtmlTag.h"
#include "ProgramContext.h"
#include "WidgetCover.h"
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

#include <memory>

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
    // Tags are read as the browser reads them: the page is the browser's
    // markup, which leaves "<" and ">" as they are inside values.
    const QLatin1String formTag("form");

    // 1. The first form whose opening tag holds the key.
    HtmlTag form;
    for (HtmlTag t = HtmlTag::Find(PageHTML, formTag, 0); t.found(); t = HtmlTag::Find(PageHTML, formTag, t.after(PageHTML))) {
        const qsizetype tagEnd = t.end < 0 ? PageHTML.size() : t.end + 1;
        if (QStringView(PageHTML).sliced(t.start, tagEnd - t.start).contains(FormKey, Qt::CaseInsensitive)) {
            form = t;
            break;
        }
    }
    if (!form.found()) return CrLf + QStringLiteral("</form>");
    // The page will be a local one: whatever could run script goes.
    if (form.end < 0) return HtmlScriptFilter::Filter(PageHTML.mid(form.start)) + CrLf + QStringLiteral("</form>");

    // 2. The opening tag as it stands, then what lies up to the form's end,
    // without the forms nested in it.
    QString out = PageHTML.mid(form.start, form.end + 1 - form.start) + CrLf;
    QString rest;
    qsizetype copied = form.end + 1, nestedStart = 0;
    int depth = 0;
    for (qsizetype at = copied;;) {
        const HtmlTag t = HtmlTag::Next(PageHTML, at);
        if (!t.found()) {
            rest += QStringView(PageHTML).sliced(copied);
            break;
        }
        at = t.after(PageHTML);
        if (!t.is(formTag)) continue;
        if (!t.closing) {
            if (depth++ == 0) nestedStart = t.start;
        } else if (depth == 0) {
            rest += QStringView(PageHTML).sliced(copied, t.start - copied);
            break;
        } else if (--depth == 0) {
            rest += QStringView(PageHTML).sliced(copied, nestedStart - copied);
            copied = at;
        }
    }

    // 3. Inputs, selects and textareas in page order. An element without its
    // end takes the rest of the form and ends the walk.
    const QLatin1String selectTag("select");
    for (qsizetype pos = 0;;) {
        const HtmlTag t = HtmlTag::Next(rest, pos);
        if (!t.found()) break;
        pos = t.after(rest);
        if (t.closing) continue;
        if (t.is(QLatin1String("input"))) {
            if (t.end < 0) {
                out += RemoveLineBreaks(rest.mid(t.start)) + CrLf;
                break;
            }
            out += RemoveLineBreaks(rest.mid(t.start, t.end + 1 - t.start)) + CrLf;
        } else if (t.is(selectTag)) {
            const HtmlTag close = HtmlTag::Find(rest, selectTag, pos, true);
            const qsizetype limit = close.found() ? close.start : rest.size();
            qsizetype stop = close.end < 0 ? rest.size() : close.end + 1;
            if (SkipOptions) {
                // Its own first option only: an empty select must not run into the next one.
                const HtmlTag option = HtmlTag::Find(QStringView(rest).first(limit), QLatin1String("option"), pos);
                stop = option.found() ? option.start : limit;
            }
            out += RemoveLineBreaks(rest.mid(t.start, stop - t.start)) + CrLf;
            if (close.end < 0) break;
            pos = close.end + 1;
        } else if (t.is(QLatin1String("textarea"))) {
            // Its text runs to its end tag, where the walk stands now.
            const HtmlTag close = HtmlTag::Next(rest, pos);
            if (!close.found() || close.end < 0) {
                out += rest.mid(t.start) + CrLf;
                break;
            }
            out += rest.mid(t.start, close.end + 1 - t.start) + CrLf;
            pos = close.end + 1;
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
        const HtmlTag opening = HtmlTag::Find(form, QLatin1String("form"), 0);
        if (opening.end >= 0) form.insert(opening.end, QStringLiteral(" id=") + FormName);
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
    // The seller sees the page the site answered with, over the whole window,
    // at whatever size the window takes while the message is up.
    const Qt::WindowStates state = CallerForm ? CallerForm->windowState() : Qt::WindowNoState;
    QWidget* view = Browser ? Browser->widget() : nullptr;
    if (CallerForm) CallerForm->setWindowState(Qt::WindowMaximized);
    std::unique_ptr<WidgetCover> cover;
    if (view && CallerForm && view->window() == CallerForm->window()) cover = std::make_unique<WidgetCover>(view, CallerForm);
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
    if (KeepBrowser) {
        if (cover) cover.release()->Keep();
        return;
    }
    cover.reset();
    if (CallerForm) CallerForm->setWindowState(state);
    QCoreApplication::processEvents();
}

}  // namespace modWebProcessing
