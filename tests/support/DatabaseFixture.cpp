#include "DatabaseFixture.h"

#include "core/ProgramContext.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cmath>

QString DatabaseFixture::templatePath()
{
    return QDir(qEnvironmentVariable("VENDARO_PROGRAM_DIR")).filePath(QStringLiteral("data.mdb"));
}

bool DatabaseFixture::execute(const QString& path, const QStringList& statements)
{
    Connection c;
    if (!c.Open(path)) {
        qWarning() << "cannot open" << path << c.lastError();
        return false;
    }
    for (const QString& sql : statements) {
        if (!c.Execute(sql)) {
            qWarning() << sql << c.lastError();
            return false;
        }
    }
    return true;
}

QString DatabaseFixture::create(const QString& folder, const QString& fileName, double version)
{
    const QString path = QDir(folder).filePath(fileName);
    QFile::remove(path);
    if (!QFile::copy(templatePath(), path)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot copy the template %1").arg(templatePath())), __FILE__, __LINE__);
        return {};
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QStringList statements;
    if (std::fabs(version - 1.0002) > 1e-9) {
        statements << QStringLiteral("ALTER TABLE Configuration DROP COLUMN TradeMeMemberId");
        if (std::fabs(version - 1.0) < 1e-9)
            statements << QStringLiteral("ALTER TABLE Configuration DROP COLUMN FPOunsold")
                       << QStringLiteral("ALTER TABLE Configuration DROP COLUMN FPOsold")
                       << QStringLiteral("ALTER TABLE Configuration DROP COLUMN RelistUnsold");
        statements << QStringLiteral("UPDATE Configuration SET DatabaseVersion=%1").arg(version, 0, 'g', 17);
    }
    if (!statements.isEmpty() && !execute(path, statements)) {
        QTest::qFail("cannot shape the database fixture", __FILE__, __LINE__);
        return {};
    }
    return path;
}

QString DatabaseFixture::createFilled(const QString& folder, const DemoDataOptions& options, const QString& fileName)
{
    const QString path = create(folder, fileName);
    if (path.isEmpty()) return {};
    Connection c;
    QString error;
    if (!c.Open(path) || !DemoData::Fill(c, options, &error)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot fill the fixture: %1").arg(error + c.lastError())), __FILE__, __LINE__);
        return {};
    }
    return path;
}

bool DatabaseFixture::leaveHotJournal(const QString& path)
{
    const QString journal = path + QStringLiteral("-journal");
    const QString crashed = path + QStringLiteral(".crashed");
    const QString crashedJournal = crashed + QStringLiteral("-journal");
    {
        Connection c;
        if (!c.Open(path)) return false;
        // A small cache spills the change into the file before it commits.
        const QStringList change = {
            QStringLiteral("PRAGMA cache_size=8"), QStringLiteral("BEGIN"),
            QStringLiteral("UPDATE Configuration SET DatabaseDesc='half written'"),
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                           "INSERT INTO Customer (CustomerId, Name) SELECT 'unfinished ' || i, hex(randomblob(100)) FROM n")};
        for (const QString& sql : change) {
            if (!c.Execute(sql)) {
                qWarning() << sql << c.lastError();
                return false;
            }
        }
        // The moment of the kill, copied while the change is open.
        QFile::remove(crashed);
        QFile::remove(crashedJournal);
        if (!QFile::copy(path, crashed) || !QFile::copy(journal, crashedJournal)) return false;
        c.Execute(QStringLiteral("ROLLBACK"));
    }
    QFile::remove(path);
    return QFile::rename(crashed, path) && QFile::rename(crashedJournal, journal);
}

bool DatabaseFixture::damage(const QString& path, const QString& table)
{
    qint64 page = 0;
    qint64 pageSize = 0;
    {
        Connection c;
        if (!c.Open(path)) return false;
        page = c.Scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type='table' AND name=?"), {table}).toLongLong();
        pageSize = c.Scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
    }
    QFile f(path);
    if (page < 2 || pageSize <= 0 || !f.open(QIODevice::ReadWrite) || !f.seek((page - 1) * pageSize)) return false;
    return f.write(QByteArray(pageSize, '\x5a')) == pageSize;
}

QStringList DatabaseFixture::rows(const QString& sql, const QVariantList& binds)
{
    QStringList out;
    Recordset rs;
    if (!rs.Open(sql, ProgramContext::current().gConnection, Recordset::adOpenStatic, Recordset::adLockReadOnly, binds)) return {rs.lastError()};
    for (; !rs.isEOF(); rs.MoveNext()) {
        QStringList row;
        for (int i = 0; i < rs.FieldCount(); ++i) row << (rs.value(i).isNull() ? QStringLiteral("<Null>") : rs.value(i).toString());
        out << row.join(u'|');
    }
    return out;
}

QString DatabaseFixture::fullDiskOn(const QString& event, const QString& table, const QString& when, Connection* db)
{
    static int made = 0;
    Connection* connection = db ? db : ProgramContext::current().gConnection;
    const QString name = QStringLiteral("full_disk_%1").arg(++made);
    const QString sql = QStringLiteral("CREATE TEMP TRIGGER %1 BEFORE %2 ON main.%3 %4BEGIN SELECT RAISE(ROLLBACK, 'disk full'); END")
                            .arg(name, event, table, when.isEmpty() ? QString() : QStringLiteral("WHEN ") + when + u' ');
    if (connection && connection->Execute(sql)) return name;
    qWarning("fullDiskOn: %s", connection ? qPrintable(connection->lastError()) : "no connection");
    return QString();
}
