#pragma once
// A connection to one SQLite database file (the stand-in for the ADO
// connection over a Jet file). Opens existing files only.

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

class Connection {
public:
    // The most a connection keeps of its file in memory, in KiB. SQLite's 2 MB
    // would read a large shop's list from the file every time, page by page.
    static constexpr int CacheKiB = 64 * 1024;

    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database file read-write. A missing file, a file that
    // is not a database, a damaged one, or one the user may not write (or in a
    // folder that may not be written) fails with a message in lastError();
    // nothing is created or changed. An opened file readable by others is
    // made readable by its owner alone.
    bool Open(const QString& path);
    // Whether a database may be kept in the folder: the folder is there and
    // writable, its owner-write bit set (judged so even for root).
    static bool IsWritableFolder(const QString& folder);
    // What lastError() says of a damaged file.
    static QString Damaged();
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }
    QString lastError() const { return m_lastError; }
    sqlite3* handle() const { return m_db; }

    // Runs one statement that returns no rows, with ? values bound in order.
    bool Execute(const QString& sql, const QVariantList& binds = {}, int* rowsAffected = nullptr);
    // The first column of the first row (invalid when there is none or on error).
    QVariant Scalar(const QString& sql, const QVariantList& binds = {}, bool* ok = nullptr);
    // The columns of a table (as declared), and its primary key columns.
    QStringList TableColumns(const QString& table);
    QStringList PrimaryKey(const QString& table);
    // What each column of a table holds, by its declared type ("REAL DATE" is a
    // date, "INTEGER YESNO" a Yes/No); keys are lower-case column names.
    enum class ColumnKind { Text, Number, Date, YesNo };
    QHash<QString, ColumnKind> ColumnKinds(const QString& table);

    // Prepares sql with its values bound; nullptr (and lastError) on failure.
    // A statement run before is taken from the cache; hand every statement
    // back with Release (it is reset and kept for the next use).
    sqlite3_stmt* Prepare(const QString& sql, const QVariantList& binds);
    void Release(sqlite3_stmt* stmt);
    // After a statement's step failed: keeps its error (returned), and notes
    // it as what ended the transaction when it did.
    QString statementFailed();
    void setLastError(const QString& error) { m_lastError = error; }

    // Nesting depth of open transactions (see Transaction).
    int transactionDepth() const { return m_depth; }
    // SQLite rolled back the transaction the guards are in (a full disk, an
    // I/O error, ROLLBACK raised by a trigger) while they still hold it.
    // Until the outermost guard ends, nothing more is written: a write would
    // otherwise be kept at once, outside any transaction.
    bool transactionEnded() const;
    // What a guard and a refused write say of it.
    QString transactionEndedError() const;

private:
    friend class Transaction;
    // "" when SQLite's quick check finds the open file sound, else what to tell.
    static QString quickCheck(sqlite3* db);
    void clearCache();
    sqlite3* m_db = nullptr;
    // Idle prepared statements by their SQL text: a save that runs the same few
    // statements for thousands of rows compiles each once.
    QHash<QByteArray, sqlite3_stmt*> m_cache;
    static constexpr int CacheStatements = 64;
    QString m_path;
    QString m_lastError;
    int m_depth = 0;
    QString m_endedBy;  // the error of the statement that ended the transaction
};

// Values as SQLite takes and gives them: Null <-> invalid QVariant, Yes/No as
// 1/0, dates as OLE serial days.
namespace dbvalue {
enum class Kind { Null, Boolean, Whole, Real, DateTime, Date, Bytes, Text };
Kind kindOf(const QVariant& value);
bool bind(sqlite3_stmt* stmt, int index, const QVariant& value);
QVariant column(sqlite3_stmt* stmt, int index);
}  // namespace dbvalue
