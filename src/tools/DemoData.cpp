#include "DemoData.h"

#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"

#include <QRandomGenerator>
#include <QStringList>

#include <sqlite3.h>

#include <array>

namespace {

const std::array<const char*, 12> goods = {"Men's shirt", "Kids' \"Superhero\" cape", "100% wool blanket", "Vintage_radio",
                                           "Rimu coffee table", "Kayak paddle", "Garden gnome", "Board game bundle",
                                           "Espresso machine", "Mountain bike helmet", "Pounamu pendant", "Tramping boots"};
const std::array<const char*, 10> firstNames = {"Aroha", "Sean", "Mere", "James", "Priya", "Liam", "Ngaio", "Chloe", "Wiremu", "Zoe"};
const std::array<const char*, 10> lastNames = {"O'Brien", "Smith", "Ngata", "Jones-Smith", "Patel", "Wilson", "Te Rangi", "McKay", "Brown", "D'Souza"};
const std::array<const char*, 6> towns = {"Auckland", "Wellington", "Christchurch", "Hamilton", "Dunedin", "Nelson"};

// A prepared statement run once per row.
class Insert {
public:
    Insert(Connection& c, const char* sql) : m_db(c.handle()) { sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr); }
    ~Insert() { sqlite3_finalize(m_stmt); }
    bool run(const QVariantList& values)
    {
        if (!m_stmt) return false;
        sqlite3_reset(m_stmt);
        for (int i = 0; i < values.size(); ++i) dbvalue::bind(m_stmt, i + 1, values[i]);
        return sqlite3_step(m_stmt) == SQLITE_DONE;
    }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Where sales stand: most are completed, the rest spread over the chain.
int pickStep(QRandomGenerator& rng)
{
    const int roll = rng.bounded(100);
    if (roll < 55) return 15;
    if (roll < 62) return 1;
    static const std::array<int, 14> others = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16};
    return others[rng.bounded(int(others.size()))];
}

}  // namespace

QString DemoData::itemId(int n) { return QStringLiteral("ITEM%1").arg(n, 3, 10, QLatin1Char('0')); }

QString DemoData::itemTitle(int n)
{
    const QString base = QString::fromUtf8(goods[(n - 1) % goods.size()]);
    return n <= int(goods.size()) ? base : QStringLiteral("%1 #%2").arg(base).arg(n);
}

QString DemoSale::extraFeatures() const { return gallery ? QStringLiteral(",Gallery,") : QStringLiteral(","); }

QList<DemoBuyer> DemoData::Buyers(const DemoDataOptions& options)
{
    const int count = options.buyers > 0 ? options.buyers : std::max(1, options.sales / 3);
    QList<DemoBuyer> buyers;
    buyers.reserve(count);
    for (int b = 1; b <= count; ++b) {
        const QString first = QString::fromUtf8(firstNames[b % firstNames.size()]);
        const QString last = QString::fromUtf8(lastNames[(b / 10) % lastNames.size()]);
        const QString id = QStringLiteral("%1%2").arg(first.toLower()).arg(b);
        const QString lines = QStringLiteral("%1 Main Road\r\n%2").arg(b % 200 + 1).arg(QString::fromUtf8(towns[b % towns.size()]));
        buyers.append({id, first + u' ' + last, id + QStringLiteral("@example.co.nz"), QString::number(3000000 + b), lines});
    }
    return buyers;
}

namespace {

struct DemoItem {
    bool stocked = false;
    bool useStock = false;
    int stock = 0;
};

// The one stream of the data: the items' stock, then the sales, drawn in
// this order from the seed.
QList<DemoSale> generate(const DemoDataOptions& options, QList<DemoItem>* items)
{
    QRandomGenerator rng(options.seed);
    const double today = options.today != 0 ? options.today : vb::today();
    const QList<DemoBuyer> people = DemoData::Buyers(options);
    const int buyers = int(people.size());

    for (int n = 1; n <= options.items; ++n) {
        DemoItem item;
        item.stocked = n % 3 != 0;
        item.useStock = item.stocked && n % 2 == 1;
        item.stock = item.useStock ? rng.bounded(0, 40) : 0;
        if (items) items->append(item);
    }

    QList<DemoSale> sales;
    sales.reserve(options.sales);
    for (int s = 1; s <= options.sales; ++s) {
        DemoSale sale;
        sale.step = pickStep(rng);
        const int n = options.items > 0 ? rng.bounded(options.items + 1) : 0;  // 0 = MISC
        sale.itemId = n == 0 ? QStringLiteral("MISC") : DemoData::itemId(n);
        sale.title = n == 0 ? QStringLiteral("Odds and ends lot %1").arg(s) : DemoData::itemTitle(n);
        // Ended sales ended at least a few days ago: nothing they did lies in the future.
        sale.started = sale.running() ? today - rng.bounded(6) : today - 12 - rng.bounded(720);
        sale.closes = sale.started + 7 + 20.5 / 24;
        const bool sold = sale.sold();
        const int buyer = rng.bounded(buyers) + 1;
        if (sold) sale.buyer = people[buyer - 1].customerId;
        sale.winningBid = sold ? 5 + rng.bounded(40000) / 100.0 : 0;
        sale.paid = sold && (sale.step == 7 || sale.step >= 10);
        sale.sent = sold && sale.step >= 12;
        sale.nextAction = sale.running()      ? vb::Int(sale.closes)
                          : sale.step == 15 ? vb::Int(sale.closes) + 14
                                            : today - 3 + rng.bounded(10);
        sale.auctionId = QString::number(100000000 + s * 7);
        sale.offerType = rng.bounded(20) == 0;
        sale.shipping = sold ? 4.5 + rng.bounded(3) * 2.5 : 0.0;
        if (s % 9 == 0) sale.notes = QStringLiteral("Buyer says: \"leave at the door\" - 50% deposit paid");
        // Sent where the buyer lives, unless the buyer gave no address.
        if (sold && s % 4 != 0) sale.deliveryAddress = people[buyer - 1].addressLines;
        if (sale.sent) sale.trackingNumber = QStringLiteral("NZ%1").arg(s, 8, 10, QLatin1Char('0'));
        sale.nonAuction = s % 25 == 0;
        sale.highlighted = s % 13 == 0;
        sale.gallery = s % 5 == 0;
        // One to three others, spread over the buyers and never the sale's own.
        for (int k = 1; k < buyers && sale.bidders.size() < 1 + s % 3; ++k) {
            const QString other = people[(buyer - 1 + k * 17) % buyers].customerId;
            if (other != people[buyer - 1].customerId && !sale.bidders.contains(other)) sale.bidders << other;
        }
        sales.append(sale);
    }
    return sales;
}

}  // namespace

