#include "RelistQueue.h"

#include "OfferCells.h"
#include "RelistOptionRules.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"

#include <algorithm>

namespace {
const QString CrLf = QStringLiteral("\r\n");

// The candidate query's columns and tables; each query adds its condition.
const QString CandidateColumns = QStringLiteral(
    "AuctionId,ActionId,DateNextAction,Auction.ItemId,Auction.Description,StartPrice,ReservePrice,BuyNowPrice,"
    "MaxBidAmount,FixedPriceOffered,DurationFixed,DurationDays,DurationTime,ExtraFeatures,Item.Stocked ");
const QString CandidateFrom = QStringLiteral("FROM Item INNER JOIN Auction ON Item.ItemId = Auction.ItemId ");
// The running listings of a row's own code and title (every letter's case
// folded, as the limits count). A plain title is counted through the index.
const QString RunningFrom =
    QStringLiteral("(SELECT COUNT(*) FROM Auction Running WHERE Running.ActionId=1 AND Running.ItemId=Auction.ItemId AND ");
const QString RunningColumn =
    QStringLiteral(",CASE WHEN ") + Sql::BeyondAscii(QStringLiteral("Auction.Description")) + QStringLiteral(" THEN ") + RunningFrom +
    Sql::SameText(QStringLiteral("Running.Description"), QStringLiteral("Auction.Description")) + QStringLiteral(") ELSE ") +
    RunningFrom + QStringLiteral("Running.Description=Auction.Description) END AS Running ");
// The newest first; of two started together, the higher number.
const QString NewestFirst = QStringLiteral("DateStart DESC, AuctionId DESC");

qint16 small(const QVariant& v)
{
    return qint16(std::clamp<qint64>(v.toLongLong(), -32768, 32767));
}

QString amountCell(double value)
{
    return value > 0 ? OfferCells::Plain(value) : QStringLiteral("?");
}
}  // namespace

RelistQueue::RelistQueue()
{
    m_limits.AddExclusion = [this](const QString& ItemId, const QString& Description, const QString& Reason) {
        AddExclusion(ItemId, Description, Reason);
    };
    Reset();
}

QStringList RelistQueue::Headers()
{
    return {QStringLiteral("Auction #"), QStringLiteral("Item"),         QStringLiteral("Title"),
            QStringLiteral("Currrent listings"), QStringLiteral("Action"),   QStringLiteral("Start price"),
            QStringLiteral("Reserve"),   QStringLiteral("Buy Now"),      QStringLiteral("Top bid"),
            QStringLiteral("Duration"),  QStringLiteral("Days"),         QStringLiteral("End time"),
            QStringLiteral("Extra features")};
}

void RelistQueue::Reset()
{
    mRelistQueue = {RelistRecord()};
    rstExclusions.clear();
}

void RelistQueue::Build()
{
    Reset();
    if (!mRemoteAuctionId.isEmpty()) {
        AddSelectedAuction();
        return;
    }
    AddStockedItems();
    AddUnstockedRelists();
}

RelistRecord RelistQueue::FromRow(const Recordset& rs)
{
    // A Null in a value the site always gives reads as nothing: 0, not fixed
    // only when stored so.
    RelistRecord r;
    r.AuctionId = rs.text(QStringLiteral("AuctionId"));
    r.ItemId = rs.text(QStringLiteral("ItemId"));
    r.Title = rs.text(QStringLiteral("Description"));
    r.StartPrice = rs.value(QStringLiteral("StartPrice")).toDouble();
    r.ReservePrice = rs.value(QStringLiteral("ReservePrice")).toDouble();
    const QVariant buyNow = rs.value(QStringLiteral("BuyNowPrice"));
    r.BuyNowPrice = buyNow.isNull() ? QVariant() : QVariant(buyNow.toDouble());
    const QVariant maxBid = rs.value(QStringLiteral("MaxBidAmount"));
    r.MaxBidAmount = maxBid.isNull() ? QString() : OfferCells::Plain(maxBid.toDouble());
    const QVariant fixed = rs.value(QStringLiteral("DurationFixed"));
    r.DurationFixed = fixed.isNull() || fixed.toBool();
    r.DurationDays = small(rs.value(QStringLiteral("DurationDays")));
    // Only the time of day of a scheduled end counts.
    const double time = rs.value(QStringLiteral("DurationTime")).toDouble();
    r.DurationTime = time - vb::Int(time);
    r.ExtraFeatures = RelistOptionRules::ReadExtraFeatures(rs.text(QStringLiteral("ExtraFeatures")));
    r.FixedPriceOffered = rs.value(QStringLiteral("FixedPriceOffered")).toBool();
    r.ActionId = small(rs.value(QStringLiteral("ActionId")));
    if (rs.HasField(QStringLiteral("Running"))) r.CurrentListings = small(rs.value(QStringLiteral("Running")));
    return r;
}

RelistQueue::Template RelistQueue::TemplateFromRow(const Recordset& rs)
{
    return {FromRow(rs), rs.value(QStringLiteral("DateNextAction"))};
}

