#include "ItemDetailListModel.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/db/Recordset.h"

ItemDetailListModel::ItemDetailListModel(QObject* parent) : QAbstractTableModel(parent) {}

bool ItemDetailListModel::Fill(const QString& itemId)
{
    beginResetModel();
    m_rows.clear();
    bool ok = true;
    if (!itemId.isEmpty()) {
        Recordset rs;
        ok = ProgramContext::current().gDatabase->OpenDB(
            QStringLiteral("SELECT AutoId,Title,UseStock,Stock FROM ItemDetail WHERE ItemId=? ORDER BY AutoId"), {itemId}, true, true,
            true, &rs);
        for (; ok && !rs.isEOF(); rs.MoveNext()) {
            Row row;
            row.autoId = rs.value(QStringLiteral("AutoId")).toLongLong();
            row.title = rs.text(QStringLiteral("Title"));
            if (rs.value(QStringLiteral("UseStock")).toBool()) row.inStock = QString::number(rs.value(QStringLiteral("Stock")).toInt());
            m_rows.append(row);
        }
    }
    endResetModel();
    return ok;
}

void ItemDetailListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

qint64 ItemDetailListModel::autoId(int row) const { return row >= 0 && row < m_rows.size() ? m_rows[row].autoId : 0; }

QString ItemDetailListModel::title(int row) const { return row >= 0 && row < m_rows.size() ? m_rows[row].title : QString(); }

int ItemDetailListModel::find(qint64 autoId) const
{
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].autoId == autoId) return r;
    return -1;
}

int ItemDetailListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int ItemDetailListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant ItemDetailListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    const Row& row = m_rows[index.row()];
    if (role == Qt::DisplayRole) return index.column() == 0 ? row.title : row.inStock;
    if (role == Qt::TextAlignmentRole && index.column() == 1) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ItemDetailListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QStringLiteral("Auction title") : QStringLiteral("In Stock");
}
