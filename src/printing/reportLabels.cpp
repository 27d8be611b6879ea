#include "reportLabels.h"

#include "core/ProgramContext.h"
#include "platform/MessageService.h"

reportLabels::reportLabels(QWidget* parent) : ReportPreview(QStringLiteral("reportLabels"), QStringLiteral("Print Address Labels"), parent)
{
    LabelLayout layout;
    m_read = LabelLayout::Read(&layout);
    if (!m_read) return;
    m_layout = LabelReportLayout::Lay(layout);
    if (m_layout.tooWide) MsgBox(LabelReportLayout::TooWideMessage(), vbmsg::Critical, ProgramContext::current().gAppTitle);
    setReport(m_layout.Report(m_rows));
}

void reportLabels::setDataSource(const QVariant& rows)
{
    m_rows = rows.value<LabelRows>();
    if (m_read) setReport(m_layout.Report(m_rows));
}

int reportLabels::exec()
{
    // The database has said why the layout could not be read.
    if (!m_read) return QDialog::Rejected;
    return ReportPreview::exec();
}
