#pragma once
// Rows of a query, fetched into memory (the stand-in for the ADO record set).
//
// A record set opened on a query keeps, for each field, the table and column
// it came from, so an updatable one can write changed fields back (by the
// table's key when the key was selected, else by every selected column of that
// table) and insert new rows (AddNew / Update) into a single-table query.
// A record set built from appended fields lives in memory only.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Connection;

class Recordset {
public:
    enum CursorType { adOpenForwardOnly = 0, adOpenStatic = 3 };
    enum LockType { adLockReadOnly = 1, adLockOptimistic = 3 };

    Recordset() = default;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs sql (with ? values bound in order). A statement that returns no
    // columns runs and leaves the record set closed; the result is still true.
    bool Open(const QString& sql, Connection* connection, CursorType cursor = adOpenStatic,
              LockType lock = adLockReadOnly, const QVariantList& binds = {});
    // In-memory record sets: append fields, then open.
    void AppendField(const QString& name, QMetaType::Type type = QMetaType::QString);
    bool OpenInMemory();
    // Pending changes of the current row are dropped.
    void Close();

    bool IsOpen() const { return m_open; }
    bool ReadOnly() const { return m_lock == adLockReadOnly; }
    QString lastError() const { return m_lastError; }

    // Navigation. EOF: after the last row (or no rows); BOF: before the first.
    // Moving off a row with pending changes saves them first, as ADO does.
    bool isEOF() const { return m_pos >= m_rows.size() || m_rows.isEmpty(); }
    bool isBOF() const { return m_pos < 0 || m_rows.isEmpty(); }
    int RecordCount() const { return int(m_rows.size()); }
    int AbsolutePosition() const { return m_pos; }  // 0-based
    bool MoveFirst();
    bool MoveLast();
    bool MoveNext();
    bool MovePrevious();
    bool MoveTo(int index);

    // Fields of the current row; names compare ignoring case.
    int FieldCount() const { return int(m_fields.size()); }
    QString FieldName(int index) const { return m_fields.value(index).name; }
    int FieldIndex(const QString& name) const;
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }
    QVariant value(const QString& name) const;
    QVariant value(int index) const;
    QVariant operator[](const QString& name) const { return value(name); }
    // Null gives the empty text.
    QString text(const QString& name) const;
    bool isNull(const QString& name) const { return value(name).isNull(); }

    // Editing: sets a field of the current (or new) row; Update writes it.
    bool setValue(const QString& name, const QVariant& value);
    bool AddNew();
    bool Update();
    void CancelUpdate();
    bool Delete();
    bool isEditing() const { return m_editing; }

    // All rows as fetched (for list models); each row holds FieldCount() values.
    const QVector<QVariantList>& rows() const { return m_rows; }

    // In-memory sort by one field (stable); text compares ignoring case.
    void Sort(const QString& field, bool ascending = true);

private:
    struct Field {
        QString name;
        QString table;   // origin table; empty for expressions and in-memory fields
        QString column;  // origin column
        QMetaType::Type type = QMetaType::UnknownType;
    };

    bool fail(const QString& error);
    bool writeBack();
    bool insertRow();
    // The one table a new or deleted row belongs to; false when there is none or several.
    bool singleTable(QString* table, const QString& what);
    bool locate(const QString& table, const QVariantList& original, QString* where, QVariantList* binds);
    bool currentRowValid() const;

    Connection* m_connection = nullptr;
    QList<Field> m_fields;
    QVector<QVariantList> m_rows;
    QVector<QVariantList> m_original;  // rows as read, to find them again
    int m_pos = 0;
    bool m_open = false;
    bool m_inMemory = false;
    CursorType m_cursor = adOpenStatic;
    LockType m_lock = adLockReadOnly;
    bool m_editing = false;
    bool m_adding = false;
    bool m_deletedCurrent = false;
    QVariantList m_editBuffer;
    QList<bool> m_changed;
    QString m_lastError;
};
