#pragma once
// The one object (gDatabase) through which the program runs SQL on the open
// database: queries into record sets, the main window's search conditions,
// the defaults of a new sale and an item's listing counts.

#include "clsDataLog.h"
#include "platform/db/SqlCondition.h"

#include <QList>
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
    // OpenDB's critical message, for a statement (or the write of a record
    // set opened from it) that failed.
    static void ReportError(const QString& SQLQuery, const QString& error);

    // The search condition of a main-window search field's tag
    // ("like=Outer,Key,Searched,Select") for the typed text, the keys it names
    // bound; always ends with " AND ". No match, a failing lookup or a bad tag
    // give a condition that matches no sale.
    SqlCondition GetLike(const QString& DataTag, const QString& DataLike);
    static QString MatchNothing();

    // Writes the defaults of a new sale into the current (new) row of rst.
    void InitialiseAuctionTable(Recordset& rst);

    // Running listings, and sold-but-not-shipped sales, of an item under a title.
    int GetCurrentListings(const QString& ItemId, const QString& strTitle);
    int GetSoldNotShippedListings(const QString& ItemId, const QString& strTitle);

    // ---- change log: changes the main list has not shown yet ----
    // Records that a value of a sale was written. An entry pending for the same
    // sale, table and column only takes the new value (unless DeletedRecord).
    // A QDateTime/QDate value is a date. Returns the entry added, or null.
    const clsDataLog* Log(const QString& AuctionId, const QString& TableId, const QString& FieldId, const QVariant& FieldValue,
                          bool FieldTypeString, bool DeletedRecord);
    // Confirms pending entries newest first: each one the database shows is
    // dropped, and each sale with confirmed entries has its list row
    // refreshed once. An entry that cannot be
    // confirmed after MaxLogChecks checks, or whose statement fails, is dropped
    // (and its row refreshed) all the same. True when nothing is pending.
    bool CheckLog();
    void UpdateLog(const QString& OldAuctionId, const QString& NewAuctionId);
    const QList<clsDataLog>& PendingLog() const { return mDataLog; }
    // Puts the pending entries back as they were before a write that was rolled back.
    void RestoreLog(const QList<clsDataLog>& log) { mDataLog = log; }
    static constexpr int MaxLogChecks = 20;

    // ---- renumbering a sale (inside the caller's transaction) ----
    // Moves a sale's History rows to another number. False with the statement
    // that failed and its error.
    static bool MoveHistory(const QString& From, const QString& To, QString* failedSql, QString* error);
    // Renumbers one sale and its History rows; false when no single sale was
    // renumbered or a statement failed.
    static bool RenameAuction(const QString& From, const QString& To, QString* failedSql, QString* error);

    // ---- history and undo ----
    // Adds one History row (nothing when HistDesc is empty); with UpdateLog the
    // change log follows it. False when the row could not be written.
    bool UpdateHistory(const QString& AuctionId, double HistDate, const QString& HistDesc, const QString& HistChanged,
                       bool UpdateLog);
    // Puts the newest undoable History row of a sale ("" = of all sales) into
    // the undo selection; "Nothing to undo!" and false when there is none.
    bool GetHistory(const QString& AuctionId);
    // Puts one History row, by its Autonumber, into the undo selection; false
    // (nothing said) when there is no such row of a sale.
    bool SelectHistory(qint64 Autonumber);
    // Undoes the selected row from its recipe and removes it, all in one
    // transaction. False (with a message saying why) when nothing was undone.
    bool PerformUndo();

private:
    bool deleteUndoneHistory();
    // The undo selection from a History row joined with its sale's description.
    static void takeUndoSelection(const Recordset& rs);
    int countListings(const QString& actionCondition, const QString& ItemId, const QString& strTitle);

    QList<clsDataLog> mDataLog;  // oldest first
};
