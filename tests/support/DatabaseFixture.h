#pragma once
// Databases for tests: copies of the template data.mdb that the build made,
// at the current or an older version, optionally filled with demo data.

#include "tools/DemoData.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

class Connection;

class DatabaseFixture {
public:
    // The template database in the build's program folder.
    static QString templatePath();
    // A copy of the template as folder/fileName, at version 1.0, 1.0001 or
    // 1.0002 (older versions lack the columns their upgrades add). Fails the
    // test and returns "" when it cannot be made.
    static QString create(const QString& folder, const QString& fileName = QStringLiteral("shop.mdb"),
                          double version = 1.0002);
    // As create, then filled by DemoData.
    static QString createFilled(const QString& folder, const DemoDataOptions& options,
                                const QString& fileName = QStringLiteral("shop.mdb"));
    // The rows of a query on the open database, one "a|b|c" text each, a Null
    // value written "<Null>"; the error alone when the query fails.
    static QStringList rows(const QString& sql, const QVariantList& binds = {});
    // Runs statements on a closed database file (to shape a fixture).
    static bool execute(const QString& path, const QStringList& statements);
    // Leaves the database as a program killed in the middle of a change
    // leaves it: half the change in the file, the rest in a hot journal that
    // SQLite plays back at the next open.
    static bool leaveHotJournal(const QString& path);
    // Makes the database end the whole transaction when a row is written to
    // table (event INSERT, UPDATE or DELETE; when: a condition on NEW or OLD,
    // empty for every row), as a full disk does: a TEMP trigger of the
    // connection (the program's own by default) raises ROLLBACK with "disk full".
    // Returns the trigger's name (DROP TRIGGER temp.<name> frees the disk), "" on failure.
    static QString fullDiskOn(const QString& event, const QString& table, const QString& when = QString(), Connection* db = nullptr);
    // Overwrites the first page of a table with garbage, as a failing disk
    // might; the file still opens in SQLite, the table no longer reads.
    static bool damage(const QString& path, const QString& table);
};
