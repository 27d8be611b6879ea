#include "OfferCells.h"

#include "platform/AmountText.h"
#include "platform/Vb.h"

#include <QLocale>

#include <limits>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

QString OfferCells::Money(double value) { return vb::formatNumber(value, QStringLiteral("$0.00")); }

QString OfferCells::Plain(double value)
{
    // The shortest text that reads back as the same number, never in exponent form.
    QString text = QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

double OfferCells::ReadPrice(const QString& cell) { return AmountText::parse(cell); }

int OfferCells::ReadDays(const QString& cell)
{
    const double days = vb::roundHalfEven(vb::Val(cell));
    // A cell the program did not write could hold any number; a day count is small.
    return int(qBound<double>(std::numeric_limits<qint16>::min(), days, std::numeric_limits<qint16>::max()));
}

QString OfferCells::InfoText(const QString& soldCell, const QString& topBidCell, const QString& reserveCell)
{
    QString info;
    if (soldCell == QLatin1String("Sold"))
        info = QStringLiteral("This item SOLD for ") + topBidCell + CrLf;
    else if (topBidCell == QLatin1String("No bids"))
        info = QStringLiteral("This item did not sell, no bids were placed") + CrLf;
    else
        info = QStringLiteral("This item did not sell, the top bid was ") + topBidCell + CrLf;
    if (!reserveCell.isEmpty()) info += QStringLiteral("Reserve was ") + reserveCell + CrLf;
    return info + CrLf + QStringLiteral("Enter your fixed price offer for this auction");
}
