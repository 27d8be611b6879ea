#pragma once
// The label report "Print Address Labels": one row of labels per row of its
// data source, laid out from the label layout the settings row holds at its
// creation. A layout that cannot be read has been reported and the report
// does not show (exec returns at once).

#include "LabelReportLayout.h"
#include "LabelRows.h"
#include "platform/printing/ReportPreview.h"

class reportLabels : public ReportPreview {
    Q_OBJECT
    // The label rows (a LabelRows); set by the opener before it shows the report.
    Q_PROPERTY(QVariant DataSource READ dataSource WRITE setDataSource)
public:
    explicit reportLabels(QWidget* parent = nullptr);

    QVariant dataSource() const { return QVariant::fromValue(m_rows); }
    void setDataSource(const QVariant& rows);
    bool layoutRead() const { return m_read; }
    const LabelReportLayout& labelLayout() const { return m_layout; }

    int exec() override;

private:
    bool m_read = false;
    LabelReportLayout m_layout;
    LabelRows m_rows;
};
