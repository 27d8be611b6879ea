// Review list benchmark: the Sold list of the synchronisation window filled
// from a download of many sales (its whole-day sort included), then sorted by
// price as a header click asks. Target for 5,000 sales: the fill under
// 1,000 ms and the sort under 500 ms. Each measure is the median of several
// runs, each on a fresh model.
// Usage: bench_reviewlists [SALES]   (default 5000)

#include "BenchSupport.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"
#include "sync/ListingRecordsets.h"
#include "sync/ReviewListModel.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

QTextStream out(stdout);

// A download of sales: many per day, a spread of buyers, prices and shipping,
// some marked for the save.
std::unique_ptr<Recordset> sales(int n)
{
    auto rs = ListingRecordsets::Create(ListingRecordsets::Sold);
    const double first = vb::toOleDate(QDate(2026, 1, 1));
    for (int i = 0; i < n; ++i) {
        rs->AddNew();
        rs->setValue("listing_id", QString::number(4000000 + i));
        rs->setValue("title", QStringLiteral("Listing %1").arg(i));
        rs->setValue("sold_date", first + i * 0.37);
        rs->setValue("buyer_name", QStringLiteral("buyer%1").arg(i % 300));
        rs->setValue("sale_price", 5.0 + i % 97);
        rs->setValue("selected_shipping", QString::number(i % 11));
        rs->setValue("UpdateAuction", i % 3 == 0);
        if (i % 4 == 0) rs->setValue("BeforeSystemStart", false);
        rs->setValue("UpdateFields", i % 5 == 0 ? "[~3~]" : "");
        rs->Update();
    }
    return rs;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 5000;
    const auto rs = sales(n);
    std::vector<double> fills, sorts;
    for (int run = 0; run < 7; ++run) {
        ReviewListModel model(ListingRecordsets::Sold);
        QElapsedTimer t;
        t.start();
        model.Fill(*rs);
        fills.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        model.sort(7, Qt::AscendingOrder);
        sorts.push_back(t.nsecsElapsed() / 1e6);
        if (model.rowCount() != n) {
            out << "the list holds " << model.rowCount() << " rows, not " << n << "\n";
            return 1;
        }
    }
    const double fill = bench::median(fills), sort = bench::median(sorts);
    out << QStringLiteral("%1 sales: fill %2 ms, sort by price %3 ms (target for 5000: fill under 1000 ms, sort under 500 ms: %4)\n")
               .arg(n)
               .arg(fill, 0, 'f', 1)
               .arg(sort, 0, 'f', 1)
               .arg(fill < 1000 && sort < 500 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    return 0;
}
