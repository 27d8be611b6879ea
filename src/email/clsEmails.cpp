#include "clsEmails.h"

#include "core/MailAddress.h"
#include "core/MainWindowApi.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "core/modStart.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QDir>
#include <QRegularExpression>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString IncludeTag = QStringLiteral("[insert:");

// A text column takes the empty text, never Null.
QString textValue(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

// The outbox as the shop's connection sees it while an e-mail and its task are written together.
const QString OutboxSchema = QStringLiteral("vendaro_outbox");

// Why an e-mail cannot be queued as it stands; "" when it can.
QString headerError(const QStringList& headers)
{
    // A line break in a header field would let the text add headers of its own.
    for (const QString& header : headers)
        if (header.contains(u'\r') || header.contains(u'\n'))
            return QStringLiteral("The From, To, CC and Subject of an email cannot hold a line break.");
    return QString();
}

QString outboxInsert(const QString& schema)
{
    return QStringLiteral("INSERT INTO %1outbox (\"From\", \"To\", CC, Subject, TextBody) VALUES (?, ?, ?, ?, ?)").arg(schema);
}

QString senderNotStarted()
{
    return QStringLiteral("The email outbox program could not be started (") + QDir::toNativeSeparators(clsEmails::EmailerPath()) +
           QStringLiteral(").");
}

void reportSendError(const QString& error)
{
    MsgBox(QStringLiteral("An error occurred while attempting to send email.") + CrLf + CrLf +
               QStringLiteral("Check you are connected to the internet and your email set-up is correct.") + CrLf + CrLf +
               QStringLiteral("Error message received:") + CrLf + error,
           vbmsg::Critical, ProgramContext::current().gAppTitle);
}

// Starts the sender on what the outbox holds now.
bool startSender()
{
    // The sender runs only when it finds this hand-over; it must be on disk before the start.
    AppSettings::SaveSetting(QStringLiteral("Settings"), QStringLiteral("emailer"), QStringLiteral("Valid"));
    AppSettings::Sync();
    return modStart::StartProgram(clsEmails::EmailerPath());
}

// The outbox attached to the shop's connection for one e-mail, so that one
// transaction covers both files (SQLite commits them together).
class AttachedOutbox {
public:
    explicit AttachedOutbox(Connection* shop) : m_shop(shop)
    {
        // ATTACH would make an empty file of a missing outbox: it must open as one first.
        Connection check;
        if (!check.Open(clsEmails::OutboxPath())) {
            m_error = check.lastError();
            return;
        }
        check.Close();
        if (!m_shop->Execute(QStringLiteral("ATTACH DATABASE ? AS ") + OutboxSchema, {clsEmails::OutboxPath()})) {
            m_error = m_shop->lastError();
            return;
        }
        m_attached = true;
    }
    ~AttachedOutbox()
    {
        if (m_attached) m_shop->Execute(QStringLiteral("DETACH DATABASE ") + OutboxSchema);
    }
    AttachedOutbox(const AttachedOutbox&) = delete;
    AttachedOutbox& operator=(const AttachedOutbox&) = delete;
    bool attached() const { return m_attached; }
    QString error() const { return m_error; }

private:
    Connection* m_shop;
    bool m_attached = false;
    QString m_error;
};

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
        if (const QString bad = headerError({EmailFrom, EmailTo, cc, EmailSubject}); !bad.isEmpty()) return bad;
        Connection outbox;
        if (!outbox.Open(OutboxPath())) return outbox.lastError();
        if (!outbox.Execute(outboxInsert(QString()), {textValue(EmailFrom), textValue(EmailTo), textValue(cc), textValue(EmailSubject),
                                                      textValue(EmailMessage)}))
            return outbox.lastError();
        bool ok = false;
        const qint64 autoId = outbox.Scalar(QStringLiteral("SELECT last_insert_rowid()"), {}, &ok).toLongLong();
        if (startSender()) return {};

        // Not started: take the e-mail back out, so that a retry does not send it twice.
        QString reason = senderNotStarted();
        if (!ok || !outbox.Execute(QStringLiteral("DELETE FROM outbox WHERE AutoId=?"), {autoId}))
            reason += QStringLiteral(" The email stays in the outbox and will be sent at the next start: ") + outbox.lastError();
        return reason;
    }();
    if (error.isEmpty()) return true;
    if (!NoErrorMessage) reportSendError(error);
    return false;
}

clsEmails::TaskEmail clsEmails::SendForTask(const QString& AuctionId, const QString& EmailFrom, const QString& EmailTo,
                                            const QString& EmailCC, const QString& EmailSubject, const QString& EmailMessage)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString cc = MergeCC(EmailCC, ctx.gConfiguration.EmailCC);
    if (const QString bad = headerError({EmailFrom, EmailTo, cc, EmailSubject}); !bad.isEmpty()) {
        reportSendError(bad);
        return TaskEmail::NotSent;
    }
    AttachedOutbox outbox(ctx.gConnection);
    if (!outbox.attached()) {
        reportSendError(outbox.error());
        return TaskEmail::NotSent;
    }

    // The step logs its changes as it writes them: an e-mail not kept leaves the log as it was.
    const QList<clsDataLog> logBefore = ctx.gDatabase->PendingLog();
    QString queueError;  // the outbox refused the e-mail
    QString stepError;   // the task or the commit failed ("" with a refusal DoneAction has said)
    bool kept = false;
    {
        Transaction tx(ctx.gConnection);
        clsActions::DoneOptions done;
        done.ReportFailure = false;
        if (!tx.isActive()) {
            stepError = tx.lastError();
        } else if (!ctx.gActions->DoneAction(AuctionId, done)) {
            stepError = done.Failure;
        } else if (!ctx.gConnection->Execute(outboxInsert(OutboxSchema + u'.'), {textValue(EmailFrom), textValue(EmailTo), textValue(cc),
                                                                               textValue(EmailSubject), textValue(EmailMessage)})) {
            queueError = ctx.gConnection->lastError();
        } else if (!tx.Commit()) {
            stepError = tx.lastError();
        } else {
            kept = true;
        }
    }
    if (!kept) {
        ctx.gDatabase->RestoreLog(logBefore);
        if (!queueError.isEmpty()) {
            reportSendError(queueError);
        } else {
            MsgBox(QStringLiteral("The email to the buyer of auction %1 was not sent: the auction's task could not be moved on, "
                                  "and the auction is as it was.")
                           .arg(AuctionId) +
                       (stepError.isEmpty() ? QString() : CrLf + CrLf + stepError),
                   vbmsg::Critical, ctx.gAppTitle);
        }
        return TaskEmail::NotSent;
    }
    if (startSender()) return TaskEmail::Sent;
    // Both are kept: taking the e-mail back out would leave the task done without it.
    reportSendError(senderNotStarted() + QStringLiteral(" The email stays in the outbox and will be sent at the next start; the task of auction ") +
                    AuctionId + QStringLiteral(" has been moved on."));
    return TaskEmail::SenderNotStarted;
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
