#pragma once
// The rows of an editor's lookup list: each record's code and description
// (or further columns of the editor's own statement), read in key order. A header click sorts the rows once; the next fill is in
// key order again.

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

class LookupModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LookupModel(QObject* parent = nullptr);

    void setHeaders(const QStringList& headers) { m_headers = headers; }
    // Reads "SELECT key,description FROM table ORDER BY key"; false (reported) when it failed, the list then empty.
    bool Fill(const QString& table, const QString& key, const QString& description);
    // Reads an editor's own statement: the first column is the code, every
    // column is shown (Null as empty); false (reported) when it failed.
    bool FillSql(const QString& sql);
    void clear();

    // Whether two codes name one record: the database's keys fold A-Z only.
    static bool sameCode(const QString& a, const QString& b);
    // The row whose code is the text, as the database compares codes; -1 for none.
    int find(const QString& code) const;
    QString code(int row) const;
    QString description(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // One stable sort by the column's text, ignoring case.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // The cells of each row, the code first.
    QVector<QStringList> m_rows;
    QStringList m_headers;
};
