#include "clsDatabase.h"

#include "MainWindowApi.h"
#include "ProgramContext.h"
#include "UndoRecipe.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"

#include <QDateTime>
#include <QSet>

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
    if (ReportErrors) ReportError(SQLQuery, error);
    return false;
}

void clsDatabase::ReportError(const QString& SQLQuery, const QString& error)
{
    MsgBox(QStringLiteral("An error occurred opening database.") + CrLf + CrLf + QStringLiteral("SQLQuery = ") + SQLQuery + CrLf +
               QStringLiteral("Error = ") + error,
           vbmsg::Critical, ProgramContext::current().gAppTitle);
}

QString clsDatabase::MatchNothing() { return QStringLiteral("Auction.AuctionId='zsad876sadmjhasd876' AND "); }

SqlCondition clsDatabase::GetLike(const QString& DataTag, const QString& DataLike)
{
    const SqlCondition nothing{MatchNothing(), {}};
    const QString tag = DataTag.mid(5);
    const QStringList parts = tag.split(u',');
    if (parts.size() < 4) {
        MsgBox(QStringLiteral("Invalid TAG in search fields.") + CrLf + CrLf + tag + CrLf + CrLf +
                   QStringLiteral("Error = Subscript out of range"),
               vbmsg::Critical, ProgramContext::current().gAppTitle);
        return nothing;
    }
    const QString outer = parts[0], key = parts[1], searched = parts[2];
    const QString select = QStringList(parts.mid(3)).join(u',');
    const QString term = outer + QStringLiteral(" = ?");

    // An exact match (ignoring case) names that one key. ASCII text compares
    // through the column's index; other text needs LIKE to fold its letters.
    const bool ascii = std::all_of(DataLike.cbegin(), DataLike.cend(), [](QChar c) { return c.unicode() < 0x80; });
    Recordset rs;
    if (!OpenDB(select + QStringLiteral(" WHERE ") + searched + (ascii ? QStringLiteral(" = ?") : QStringLiteral(" LIKE ? ESCAPE '\\'")),
                {ascii ? DataLike : Sql::LikeExactly(DataLike)}, false, true, false, &rs))
        return nothing;
    if (!rs.isEOF()) return {u'(' + term + QStringLiteral(") AND "), {rs.value(key)}};
    rs.Close();

    // Otherwise every value that holds the text, up to 101 of them.
    if (!OpenDB(select + QStringLiteral(" WHERE ") + searched + QStringLiteral(" LIKE ? ESCAPE '\\'"),
                {Sql::LikeContains(DataLike)}, false, true, true, &rs))
        return nothing;
    SqlCondition result;
    int count = 0;
    QSet<QString> keys;  // each key once, so repeated values do not fill the terms
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        const QVariant value = rs.value(searched);
        if (value.isNull()) continue;
        const QString text = value.toString();
        if (text.compare(DataLike, Qt::CaseInsensitive) == 0) {
            result = {term, {rs.value(key)}};
            break;
        }
        if (text.contains(DataLike, Qt::CaseInsensitive)) {
            if (keys.contains(rs.text(key))) continue;
            keys.insert(rs.text(key));
            if (!result.text.isEmpty()) result.text += QStringLiteral(" OR ");
            result.text += term;
            result.binds << rs.value(key);
            if (++count > 100) break;
        }
    }
    rs.Close();
    if (result.text.isEmpty()) return nothing;
    result.text = QStringLiteral(" (") + result.text + QStringLiteral(") AND ");
    return result;
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
                    QStringLiteral(" AND ItemId=?1 AND ") + Sql::SameText(QStringLiteral("Description"), QStringLiteral("?2"), strTitle),
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

// ---- change log ------------------------------------------------------------

