#pragma once
// The stocked details of one item, as the item group editor lists them: the
// auction title, and the stock on hand when the detail tracks stock. Each
// row keeps its detail's AutoId.

#include <QAbstractTableModel>
#include <QVector>

class ItemDetailListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ItemDetailListModel(QObject* parent = nullptr);

    // Reads the details of the item, in the order they were added; an empty
    // code lists nothing. False (reported) when the query failed, the list then empty.
    bool Fill(const QString& itemId);
    void clear();

    qint64 autoId(int row) const;
    QString title(int row) const;
    // The row of a detail; -1 for none.
    int find(qint64 autoId) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        qint64 autoId = 0;
        QString title;
        QString inStock;  // empty when the detail does not track stock
    };
    QVector<Row> m_rows;
};