bool RelistQueue::FindTemplate(const QString& ItemId, const QString& Description, Template* found, bool* exists)
{
    *exists = false;
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(
            QStringLiteral("SELECT ") + CandidateColumns + RunningColumn + CandidateFrom +
                QStringLiteral("WHERE Auction.ItemId=? AND Auction.Description=? ORDER BY ") + NewestFirst + QStringLiteral(" LIMIT 1"),
            {ItemId, Description}, false, true, true, &rs))
        return false;
    if (!rs.isEOF()) {
        *found = TemplateFromRow(rs);
        *exists = true;
    }
    return true;
}

bool RelistQueue::IsCurrent(const Template& t) const
{
    // An auction without a next-action date cannot be told to be recent.
    return !t.DateNextAction.isNull() && vb::Int(vb::now()) - t.DateNextAction.toDouble() <= 45;
}

void RelistQueue::NoTemplateMessage(const ListingLimits::StockedItem& item) const
{
    MsgBox(QStringLiteral("Cannot relist item: ") + item.ItemId + QStringLiteral(" - ") + item.Description + CrLf + CrLf +
               QStringLiteral("Could not find a current auction to use!  If this item (with this title) has never been listed "
                              "before then you will need to manually list it on TradeMe first."),
           vbmsg::Critical, ProgramContext::current().gAppTitle);
}

void RelistQueue::AddRelistRecord(const RelistRecord& source, const QString& RelistAction, qint16 RelistIndex)
{
    RelistRecord r = source;
    r.Checked = false;
    r.RelistAction = RelistAction;
    r.RelistIndex = RelistIndex;
    mRelistQueue.append(r);
    ApplyRelistOptions(count());
}

void RelistQueue::queueCopies(const Template& t, int Count)
{
    RelistRecord source = t.record;
    source.CurrentListings = m_limits.mCurrentListings;
    for (int k = Count; k >= 1; --k) AddRelistRecord(source, QStringLiteral("Sell similar"), qint16(k));
}

bool RelistQueue::AddSellSimilar(const ListingLimits::StockedItem& item, int Count, qint16* DurationDays)
{
    Template t;
    bool exists = false;
    if (m_templates) {
        const auto it = m_templates->constFind(item.ItemId);
        exists = it != m_templates->constEnd();
        if (exists) t = *it;
    } else if (!FindTemplate(item.ItemId, item.Description, &t, &exists)) {
        return false;
    }
    if (!exists || !IsCurrent(t)) {
        NoTemplateMessage(item);
        return false;
    }
    if (DurationDays) *DurationDays = t.record.DurationDays;
    queueCopies(t, Count);
    return true;
}

void RelistQueue::AddStockedItems()
{
    clsDatabase& db = *ProgramContext::current().gDatabase;
    Recordset items;
    if (!db.OpenDB(QStringLiteral("SELECT * FROM Item WHERE Stocked<>0"), false, true, true, &items)) return;

    // The newest auction of each stocked item's own title, and the counts of
    // all of them, each in one statement.
    QHash<QString, Template> templates;
    Recordset rs;
    // Keyed by the item's own code: its sales may spell the code in another case.
    if (!db.OpenDB(QStringLiteral("SELECT * FROM (SELECT ") + CandidateColumns +
                       QStringLiteral(",Item.ItemId AS ItemKey,ROW_NUMBER() OVER (PARTITION BY Item.ItemId ORDER BY ") + NewestFirst +
                       QStringLiteral(") AS Newest ") + CandidateFrom +
                       QStringLiteral("WHERE Item.Stocked<>0 AND Auction.Description = Item.Description) WHERE Newest=1"),
                   false, true, true, &rs))
        return;
    for (; !rs.isEOF(); rs.MoveNext()) templates.insert(rs.text(QStringLiteral("ItemKey")), TemplateFromRow(rs));
    rs.Close();
    QHash<QString, ListingLimits::Counts> counts;
    if (!ListingLimits::LoadCounts(&counts)) return;

    m_templates = &templates;
    for (; !items.isEOF(); items.MoveNext()) {
        const ListingLimits::StockedItem item = ListingLimits::StockedItem::FromRecord(items);
        qint16 days = 0;
        if (!AddSellSimilar(item, 0, &days)) continue;
        if (!m_limits.CountCurrentListings(item, days, counts.value(item.ItemId))) continue;
        const qint16 n = m_limits.CheckListingLimits(item);
        if (n > 0) AddSellSimilar(item, n, nullptr);
    }
    m_templates = nullptr;
}

void RelistQueue::AddUnstockedRelists()
{
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(
            QStringLiteral("SELECT ") + CandidateColumns + RunningColumn + CandidateFrom +
                QStringLiteral("WHERE ActionId=16 AND COALESCE(Item.Stocked,0)=0 AND DateNextAction<=?"),
            {vb::Int(vb::now())}, false, true, true, &rs))
        return;
    for (; !rs.isEOF(); rs.MoveNext()) AddRelistRecord(FromRow(rs), QStringLiteral("Relist"), 1);
}

