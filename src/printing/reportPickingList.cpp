#include "reportPickingList.h"

#include "platform/Vb.h"

reportPickingList::reportPickingList(QWidget* parent)
    : ReportPreview(QStringLiteral("reportPickingList"), QStringLiteral("Picking List"), parent)
{
    const double today = vb::today();
    m_built = PickingListReport::Read(today, &m_rows);
    setReport(PickingListReport::Build(m_rows, today));
}

int reportPickingList::exec()
{
    if (!m_built) return QDialog::Rejected;
    return ReportPreview::exec();
}
