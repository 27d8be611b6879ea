#pragma once
// The rows of the main auction list: sales with their buyer's e-mail, kept
// in memory and found again by auction number. The view shows them; the
// list never holds a widget per row.

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QString>
#include <QVariantList>
#include <QVector>

#include <vector>

class Connection;

struct AuctionRow {
    QString DateSortingIndex;  // the date as a ten-digit day number
    QString AuctionId;
    QString AuctionType;
    QString ItemId;
    QString Description;
    QString CustomerId;
    QString Email;
    QString ActionDate;        // DateNextAction as text, "" when Null
    QString NextAction;        // the description of the current task
    int ActionId = 0;
    bool Highlight = false;
};
Q_DECLARE_TYPEINFO(AuctionRow, Q_RELOCATABLE_TYPE);  // rows move as bytes when one goes

class AuctionListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColDateSortingIndex, ColAuction, ColItem, ColTitle, ColBuyer, ColEmail, ColActionDate, ColNextAction, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The list's statement for a condition ("" for every sale): the columns
    // load() takes, newest sale first.
    static QString statement(const QString& condition);
    // Fills the list from one query with its ? values (rows in the query's order); false (and
    // the reason) when the query fails, leaving the list empty.
    bool load(Connection& connection, const QString& sql, const QVariantList& binds = {}, QString* error = nullptr);
    // Sorts once by a column (stable); later row changes keep their place.
    void sortRows(int column, Qt::SortOrder order);

    // The row of an auction number (the first, should it be listed twice); -1 when not listed.
    int rowOf(const QString& auctionId) const;
    // An empty row for a place outside the list (no row selected is -1).
    const AuctionRow& row(int r) const { static const AuctionRow none; return r >= 0 && r < m_rows.size() ? m_rows[r] : none; }
    void setRow(int r, const AuctionRow& row);
    void removeRowAt(int r);
    void clearRows();

    // The ten-digit day number of a date serial (rounded, halves to even);
    // "" for a value no date has.
    static QString dateKey(double serial);
    static QStringList headers();
    // The text a row shows in a column (the date key for the hidden first one).
    static const QString& cell(const AuctionRow& row, int column);

private:
    void reindex();

    QVector<AuctionRow> m_rows;
    // Auction number -> its row when the index was built. A removal leaves the
    // index as it is and notes the gone row (sorted), so a row is its old
    // number less the gone rows before it: no rebuild per removal.
    QHash<QString, int> m_index;
    std::vector<int> m_gone;
    bool m_listedTwice = false;  // some auction number is on two rows
};
