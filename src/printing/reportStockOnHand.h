#pragma once
// The stock on hand report in its preview window; "Settings\reportStockOnHand"
// LowStockOnly "True" makes it the low stock report. Built once, when created.

#include "StockOnHandReport.h"
#include "platform/printing/ReportPreview.h"

class reportStockOnHand : public ReportPreview {
    Q_OBJECT
public:
    explicit reportStockOnHand(QWidget* parent = nullptr);
    bool lowStockOnly() const { return m_lowOnly; }
    const QList<StockOnHandReport::Row>& rows() const { return m_rows; }

private:
    bool m_lowOnly = false;
    QList<StockOnHandReport::Row> m_rows;
};
