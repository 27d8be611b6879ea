// The site's listing exports: whatever bytes arrive, the reader either reads
// them or refuses them whole with its message, never half; and every text the
// stand-in's writer makes reads back as it was written.
#include "FuzzInput.h"
#include "ListingExport.h"
#include "sync/ExportCsvReader.h"
#include "sync/ListingRecordsets.h"
#include "sync/SiteText.h"
#include "platform/db/Recordset.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QString> f = fuzz::fields(data, size, 3);
    const QByteArray bytes = f[0].toUtf8();
    for (int listType : {ListingRecordsets::Current, ListingRecordsets::Sold}) {
        const auto rs = ListingRecordsets::Create(listType);
        QString error;
        const bool ok = ExportCsvReader::Read(bytes, listType, *rs, &error);
        if (ok != error.isEmpty()) std::abort();
        if (!ok && (rs->RecordCount() != 0 || !error.startsWith(QLatin1String("The TradeMe data file has changed (")))) std::abort();
        for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext())
            if (rs->text(QStringLiteral("listing_id")).trimmed().isEmpty()) std::abort();
    }
    (void)SiteText::GetDollarAmount(f[1]);

    // A title and a shipping text as the site writes them read back whole.
    StandInSite::Listing sold;
    sold.kind = QStringLiteral("sold");
    sold.id = QStringLiteral("2871040201");
    sold.title = f[1];
    sold.shipping = f[2];
    sold.buyerName = f[2];
    sold.buyerAddress = f[1];
    const QByteArray csv = ListingExport::Csv({sold}, true, {});
    const auto rs = ListingRecordsets::Create(ListingRecordsets::Sold);
    if (!ExportCsvReader::Read(csv, ListingRecordsets::Sold, *rs)) std::abort();
    if (rs->RecordCount() != 1 || !rs->MoveFirst()) std::abort();
    if (rs->text(QStringLiteral("title")) != sold.title || rs->text(QStringLiteral("buyer_name")) != sold.buyerName ||
        rs->text(QStringLiteral("buyer_delivery_address")) != ListingExport::DeliveryAddress(sold, {}) ||
        rs->text(QStringLiteral("selected_shipping")) != SiteText::GetDollarAmount(sold.shipping))
        std::abort();
    return 0;
}