void RelistQueue::AddSelectedAuction()
{
    clsDatabase& db = *ProgramContext::current().gDatabase;
    const QString selectedSql = QStringLiteral("SELECT ") + CandidateColumns + RunningColumn + CandidateFrom +
                                QStringLiteral("WHERE AuctionId=?");
    Recordset rs;
    if (!db.OpenDB(selectedSql, {mRemoteAuctionId}, false, true, true, &rs) || rs.isEOF()) return;
    const RelistRecord selected = FromRow(rs);
    if (!rs.value(QStringLiteral("Stocked")).toBool()) {
        AddRelistRecord(selected, selected.ActionId == 16 ? QStringLiteral("Relist") : QStringLiteral("Sell similar"), 1);
        return;
    }

    Template newest;
    bool exists = false;
    if (FindTemplate(selected.ItemId, selected.Title, &newest, &exists) && exists &&
        newest.record.AuctionId != mRemoteAuctionId &&
        MsgBox(QStringLiteral("The auction you have selected is not the most recently added auction.  If you made changes "
                              "after this auction was listed then they will not be included.") +
                   CrLf + CrLf + QStringLiteral("Do you want to use the most recent auction as a template?"),
               vbmsg::YesNo | vbmsg::Question, ProgramContext::current().gAppTitle) == vbmsg::Yes) {
        AddRelistRecord(newest.record, QStringLiteral("Sell similar"), 1);
        return;
    }
    // The selected auction as it is stored now (the question may have taken a while).
    Recordset again;
    if (db.OpenDB(selectedSql, {mRemoteAuctionId}, false, true, true, &again) && !again.isEOF())
        AddRelistRecord(FromRow(again), QStringLiteral("Sell similar"), 1);
}

void RelistQueue::AddExclusion(const QString& ItemId, const QString& Description, const QString& Reason)
{
    if (m_limits.IsForced(ItemId)) return;
    rstExclusions.append({ItemId, Description, m_limits.mCurrentListings, Reason});
}

void RelistQueue::ApplyRelistOptions(int Index)
{
    RelistRecord& r = mRelistQueue[Index];
    const clsRelistOption* o = mRelistOptionList.Latest(r.AuctionId, r.RelistIndex);
    if (!o) return;
    mOptionsEdited = true;
    r.Title = o->Title;
    r.StartPrice = o->StartPrice;
    r.ReservePrice = o->ReservePrice;
    r.BuyNowPrice = o->BuyNowPrice;
    r.DurationFixed = o->DurationFixed;
    r.DurationDays = o->DurationDays;
    r.DurationTime = o->DurationTime;
    r.ExtraFeatures = o->ExtraFeatures;
}

RelistQueue::Row RelistQueue::FillRow(int Index, double now)
{
    RelistRecord& r = mRelistQueue[Index];
    Row row;
    if (RelistOptionRules::TenDayCut(r.DurationFixed, r.DurationDays, r.DurationTime, now)) {
        r.DurationDays = 9;
        if (mTenDayNotice == 0) mTenDayNotice = 1;
        row.red = true;
    }
    if (r.RelistAction == QLatin1String("Relist") && !r.FixedPriceOffered) {
        if (mNoOfferNotice == 0) mNoOfferNotice = 1;
        row.red = true;
    }

    QString buyNow = QStringLiteral("?");
    if (!r.BuyNowPrice.isNull()) buyNow = r.BuyNowPrice.toDouble() == 0 ? QStringLiteral("-") : OfferCells::Plain(r.BuyNowPrice.toDouble());
    const double today = vb::Int(now);
    QString endTime;
    if (!r.DurationFixed)
        endTime = vb::formatDate(today + r.DurationDays + r.DurationTime, QStringLiteral("ddd d mmm h:mm ampm"));
    else if (r.DurationDays > 0)
        endTime = vb::formatDate(today + r.DurationDays, QStringLiteral("ddd d mmm"));
    QString features = r.ExtraFeatures.mid(1);
    if (r.ExtraFeatures.size() < 2) features = r.ExtraFeatures == QLatin1String(",") ? QStringLiteral("None") : QStringLiteral("?");

    row.texts = {r.AuctionId,
                 r.ItemId,
                 r.Title,
                 QString::number(r.CurrentListings),
                 r.RelistAction,
                 amountCell(r.StartPrice),
                 amountCell(r.ReservePrice),
                 buyNow,
                 vb::Val(r.MaxBidAmount) > 0 ? r.MaxBidAmount : QString(),
                 r.DurationFixed ? QStringLiteral("Fixed") : QStringLiteral("Scheduled"),
                 r.DurationDays > 0 ? QString::number(r.DurationDays) : QStringLiteral("?"),
                 endTime,
                 features};
    if (mUnknownNotice == 0 && row.texts.contains(QStringLiteral("?"))) mUnknownNotice = 1;
    return row;
}

QString RelistQueue::TickKey(const RelistRecord& r)
{
    return QLatin1Char('[') + r.AuctionId + QLatin1Char('/') + QString::number(r.RelistIndex) + QLatin1Char(']');
}
