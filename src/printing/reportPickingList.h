#pragma once
// The picking list in its preview window, built once when created. When its
// query fails (reported) the window does not show.

#include "PickingListReport.h"
#include "platform/printing/ReportPreview.h"

class reportPickingList : public ReportPreview {
    Q_OBJECT
public:
    explicit reportPickingList(QWidget* parent = nullptr);
    const QList<PickingListReport::Row>& rows() const { return m_rows; }
    bool built() const { return m_built; }

    int exec() override;

private:
    bool m_built = false;
    QList<PickingListReport::Row> m_rows;
};
