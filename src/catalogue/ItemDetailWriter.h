#pragma once
// The stocked item details (table ItemDetail) without a window: one auction
// title of a stocked item with its own limits, end days, stock and default
// duration. The detail dialog gathers its boxes into an ItemDetailForm and
// shows what these return; questions and the main window's refresh are its own.

#include <QString>

#include <array>

// The detail dialog's boxes, as the user left them.
struct ItemDetailForm {
    QString title;  // as typed
    // numValue(0)-(3): the limits; (4) stock on hand; (5) the warning level.
    std::array<QString, 6> numValue;
    // chkEndDay(0): "an end day preference"; (1)-(7): Monday to Sunday.
    std::array<bool, 8> chkEndDay{};
    bool useStock = false;
    bool stockWarning = false;
    bool fixed = true;     // optDuration(0) "Fixed length"
    int daysEntry = 6;     // position in the days list, -1 for none
    double endTime = 0;    // the chosen end time of day (a fraction of a day)
};

// A row of table ItemDetail as stored.
struct ItemDetailRow {
    qint64 autoId = 0;  // 0: not stored yet
    QString itemId;
    QString title;
    QString endDay = QStringLiteral(",");
    int maxListings = 0, maxListingsNoBids = 0, maxListingsPerDay = 0, minDaysApart = 0;
    bool useStock = false;
    int stock = 0;
    int stockWarning = 0;
    bool durationFixed = true;
    int durationDays = 7;
    double durationTime = 0;
};

struct ItemDetailLoadResult {
    enum Outcome { Found, NotFound, Failed };
    Outcome outcome = Failed;
    ItemDetailRow row;
};

struct ItemDetailSaveResult {
    enum Outcome { Saved, NotFound, Failed };
    Outcome outcome = Failed;
    qint64 autoId = 0;  // Saved: the row written (a new row's new AutoId)
};

class ItemDetailWriter {
public:
    // The days list: "1 day" to "7 days", "10 days (fee charged)".
    static const QStringList& DaysEntries();
    // DurationDays of a days entry (0 for none), and the entry that shows a
    // stored DurationDays: a length the list does not offer shows as 7 days.
    static int DaysOfEntry(int entry);
    static int EntryOfDays(int days);

    // The row a save writes for these boxes.
    static ItemDetailRow RowOf(const ItemDetailForm& form, const QString& itemId);
    // The boxes as loading a row shows them: limits, stock and warning level
    // that are not above 0 show empty.
    static ItemDetailForm FormOf(const ItemDetailRow& row);

    // Why a detail cannot be saved, "" when it can: the checks of Save in
    // their order. A failing look-up is reported and its check skipped.
    static QString Check(const ItemDetailForm& form, qint64 autoId, const QString& itemId);

    static ItemDetailLoadResult Load(qint64 autoId);
    // Adds the row (autoId 0) or changes it, in one transaction; a row that
    // has gone is NotFound, never added again. Failures are reported.
    static ItemDetailSaveResult Save(const ItemDetailRow& row);
    // Deletes one detail of the item: 1, or 0 when the item has no such
    // detail, or -1 when the statement failed (reported).
    static int Delete(qint64 autoId, const QString& itemId);
};
