#pragma once
// The rows of the main auction list: sales with their buyer's e-mail, kept
// in memory and found again by auction number. The view shows them; the
// list never holds a widget per row.

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QVariantList>
#include <QVector>

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

class AuctionListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColDateSortingIndex, ColAuction, ColItem, ColTitle, ColBuyer, ColEmail, ColActionDate, ColNextAction, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Fills the list from one query with its ? values (rows in the query's order); false (and
    // the reason) when the query fails, leaving the list empty.
    bool load(Connection& connection, const QString& sql, const QVariantList& binds = {}, QString* error = nullptr);
    // Sorts once by a column (stable); later row changes keep their place.
    void sortRows(int column, Qt::SortOrder order);

    int rowOf(const QString& auctionId) const { return m_index.value(auctionId, -1); }
    // An empty row for a place outside the list (no row selected is -1).
    const AuctionRow& row(int r) const { static const AuctionRow none; return r >= 0 && r < m_rows.size() ? m_rows[r] : none; }
    void setRow(int r, const AuctionRow& row);
    void removeRowAt(int r);
    void clearRows();

    // The ten-digit day number of a date serial (rounded, halves to even).
    static QString dateKey(double serial);
    static QStringList headers();
    // The text a row shows in a column (the date key for the hidden first one).
    static const QString& cell(const AuctionRow& row, int column);

private:
    void reindex();

    QVector<AuctionRow> m_rows;
    QHash<QString, int> m_index;
};
