// The seller's unsold pages as the site sends them: any page text, closed-date
// text and page address reads without a crash, and what is read holds together.
// Fields: the page text, a closed-date text, an address (for its page number).
#include "FuzzInput.h"
#include "platform/browser/WebBrowser.h"
#include "platform/db/Recordset.h"
#include "sync/ListingRecordsets.h"
#include "sync/UnsoldPageReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QString> in = fuzz::fields(data, size, 3);
    const QDate today(2027, 1, 5);

    // The page as the browser gives it (CRLF line ends).
    auto rs = ListingRecordsets::Create(ListingRecordsets::Unsold);
    QSet<QString> seen;
    const auto r = UnsoldPageReader::ParseUnsoldPage(WebBrowser::normaliseText(in[0]), *rs, 45, today, &seen);
    if (r.added != rs->RecordCount() || r.added + r.repeated != r.listings || r.added > seen.size()) std::abort();
    if (r.outcome == UnsoldPageReader::PageResult::Failed && r.error.isEmpty()) std::abort();
    for (const QVariantList& row : rs->rows()) {
        for (const char* field : {"listing_id", "title", "no_bids", "offer_price", "offer_expired", "relisted"})
            if (row[rs->FieldIndex(QLatin1String(field))].isNull()) std::abort();
        if (row[rs->FieldIndex(QStringLiteral("listing_id"))].toString().isEmpty()) std::abort();
    }
    // The same page again adds nothing.
    const auto again = UnsoldPageReader::ParseUnsoldPage(WebBrowser::normaliseText(in[0]), *rs, 45, today, &seen);
    if (again.added != 0) std::abort();

    QDateTime closed;
    if (UnsoldPageReader::ParseClosedDate(in[1], today, closed) && !closed.isValid()) std::abort();

    QString between;
    qsizetype at = -1;
    if (UnsoldPageReader::GetTextBetween(between, at, in[0], in[1].size(), in[1], in[2], -1, 1) &&
        (at < 0 || at > in[0].size() || between.size() > in[0].size()))
        std::abort();

    if (UnsoldPageReader::PageNumber(in[2]) < 1) std::abort();
    return 0;
}
