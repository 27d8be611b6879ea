#include "LabelReportLayout.h"

#include "CmToTwips.h"

#include <QtGlobal>

#include <algorithm>
#include <limits>

namespace {
int clampTwips(qint64 twips) { return int(std::clamp<qint64>(twips, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())); }
}  // namespace

LabelReportLayout LabelReportLayout::Lay(const LabelLayout& layout)
{
    LabelReportLayout l;
    l.pageWidth = CmToTwips(printing::PageWidthCm);
    l.topMargin = CmToTwips(layout.LabelTop);
    l.leftMargin = CmToTwips(layout.LabelLeft);
    l.bottomMargin = CmToTwips(layout.LabelBottom);
    l.rightMargin = CmToTwips(layout.LabelRight);
    l.labelHeight = CmToTwips(layout.LabelHeight);
    l.across = layout.Across();
    l.fontSize = layout.LabelFontSize > 0 ? layout.LabelFontSize : 10;
    l.fontName = layout.LabelFont.trimmed().isEmpty() ? QStringLiteral("Arial") : layout.LabelFont;

    qint64 w = CmToTwips(layout.LabelWidth);
    const int n = l.across;
    for (int i = 1; i <= labelrows::Fields; ++i) {
        Field& f = l.fields[size_t(i - 1)];
        f.left = i <= n ? clampTwips((i - 1) * w) : 0;
        if (i == n && n * w + l.leftMargin + l.rightMargin > l.pageWidth) {
            // The last column keeps its place and ends at the right margin.
            w = qint64(l.pageWidth) - l.leftMargin - l.rightMargin - (n - 1) * w;
            if (w < 0) {
                w = 0;
                l.tooWide = true;
            }
        }
        f.width = clampTwips(w);
    }
    l.labelWidth = clampTwips(w);
    return l;
}

BandedReport LabelReportLayout::Report(const LabelRows& rows) const
{
    BandedReport report;
    report.pageWidth = pageWidth;
    report.pageHeight = CmToTwips(printing::PageHeightCm);
    report.topMargin = topMargin;
    report.leftMargin = leftMargin;
    report.bottomMargin = bottomMargin;
    report.rightMargin = rightMargin;
    report.detail.height = labelHeight;
    for (int i = 0; i < labelrows::Fields; ++i) {
        const QString name = QStringLiteral("Address%1").arg(i + 1);
        report.fields << name;
        ReportItem field;
        field.kind = ReportItem::Field;
        field.field = name;
        field.left = fields[size_t(i)].left;
        field.width = fields[size_t(i)].width;
        field.height = labelHeight;
        field.fontName = fontName;
        field.fontSize = fontSize;
        report.detail.items << field;
    }
    for (const QStringList& row : rows) {
        QVariantList values;
        for (int i = 0; i < labelrows::Fields; ++i) values << row.value(i);
        report.rows << values;
    }
    return report;
}

QString LabelReportLayout::TooWideMessage()
{
    return QStringLiteral("The report is too wide to display all information.  Try reducing the left/right margins or label width.");
}
