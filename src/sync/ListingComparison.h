#pragma once
// Compares downloaded listings with the sales in the database and sets the
// rows' work fields: new or ended listings to write (UpdateAuction), changed
// values (the "[~k~]" markers of the review lists' columns), a delivery
// address the sale lacks (UpdateAddress), an offer made (FixedPriceOffered)
// and listings that ended before the database's system start. Reads only.

#include <QString>
#include <QVariantList>

class Recordset;

class ListingComparison {
public:
    // Sets BeforeSystemStart on every row whose DateField lies before
    // dateSystemStart; true when any row was marked. A row whose date is
    // missing is left alone (the save reports it).
    static bool MarkBeforeSystemStart(Recordset& rs, const QString& DateField, double dateSystemStart);

    // Compares every row of rs (a set of listType) with its sale. changedTab
    // takes the list type of a row that must be written (Sold wins).
    static void CompareWithDatabase(Recordset& rs, int listType, int* changedTab, double today);

    // The change marker of a review-list column: "[~k~]".
    static QString Marker(int column);

    // The condition finding the sale of a sold listing: its own number, or the
    // number with one letter added (a listing sold more than once), bought by
    // the buyer. Binds: the listing number, then the buyer.
    static QString SoldSaleCondition();
    static QVariantList SoldSaleBinds(const QString& ListingId, const QString& BuyerName);
};
