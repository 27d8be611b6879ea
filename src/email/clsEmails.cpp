#include "clsEmails.h"

#include "core/MailAddress.h"
#include "core/MainWindowApi.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modStart.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QDir>
#include <QRegularExpression>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString IncludeTag = QStringLiteral("[insert:");

// A text column takes the empty text, never Null.
QString textValue(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

QString missingTemplateMessage(const QString& id)
{
    return QStringLiteral("An error occurred trying to build the email - the template required for '") + id +
           QStringLiteral("' is missing?");
}
}  // namespace

clsEmails* clsEmails::Current() { return dynamic_cast<clsEmails*>(ProgramContext::current().gEmails); }

void clsEmails::ShowFormEmailSingle(const QString& AuctionId, int ActionId, const QString& ItemId, bool UpdateNextAction,
                                    const QString& EmailId)
{
    const ProgramContext& ctx = ProgramContext::current();
    if (ctx.gConfiguration.TradeMeEmail.isEmpty()) {
        MsgBox(QStringLiteral("You cannot send email until you set your email address under tools/options."), vbmsg::Information,
               ctx.gAppTitle);
        return;
    }
    FormsRegistry::instance().showModal(QStringLiteral("frmEmailSingle"),
                                        {{QStringLiteral("mRemoteAuctionId"), AuctionId},
                                         {QStringLiteral("mRemoteActionId"), ActionId},
                                         {QStringLiteral("mRemoteItemId"), ItemId},
                                         {QStringLiteral("mRemoteEmailId"), EmailId},
                                         {QStringLiteral("mRemoteUpdateNextAction"), UpdateNextAction}});
}

// ---- composition ----

int clsEmails::TemplateKind(int ActionId)
{
    switch (ActionId) {
    case 2: case 4: case 5: case 6: case 10: case 12: case 14: case CustomKind: return ActionId;
    default: return GeneralKind;
    }
}

QString clsEmails::GetEmail(const QString& AuctionId, int ActionId, const QString& ItemId, const QString& EmailId,
                            bool& OnErrorReturnFalse)
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset& rs = *ctx.gRecordset;
    const int kind = TemplateKind(ActionId);
    QString Subject;
    QString Message;

    // The item's own template, else the one for any item. Several of one kind: the first by name.
    QString sql = QStringLiteral("SELECT Subject,Message FROM Email WHERE ActionId=? AND ItemId=?");
    QVariantList binds{kind, textValue(ItemId)};
    if (kind == CustomKind) {
        sql += QStringLiteral(" AND EmailId=?");
        binds << textValue(EmailId);
    }
    sql += QStringLiteral(" ORDER BY EmailId");
    bool ran = ctx.gDatabase->OpenDB(sql, binds, false, true, true);
    if (ran && rs.isEOF()) {
        rs.Close();
        binds[1] = QStringLiteral("MISC");
        ran = ctx.gDatabase->OpenDB(sql, binds, false, true, true);
    }
    if (ran) {
        if (!rs.isEOF()) {
            Subject = rs.text(QStringLiteral("Subject"));
            Message = rs.text(QStringLiteral("Message"));
        }
        rs.Close();
    } else {
        // OpenDB has said why; an e-mail without its template must not go out as if whole.
        OnErrorReturnFalse = false;
    }

    InsertCustom(Message, OnErrorReturnFalse);

    if (ctx.gDatabase->OpenDB(QStringLiteral("SELECT Auction.AuctionId, Auction.Description, Auction.WinningBid, Auction.Shipping, "
                                             "Auction.Notes, Auction.DeliveryAddress, Auction.TrackingNumber, Customer.CustomerId, "
                                             "Customer.Name FROM Auction LEFT JOIN Customer ON Customer.CustomerId = Auction.CustomerId "
                                             "WHERE Auction.AuctionId=?"),
                              {textValue(AuctionId)}, false, true, true)) {
        if (rs.isEOF()) {
            // The sale was deleted meanwhile: its codes have nothing to come from.
            MsgBox(QStringLiteral("An error occurred trying to build the email - the auction '") + AuctionId +
                       QStringLiteral("' is missing?"),
                   vbmsg::Critical, ctx.gAppTitle);
            OnErrorReturnFalse = false;
        } else {
            ConvertCodes(Subject, OnErrorReturnFalse);
            ConvertCodes(Message, OnErrorReturnFalse);
        }
        rs.Close();
    } else {
        OnErrorReturnFalse = false;
    }

    // The subject is a header, and callers split the result at its first CR LF:
    // a line break a value brought in (a delivery address) becomes a blank.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    Subject.replace(lineBreak, QStringLiteral(" "));
    if (!Message.isEmpty()) WrapText(Message);
    return Subject + CrLf + Message;
}

void clsEmails::InsertCustom(QString& ByRefText, bool& OnErrorReturnFalse)
{
    QStringList chain;
    expandIncludes(ByRefText, chain, OnErrorReturnFalse);
}