const clsDataLog* clsDatabase::Log(const QString& AuctionId, const QString& TableId, const QString& FieldId,
                                   const QVariant& FieldValue, bool FieldTypeString, bool DeletedRecord)
{
    if (!DeletedRecord) {
        for (clsDataLog& entry : mDataLog) {
            if (entry.AuctionId == AuctionId && entry.TableId == TableId && entry.FieldId == FieldId) {
                entry.FieldValue = FieldValue;
                return nullptr;
            }
        }
    }
    const bool isDate = FieldValue.typeId() == QMetaType::QDateTime || FieldValue.typeId() == QMetaType::QDate;
    clsDataLog entry;
    entry.AuctionId = AuctionId;
    entry.TableId = TableId;
    entry.FieldId = FieldId;
    entry.FieldValue = FieldValue;
    entry.FieldType = FieldTypeString ? QStringLiteral("string") : isDate ? QStringLiteral("date") : QStringLiteral("number");
    entry.DeletedRecord = DeletedRecord;
    mDataLog.append(entry);
    return &mDataLog.last();
}

bool clsDatabase::CheckLog()
{
    ProgramContext& ctx = ProgramContext::current();
    bool result = true;
    QStringList confirmedSales;  // each refreshed once, after the walk
    while (!mDataLog.isEmpty() && result) {
        clsDataLog& entry = mDataLog.last();
        const QString field = Sql::Identifier(entry.FieldId);
        QString sql = QStringLiteral("SELECT AuctionId FROM %1 WHERE AuctionId=? AND ").arg(Sql::Identifier(entry.TableId));
        QVariantList binds{entry.AuctionId};
        // A Null (or an empty date) is held as Null, which "=" never matches.
        const QVariant& value = entry.FieldValue;
        const bool isNull = value.isNull() || (value.typeId() == QMetaType::QDateTime && !value.toDateTime().isValid()) ||
                            (value.typeId() == QMetaType::QDate && !value.toDate().isValid());
        if (isNull) {
            sql += field + QStringLiteral(" IS NULL");
        } else if (entry.FieldType == QLatin1String("date") && !entry.DeletedRecord) {
            const double serial = entry.FieldValue.typeId() == QMetaType::QDate ? vb::toOleDate(entry.FieldValue.toDate())
                                                                                 : vb::toOleDate(entry.FieldValue.toDateTime());
            sql += field + QStringLiteral(">=? AND ") + field + QStringLiteral("<=?");
            binds << serial - 0.0035 << serial + 0.0035;
        } else {
            sql += field + QStringLiteral("=?");
            binds << entry.FieldValue;
        }
        Recordset rs;
        const bool ran = rs.Open(sql, ctx.gConnection, Recordset::adOpenStatic, Recordset::adLockReadOnly, binds);
        const bool confirmed = ran && (entry.DeletedRecord ? rs.isEOF() : !rs.isEOF());
        // An entry that can never be confirmed must not keep the list waiting.
        if (confirmed || !ran || ++entry.Checks >= MaxLogChecks) {
            if (!confirmedSales.contains(entry.AuctionId)) confirmedSales << entry.AuctionId;
            mDataLog.removeLast();
        } else {
            result = false;
        }
    }
    if (ctx.gMainWindow)
        for (const QString& auctionId : confirmedSales) ctx.gMainWindow->RefreshListItem(auctionId);
    return result;
}

bool clsDatabase::MoveHistory(const QString& From, const QString& To, QString* failedSql, QString* error)
{
    Connection* db = ProgramContext::current().gConnection;
    const QString sql = QStringLiteral("UPDATE History SET AuctionId=? WHERE AuctionId=?");
    if (db->Execute(sql, {To, From})) return true;
    if (failedSql) *failedSql = sql;
    if (error) *error = db->lastError();
    return false;
}

bool clsDatabase::RenameAuction(const QString& From, const QString& To, QString* failedSql, QString* error)
{
    Connection* db = ProgramContext::current().gConnection;
    const QString sql = QStringLiteral("UPDATE Auction SET AuctionId=? WHERE AuctionId=?");
    int rows = 0;
    if (!db->Execute(sql, {To, From}, &rows) || rows != 1) {
        if (failedSql) *failedSql = sql;
        if (error) *error = rows == 1 ? db->lastError() : QStringLiteral("Auction %1 could not be renumbered.").arg(From);
        return false;
    }
    return MoveHistory(From, To, failedSql, error);
}

