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

QList<DemoBuyer> DemoData::Buyers(const DemoDataOptions& options)
{
    const int count = options.buyers > 0 ? options.buyers : std::max(1, options.sales / 3);
    QList<DemoBuyer> buyers;
    buyers.reserve(count);
    for (int b = 1; b <= count; ++b) {
        const QString first = QString::fromUtf8(firstNames[b % firstNames.size()]);
        const QString last = QString::fromUtf8(lastNames[(b / 10) % lastNames.size()]);
        const QString id = QStringLiteral("%1%2").arg(first.toLower()).arg(b);
        buyers.append({id, first + u' ' + last, id + QStringLiteral("@example.co.nz"), QString::number(3000000 + b)});
    }
    return buyers;
}

bool DemoData::Fill(Connection& connection, const DemoDataOptions& options, QString* error)
{
    QRandomGenerator rng(options.seed);
    const double today = options.today != 0 ? options.today : vb::today();
    const QList<DemoBuyer> people = Buyers(options);
    const int buyers = int(people.size());
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
        const bool stocked = n % 3 != 0;
        const bool useStock = stocked && n % 2 == 1;
        if (!item.run({itemId(n), itemTitle(n), stocked, useStock, useStock ? rng.bounded(0, 40) : 0, useStock ? 3 : 0,
                       stocked ? 5 : 0, stocked ? QStringLiteral(",Sun,") : QStringLiteral(",")}))
            return failed(item.error());
    }

    Insert customer(connection, "INSERT INTO Customer (CustomerId, Name, Email, EmailCC, Address, Comment, DontEmail) "
                                "VALUES (?, ?, ?, ?, ?, ?, 0)");
    for (int b = 1; b <= buyers; ++b) {
        const DemoBuyer& p = people[b - 1];
        const QString address = QStringLiteral("%1\r\n%2 Main Road\r\n%3").arg(p.name).arg(b % 200 + 1).arg(QString::fromUtf8(towns[b % towns.size()]));
        const QVariant cc = b % 7 == 0 ? QVariant(QStringLiteral("%1.copy@example.net").arg(p.customerId)) : QVariant();
        if (!customer.run({p.customerId, p.name, p.email, cc, address,
                           b % 11 == 0 ? QVariant(QStringLiteral("Prefers \"courier\" delivery")) : QVariant()}))
            return failed(customer.error());
    }

    Insert sale(connection,
                "INSERT INTO Auction (AuctionId, AuctionType, ItemId, Description, dateStart, CustomerId, Winningbid, "
                "Shipping, StartPrice, ReservePrice, MaxBidAmount, PayId, datePaid, dateSent, DateEnded, dateNextAction, "
                "ActionId, Notes, DeliveryAddress, TrackingNumber, NonAuction, Bold, Highlight, FixedPriceOffered, HasBids, "
                "DurationFixed, DurationDays, DurationTime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                "?, 0, ?, ?, ?, 1, 7, 0)");
    Insert history(connection, "INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES (?, ?, ?, ?)");
    const QVariant null;
    for (int s = 1; s <= options.sales; ++s) {
        const int step = pickStep(rng);
        const bool running = step == 1;
        const bool unsold = step == 16;
        const int n = options.items > 0 ? rng.bounded(options.items + 1) : 0;  // 0 = MISC
        const QString itemCode = n == 0 ? QStringLiteral("MISC") : itemId(n);
        const QString title = n == 0 ? QStringLiteral("Odds and ends lot %1").arg(s) : itemTitle(n);
        // Ended sales ended at least a few days ago: nothing they did lies in the future.
        const double start = running ? today - rng.bounded(6) : today - 12 - rng.bounded(720);
        const double ended = start + 7 + 20.5 / 24;
        const bool sold = !running && !unsold;
        const int buyer = rng.bounded(buyers) + 1;
        const QString buyerId = people[buyer - 1].customerId;
        const double bid = sold ? 5 + rng.bounded(40000) / 100.0 : 0;
        const bool paid = sold && (step == 7 || step >= 10);
        const bool sent = sold && (step >= 12 && step != 16);
        const double next = running ? vb::Int(ended) : step == 15 ? vb::Int(ended) + 14 : today - 3 + rng.bounded(10);
        const QString auctionId = QString::number(100000000 + s * 7);
        if (!sale.run({auctionId, rng.bounded(20) == 0 ? QVariant(QStringLiteral("O")) : null, itemCode, title, start,
                       sold ? QVariant(buyerId) : null, bid, sold ? 4.5 + rng.bounded(3) * 2.5 : 0.0, 1.0, running ? bid : 0.0,
                       paid ? QVariant(QStringLiteral("BANK")) : null, paid ? QVariant(ended + 2) : null,
                       sent ? QVariant(ended + 4) : null, running ? null : QVariant(ended), next, step,
                       s % 9 == 0 ? QVariant(QStringLiteral("Buyer says: \"leave at the door\" - 50% deposit paid")) : null,
                       sold && s % 4 != 0 ? QVariant(QStringLiteral("%1 Main Road\r\n%2").arg(s % 300 + 1).arg(QString::fromUtf8(towns[s % towns.size()]))) : null,
                       sent ? QVariant(QStringLiteral("NZ%1").arg(s, 8, 10, QLatin1Char('0'))) : QVariant(QString()),
                       s % 25 == 0, s % 13 == 0, false, sold}))
            return failed(sale.error());

        if (!history.run({auctionId, start, QStringLiteral("Auction listed"), QStringLiteral("[DELETE]")})) return failed(history.error());
        if (!running &&
            !history.run({auctionId, ended, sold ? QStringLiteral("Auction ended successfully") : QStringLiteral("Auction ended - No bids"),
                          QStringLiteral("ActionId=1,DateNextAction=%1,CustomerId=Null").arg(vb::Int(ended))}))
            return failed(history.error());
        if (paid && !history.run({auctionId, ended + 2, QStringLiteral("Payment received"),
                                  QStringLiteral("ActionId=7,DateNextAction=%1").arg(vb::Int(ended) + 2)}))
            return failed(history.error());
    }
    if (!tx.Commit()) return failed(tx.lastError());
    return true;
}
