#pragma once
// Saves a synchronisation run: merges the three listing sets into the Auction
// and Customer tables with History rows and their undo recipes, moves newly
// sold sales on to their next step, settles listings that ended before the
// system start and stamps DateLastUpdate. Questions are asked before the
// write; everything is written in one transaction; a write not kept leaves
// the change log as it was. A row is cleared of its work flags only once its
// save is kept.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <memory>

class Recordset;

class UpdateSaver {
public:
    using Listings = std::array<std::unique_ptr<Recordset>, 3>;

    explicit UpdateSaver(Listings& listings) : m_listings(listings) {}

    // The merge; false (reported) when nothing was saved. The rows keep their
    // flags then, so the seller can save again.
    bool Save();

    // The History row of each completion the last save wrote (Autonumber by
    // sale id; a listing that ended before the system start): the one that
    // processing the listing undoes.
    const QHash<QString, qint64>& CompletionRows() const { return m_completionRows; }

    // Appends the column's old value to UndoText and sets the new one on the
    // record's current row.
    static void SetAuctionField(Recordset& rs, const QString& FieldName, const QVariant& NewValue, QString& UndoText);
    // The id a new sale of the listing is written under; a sale in progress
    // under the bare number moves to the next free letter (with its History).
    // Runs inside the caller's transaction; "" when a rename failed.
    static QString GetAuctionIdForSale(const QString& ListingId, QString* renamedTo = nullptr);
    // Creates or updates the buyer's row. Address: the new delivery address
    // (CR LF separated); TakeAddress: the seller's answer to the address question.
    static bool UpdateCustomer(const QString& CustomerId, const QString& Email, const QString& Address, bool TakeAddress);
    // Whether the buyer on file has another address than the delivery address
    // (the question is then asked before saving).
    static bool AddressDiffers(const QString& CustomerId, const QString& Address, QString* StoredAddress);
    static QString GetExtraFeatures(const QString& Gallery, const QString& Bold, const QString& Featured,
                                    const QString& HomePage);
    // Item code and stock of every row, looked up by title.
    static void GetItemCodes(Recordset& rs);
    // True when a new sale (not before the system start) leaves its item low on stock.
    static bool LowStock(Recordset& sold);
    static bool SetDateLastUpdate();

private:
    struct Pending;
    bool writeRow(int listType, Recordset& row, Pending& pending);

    Listings& m_listings;
    QHash<QString, qint64> m_completionRows;
};
