#pragma once
// The three in-memory listing record sets of one synchronisation run: what the
// site says about the seller's current, sold and unsold listings, before
// anything is written to the database. Nine work fields come first (the
// comparison and the save set them), then the site's own columns under the
// export's exact names.

#include "platform/db/Recordset.h"

#include <QVector>

#include <memory>

class ListingRecordsets {
public:
    // The list type: also the index of the record set, the review list and its tab.
    enum ListType { Current = 0, Sold = 1, Unsold = 2 };
    // Dates are held as OLE serial days (Double), like every date of the program.
    enum class Kind { Text, Boolean, Integer, Double, Date };
    struct FieldDef {
        QString name;
        Kind kind;
        int size;  // text columns: the site's width (informative: longer text is kept whole)
    };

    // ItemId, UseStock, Stock, StockWarning, BeforeSystemStart, UpdateFields,
    // UpdateAuction, UpdateAddress, FixedPriceOffered.
    static constexpr int mWorkFieldCount = 9;

    // Every field of a list type in order: the work fields, then the site's columns.
    static const QVector<FieldDef>& Fields(int listType);
    // A new, empty, open record set of the list type.
    static std::unique_ptr<Recordset> Create(int listType);
    // The kind of a named field (names compare ignoring case); false when the list has none.
    static bool KindOf(int listType, const QString& name, Kind* kind);
    // "CURRENT", "SOLD", "UNSOLD".
    static QString ListName(int listType);
};
