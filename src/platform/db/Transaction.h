#pragma once
// All or nothing: a transaction that rolls back unless committed. Guards nest
// (each inner one is a savepoint), so a step that runs inside a larger save
// commits with it.

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
    bool Commit();
    void Rollback();

private:
    Connection* m_connection;
    QString m_name;
    bool m_active = false;
    QString m_error;
};
