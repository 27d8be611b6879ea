#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "platform/db/Connection.h"
#include "platform/db/DatabaseCopy.h"
#include "platform/db/Recordset.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <optional>

namespace {
const QString OldBuyer = QStringLiteral("old buyer");
const QString NewBuyer = QStringLiteral("new buyer");
// The bits Qt adds for the user running the test, apart from the file's own.
constexpr QFileDevice::Permissions ByUser = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The buyers of a database and its integrity, read through SQLite as the
// program would (which plays back any journal it finds beside the file).
struct Contents {
    QString integrity;
    QStringList buyers;
};
Contents contentsOf(const QString& path)
{
    Contents out;
    Connection c;
    if (!c.Open(path)) {
        out.integrity = QStringLiteral("cannot open: ") + c.lastError();
        return out;
    }
    out.integrity = c.Scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    Recordset rs;
    if (rs.Open(QStringLiteral("SELECT CustomerId FROM Customer ORDER BY CustomerId"), &c, Recordset::adOpenStatic, Recordset::adLockReadOnly))
        for (; !rs.isEOF(); rs.MoveNext()) out.buyers << rs.text(QStringLiteral("CustomerId"));
    return out;
}
}  // namespace

class tst_databasecopy : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QString folder() const { return env->programFolder(); }
    QString at(const QString& name) const { return QDir(folder()).filePath(name); }

    // A database holding one buyer.
    QString databaseWith(const QString& name, const QString& buyer)
    {
        const QString path = DatabaseFixture::create(folder(), name);
        if (!DatabaseFixture::execute(path, {"INSERT INTO Customer (CustomerId) VALUES ('" + buyer + "')"})) QTest::qFail("fixture", __FILE__, __LINE__);
        return path;
    }
    QStringList entries() const { return QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }

