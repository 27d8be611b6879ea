#include "LookupModel.h"

#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"

#include <algorithm>

LookupModel::LookupModel(QObject* parent) : QAbstractTableModel(parent) {}

bool LookupModel::Fill(const QString& table, const QString& key, const QString& description)
{
    return FillSql(
        QStringLiteral("SELECT %1,%2 FROM %3 ORDER BY %1").arg(Sql::Identifier(key), Sql::Identifier(description), Sql::Identifier(table)));
}

bool LookupModel::FillSql(const QString& sql)
{
    beginResetModel();
    m_rows.clear();
    Recordset rs;
    const bool ok = ProgramContext::current().gDatabase->OpenDB(sql, true, true, true, &rs);
    if (ok) {
        m_rows.reserve(rs.RecordCount());
        for (const QVariantList& row : rs.rows()) {
            QStringList cells;
            cells.reserve(row.size());
            for (const QVariant& value : row) cells << value.toString();
            m_rows.append(cells);
        }
    }
    endResetModel();
    return ok;
}

void LookupModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

bool LookupModel::sameCode(const QString& a, const QString& b)
{
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        const auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
        if (fold(x) != fold(y)) return false;
    }
    return true;
}

int LookupModel::find(const QString& code) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (sameCode(m_rows[i].value(0), code)) return i;
    return -1;
}

QString LookupModel::code(int row) const { return m_rows.value(row).value(0); }
QString LookupModel::description(int row) const { return m_rows.value(row).value(1); }

int LookupModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }
int LookupModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(qMax<qsizetype>(2, m_headers.size())); }

QVariant LookupModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || role != Qt::DisplayRole) return {};
    return m_rows[index.row()].value(index.column());
}

QVariant LookupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void LookupModel::sort(int column, Qt::SortOrder order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const QStringList& a, const QStringList& b) {
        const int c = a.value(column).compare(b.value(column), Qt::CaseInsensitive);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
