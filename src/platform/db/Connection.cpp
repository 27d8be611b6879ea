#include "Connection.h"

#include "FoldedLike.h"
#include "platform/Vb.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace dbvalue {

Kind kindOf(const QVariant& value)
{
    if (!value.isValid() || value.isNull()) return Kind::Null;
    switch (value.typeId()) {
    case QMetaType::Bool: return Kind::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return Kind::Whole;
    case QMetaType::Double:
    case QMetaType::Float: return Kind::Real;
    case QMetaType::QDateTime: return Kind::DateTime;
    case QMetaType::QDate: return Kind::Date;
    case QMetaType::QByteArray: return Kind::Bytes;
    default: return Kind::Text;
    }
}

bool bind(sqlite3_stmt* stmt, int index, const QVariant& value)
{
    switch (kindOf(value)) {
    case Kind::Null: return sqlite3_bind_null(stmt, index) == SQLITE_OK;
    case Kind::Boolean: return sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0) == SQLITE_OK;
    case Kind::Whole: return sqlite3_bind_int64(stmt, index, value.toLongLong()) == SQLITE_OK;
    case Kind::Real: return sqlite3_bind_double(stmt, index, value.toDouble()) == SQLITE_OK;
    case Kind::DateTime: return sqlite3_bind_double(stmt, index, vb::toOleDate(value.toDateTime())) == SQLITE_OK;
    case Kind::Date: return sqlite3_bind_double(stmt, index, vb::toOleDate(value.toDate())) == SQLITE_OK;
    case Kind::Bytes: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    case Kind::Text: break;
    }
    const QByteArray text = value.toString().toUtf8();
    return sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
}

QVariant column(sqlite3_stmt* stmt, int index)
{
    switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(stmt, index)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt, index));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, index)),
                                          sqlite3_column_bytes(stmt, index)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, index)), sqlite3_column_bytes(stmt, index)));
    default: return QVariant();
    }
}

}  // namespace dbvalue

Connection::~Connection() { Close(); }

bool Connection::Open(const QString& path)
{
    Close();
    m_lastError.clear();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile()) {
        m_lastError = QStringLiteral("The file does not exist.");
        return false;
    }
    // SQLite would take an empty file for an empty database; it holds no shop.
    if (info.size() == 0) {
        m_lastError = QStringLiteral("The file is empty; it is not a database.");
        return false;
    }
    // A file marked read-only stays untouched, even for a user (root) who could write it.
    if (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner)) {
        m_lastError = QStringLiteral("The file is read-only.");
        return false;
    }
    // Every change writes a journal beside the file: in a folder that cannot
    // be written, each one would fail.
    if (!IsWritableFolder(info.absolutePath())) {
        m_lastError = QStringLiteral("The folder %1 is read-only, so no change could be saved in it.")
                          .arg(QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        m_lastError = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("Out of memory.");
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 5000);
    // A double-quoted name is always a name: SQLite would otherwise take an
    // unknown one for a text literal, and a mistyped column would match text.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_extended_result_codes(db, 1);
    // Memory taken only as pages are read; a cache too small only costs time.
    sqlite3_exec(db, QByteArray("PRAGMA cache_size=-" + QByteArray::number(CacheKiB)).constData(), nullptr, nullptr, nullptr);
    // Savepoint and statement journals in memory: a save nests a savepoint for
    // each step it writes, and on disk each would cost a write per page touched.
    // The database's own journal stays on disk.
    sqlite3_exec(db, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    // LIKE folds the case of every letter (SQLite's own folds A-Z only).
    if (FoldedLike::install(db) != SQLITE_OK) {
        m_lastError = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return false;
    }
    // Reading the schema tells a database from any other file, without writing.
    char* err = nullptr;
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) != SQLITE_OK) {
        const bool corrupt = (sqlite3_extended_errcode(db) & 0xFF) == SQLITE_CORRUPT;
        m_lastError = corrupt ? Damaged() : QString::fromUtf8(err ? err : sqlite3_errmsg(db));
        sqlite3_free(err);
        sqlite3_close(db);
        return false;
    }
    if (sqlite3_db_readonly(db, "main") == 1) {
        m_lastError = QStringLiteral("The file is read-only.");
        sqlite3_close(db);
        return false;
    }
    // A damaged file is refused here, not found out later by every list that reads it.
    if (const QString problem = quickCheck(db); !problem.isEmpty()) {
        m_lastError = problem;
        sqlite3_close(db);
        return false;
    }
    // It holds the site password: only its owner may read it.
    constexpr QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (QFileInfo(path).permissions() & others) QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_db = db;
    m_path = path;
    m_depth = 0;
    m_endedBy.clear();
    return true;
}

bool Connection::IsWritableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable() && (info.permissions() & QFileDevice::WriteOwner);
}

QString Connection::quickCheck(sqlite3* db)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr) != SQLITE_OK) return QString::fromUtf8(sqlite3_errmsg(db));
    // One row "ok" when sound; otherwise a row per finding. An error that is
    // not about the file's state (a lock held too long) is told as it is.
    QString problem;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        if (qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok") != 0) problem = Damaged();
    } else {
        const int code = sqlite3_extended_errcode(db) & 0xFF;
        problem = code == SQLITE_CORRUPT || code == SQLITE_NOTADB ? Damaged() : QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    return problem;
}

QString Connection::Damaged() { return QStringLiteral("The file is damaged and cannot be used."); }