void clsDatabase::UpdateLog(const QString& OldAuctionId, const QString& NewAuctionId)
{
    for (clsDataLog& entry : mDataLog)
        if (entry.AuctionId == OldAuctionId) entry.AuctionId = NewAuctionId;
}

// ---- history and undo --------------------------------------------------------

bool clsDatabase::UpdateHistory(const QString& AuctionId, double HistDate, const QString& HistDesc, const QString& HistChanged,
                                bool UpdateLog)
{
    if (HistDesc.isEmpty()) return true;
    if (!OpenDB(QStringLiteral("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES (?, ?, ?, ?)"),
                {AuctionId, HistDate, HistDesc, HistChanged}, false, false, true))
        return false;
    if (UpdateLog) Log(AuctionId, QStringLiteral("History"), QStringLiteral("Date"), vb::fromOleDate(HistDate), false, false);
    return true;
}

bool clsDatabase::GetHistory(const QString& AuctionId)
{
    ProgramContext& ctx = ProgramContext::current();
    QString sql = QStringLiteral(
        "SELECT History.*, Auction.Description AS AuctionDesc "
        "FROM Auction INNER JOIN History ON Auction.AuctionId = History.AuctionId WHERE ");
    QVariantList binds;
    if (!AuctionId.isEmpty()) {
        sql += QStringLiteral("Auction.AuctionId = ? AND ");
        binds << AuctionId;
    }
    // Rows written in the same second come back newest first.
    sql += QStringLiteral("Changed<>'[AUTOCOMPLETE]' ORDER BY History.\"Date\" DESC, History.Autonumber DESC LIMIT 1");
    Recordset rs;
    if (!OpenDB(sql, binds, false, true, true, &rs)) return false;
    if (rs.isEOF()) {
        MsgBox(QStringLiteral("Nothing to undo!"), vbmsg::Information, ctx.gAppTitle);
        return false;
    }
    takeUndoSelection(rs);
    return true;
}

void clsDatabase::takeUndoSelection(const Recordset& rs)
{
    ProgramContext& ctx = ProgramContext::current();
    ctx.gUndoAuctionId = rs.text(QStringLiteral("AuctionId"));
    ctx.gUndoAuctionDesc = rs.text(QStringLiteral("AuctionDesc"));
    ctx.gUndoDescription = rs.text(QStringLiteral("Description"));
    ctx.gUndoChanged = rs.text(QStringLiteral("Changed"));
    ctx.gUndoAutonumber = rs.value(QStringLiteral("Autonumber")).toLongLong();
}

bool clsDatabase::SelectHistory(qint64 Autonumber)
{
    Recordset rs;
    if (!OpenDB(QStringLiteral("SELECT History.*, Auction.Description AS AuctionDesc "
                               "FROM Auction INNER JOIN History ON Auction.AuctionId = History.AuctionId WHERE History.Autonumber=?"),
                {Autonumber}, true, true, true, &rs) ||
        rs.isEOF())
        return false;
    takeUndoSelection(rs);
    return true;
}

bool clsDatabase::deleteUndoneHistory()
{
    const ProgramContext& ctx = ProgramContext::current();
    return OpenDB(QStringLiteral("DELETE FROM History WHERE AuctionId=? AND (Changed='[AUTOCOMPLETE]' OR Autonumber=?)"),
                  {ctx.gUndoAuctionId, ctx.gUndoAutonumber}, false, false, true);
}

