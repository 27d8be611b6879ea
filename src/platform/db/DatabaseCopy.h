#pragma once
// Puts a copy of one database file in the place of another, so that at any
// moment (a kill, a power cut) the target is either the file it was or the
// whole copy: the copy is built beside the target, set up, flushed to disk,
// the target's journal files go, and only then is it renamed over the target.

#include <QString>

#include <functional>

class Connection;

class DatabaseCopy {
public:
    // Sets up the copy before it takes the target's place; false (with a
    // reason in *error) abandons the copy and leaves the target as it was.
    using Preparation = std::function<bool(Connection& copy, QString* error)>;

    DatabaseCopy(const QString& source, const QString& target);

    void setPreparation(Preparation preparation) { m_preparation = std::move(preparation); }
    // The copy is made readable and writable by its owner alone.
    bool Run();
    // What failed, in the seller's words, naming the step and the file.
    QString errorString() const { return m_error; }

    // The file the copy is built in before it is renamed over the target.
    static QString partialPath(const QString& target);
    // The journal files SQLite keeps beside a database file.
    static QStringList journalPaths(const QString& database);

private:
    bool fail(const QString& error);
    bool build(const QString& partial);
    bool prepare(const QString& partial);
    bool removeJournals(const QString& database, bool* removedAny);
    // Removes the unfinished copy and its journals; "" or why it could not.
    static QString discard(const QString& partial);

    QString m_source;
    QString m_target;
    Preparation m_preparation;
    QString m_error;
};