QList<DemoSale> DemoData::Sales(const DemoDataOptions& options) { return generate(options, nullptr); }

bool DemoData::Fill(Connection& connection, const DemoDataOptions& options, QString* error)
{
    QList<DemoItem> items;
    const QList<DemoSale> sales = generate(options, &items);
    const QList<DemoBuyer> people = Buyers(options);
    auto failed = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };

    Transaction tx(&connection);
    if (!tx.isActive()) return failed(tx.lastError());

    Insert item(connection,
                "INSERT INTO Item (ItemId, Description, Stocked, UseStock, Stock, StockWarning, MaxListings, EndDay) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    for (int n = 1; n <= options.items; ++n) {
        const DemoItem& it = items[n - 1];
        if (!item.run({itemId(n), itemTitle(n), it.stocked, it.useStock, it.stock, it.useStock ? 3 : 0, it.stocked ? 5 : 0,
                       it.stocked ? QStringLiteral(",Sun,") : QStringLiteral(",")}))
            return failed(item.error());
    }

    Insert customer(connection, "INSERT INTO Customer (CustomerId, Name, Email, EmailCC, Address, Comment, DontEmail) "
                                "VALUES (?, ?, ?, ?, ?, ?, 0)");
    for (int b = 1; b <= int(people.size()); ++b) {
        const DemoBuyer& p = people[b - 1];
        const QVariant cc = b % 7 == 0 ? QVariant(QStringLiteral("%1.copy@example.net").arg(p.customerId)) : QVariant();
        if (!customer.run({p.customerId, p.name, p.email, cc, p.name + QStringLiteral("\r\n") + p.addressLines,
                           b % 11 == 0 ? QVariant(QStringLiteral("Prefers \"courier\" delivery")) : QVariant()}))
            return failed(customer.error());
    }

    Insert sale(connection,
                "INSERT INTO Auction (AuctionId, AuctionType, ItemId, Description, dateStart, CustomerId, Winningbid, "
                "Shipping, StartPrice, ReservePrice, MaxBidAmount, PayId, datePaid, dateSent, DateEnded, dateNextAction, "
                "ActionId, Notes, DeliveryAddress, TrackingNumber, NonAuction, Bold, Highlight, FixedPriceOffered, HasBids, "
                "ExtraFeatures, DurationFixed, DurationDays, DurationTime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                "?, ?, ?, ?, ?, ?, 0, ?, ?, ?, 1, 7, 0)");
    Insert history(connection, "INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES (?, ?, ?, ?)");
    const QVariant null;
    for (const DemoSale& s : sales) {
        const bool sold = s.sold();
        const auto optional = [](const QString& text) { return text.isEmpty() ? QVariant() : QVariant(text); };
        // A sale made by fixed price offer is one an offer was made for.
        if (!sale.run({s.auctionId, s.offerType ? QVariant(QStringLiteral("O")) : null, s.itemId, s.title, s.started,
                       optional(s.buyer), s.winningBid, s.shipping, s.startPrice, s.startPrice, s.winningBid,
                       s.paid ? QVariant(QStringLiteral("BANK")) : null, s.paid ? QVariant(s.closes + 2) : null,
                       s.sent ? QVariant(s.closes + 4) : null, s.running() ? null : QVariant(s.closes), s.nextAction, s.step,
                       optional(s.notes), optional(s.deliveryAddress), s.trackingNumber, s.nonAuction, s.highlighted,
                       sold && s.offerType, sold, s.extraFeatures()}))
            return failed(sale.error());

        if (!history.run({s.auctionId, s.started, QStringLiteral("Auction listed"), QStringLiteral("[DELETE]")}))
            return failed(history.error());
        if (!s.running() &&
            !history.run({s.auctionId, s.closes,
                          sold ? QStringLiteral("Auction ended successfully") : QStringLiteral("Auction ended - No bids"),
                          QStringLiteral("ActionId=1,DateNextAction=%1,CustomerId=Null").arg(vb::Int(s.closes))}))
            return failed(history.error());
        if (s.paid && !history.run({s.auctionId, s.closes + 2, QStringLiteral("Payment received"),
                                    QStringLiteral("ActionId=7,DateNextAction=%1").arg(vb::Int(s.closes) + 2)}))
            return failed(history.error());
    }
    if (!tx.Commit()) return failed(tx.lastError());
    return true;
}
