#pragma once
// Building blocks the stock reports share: a text item of a band and the
// report's date text.

#include "platform/printing/ReportItem.h"

namespace ReportText {
// A fixed text or a field (field != "") in Arial.
ReportItem Item(const QString& text, const QString& field, int left, int top, int width, int height, double points, bool bold,
                Qt::Alignment alignment = Qt::AlignLeft);
ReportItem Rule(int left, int top, int width);
// Today as the reports date it: "8 Dec 2026".
QString DateText(double today);
}  // namespace ReportText
