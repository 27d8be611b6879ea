#include "EmailTemplateRules.h"

#include "clsEmails.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/db/Recordset.h"

const QString EmailTemplateRules::DefaultItem = QStringLiteral("MISC");

const QList<int>& EmailTemplateRules::Kinds()
{
    static const QList<int> kinds{2, 4, 5, 6, 10, 12, 14, clsEmails::GeneralKind, clsEmails::CustomKind};
    return kinds;
}

const QVector<EmailTemplateRules::CodeRow>& EmailTemplateRules::CodeRows()
{
    static const QVector<CodeRow> rows{
        {QStringLiteral("<< Auction ref number"), QStringLiteral("[AUCTIONNUMBER]")},
        {QStringLiteral("<< Auction Title"), QStringLiteral("[AUCTIONTITLE]")},
        {QStringLiteral("<< Auction notes"), QStringLiteral("[AUCTIONNOTES]")},
        {QStringLiteral("<< Courier tracking No."), QStringLiteral("[TRACKINGNUMBER]")},
        {QStringLiteral(" "), QString()},
        {QStringLiteral("<< Buyer UserId"), QStringLiteral("[BUYERID]")},
        {QStringLiteral("<< Buyer first name"), QStringLiteral("[BUYERNAME]")},
        {QStringLiteral("<< Delivery address"), QStringLiteral("[DELIVERYADDRESS]")},
        {QStringLiteral(" "), QString()},
        {QStringLiteral("<< Winning bid value"), QStringLiteral("[BIDVALUE]")},
        {QStringLiteral("<< Shipping value"), QStringLiteral("[SHIPVALUE]")},
        {QStringLiteral("<< TOTAL value"), QStringLiteral("[TOTALVALUE]")},
        {QStringLiteral(" "), QString()},
        {QStringLiteral("<< My TradeMe UserId"), QStringLiteral("[MYTRADEMEUSERID]")},
        {QStringLiteral("<< My email signature"), QStringLiteral("[MYSIGNATURE]")},
        {QStringLiteral("<< My Bank Acc Name"), QStringLiteral("[BANKNAME]")},
        {QStringLiteral("<< My Bank Acc Number"), QStringLiteral("[BANKNUMBER]")},
        {QStringLiteral(" "), QString()},
    };
    return rows;
}

int EmailTemplateRules::InsertCode(QString& text, int start, const QString& code)
{
    const int at = qBound(0, start, int(text.size()));
    text.insert(at, code);
    return at + int(code.size());
}

bool EmailTemplateRules::IsProtected(const QString& ItemId, int ActionId)
{
    return ItemId == DefaultItem && ActionId != clsEmails::CustomKind;
}

bool EmailTemplateRules::ExistsForItemAndKind(const QString& EmailId, const QString& ItemId, int ActionId, bool* failed)
{
    Recordset rs;
    *failed = !ProgramContext::current().gDatabase->OpenDB(
        QStringLiteral("SELECT EmailId FROM Email WHERE EmailId<>? AND ItemId=? AND ActionId=? LIMIT 1"), {EmailId, ItemId, ActionId}, false,
        true, true, &rs);
    return !*failed && !rs.isEOF();
}

bool EmailTemplateRules::StoredKind(const QString& EmailId, QString* ItemId, int* ActionId, bool* failed)
{
    Recordset rs;
    *failed = !ProgramContext::current().gDatabase->OpenDB(QStringLiteral("SELECT ItemId, ActionId FROM Email WHERE EmailId=?"), {EmailId},
                                                           false, true, true, &rs);
    if (*failed || rs.isEOF()) return false;
    *ItemId = rs.text(QStringLiteral("ItemId"));
    *ActionId = rs.value(QStringLiteral("ActionId")).toInt();
    return true;
}

EmailTemplateRules::Preview EmailTemplateRules::BuildPreview(clsEmails& emails, const QString& Subject, const QString& Message)
{
    Preview p{Subject, Message};
    // The composition's own messages say what is missing; the preview shows what there is.
    bool whole = true;
    emails.InsertCustom(p.message, whole);

    // A sale held in memory only: nothing of it reaches the database.
    const QString CrLf = QStringLiteral("\r\n");
    Recordset sale;
    const std::pair<const char*, QVariant> values[] = {
        {"AuctionId", QStringLiteral("1234567890")},
        {"Description", QStringLiteral("Carved rimu fruit bowl")},
        {"WinningBid", 45.5},
        {"Shipping", 8},
        {"Notes", QStringLiteral("Gift wrapped, card enclosed")},
        {"DeliveryAddress", QStringLiteral("Aroha Smith") + CrLf + QStringLiteral("12 Kowhai Street") + CrLf + QStringLiteral("Takapuna") +
                                CrLf + QStringLiteral("Auckland 0622")},
        {"TrackingNumber", QStringLiteral("NZP123456789")},
        {"CustomerId", QStringLiteral("aroha_s")},
        {"Name", QStringLiteral("Aroha Smith")},
    };
    for (const auto& [name, value] : values)
        sale.AppendField(QLatin1String(name), value.typeId() == QMetaType::QString ? QMetaType::QString : QMetaType::Double);
    if (sale.OpenInMemory() && sale.AddNew()) {
        for (const auto& [name, value] : values) sale.setValue(QLatin1String(name), value);
        sale.Update();
        sale.MoveFirst();
        emails.ConvertCodes(p.subject, whole, &sale);
        emails.ConvertCodes(p.message, whole, &sale);
    }
    if (!p.message.isEmpty()) clsEmails::WrapText(p.message);
    return p;
}