bool clsEmails::expandIncludes(QString& text, QStringList& chain, bool& OnErrorReturnFalse)
{
    // Each included text is expanded on its own, then the search goes on
    // after it: an include can only loop through the chain, which is refused.
    ProgramContext& ctx = ProgramContext::current();
    Recordset& rs = *ctx.gRecordset;
    qsizetype from = 0;
    for (;;) {
        const qsizetype start = text.indexOf(IncludeTag, from, Qt::CaseInsensitive);
        if (start < 0) return true;
        const qsizetype close = text.indexOf(u']', start);
        if (close < 0) return true;  // an unclosed tag stays as written; no later tag can close either
        const qsizetype idStart = start + IncludeTag.size();
        const QString id = text.mid(idStart, close - idStart);
        if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT EmailId, Message FROM Email WHERE EmailId=?"), {id}, false, true, true)) {
            OnErrorReturnFalse = false;
            return false;
        }
        const QString key = rs.isEOF() ? QString() : rs.text(QStringLiteral("EmailId"));
        QString inserted = rs.isEOF() ? QString() : rs.text(QStringLiteral("Message"));
        rs.Close();
        if (key.isEmpty() || chain.contains(key)) {
            MsgBox(missingTemplateMessage(id), vbmsg::Critical, ctx.gAppTitle);
            OnErrorReturnFalse = false;
            return false;
        }
        chain.append(key);
        const bool goOn = expandIncludes(inserted, chain, OnErrorReturnFalse);
        chain.removeLast();
        text.replace(start, close - start + 1, inserted);
        if (!goOn) return false;
        from = start + inserted.size();
    }
}

void clsEmails::ConvertCodes(QString& ByRefText, bool& OnErrorReturnFalse, const Recordset* sale)
{
    const ProgramContext& ctx = ProgramContext::current();
    const Recordset& row = sale ? *sale : *ctx.gRecordset;
    const Configuration& config = ctx.gConfiguration;
    // An empty amount shows as 0.00, as a sale without a bid or shipping costs nothing.
    const double bid = row.value(QStringLiteral("WinningBid")).toDouble();
    const double shipping = row.value(QStringLiteral("Shipping")).toDouble();
    const QString money = QStringLiteral("0.00");

    struct Code {
        QString code;
        QVariant data;
        bool required;
        QString description;
    };
    const Code codes[] = {
        {QStringLiteral("[AUCTIONNUMBER]"), row.value(QStringLiteral("AuctionId")), false, {}},
        {QStringLiteral("[AUCTIONTITLE]"), row.value(QStringLiteral("Description")), false, {}},
        {QStringLiteral("[AUCTIONNOTES]"), row.value(QStringLiteral("Notes")), false, {}},
        {QStringLiteral("[TRACKINGNUMBER]"), row.value(QStringLiteral("TrackingNumber")), false, {}},
        {QStringLiteral("[BUYERID]"), row.value(QStringLiteral("CustomerId")), false, {}},
        {QStringLiteral("[BUYERNAME]"), GetBuyerName(row), false, {}},
        {QStringLiteral("[DELIVERYADDRESS]"), row.value(QStringLiteral("DeliveryAddress")), false, {}},
        {QStringLiteral("[BIDVALUE]"), vb::formatNumber(bid, money), false, {}},
        {QStringLiteral("[SHIPVALUE]"), vb::formatNumber(shipping, money), false, {}},
        {QStringLiteral("[TOTALVALUE]"), vb::formatNumber(bid + shipping, money), false, {}},
        {QStringLiteral("[MYTRADEMEUSERID]"), config.TradeMeUserId, true, QStringLiteral("TradeMe UserId")},
        {QStringLiteral("[MYSIGNATURE]"), config.EmailSignature, true, QStringLiteral("Email Signature")},
        {QStringLiteral("[BANKNAME]"), config.BankAccountName, true, QStringLiteral("Bank Account Name")},
        {QStringLiteral("[BANKNUMBER]"), config.BankAccountNumber, true, QStringLiteral("Bank Account Number")},
    };
    for (const Code& code : codes) {
        bool required = code.required;
        ReplaceCodeWithData(ByRefText, code.code, code.data, OnErrorReturnFalse, required, code.description);
    }
}

void clsEmails::ReplaceCodeWithData(QString& ByRefText, const QString& strCode, const QVariant& strDataField,
                                    bool& OnErrorReturnFalse, bool& Required, const QString& strDataFieldDescription)
{
    const QString data = strDataField.isNull() ? QString() : strDataField.toString();
    if (Required) {
        if (ByRefText.contains(strCode) && data.isEmpty()) {
            MsgBox(QStringLiteral("An email cannot be sent because the information for a required field '") + strCode +
                       QStringLiteral("' is missing - set your '") + strDataFieldDescription +
                       QStringLiteral("' under tools/options to fix this problem."),
                   vbmsg::Critical, ProgramContext::current().gAppTitle);
            OnErrorReturnFalse = false;
            return;
        }
        Required = false;
    }
    // One pass over the text as it was: data holding the code is not replaced again.
    ByRefText.replace(strCode, data, Qt::CaseSensitive);
}

