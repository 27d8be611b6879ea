#pragma once
// All or nothing: a transaction that rolls back unless committed. Guards nest
// (each inner one is a savepoint), so a step that runs inside a larger save
// commits with it. A commit that fails (another program holds the file)
// rolls the whole transaction back: the connection is never left inside one.
// When SQLite itself rolls the transaction back (a full disk, an I/O error),
// every guard still open fails: none begins, commits or writes anything more
// until the outermost one has ended, and an inner guard's rollback is a failure.

#include <QString>

class Connection;

class Transaction {
public:
    explicit Transaction(Connection* connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    QString lastError() const { return m_error; }
    // False (with lastError) when the work could not be kept; it is then rolled back.
    bool Commit();
    // False (with lastError) when the rollback itself failed, or when SQLite
    // has undone the whole transaction this inner guard was part of.
    bool Rollback();

private:
    // SQLite ended the transaction: this guard is over. True for the guard
    // that began the transaction.
    bool end();
    // Ends the transaction this guard began, or undoes its savepoint.
    bool undo();

    Connection* m_connection;
    QString m_name;
    bool m_active = false;
    bool m_outermost = false;  // this guard began the connection's transaction
    QString m_error;
};
