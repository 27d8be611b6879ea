#pragma once
// All or nothing: a transaction that rolls back unless committed. Guards nest
// (each inner one is a savepoint), so a step that runs inside a larger save
// commits with it. A commit that fails (another program holds the file)
// rolls the whole transaction back: the connection is never left inside one.

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
    // False (with lastError) when the rollback itself failed.
    bool Rollback();

private:
    // Ends the transaction this guard began, or undoes its savepoint.
    bool undo();

    Connection* m_connection;
    QString m_name;
    bool m_active = false;
    bool m_outermost = false;  // this guard began the connection's transaction
    QString m_error;
};