void Connection::clearCache()
{
    for (sqlite3_stmt* stmt : std::as_const(m_cache)) sqlite3_finalize(stmt);
    m_cache.clear();
}

void Connection::Release(sqlite3_stmt* stmt)
{
    if (!stmt) return;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    const QByteArray key(sqlite3_sql(stmt));
    if (m_db && sqlite3_db_handle(stmt) == m_db && !m_cache.contains(key) && m_cache.size() < CacheStatements)
        m_cache.insert(key, stmt);
    else
        sqlite3_finalize(stmt);
}

void Connection::Close()
{
    if (!m_db) return;
    clearCache();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
    m_depth = 0;
    m_endedBy.clear();
}

bool Connection::transactionEnded() const { return m_db && m_depth > 0 && sqlite3_get_autocommit(m_db) != 0; }

QString Connection::transactionEndedError() const
{
    return QStringLiteral("The database undid the whole save before it was finished: ") +
           (m_endedBy.isEmpty() ? QStringLiteral("its transaction was ended.") : m_endedBy);
}

QString Connection::statementFailed()
{
    m_lastError = QString::fromUtf8(sqlite3_errmsg(m_db));
    if (m_endedBy.isEmpty() && transactionEnded()) m_endedBy = m_lastError;
    return m_lastError;
}

sqlite3_stmt* Connection::Prepare(const QString& sql, const QVariantList& binds)
{
    if (!m_db) {
        m_lastError = QStringLiteral("The database is not open.");
        return nullptr;
    }
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    if ((stmt = m_cache.take(text))) {
        // Compiled before (and checked then): only the values are new.
    } else if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK) {
        m_lastError = QString::fromUtf8(sqlite3_errmsg(m_db));
        return nullptr;
    }
    if (!stmt) {
        m_lastError = QStringLiteral("The statement is empty.");
        return nullptr;
    }
    // Transaction control is "read-only" too: the guards still end their savepoints.
    if (!sqlite3_stmt_readonly(stmt) && transactionEnded()) {
        m_lastError = transactionEndedError();
        Release(stmt);
        return nullptr;
    }
    // One statement at a time: a second one hidden after a ';' is refused.
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";") {
        sqlite3_finalize(stmt);
        m_lastError = QStringLiteral("Only one statement may be run at a time.");
        return nullptr;
    }
    if (sqlite3_bind_parameter_count(stmt) != binds.size()) {
        m_lastError = QStringLiteral("The statement takes %1 values; %2 were given.")
                          .arg(sqlite3_bind_parameter_count(stmt))
                          .arg(binds.size());
        Release(stmt);
        return nullptr;
    }
    for (int i = 0; i < binds.size(); ++i) {
        if (!dbvalue::bind(stmt, i + 1, binds[i])) {
            m_lastError = QString::fromUtf8(sqlite3_errmsg(m_db));
            Release(stmt);
            return nullptr;
        }
    }
    return stmt;
}

bool Connection::Execute(const QString& sql, const QVariantList& binds, int* rowsAffected)
{
    sqlite3_stmt* stmt = Prepare(sql, binds);
    if (!stmt) return false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok) statementFailed();
    Release(stmt);
    if (ok && rowsAffected) *rowsAffected = sqlite3_changes(m_db);
    return ok;
}

QVariant Connection::Scalar(const QString& sql, const QVariantList& binds, bool* ok)
{
    if (ok) *ok = false;
    sqlite3_stmt* stmt = Prepare(sql, binds);
    if (!stmt) return {};
    QVariant value;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) value = dbvalue::column(stmt, 0);
    const bool good = rc == SQLITE_ROW || rc == SQLITE_DONE;
    if (!good) statementFailed();
    Release(stmt);
    if (ok) *ok = good;
    return value;
}

QStringList Connection::TableColumns(const QString& table)
{
    QStringList columns;
    sqlite3_stmt* stmt = Prepare(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table});
    if (!stmt) return columns;
    while (sqlite3_step(stmt) == SQLITE_ROW) columns << dbvalue::column(stmt, 0).toString();
    Release(stmt);
    return columns;
}

QStringList Connection::PrimaryKey(const QString& table)
{
    QStringList columns;
    sqlite3_stmt* stmt = Prepare(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk"), {table});
    if (!stmt) return columns;
    while (sqlite3_step(stmt) == SQLITE_ROW) columns << dbvalue::column(stmt, 0).toString();
    Release(stmt);
    return columns;
}

QHash<QString, Connection::ColumnKind> Connection::ColumnKinds(const QString& table)
{
    QHash<QString, ColumnKind> kinds;
    sqlite3_stmt* stmt = Prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"), {table});
    if (!stmt) return kinds;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QString name = dbvalue::column(stmt, 0).toString().toLower();
        const QString type = dbvalue::column(stmt, 1).toString().toUpper();
        ColumnKind kind = ColumnKind::Text;
        if (type.contains(QLatin1String("DATE"))) kind = ColumnKind::Date;
        else if (type.contains(QLatin1String("YESNO"))) kind = ColumnKind::YesNo;
        else if (type.contains(QLatin1String("INT")) || type.contains(QLatin1String("REAL")) ||
                 type.contains(QLatin1String("NUM")) || type.contains(QLatin1String("DOUB")) || type.contains(QLatin1String("FLOA")))
            kind = ColumnKind::Number;
        kinds.insert(name, kind);
    }
    Release(stmt);
    return kinds;
}