namespace {

// The value of a recipe pair for a column of this kind; false when it does not convert.
bool recipeValue(Connection::ColumnKind kind, const QString& text, QVariant* out)
{
    const bool isNull = text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0;
    switch (kind) {
    case Connection::ColumnKind::YesNo: {
        // "Null" and "" are No, as a Yes/No column that was never set reads.
        const QString t = text.trimmed().toLower();
        const bool yes = t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("-1");
        const bool no = t == QLatin1String("false") || t == QLatin1String("0") || t.isEmpty() || isNull;
        *out = yes;
        return yes || no;
    }
    case Connection::ColumnKind::Number: {
        if (isNull) { *out = QVariant(); return true; }
        bool ok = false;
        const double d = text.trimmed().toDouble(&ok);
        *out = d;
        return ok;
    }
    case Connection::ColumnKind::Date: {
        if (isNull || text.trimmed().isEmpty()) { *out = QVariant(); return true; }
        bool ok = false;
        double serial = text.trimmed().toDouble(&ok);
        if (!ok) {
            const QDateTime iso = QDateTime::fromString(text.trimmed(), Qt::ISODate);
            if (iso.isValid()) { serial = vb::toOleDate(iso); ok = true; }
        }
        if (!ok) ok = vb::parseDateText(text, &serial);
        *out = serial;
        return ok;
    }
    case Connection::ColumnKind::Text: break;
    }
    *out = isNull ? QVariant() : QVariant(text);
    return true;
}

}  // namespace

bool clsDatabase::PerformUndo()
{
    ProgramContext& ctx = ProgramContext::current();
    const QString auctionId = ctx.gUndoAuctionId;
    auto failed = [&](const QString& why) {
        MsgBox(QStringLiteral("The task could not be undone.") + CrLf + CrLf + why, vbmsg::Exclamation, ctx.gAppTitle);
        return false;
    };

    bool result = false;
    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) return failed(tx.lastError());

    if (ctx.gUndoChanged == QLatin1String("[DELETE]")) {
        const int answer = MsgBox(QStringLiteral("Warning! This action will permanantly delete Auction number ") + auctionId + CrLf +
                                      CrLf + QStringLiteral("Do you want to delete this Auction?"),
                                  vbmsg::YesNo + vbmsg::Exclamation, ctx.gAppTitle);
        if (answer != vbmsg::Yes) return false;
        result = OpenDB(QStringLiteral("DELETE FROM Auction WHERE AuctionId=?"), {auctionId}, false, false, true);
    } else if (ctx.gUndoChanged == QLatin1String("[NOTHING]")) {
        result = true;
    } else {
        Recordset rs;
        if (!OpenDB(QStringLiteral("SELECT * FROM Auction WHERE AuctionId=?"), {auctionId}, false, false, true, &rs)) return false;
        if (rs.isEOF()) return failed(QStringLiteral("Auction number %1 is no longer in the database.").arg(auctionId));

        // Every pair is checked before anything is written: a recipe that does
        // not fit the sale's row undoes nothing.
        QList<UndoRecipe::Pair> pairs;
        QString badPart;
        const bool parsed = UndoRecipe::Parse(ctx.gUndoChanged, &pairs, &badPart);
        ctx.gUndoChanged.clear();  // a selection is undone once; the next undo reads its row afresh
        if (!parsed) return failed(QStringLiteral("The history entry holds a part that is not a column and its value: %1.").arg(badPart));
        const QHash<QString, Connection::ColumnKind> kinds = ctx.gConnection->ColumnKinds(QStringLiteral("Auction"));
        QStringList stockItems;
        for (const UndoRecipe::Pair& pair : pairs) {
            const QString name = pair.Name.toLower();
            if (name == QLatin1String("[stock]")) {
                stockItems << pair.Value;
                continue;
            }
            if (!kinds.contains(name))
                return failed(QStringLiteral("The history entry names a column that does not exist: %1.").arg(name));
            QVariant converted;
            if (!recipeValue(kinds.value(name), pair.Value, &converted) || !rs.setValue(name, converted))
                return failed(QStringLiteral("The history entry holds a value that does not fit the column %1: %2.").arg(name, pair.Value));
        }
        // A stock nobody counts (Null) stays uncounted.
        for (const QString& item : stockItems)
            if (!OpenDB(QStringLiteral("UPDATE Item SET Stock = Stock + 1 WHERE ItemId=?"), {item}, false, false, true))
                return false;
        if (!rs.Update()) return failed(rs.lastError());
        result = true;
    }

    if (!result || !deleteUndoneHistory()) {
        ctx.gUndoSelectedAuctionId.clear();
        return false;
    }
    if (!tx.Commit()) return failed(tx.lastError());
    ctx.gUndoSelectedAuctionId = auctionId;
    return true;
}
