#include "AddressLabels.h"

#include "platform/Vb.h"

#include <QtGlobal>

#include <cmath>

bool AddressLabels::HasAddress(const QString& deliveryAddress)
{
    for (QChar c : deliveryAddress)
        if (c != u' ') return true;
    return false;
}

QString AddressLabels::LabelText(const QString& deliveryAddress)
{
    return HasAddress(deliveryAddress) ? deliveryAddress : NoAddressText();
}

int AddressLabels::SameAddressAs(const QStringList& labels, int row)
{
    for (int i = 0; i < row && i < labels.size(); ++i)
        if (labels.at(i) == labels.value(row)) return i;
    return -1;
}

double AddressLabels::Number(const QString& text)
{
    bool found = false;
    const double value = vb::Val(text, &found);
    return found && std::isfinite(value) ? value : 0;
}

QString AddressLabels::StartText(const QString& text, int perSheet)
{
    const double start = Number(text);
    if (start < 1) return QStringLiteral("1");
    if (start > perSheet) return QString::number(qMax(1, perSheet));
    return text;
}

int AddressLabels::SheetsRequired(int count, double start, int perSheet)
{
    if (perSheet < 1) perSheet = 1;
    return int(std::ceil((count + start - 1) / perSheet));
}

QString AddressLabels::Caption(int count, double start, int perSheet)
{
    const QString base = QStringLiteral("Address labels");
    if (count == 0) return base;
    return base + QStringLiteral(" - ") + QString::number(count) + QStringLiteral(" labels to print (") +
           QString::number(SheetsRequired(count, start, perSheet)) + QStringLiteral(" label sheets required)");
}

LabelRows AddressLabels::Rows(const QStringList& labels, double start, int across, int* printed)
{
    across = qBound(1, across, labelrows::Fields);
    LabelRows rows;
    // Positions before the start are used: whole rows of them stay empty.
    int skip = qMax(0, int(vb::roundHalfEven(start - 1)));
    while (skip >= across) {
        rows << labelrows::EmptyRow();
        skip -= across;
    }
    int count = 0;
    const int n = int(labels.size());
    for (int i = 1 - skip; i <= n; i += across) {
        QStringList row = labelrows::EmptyRow();
        for (int c = 1; c <= across; ++c) {
            const int label = i + c - 1;
            if (label >= 1 && label <= n) {
                row[c - 1] = labels.at(label - 1);
                ++count;
            }
        }
        rows << row;
    }
    if (printed) *printed = count;
    return rows;
}

int AddressLabels::NextStart(double start, int printed, int perSheet)
{
    if (perSheet < 1) perSheet = 1;
    const qint64 used = qMax<qint64>(0, qint64(vb::roundHalfEven(start - 1 + printed)));
    return int(used % perSheet) + 1;
}
