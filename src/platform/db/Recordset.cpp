#include "Recordset.h"

#include "Connection.h"
#include "Sql.h"
#include "Transaction.h"

#include <QHash>

#include <algorithm>

#include <sqlite3.h>

bool Recordset::fail(const QString& error)
{
    m_lastError = error;
    return false;
}

bool Recordset::Open(const QString& sql, Connection* connection, CursorType cursor, LockType lock, const QVariantList& binds)
{
    Close();
    m_fields.clear();
    m_lastError.clear();
    m_connection = connection;
    m_cursor = cursor;
    m_lock = lock;
    m_inMemory = false;
    if (!connection) return fail(QStringLiteral("The database is not open."));

    sqlite3_stmt* stmt = connection->Prepare(sql, binds);
    if (!stmt) return fail(connection->lastError());

    const int columns = sqlite3_column_count(stmt);
    for (int i = 0; i < columns; ++i) {
        Field f;
        f.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        if (const char* t = sqlite3_column_table_name(stmt, i)) f.table = QString::fromUtf8(t);
        if (const char* c = sqlite3_column_origin_name(stmt, i)) f.column = QString::fromUtf8(c);
        m_fields.append(f);
    }
    QVector<QVariantList> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i) row.append(dbvalue::column(stmt, i));
        rows.append(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        const QString error = connection->statementFailed();
        connection->Release(stmt);
        m_fields.clear();
        return fail(error);
    }
    connection->Release(stmt);
    if (columns == 0) return true;  // a statement without rows: ran, stays closed

    m_rows = std::move(rows);
    if (lock != adLockReadOnly) m_original = m_rows;
    m_pos = 0;
    m_open = true;
    return true;
}

void Recordset::AppendField(const QString& name, QMetaType::Type type)
{
    if (m_open) return;
    if (!m_inMemory) {
        m_fields.clear();
        m_inMemory = true;
    }
    m_fields.append({name, QString(), QString(), type});
}

bool Recordset::OpenInMemory()
{
    m_rows.clear();
    m_original.clear();
    m_connection = nullptr;
    m_inMemory = true;
    m_cursor = adOpenStatic;
    m_lock = adLockOptimistic;
    m_pos = 0;
    m_open = true;
    return true;
}

void Recordset::Close()
{
    m_editing = m_adding = m_deletedCurrent = false;
    m_editBuffer.clear();
    m_changed.clear();
    m_rows.clear();
    m_original.clear();
    m_open = false;
    m_pos = 0;
    if (!m_inMemory) m_fields.clear();
}

bool Recordset::currentRowValid() const { return m_open && !m_deletedCurrent && m_pos >= 0 && m_pos < m_rows.size(); }

int Recordset::FieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    // "Table.Column" names the column of that table.
    const int dot = int(name.indexOf(u'.'));
    if (dot > 0) {
        const QString table = name.left(dot), column = name.mid(dot + 1);
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].table.compare(table, Qt::CaseInsensitive) == 0 &&
                m_fields[i].column.compare(column, Qt::CaseInsensitive) == 0)
                return i;
    }
    return -1;
}

QVariant Recordset::value(int index) const
{
    if (index < 0 || index >= m_fields.size()) return {};
    if (m_editing) return m_editBuffer.value(index);
    if (!currentRowValid()) return {};
    return m_rows[m_pos].value(index);
}

QVariant Recordset::value(const QString& name) const { return value(FieldIndex(name)); }

QString Recordset::text(const QString& name) const
{
    const QVariant v = value(name);
    return v.isNull() ? QString() : v.toString();
}

bool Recordset::setValue(const QString& name, const QVariant& v)
{
    if (!m_open) return fail(QStringLiteral("The record set is closed."));
    if (m_lock == adLockReadOnly) return fail(QStringLiteral("The record set is read-only."));
    const int index = FieldIndex(name);
    if (index < 0) return fail(QStringLiteral("Item cannot be found in the collection: %1").arg(name));
    const Field& f = m_fields[index];
    if (!m_inMemory && f.table.isEmpty()) return fail(QStringLiteral("The field %1 cannot be updated.").arg(name));
    if (!m_editing) {
        if (!currentRowValid()) return fail(QStringLiteral("There is no current row."));
        m_editBuffer = m_rows[m_pos];
        m_changed = QList<bool>(m_fields.size(), false);
        m_editing = true;
    }
    QVariant stored = v;
    if (m_inMemory && f.type != QMetaType::UnknownType && v.isValid() && !v.isNull()) {
        if (!stored.convert(QMetaType(f.type))) return fail(QStringLiteral("Type mismatch in field %1.").arg(name));
    }
    m_editBuffer[index] = stored;
    m_changed[index] = true;
    return true;
}

