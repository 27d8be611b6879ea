#include "clsDatabase.h"

#include "ProgramContext.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"

#include <algorithm>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

bool clsDatabase::OpenDB(const QString& SQLQuery, bool ForwardOnlyNOWHERE, bool ReadOnly, bool ReportErrors, Recordset* rst)
{
    return OpenDB(SQLQuery, {}, ForwardOnlyNOWHERE, ReadOnly, ReportErrors, rst);
}

bool clsDatabase::OpenDB(const QString& SQLQuery, const QVariantList& binds, bool ForwardOnlyNOWHERE, bool ReadOnly,
                         bool ReportErrors, Recordset* rst)
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset* target = rst ? rst : ctx.gRecordset;
    QString error;
    if (!target) {
        error = QStringLiteral("No record set.");
    } else if (!target->Open(SQLQuery, ctx.gConnection,
                             ForwardOnlyNOWHERE ? Recordset::adOpenForwardOnly : Recordset::adOpenStatic,
                             ReadOnly ? Recordset::adLockReadOnly : Recordset::adLockOptimistic, binds)) {
        error = target->lastError();
    } else {
        return true;
    }
    if (ReportErrors)
        MsgBox(QStringLiteral("An error occurred opening database.") + CrLf + CrLf + QStringLiteral("SQLQuery = ") + SQLQuery +
                   CrLf + QStringLiteral("Error = ") + error,
               vbmsg::Critical, ctx.gAppTitle);
    return false;
}

QString clsDatabase::MatchNothing() { return QStringLiteral("Auction.AuctionId='zsad876sadmjhasd876' AND "); }

QString clsDatabase::GetLike(const QString& DataTag, const QString& DataLike)
{
    const QString tag = DataTag.mid(5);
    const QStringList parts = tag.split(u',');
    if (parts.size() < 4) {
        MsgBox(QStringLiteral("Invalid TAG in search fields.") + CrLf + CrLf + tag + CrLf + CrLf +
                   QStringLiteral("Error = Subscript out of range"),
               vbmsg::Critical, ProgramContext::current().gAppTitle);
        return MatchNothing();
    }
    const QString outer = parts[0], key = parts[1], searched = parts[2];
    const QString select = QStringList(parts.mid(3)).join(u',');
    auto term = [&](const QVariant& keyValue) { return outer + QStringLiteral(" = ") + Sql::Quote(keyValue.toString()); };

    // An exact match (ignoring case) names that one key.
    Recordset rs;
    if (!OpenDB(select + QStringLiteral(" WHERE ") + searched + QStringLiteral(" = ?"), {DataLike}, false, true, false, &rs))
        return MatchNothing();
    if (!rs.isEOF()) return u'(' + term(rs.value(key)) + QStringLiteral(") AND ");
    rs.Close();

    // Otherwise every value that holds the text, up to 101 of them.
    if (!OpenDB(select + QStringLiteral(" WHERE ") + searched + QStringLiteral(" LIKE ? ESCAPE '\\'"),
                {Sql::LikeContains(DataLike)}, false, true, true, &rs))
        return MatchNothing();
    QString result;
    int count = 0;
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        const QVariant value = rs.value(searched);
        if (value.isNull()) continue;
        const QString text = value.toString();
        if (text.compare(DataLike, Qt::CaseInsensitive) == 0) {
            result = term(rs.value(key));
            break;
        }
        if (text.contains(DataLike, Qt::CaseInsensitive)) {
            if (!result.isEmpty()) result += QStringLiteral(" OR ");
            result += term(rs.value(key));
            if (++count > 100) break;
        }
    }
    rs.Close();
    if (result.isEmpty()) return MatchNothing();
    return QStringLiteral(" (") + result + QStringLiteral(") AND ");
}

void clsDatabase::InitialiseAuctionTable(Recordset& rst)
{
    const QVariant null;
    rst.setValue(QStringLiteral("AuctionType"), null);
    rst.setValue(QStringLiteral("ItemId"), null);
    rst.setValue(QStringLiteral("Description"), null);
    rst.setValue(QStringLiteral("dateStart"), vb::now());
    rst.setValue(QStringLiteral("CustomerId"), null);
    rst.setValue(QStringLiteral("Winningbid"), 0.0);
    rst.setValue(QStringLiteral("Shipping"), 0.0);
    rst.setValue(QStringLiteral("StartPrice"), 0.0);
    rst.setValue(QStringLiteral("ReservePrice"), 0.0);
    rst.setValue(QStringLiteral("MaxBidAmount"), 0.0);
    rst.setValue(QStringLiteral("BuyNowPrice"), null);
    rst.setValue(QStringLiteral("PayId"), null);
    rst.setValue(QStringLiteral("datePaid"), null);
    rst.setValue(QStringLiteral("dateSent"), null);
    rst.setValue(QStringLiteral("DateEnded"), null);
    rst.setValue(QStringLiteral("dateNextAction"), vb::today());
    rst.setValue(QStringLiteral("ActionId"), 1);
    rst.setValue(QStringLiteral("Notes"), null);
    rst.setValue(QStringLiteral("DeliveryAddress"), null);
    rst.setValue(QStringLiteral("TrackingNumber"), QString(""));
    rst.setValue(QStringLiteral("NonAuction"), false);
    rst.setValue(QStringLiteral("Bold"), false);
    rst.setValue(QStringLiteral("Highlight"), false);
    rst.setValue(QStringLiteral("FixedPriceOffered"), false);
    rst.setValue(QStringLiteral("HasBids"), false);
    rst.setValue(QStringLiteral("ExtraFeatures"), null);
    rst.setValue(QStringLiteral("DurationFixed"), true);
    rst.setValue(QStringLiteral("DurationDays"), 0);
    rst.setValue(QStringLiteral("DurationTime"), 0.0);
}

int clsDatabase::countListings(const QString& actionCondition, const QString& ItemId, const QString& strTitle)
{
    Recordset rs;
    if (!OpenDB(QStringLiteral("SELECT COUNT(*) AS Listings FROM Auction WHERE ") + actionCondition +
                    QStringLiteral(" AND ItemId=? AND Description=?"),
                {ItemId, strTitle}, false, true, true, &rs) ||
        rs.isEOF())
        return 0;
    return int(std::min<qint64>(rs.value(0).toLongLong(), 32767));
}

int clsDatabase::GetCurrentListings(const QString& ItemId, const QString& strTitle)
{
    return countListings(QStringLiteral("ActionId=1"), ItemId, strTitle);
}

int clsDatabase::GetSoldNotShippedListings(const QString& ItemId, const QString& strTitle)
{
    return countListings(QStringLiteral("(ActionId=10 OR ActionId=11 OR (ActionId>1 AND ActionId<8))"), ItemId, strTitle);
}
