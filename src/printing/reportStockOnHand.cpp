#include "reportStockOnHand.h"

#include "platform/AppSettings.h"
#include "platform/Vb.h"

namespace {
bool readLowStockOnly()
{
    const QString value = AppSettings::GetSetting(QStringLiteral("Settings\\reportStockOnHand"), QStringLiteral("LowStockOnly"),
                                                  QStringLiteral("False"));
    return value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}
}  // namespace

reportStockOnHand::reportStockOnHand(QWidget* parent)
    : ReportPreview(QStringLiteral("reportStockOnHand"), StockOnHandReport::Title(readLowStockOnly()), parent), m_lowOnly(readLowStockOnly())
{
    // A failed query has been reported: the report shows its headings alone.
    StockOnHandReport::Read(m_lowOnly, &m_rows);
    setReport(StockOnHandReport::Build(m_rows, m_lowOnly, vb::today()));
}