bool Recordset::AddNew()
{
    if (!m_open) return fail(QStringLiteral("The record set is closed."));
    if (m_lock == adLockReadOnly) return fail(QStringLiteral("The record set is read-only."));
    if (m_editing && !Update()) return false;
    m_editBuffer = QVariantList(m_fields.size());
    m_changed = QList<bool>(m_fields.size(), false);
    m_editing = true;
    m_adding = true;
    m_deletedCurrent = false;
    return true;
}

void Recordset::CancelUpdate()
{
    m_editing = m_adding = false;
    m_editBuffer.clear();
    m_changed.clear();
}

bool Recordset::Update()
{
    if (!m_editing) return true;
    if (!m_inMemory) {
        if (!(m_adding ? insertRow() : writeBack())) return false;
    } else if (m_adding) {
        m_rows.append(m_editBuffer);
        m_pos = int(m_rows.size()) - 1;
    } else {
        m_rows[m_pos] = m_editBuffer;
    }
    if (!m_inMemory && !m_adding) {
        m_rows[m_pos] = m_editBuffer;
        m_original[m_pos] = m_editBuffer;
    }
    CancelUpdate();
    return true;
}

bool Recordset::singleTable(QString* table, const QString& what)
{
    table->clear();
    for (const Field& f : m_fields) {
        if (f.table.isEmpty()) continue;
        if (table->isEmpty()) *table = f.table;
        else if (f.table.compare(*table, Qt::CaseInsensitive) != 0)
            return fail(QStringLiteral("Only a query of one table can %1.").arg(what));
    }
    if (table->isEmpty()) return fail(QStringLiteral("This record set cannot %1.").arg(what));
    return true;
}

bool Recordset::locate(const QString& table, const QVariantList& original, QString* where, QVariantList* binds)
{
    QStringList key = m_connection->PrimaryKey(table);
    QList<int> keyFields;
    for (const QString& k : key) {
        int found = -1;
        for (int i = 0; i < m_fields.size() && found < 0; ++i)
            if (m_fields[i].table.compare(table, Qt::CaseInsensitive) == 0 && m_fields[i].column.compare(k, Qt::CaseInsensitive) == 0)
                found = i;
        if (found < 0) {
            keyFields.clear();
            break;
        }
        keyFields << found;
    }
    if (keyFields.isEmpty()) {
        // No key among the fields: the row is the one whose selected columns
        // all still hold what was read.
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].table.compare(table, Qt::CaseInsensitive) == 0) keyFields << i;
    }
    if (keyFields.isEmpty()) return fail(QStringLiteral("The row cannot be located in %1.").arg(table));
    QStringList terms;
    for (int i : keyFields) {
        terms << Sql::Identifier(m_fields[i].column) + QStringLiteral(" IS ?");
        *binds << original[i];
    }
    *where = terms.join(QStringLiteral(" AND "));
    return true;
}

bool Recordset::writeBack()
{
    // Changed fields by the table they came from, in field order.
    QStringList tables;
    QHash<QString, QList<int>> byTable;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!m_changed.value(i)) continue;
        const QString t = m_fields[i].table;
        if (!byTable.contains(t)) tables << t;
        byTable[t] << i;
    }
    if (tables.isEmpty()) return true;

    Transaction tx(m_connection);
    if (!tx.isActive()) return fail(tx.lastError());
    for (const QString& table : tables) {
        QStringList sets;
        QVariantList binds;
        for (int i : byTable[table]) {
            sets << Sql::Identifier(m_fields[i].column) + QStringLiteral(" = ?");
            binds << m_editBuffer[i];
        }
        QString where;
        if (!locate(table, m_original[m_pos], &where, &binds)) return false;
        int changed = 0;
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(Sql::Identifier(table), sets.join(QStringLiteral(", ")), where);
        if (!m_connection->Execute(sql, binds, &changed)) return fail(m_connection->lastError());
        if (changed != 1)
            return fail(changed == 0 ? QStringLiteral("The row to update was not found; it may have been changed or deleted.")
                                     : QStringLiteral("The row to update could not be told apart from others."));
    }
    if (!tx.Commit()) return fail(tx.lastError());
    return true;
}

