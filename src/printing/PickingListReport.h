#pragma once
// The picking list's rows and layout, free of the window: the sales due to be
// sent by today, counted per run of one item code and listing title in the
// order of code, then title.

#include "platform/printing/BandedReport.h"

#include <QList>
#include <QString>
#include <QVariant>

class PickingListReport {
public:
    struct Row {
        int Qty = 0;
        QVariant ItemId;
        QVariant Description;
    };
    // A sale as the query lists it: item code and title, either may be Null.
    struct Sale {
        QVariant ItemId;
        QVariant Description;
    };

    // The due sales grouped; false when the query failed (its message has been shown).
    static bool Read(double today, QList<Row>* rows);
    // Consecutive sales whose code and title do not differ (exactly, case
    // counting; a Null on either side is no difference) are one row, which
    // shows the values of its last sale.
    static QList<Row> Group(const QList<Sale>& sales);
    static BandedReport Build(const QList<Row>& rows, double today);
};
