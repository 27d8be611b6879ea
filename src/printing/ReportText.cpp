#include "ReportText.h"

#include "platform/Vb.h"

namespace ReportText {

ReportItem Item(const QString& text, const QString& field, int left, int top, int width, int height, double points, bool bold,
                Qt::Alignment alignment)
{
    ReportItem item;
    item.kind = field.isEmpty() ? ReportItem::Label : ReportItem::Field;
    item.text = text;
    item.field = field;
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = height;
    item.fontName = QStringLiteral("Arial");
    item.fontSize = points;
    item.bold = bold;
    item.alignment = alignment;
    return item;
}

ReportItem Rule(int left, int top, int width)
{
    ReportItem item;
    item.kind = ReportItem::Rule;
    item.left = left;
    item.top = top;
    item.width = width;
    return item;
}

QString DateText(double today) { return vb::formatDate(vb::Int(today), QStringLiteral("d mmm yyyy")); }

}  // namespace ReportText