private slots:
    void init() { env.emplace(); }
    void cleanup()
    {
        // A folder a case made read-only is opened again for its removal.
        QFile::setPermissions(at("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.reset();
    }

    void replacesTheTargetWhole_data()
    {
        QTest::addColumn<QString>("before");  // what is at the target's place
        QTest::newRow("nothing there") << "nothing";
        QTest::newRow("an old database") << "database";
        // The old file's journal would be played into the new one.
        QTest::newRow("an old database killed in the middle of a change") << "hot journal";
        QTest::newRow("stray write-ahead files") << "wal";
        QTest::newRow("an earlier attempt's copy, killed in its set-up") << "partial";
    }
    void replacesTheTargetWhole()
    {
        QFETCH(QString, before);
        const QString source = databaseWith("source.mdb", NewBuyer);
        const QString target = at("target.mdb");
        const QString partial = DatabaseCopy::partialPath(target);
        if (before != "nothing") databaseWith("target.mdb", OldBuyer);
        if (before == "hot journal") {
            QVERIFY(DatabaseFixture::leaveHotJournal(target));
            QVERIFY(QFile::exists(target + "-journal"));
        } else if (before == "wal") {
            for (const QString& f : {target + "-wal", target + "-shm"}) {
                QFile stray(f);
                QVERIFY(stray.open(QIODevice::WriteOnly));
                stray.write(QByteArray(4096, 'w'));
            }
        } else if (before == "partial") {
            QVERIFY(QFile::copy(target, partial));
            QVERIFY(DatabaseFixture::leaveHotJournal(partial));
        }
        const QByteArray sourceBytes = fileHash(source);
        QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);

        DatabaseCopy copy(source, target);
        QVERIFY2(copy.Run(), qPrintable(copy.errorString()));
        QVERIFY(copy.errorString().isEmpty());

        const Contents got = contentsOf(target);
        QCOMPARE(got.integrity, QStringLiteral("ok"));
        QCOMPARE(got.buyers, QStringList{NewBuyer});
        QCOMPARE(QFile::permissions(target) & ~ByUser, QFile::ReadOwner | QFile::WriteOwner);
        const QStringList leftovers = DatabaseCopy::journalPaths(target) << partial << DatabaseCopy::journalPaths(partial);
        for (const QString& leftover : leftovers)
            QVERIFY2(!QFileInfo::exists(leftover), qPrintable(leftover));
        QCOMPARE(fileHash(source), sourceBytes);
    }

    // The copy is set up before it takes the target's place.
    void preparationRunsOnTheCopy()
    {
        const QString source = databaseWith("source.mdb", NewBuyer);
        const QString target = databaseWith("target.mdb", OldBuyer);
        DatabaseCopy copy(source, target);
        QString seenPath;
        copy.setPreparation([&](Connection& c, QString*) {
            seenPath = c.path();
            // The target is still the old database while the copy is set up.
            if (contentsOf(target).buyers != QStringList{OldBuyer}) return false;
            return c.Execute("INSERT INTO Customer (CustomerId) VALUES ('set up')");
        });
        QVERIFY2(copy.Run(), qPrintable(copy.errorString()));
        QCOMPARE(seenPath, DatabaseCopy::partialPath(target));
        QCOMPARE(contentsOf(target).buyers, (QStringList{NewBuyer, "set up"}));
    }

    void aFailureLeavesTheTargetAsItWas_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");  // what the reason says, %1 the folder
        QTest::newRow("no source") << "no source" << "The database %1/gone.mdb to copy was not found.";
        QTest::newRow("source is no database") << "garbage source" << "Copying %1/source.mdb failed: file is not a database";
        QTest::newRow("damaged source") << "damaged source" << "Checking the copy of %1/source.mdb failed: The file is damaged and cannot be used.";
        QTest::newRow("no folder") << "no folder" << "The folder %1/nowhere does not exist.";
        QTest::newRow("read-only folder") << "read-only folder" << "The folder %1/locked is read-only, so the new database cannot be saved in it.";
        QTest::newRow("set-up refused") << "set-up refused" << "Setting up the new database failed: no configuration row";
        QTest::newRow("journal cannot go") << "journal cannot go" << "Removing the old journal file %1/target.mdb-journal failed: ";
        QTest::newRow("target cannot be replaced") << "target is a folder" << "Putting the new database in the place of %1/target.mdb failed: ";
        QTest::newRow("an earlier copy cannot go") << "partial cannot go"
                                                   << "Removing %1/target.mdb.new, left by an earlier attempt, failed: ";
    }
    void aFailureLeavesTheTargetAsItWas()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        QString source = databaseWith("source.mdb", NewBuyer);
        QString target = databaseWith("target.mdb", OldBuyer);
        auto makeFolderAt = [](const QString& path) { return QDir().mkpath(QDir(path).filePath("inside")); };
        if (kind == "no source") {
            source = at("gone.mdb");
        } else if (kind == "garbage source") {
            QFile f(source);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray("a shopping list, not a database\n").repeated(300));
        } else if (kind == "damaged source") {
            QVERIFY(DatabaseFixture::damage(source, "Auction"));
        } else if (kind == "no folder") {
            target = at("nowhere/target.mdb");
        } else if (kind == "read-only folder") {
            QVERIFY(QDir().mkpath(at("locked")));
            target = DatabaseFixture::create(at("locked"), "target.mdb");
            QVERIFY(DatabaseFixture::execute(target, {"INSERT INTO Customer (CustomerId) VALUES ('old buyer')"}));
            QVERIFY(QFile::setPermissions(at("locked"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup));
        } else if (kind == "journal cannot go") {
            QVERIFY(makeFolderAt(target + "-journal"));
        } else if (kind == "target is a folder") {
            QVERIFY(QFile::remove(target));
            QVERIFY(makeFolderAt(target));
        } else if (kind == "partial cannot go") {
            QVERIFY(makeFolderAt(DatabaseCopy::partialPath(target)));
        }
        if (error.contains("%1")) error = error.arg(folder());
        const QByteArray targetBytes = fileHash(target);
        const QStringList before = entries();

        DatabaseCopy copy(source, target);
        if (kind == "set-up refused")
            copy.setPreparation([](Connection&, QString* why) {
                *why = QStringLiteral("no configuration row");
                return false;
            });
        QVERIFY(!copy.Run());
        QVERIFY2(copy.errorString().startsWith(error), qPrintable(copy.errorString()));
        // Nothing of the attempt is left, and the target is the file it was.
        QCOMPARE(entries(), before);
        QCOMPARE(fileHash(target), targetBytes);
        if (kind != "partial cannot go") QVERIFY(!QFileInfo::exists(DatabaseCopy::partialPath(target)));
    }
};

VENDARO_TEST_MAIN(tst_databasecopy)
#include "tst_databasecopy.moc"