QString clsEmails::GetBuyerName(const Recordset& sale)
{
    QString name = sale.text(QStringLiteral("Name"));
    name.replace(u'.', u' ');
    const qsizetype blank = name.indexOf(u' ');
    if (blank >= 0) name.truncate(blank);
    static const QStringList titles{QStringLiteral("mr"), QStringLiteral("ms"), QStringLiteral("mrs"), QStringLiteral("miss"),
                                    QStringLiteral("dr")};
    if (name.size() < 2 || titles.contains(name, Qt::CaseInsensitive)) return sale.text(QStringLiteral("CustomerId"));
    return name;
}

void clsEmails::WrapText(QString& ByRefText) { WrapText(ByRefText, ProgramContext::current().gConfiguration.EmailWrap); }

void clsEmails::WrapText(QString& ByRefText, int Width)
{
    if (Width <= 0) return;
    QString& text = ByRefText;
    if (!text.endsWith(CrLf)) text += CrLf;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype end = text.indexOf(CrLf, pos);
        if (end < 0) return;
        if (end - pos <= Width) {
            pos = end + 2;
            continue;
        }
        // The line is longer than end - pos > Width, so pos + Width lies inside it.
        qsizetype blank = pos + Width;
        while (blank >= pos && text.at(blank) != u' ') --blank;
        if (blank >= pos) text.replace(blank, 1, CrLf);
        else pos += Width + 2;
    }
}

QString clsEmails::GetAddress(const QString& Address) { return MailAddress::bare(Address); }

// ---- the outbox ----

QString clsEmails::MergeCC(const QString& EmailCC, const QString& ConfiguredCC)
{
    if (ConfiguredCC.isEmpty()) return EmailCC;
    return EmailCC.isEmpty() ? ConfiguredCC : EmailCC + QStringLiteral(", ") + ConfiguredCC;
}

QString clsEmails::OutboxPath() { return QDir(ProgramContext::current().gAppFolder).filePath(QStringLiteral("emailer.mdb")); }

QString clsEmails::EmailerPath() { return QDir(ProgramContext::current().gAppFolder).filePath(QStringLiteral("Emailer")); }

bool clsEmails::Send(const QString& EmailFrom, const QString& EmailTo, const QString& EmailCC, const QString& EmailSubject,
                     const QString& EmailMessage, bool NoErrorMessage, bool NoCCEmail, const QString& HTMLBody)
{
    Q_UNUSED(NoCCEmail);
    Q_UNUSED(HTMLBody);
    const ProgramContext& ctx = ProgramContext::current();
    const QString cc = MergeCC(EmailCC, ctx.gConfiguration.EmailCC);

    // Empty when the e-mail is queued and the sender started, else why not.
    const QString error = [&]() -> QString {
        // A line break in a header field would let the text add headers of its own.
        for (const QString& header : {EmailFrom, EmailTo, cc, EmailSubject}) {
            if (header.contains(u'\r') || header.contains(u'\n'))
                return QStringLiteral("The From, To, CC and Subject of an email cannot hold a line break.");
        }
        Connection outbox;
        if (!outbox.Open(OutboxPath())) return outbox.lastError();
        if (!outbox.Execute(QStringLiteral("INSERT INTO outbox (\"From\", \"To\", CC, Subject, TextBody) VALUES (?, ?, ?, ?, ?)"),
                            {textValue(EmailFrom), textValue(EmailTo), textValue(cc), textValue(EmailSubject),
                             textValue(EmailMessage)}))
            return outbox.lastError();
        bool ok = false;
        const qint64 autoId = outbox.Scalar(QStringLiteral("SELECT last_insert_rowid()"), {}, &ok).toLongLong();

        // The sender runs only when it finds this hand-over; it must be on disk before the start.
        AppSettings::SaveSetting(QStringLiteral("Settings"), QStringLiteral("emailer"), QStringLiteral("Valid"));
        AppSettings::Sync();
        if (modStart::StartProgram(EmailerPath())) return {};

        // Not started: take the e-mail back out, so that a retry does not send it twice.
        QString reason = QStringLiteral("The email outbox program could not be started (") +
                         QDir::toNativeSeparators(EmailerPath()) + QStringLiteral(").");
        if (!ok || !outbox.Execute(QStringLiteral("DELETE FROM outbox WHERE AutoId=?"), {autoId}))
            reason += QStringLiteral(" The email stays in the outbox and will be sent at the next start: ") + outbox.lastError();
        return reason;
    }();
    if (error.isEmpty()) return true;

    if (!NoErrorMessage)
        MsgBox(QStringLiteral("An error occurred while attempting to send email.") + CrLf + CrLf +
                   QStringLiteral("Check you are connected to the internet and your email set-up is correct.") + CrLf + CrLf +
                   QStringLiteral("Error message received:") + CrLf + error,
               vbmsg::Critical, ctx.gAppTitle);
    return false;
}

void clsEmails::UpdateToolBar()
{
    // The menu is the main window's: it builds the entries.
    if (MainWindowApi* main = ProgramContext::current().gMainWindow) main->UpdateEmailToolBar();
}

void clsEmails::Register()
{
    ProgramContext::SetEmailsFactory([] { return new clsEmails; });
}
