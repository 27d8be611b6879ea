#include "LabelSetupRules.h"

#include "CmToTwips.h"
#include "platform/Vb.h"

#include <QRegularExpression>

#include <cmath>

namespace {
const QString CrLf = QStringLiteral("\r\n");

// The decimal number a text starts with (sign, digits, point, exponent); 0
// when it starts with none or the number is too large to hold.
double leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch()) return 0;
    const double value = m.captured(0).toDouble();
    return std::isfinite(value) ? value : 0;
}

QString countText(int index, double value)
{
    double whole = std::floor(value);
    if (whole < 1) whole = 1;
    const int max = LabelSetupRules::CountMax(index);
    if (whole > max) whole = max;
    return QString::number(int(whole));
}
}  // namespace

int LabelSetupRules::CountMax(int index)
{
    switch (index) {
    case Across: return 4;
    case Down: return 15;
    case FontSize: return 72;
    default: return 0;
    }
}

double LabelSetupRules::ParseMeasure(const QString& text)
{
    QString t;
    for (QChar c : text)
        if (!c.isSpace()) t += c.toLower();
    if (t.endsWith(QLatin1String("mm"))) return leadingNumber(t.chopped(2)) / 10;
    if (t.endsWith(QLatin1String("cm"))) return leadingNumber(t.chopped(2));
    return leadingNumber(t);
}

QString LabelSetupRules::MeasureText(double cm) { return vb::formatNumber(cm, QStringLiteral("0.00 cm")); }

QString LabelSetupRules::Validate(int index, const QString& text)
{
    if (IsCount(index)) return countText(index, leadingNumber(text.trimmed()));
    return MeasureText(ParseMeasure(text));
}

QString LabelSetupRules::Spin(int index, const QString& text, int step)
{
    if (step == 0) return text;
    const QString shown = vb::formatNumber(ParseMeasure(text), QStringLiteral("0.00"));
    const double value = shown.toDouble();
    if (IsCount(index)) return countText(index, value + step);
    // Whole tenths step by a tenth, anything finer by a hundredth.
    const double unit = shown.endsWith(u'0') ? 0.1 : 0.01;
    double result = value + step * unit;
    if (result < 0) result = 0;
    return MeasureText(result);
}

qint64 LabelSetupRules::HeightExcess(const QString& top, const QString& bottom, const QString& height, const QString& down)
{
    const qint64 page = CmToTwips(printing::PageHeightCm);
    const qint64 rows = qint64(vb::roundHalfEven(leadingNumber(down.trimmed())));
    const qint64 total = qint64(CmToTwips(ParseMeasure(height))) * rows + CmToTwips(ParseMeasure(top)) + CmToTwips(ParseMeasure(bottom));
    return total - page;
}

QString LabelSetupRules::FitMessage(qint64 excessTwips)
{
    return QStringLiteral("The total height of the report is too long for the page by ") +
           vb::formatNumber(double(excessTwips) / printing::TwipsPerCm, QStringLiteral("0.00 cm.")) + CrLf +
           QStringLiteral("Try reducing the top/bottom margins or reduce the label height slightly.");
}

QString LabelSetupRules::MeasureProblem(int index, double cm)
{
    static const char* const names[] = {"The top margin", "The left margin", "The bottom margin",
                                        "The right margin", "The label width", "The label height"};
    if (index < Top || index > Height) return QString();
    const bool across = index == Left || index == Right || index == Width;
    const double page = across ? printing::PageWidthCm : printing::PageHeightCm;
    const bool label = index == Width || index == Height;
    // Compared in the hundredths a field shows, so 21.0 and 2 x 10.5 are the
    // page's width, whatever the binary fractions make of them. A label may
    // take the whole page (full-width and whole-sheet stock); a margin may not.
    const bool fits = std::isfinite(cm) && std::abs(cm) < 1e9 && [&] {
        const qint64 value = std::llround(cm * 100);
        const qint64 limit = std::llround(page * 100);
        return label ? value > 0 && value <= limit : value >= 0 && value < limit;
    }();
    if (fits) return QString();
    return QString::fromLatin1(names[index]) + (label ? QStringLiteral(" must be more than 0.00 cm") : QStringLiteral(" must be 0.00 cm or more")) +
           (label ? QStringLiteral(" and at most ") : QStringLiteral(" and less than ")) + MeasureText(page) + QStringLiteral(", the ") +
           (across ? QStringLiteral("width") : QStringLiteral("height")) + QStringLiteral(" of the page.");
}

QString LabelSetupRules::TestLabel()
{
    return QStringLiteral("Mr Test Label") + CrLf + QStringLiteral("Flat 987 B, 123 Label Test Street") + CrLf +
           QStringLiteral("Testville North") + CrLf + QStringLiteral("Label Land 0123");
}

QString LabelSetupRules::MarkerText()
{
    return QStringLiteral(
        "This text should be printed in the first label at the top of a new page.  If not, then try adjusting your "
        "top/bottom margins or your label height.");
}

LabelRows LabelSetupRules::TestRows(int across, int down)
{
    across = qBound(0, across, labelrows::Fields);
    LabelRows rows;
    for (int r = 0; r < down; ++r) {
        QStringList row = labelrows::EmptyRow();
        for (int c = 0; c < across; ++c) row[c] = TestLabel();
        rows << row;
    }
    QStringList marker = labelrows::EmptyRow();
    marker[0] = MarkerText();
    rows << marker;
    return rows;
}