bool Recordset::insertRow()
{
    QString table;
    if (!singleTable(&table, QStringLiteral("take new rows"))) return false;

    QStringList columns, marks;
    QVariantList binds;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!m_changed.value(i) || m_fields[i].table.isEmpty()) continue;
        columns << Sql::Identifier(m_fields[i].column);
        marks << QStringLiteral("?");
        binds << m_editBuffer[i];
    }
    const QString sql = columns.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Sql::Identifier(table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(Sql::Identifier(table), columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    Transaction tx(m_connection);
    if (!tx.isActive()) return fail(tx.lastError());
    if (!m_connection->Execute(sql, binds)) return fail(m_connection->lastError());
    const qint64 rowid = sqlite3_last_insert_rowid(m_connection->handle());

    // Read the row back, so defaults and the new key show in the record set.
    QStringList select;
    QList<int> fieldsOfTable;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].table.isEmpty()) continue;
        select << Sql::Identifier(m_fields[i].column);
        fieldsOfTable << i;
    }
    Recordset back;
    if (!back.Open(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(select.join(QStringLiteral(", ")), Sql::Identifier(table)),
                   m_connection, adOpenForwardOnly, adLockReadOnly, {rowid}) ||
        back.isEOF())
        return fail(m_connection->lastError());
    if (!tx.Commit()) return fail(tx.lastError());
    for (int k = 0; k < fieldsOfTable.size(); ++k) m_editBuffer[fieldsOfTable[k]] = back.value(k);
    m_rows.append(m_editBuffer);
    m_original.append(m_editBuffer);
    m_pos = int(m_rows.size()) - 1;
    return true;
}

bool Recordset::Delete()
{
    if (!currentRowValid()) return fail(QStringLiteral("There is no current row."));
    if (m_lock == adLockReadOnly) return fail(QStringLiteral("The record set is read-only."));
    CancelUpdate();
    if (!m_inMemory) {
        QString table;
        if (!singleTable(&table, QStringLiteral("delete rows"))) return false;
        QString where;
        QVariantList binds;
        if (!locate(table, m_original[m_pos], &where, &binds)) return false;
        Transaction tx(m_connection);
        if (!tx.isActive()) return fail(tx.lastError());
        int changed = 0;
        if (!m_connection->Execute(QStringLiteral("DELETE FROM %1 WHERE %2").arg(Sql::Identifier(table), where), binds, &changed))
            return fail(m_connection->lastError());
        if (changed != 1)
            return fail(changed == 0 ? QStringLiteral("The row to delete was not found; it may have been changed or deleted.")
                                     : QStringLiteral("The row to delete could not be told apart from others."));
        if (!tx.Commit()) return fail(tx.lastError());
        m_original.remove(m_pos);
    }
    m_rows.remove(m_pos);
    // The deleted row stays current until the next move, as in ADO.
    m_deletedCurrent = true;
    return true;
}

bool Recordset::MoveFirst()
{
    if (m_editing && !Update()) return false;
    m_deletedCurrent = false;
    m_pos = 0;
    return true;
}

bool Recordset::MoveLast()
{
    if (m_editing && !Update()) return false;
    m_deletedCurrent = false;
    m_pos = std::max(0, int(m_rows.size()) - 1);
    return true;
}

bool Recordset::MoveNext()
{
    if (m_editing && !Update()) return false;
    if (m_deletedCurrent) {
        m_deletedCurrent = false;  // the next row already moved into place
        return true;
    }
    m_pos = std::min(m_pos + 1, int(m_rows.size()));
    return true;
}

bool Recordset::MovePrevious()
{
    if (m_editing && !Update()) return false;
    m_deletedCurrent = false;
    m_pos = std::max(m_pos - 1, -1);
    return true;
}

bool Recordset::MoveTo(int index)
{
    if (m_editing && !Update()) return false;
    m_deletedCurrent = false;
    m_pos = std::clamp(index, -1, int(m_rows.size()));
    return true;
}

void Recordset::Sort(const QString& field, bool ascending)
{
    const int index = FieldIndex(field);
    if (index < 0 || m_editing) return;
    QVector<int> order(m_rows.size());
    for (int i = 0; i < order.size(); ++i) order[i] = i;
    auto less = [&](int a, int b) {
        const QVariant& x = m_rows[a][index];
        const QVariant& y = m_rows[b][index];
        if (x.isNull() || y.isNull()) return x.isNull() && !y.isNull();
        bool xn = false, yn = false;
        const double dx = x.toDouble(&xn), dy = y.toDouble(&yn);
        const bool numeric = xn && yn && x.typeId() != QMetaType::QString && y.typeId() != QMetaType::QString;
        if (numeric) return dx < dy;
        return x.toString().compare(y.toString(), Qt::CaseInsensitive) < 0;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return ascending ? less(a, b) : less(b, a); });
    QVector<QVariantList> rows, original;
    for (int i : order) {
        rows.append(m_rows[i]);
        if (!m_original.isEmpty()) original.append(m_original[i]);
    }
    m_rows = std::move(rows);
    m_original = std::move(original);
    m_pos = 0;
}
