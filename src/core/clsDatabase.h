#pragma once
// The one object (gDatabase) through which the program runs SQL on the open
// database: queries into record sets, the main window's search conditions,
// the defaults of a new sale and an item's listing counts.

#include <QString>
#include <QVariantList>

class Recordset;

class clsDatabase {
public:
    // Opens SQLQuery (with ? values bound in order) into rst, or into the
    // shared gRecordset when rst is null: forward-only or static, read-only or
    // updatable. A statement without rows runs and leaves the record set
    // closed. On an error: with ReportErrors the critical message
    // "An error occurred opening database." with the SQL and the error; false.
    bool OpenDB(const QString& SQLQuery, bool ForwardOnlyNOWHERE, bool ReadOnly, bool ReportErrors, Recordset* rst = nullptr);
    bool OpenDB(const QString& SQLQuery, const QVariantList& binds, bool ForwardOnlyNOWHERE, bool ReadOnly,
                bool ReportErrors, Recordset* rst = nullptr);

    // The search condition of a main-window search field's tag
    // ("like=Outer,Key,Searched,Select") for the typed text; always ends with
    // " AND ". No match, a failing lookup or a bad tag give a condition that
    // matches no sale.
    QString GetLike(const QString& DataTag, const QString& DataLike);
    static QString MatchNothing();

    // Writes the defaults of a new sale into the current (new) row of rst.
    void InitialiseAuctionTable(Recordset& rst);

    // Running listings, and sold-but-not-shipped sales, of an item under a title.
    int GetCurrentListings(const QString& ItemId, const QString& strTitle);
    int GetSoldNotShippedListings(const QString& ItemId, const QString& strTitle);

private:
    int countListings(const QString& actionCondition, const QString& ItemId, const QString& strTitle);
};
