#pragma once
// The write side of the item editor, kept out of the window: the window
// gathers its boxes into an ItemForm, calls these and shows what the result
// says (messages, questions and the main window's refresh are the window's).
//
// A save is one transaction: the Item row and, when the code changes, the
// item's stocked details (ItemDetail) follow it. A delete is one transaction
// too: its sales take the default code "MISC", its details go, and the row
// goes; when any of it fails, nothing has changed.

#include <QString>

#include <array>

// The item editor's boxes, as the user left them.
struct ItemForm {
    QString heldCode;   // the remembered code: where editing began
    QString codeText;   // the code box text
    bool adding = false;  // false: editing
    QString description;  // the title box text
    bool stocked = false;
    bool limit = false;  // chkLimit
    // numValue(0)-(3): the limits; (4) stock on hand; (5) the warning level.
    std::array<QString, 6> numValue;
    // chkEndDay(0): "an end day preference"; (1)-(7): Monday to Sunday.
    std::array<bool, 8> chkEndDay{};
    bool useStock = false;
    bool stockWarning = false;
};

// A row of table Item as stored.
struct ItemRow {
    QString itemId;
    QString description;
    bool stocked = false;
    int maxListings = 0, maxListingsNoBids = 0, maxListingsPerDay = 0, minDaysApart = 0;
    QString endDay = QStringLiteral(",");
    bool useStock = false;
    int stock = 0;
    int stockWarning = 0;
};

struct ItemLoadResult {
    enum Outcome { Found, NotFound, Failed };
    Outcome outcome = Failed;
    ItemRow row;  // Found
};

struct ItemSaveResult {
    enum Outcome { Saved, Refused, Failed };
    Outcome outcome = Failed;
    // Refused: the information message the window shows, staying in its mode.
    // Failed: the error, already reported; the window stays in its mode too.
    QString message;
    ItemRow row;  // Saved: the row as written
};

struct ItemDeleteResult {
    enum Outcome { Deleted, Refused, Failed };
    Outcome outcome = Failed;
    QString message;  // as ItemSaveResult
    int salesMoved = 0;  // Deleted: the sales that now carry "MISC"
};

// A question the window asks: its text and MsgBox style.
struct ItemQuestion {
    QString text;
    int style = 0;
};

class ItemWriter {
public:
    static constexpr int ItemIdLength = 10;
    static inline const QString DefaultItem = QStringLiteral("MISC");
    static inline const QString DefaultItemRefusal = QStringLiteral("This is the default item and cannot be modified or deleted.");
    // The default item, as the database compares codes: a typed "misc" is the
    // same row, and is refused as the stored "MISC" is.
    static bool IsDefaultItem(const QString& code);

    // Items were added, renamed or deleted: the main window reads its item
    // codes and its list afresh.
    static void ItemsChanged();

    // The ItemId a code box text is stored as: 10 characters, trailing blanks removed.
    static QString ItemKey(const QString& codeText);
    // The whole number a number box counts as: the number its text begins
    // with, rounded as the database rounds, 0 for none, kept within 32 bits.
    static int BoxNumber(const QString& text);
    // The row a save writes for these boxes (the stored-value rules applied).
    static ItemRow RowOf(const ItemForm& form);
    // The boxes as loading a row shows them: a limit or warning level that is
    // not above 0 shows empty, and its tick box clear.
    static ItemForm FormOf(const ItemRow& row);
    // The EndDay text of the day boxes, as ",Mon,Fri,": "," alone unless chkEndDay(0).
    static QString EndDayText(const std::array<bool, 8>& chkEndDay);

    // The row of code (the code box text); a failing query is reported.
    static ItemLoadResult Load(const QString& code);

    // Adds (form.adding) or changes the row held by form.heldCode; changing
    // the code renames the item and moves its details along.
    static ItemSaveResult Save(const ItemForm& form);

    // The sales that carry code, for the delete question; -1 (reported) when
    // the query fails.
    static int SalesOf(const QString& code);
    static ItemQuestion DeleteQuestion(const QString& code, const QString& title, int sales);
    // Gives code's sales "MISC", deletes its details and its row.
    static ItemDeleteResult Delete(const QString& code);

    // After a save: the sales with the item's title under another code (a
    // sale without a code is not counted); -1 (reported) when the query fails.
    static int SalesToRecode(const QString& code, const QString& title);
    static ItemQuestion RecodeQuestion(const QString& code, const QString& title, int sales);
    // Gives those sales the item's code, in one statement; the number of sales
    // changed, or -1 (reported) on failure.
    static int RecodeSales(const QString& code, const QString& title);
};
