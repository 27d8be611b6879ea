#pragma once
// One review list of the synchronisation window: the downloaded listings of a
// list type as rows, before anything is saved. A row holds the texts and marks
// of its record as they were at the last fill (rows that will change the
// database bold, whole or by cell; rows that ended before the system start
// red), so only a refill changes what the list shows.

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Recordset;

class ReviewListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Column 0, hidden in the window, holds the whole-day sort key.
    enum { ColSortKey = 0, ColListingId = 1, ColItemCode = 2, ColTitle = 3, ColDate = 4 };
    // How a column sorts when its header is clicked.
    enum class SortKind { Key, Text, Date, Money, Number };

    explicit ReviewListModel(int listType, QObject* parent = nullptr);
    int listType() const { return m_listType; }

    // Rebuilds the rows from every record of rs, in record order, then sorts
    // them by the key column (ascending for Current, descending for Sold and
    // Unsold; an empty set is not sorted). A pending edit of rs is saved
    // first, as moving off it would; rs keeps its current record otherwise.
    void Fill(Recordset& rs);
    void Clear();

    // New or ended auctions (whole rows bold) and the tab caption that counts
    // them: "Current" while none, "Current (x3)" once counted.
    int Count() const { return m_count; }
    QString Caption() const;
    static QString PlainCaption(int listType);
    // Some row was marked for the save (whole row, change markers or the
    // delivery address): the window's unsaved changes and its bold note.
    bool AnyBold() const { return m_anyBold; }
    // A Sold sale the database already runs (BeforeSystemStart False, not
    // empty) has ended with its shipping reading "$0.00".
    bool ShippingNote() const { return m_shippingNote; }
    bool AnyRed() const { return m_anyRed; }

    // Rows as shown (after sorting).
    int RecordPosition(int row) const;  // the record's AbsolutePosition in its set (0-based, for MoveTo)
    bool RowBold(int row) const;
    bool CellBold(int row, int column) const;
    bool RowRed(int row) const;
    QString CellText(int row, int column) const;
    QString ListingId(int row) const { return CellText(row, ColListingId); }
    QString ItemCode(int row) const { return CellText(row, ColItemCode); }
    // The model row showing a record position; -1 when none does.
    int RowOfRecord(int position) const;

    static QStringList Headers(int listType);
    static SortKind ColumnSortKind(int listType, int column);
    static Qt::SortOrder DefaultSortOrder(int listType);
    // "0000045012" for a close on day 45011 after noon; "" for Null or a number no date has.
    static QString SortKey(const QVariant& date);

    // The column and order of the last sort; -1 when the rows are in record order.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // DisplayRole the text, FontRole bold, ForegroundRole red, Qt::UserRole the sort value.
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Stable: rows that compare equal keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    struct Row {
        QStringList text;        // one per column
        QVector<double> amount;  // sort values of date, money and number columns; NaN for none
        quint32 boldCells = 0;   // bit k: cell k bold
        int position = -1;
        bool bold = false;       // whole row
        bool red = false;
    };

    const Row* rowAt(int row) const;
    QVariant sortValue(const Row& r, int column) const;
    void sortRows(int column, Qt::SortOrder order);

    int m_listType;
    int m_columns;
    QVector<Row> m_rows;
    int m_count = 0;
    bool m_anyBold = false;
    bool m_anyRed = false;
    bool m_shippingNote = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
