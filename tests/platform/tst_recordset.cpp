#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "TestEnvironment.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"
#include "platform/db/Transaction.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QScopeGuard>

#include <limits>
#include <sqlite3.h>
#include <optional>


namespace {

// Everything in a folder, so a refused open can be seen to have created nothing.
QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The same type and the same value; doubles to the last bit, Null only equal to Null.
bool identical(const QVariant& a, const QVariant& b)
{
    if (!a.isValid() || !b.isValid()) return a.isValid() == b.isValid();
    if (a.typeId() != b.typeId()) return false;
    if (a.typeId() == QMetaType::Double) return a.toDouble() == b.toDouble();
    return a == b;
}

QString show(const QVariant& v)
{
    if (!v.isValid()) return QStringLiteral("Null");
    if (v.typeId() == QMetaType::Double) return QStringLiteral("double(%1)").arg(v.toDouble(), 0, 'g', 17);
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(v.typeName()), v.toString());
}

int count(Connection& db, const QString& sql, const QVariantList& binds = {})
{
    bool ok = false;
    const QVariant v = db.Scalar(sql, binds, &ok);
    return ok ? v.toInt() : -1;
}

}  // namespace

#define COMPARE_EXACT(actual, expected)                                                                     \
    do {                                                                                                    \
        const QVariant actual_ = (actual), expected_ = (expected);                                          \
        QVERIFY2(identical(actual_, expected_),                                                             \
                 qPrintable(QStringLiteral("got %1, expected %2").arg(show(actual_), show(expected_))));    \
    } while (false)

class tst_recordset : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    // A fresh copy of the shop database, open in db. With auctions, it also
    // holds item BOOK (5 in stock) besides MISC, and auctions A1 (MISC,
    // action 1), A2 (BOOK, action 2) and A3 (BOOK, action 3), all without notes.
    bool openShop(Connection& db, bool withAuctions = true)
    {
        const QString path = DatabaseFixture::create(env->programFolder());
        if (path.isEmpty() || !db.Open(path)) return false;
        if (!withAuctions) return true;
        return db.Execute("INSERT INTO Item (ItemId, Description, Stock) VALUES ('BOOK', 'Second-hand books', 5)") &&
               db.Execute("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId) VALUES "
                          "('A1', 'MISC', 'Odd lot', 1), ('A2', 'BOOK', 'Novel', 2), ('A3', 'BOOK', 'Atlas', 3)");
    }

private slots:
    void init() { env.emplace(); }
    void cleanup()
    {
        // A case that made its folder read-only may have stopped early.
        QFile::setPermissions(QDir(env->programFolder()).filePath("case"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.reset();
    }

    // ---- Connection ------------------------------------------------------

    void openAcceptsTheShopDatabase()
    {
        const QString path = DatabaseFixture::create(env->programFolder());
        Connection db;
        QVERIFY2(db.Open(path), qPrintable(db.lastError()));
        QVERIFY(db.IsOpen());
        QCOMPARE(db.path(), path);
        QVERIFY(db.lastError().isEmpty());
        QCOMPARE(db.Scalar("SELECT Description FROM Item WHERE ItemId = 'MISC'").toString(), QStringLiteral("Miscellaneous items"));
        db.Close();
        QVERIFY(!db.IsOpen());
    }

    void openRefusesWhatIsNotAWritableDatabase_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing file") << "missing file";
        QTest::newRow("missing folder") << "missing folder";
        QTest::newRow("directory") << "directory";
        QTest::newRow("text file") << "text file";
        // SQLite would take a zero-byte file for an empty database.
        QTest::newRow("empty file") << "empty file";
        QTest::newRow("read-only database") << "read-only database";
        // Every query on it would fail "database disk image is malformed".
        QTest::newRow("damaged database") << "damaged database";
        // No journal could be made there: every change would fail. Refused for root too.
        QTest::newRow("read-only folder") << "read-only folder";
    }
    void openRefusesWhatIsNotAWritableDatabase()
    {
        QFETCH(QString, kind);
        const QString folder = QDir(env->programFolder()).filePath("case");
        QVERIFY(QDir().mkpath(folder));
        QString path = QDir(folder).filePath("shop.mdb");
        if (kind == "missing folder") {
            path = QDir(folder).filePath("nowhere/shop.mdb");
        } else if (kind == "directory") {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == "text file") {
            QVERIFY(writeFile(path, QByteArray("Auction list, not a database.\r\n").repeated(200)));
        } else if (kind == "empty file") {
            QVERIFY(writeFile(path, QByteArray()));
        } else if (kind == "read-only database") {
            // Refused for root too: a file marked read-only is left alone.
            QCOMPARE(DatabaseFixture::create(folder), path);
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else if (kind == "damaged database") {
            QCOMPARE(DatabaseFixture::create(folder), path);
            QVERIFY(DatabaseFixture::damage(path, "Auction"));
        } else if (kind == "read-only folder") {
            QCOMPARE(DatabaseFixture::create(folder), path);
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup));
        }
        const QStringList entriesBefore = folderEntries(folder);
        const bool isFile = QFileInfo(path).isFile();
        const QByteArray bytesBefore = fileBytes(path);

        // Open a good database first: a refused open must not leave the old one in use.
        Connection db;
        QVERIFY(db.Open(DatabaseFixture::create(env->programFolder())));
        QVERIFY2(!db.Open(path), "the open was accepted");
        QVERIFY(!db.lastError().isEmpty());
        QVERIFY(!db.IsOpen());
        QVERIFY(!db.Execute("SELECT 1"));

        QCOMPARE(folderEntries(folder), entriesBefore);
        QCOMPARE(QFileInfo(path).isFile(), isFile);
        if (isFile) QCOMPARE(fileBytes(path), bytesBefore);
        if (kind.startsWith("missing")) QVERIFY(!QFileInfo::exists(path));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // It holds the site password: opened, it is readable by its owner alone.
    void openMakesTheFileOwnerOnly_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("readable by all") << 0644;
        QTest::newRow("readable by the group") << 0640;
        QTest::newRow("writable by all") << 0666;
        QTest::newRow("owner-only already") << 0600;
    }
    void openMakesTheFileOwnerOnly()
    {
        QFETCH(int, mode);
        const QString path = DatabaseFixture::create(env->programFolder());
        // Qt's permission bits: owner 0xF000, group 0x00F0, others 0x000F.
        const auto bits = [](int m) {
            return QFile::Permissions::fromInt(((m & 0700) >> 6) << 12 | ((m & 070) >> 3) << 4 | (m & 07));
        };
        QVERIFY(QFile::setPermissions(path, bits(mode)));
        Connection db;
        QVERIFY2(db.Open(path), qPrintable(db.lastError()));
        const QFile::Permissions own = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        QCOMPARE(QFile::permissions(path) & ~own, bits(0600));
    }

    void executeBindsValuesInOrder()
    {
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        QVERIFY(db.Execute("CREATE TABLE T (Id INTEGER PRIMARY KEY, Name TEXT, Qty INTEGER)"));
        int rows = -1;
        QVERIFY(db.Execute("INSERT INTO T (Id, Name, Qty) VALUES (?, ?, ?)", {1, "a", 5}, &rows));
        QCOMPARE(rows, 1);
        QVERIFY(db.Execute("INSERT INTO T (Id, Name, Qty) VALUES (?, ?, ?)", {2, "b", 7}));
        QVERIFY(db.Execute("INSERT INTO T (Id, Name, Qty) VALUES (?, ?, ?)", {3, "c", 9}));

        // A ? inside quotes is text, not a value to bind; one closing ';' is fine.
        QVERIFY2(db.Execute("UPDATE T SET Name = '?' || Name WHERE Qty > ?;", {6}, &rows), qPrintable(db.lastError()));
        QCOMPARE(rows, 2);
        QCOMPARE(db.Scalar("SELECT group_concat(Name, ',') FROM (SELECT Name FROM T ORDER BY Id)").toString(), QStringLiteral("a,?b,?c"));
    }

    void executeRefusesBadStatements_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("binds");
        QTest::newRow("second statement after ;") << "UPDATE T SET Qty = 0; DELETE FROM T" << QVariantList{};
        QTest::newRow("second statement after a bound one") << "UPDATE T SET Qty = ?; DROP TABLE T" << QVariantList{0};
        QTest::newRow("too few values") << "UPDATE T SET Qty = ? WHERE Id = ?" << QVariantList{0};
        QTest::newRow("too many values") << "UPDATE T SET Qty = ?" << QVariantList{0, 1};
        QTest::newRow("values but no ?") << "DELETE FROM T" << QVariantList{1};
        QTest::newRow("syntax error") << "UPDATE T SET Qty = = 0" << QVariantList{};
        QTest::newRow("unknown table") << "DELETE FROM NoSuchTable" << QVariantList{};
        QTest::newRow("duplicate key") << "INSERT INTO T (Id, Qty) VALUES (?, 0)" << QVariantList{2};
    }
    void executeRefusesBadStatements()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, binds);
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        QVERIFY(db.Execute("CREATE TABLE T (Id INTEGER PRIMARY KEY, Qty INTEGER)"));
        QVERIFY(db.Execute("INSERT INTO T (Id, Qty) VALUES (1, 5), (2, 7)"));
        const QString snapshot = "SELECT group_concat(Id || ':' || Qty) FROM (SELECT * FROM T ORDER BY Id)";

        QVERIFY(!db.Execute(sql, binds));
        QVERIFY(!db.lastError().isEmpty());
        QCOMPARE(db.Scalar(snapshot).toString(), QStringLiteral("1:5,2:7"));
        // Nothing is left half-run on the connection.
        QVERIFY2(db.Execute("UPDATE T SET Qty = Qty + 1"), qPrintable(db.lastError()));
        QCOMPARE(db.Scalar(snapshot).toString(), QStringLiteral("1:6,2:8"));
    }

    // Stored through a bound value, read back through a query: the value, the
    // kind SQLite keeps it as, and the value written by a record set agree.
    void valuesRoundTrip_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("storage");
        auto text = [](const char* name, const QString& s) { QTest::newRow(name) << QVariant(s) << QVariant(s) << "text"; };
        text("apostrophes", "Men's 'best' shirts");
        text("double quotes", "A \"quoted\" word");
        text("percent and underscore", "100% off_all");
        text("backslashes", "C:\\shop\\new\\");
        text("line breaks", "first\r\nsecond\nthird\r");
        text("unicode", QString::fromUtf8("Kia ora, M\u0101ori \u263A \u65E5\u672C \U0001F600"));
        text("embedded nul", QString::fromUtf16(u"a\0b", 3));
        text("empty text stays text", QString(""));
        QTest::newRow("integer") << QVariant(42) << QVariant(qint64(42)) << "integer";
        QTest::newRow("beyond double precision") << QVariant(qint64(-9007199254740993LL)) << QVariant(qint64(-9007199254740993LL)) << "integer";
        QTest::newRow("largest integer") << QVariant(std::numeric_limits<qint64>::max()) << QVariant(std::numeric_limits<qint64>::max()) << "integer";
        QTest::newRow("double") << QVariant(0.1) << QVariant(0.1) << "real";
        QTest::newRow("tiny double") << QVariant(-1e-300) << QVariant(-1e-300) << "real";
        QTest::newRow("whole double stays real") << QVariant(3.0) << QVariant(3.0) << "real";
        QTest::newRow("Null") << QVariant() << QVariant() << "null";
        QTest::newRow("Yes") << QVariant(true) << QVariant(qint64(1)) << "integer";
        QTest::newRow("No") << QVariant(false) << QVariant(qint64(0)) << "integer";
        const QDateTime when(QDate(2024, 2, 29), QTime(13, 45, 30, 250));
        QTest::newRow("date and time") << QVariant(when) << QVariant(vb::toOleDate(when)) << "real";
        QTest::newRow("date") << QVariant(QDate(2024, 2, 29)) << QVariant(vb::toOleDate(QDate(2024, 2, 29))) << "real";
        QTest::newRow("bytes") << QVariant(QByteArray("\x00\x01\xff", 3)) << QVariant(QByteArray("\x00\x01\xff", 3)) << "blob";
    }
    void valuesRoundTrip()
    {
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        QFETCH(QString, storage);
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        // No declared type: SQLite keeps each value as it was given.
        QVERIFY(db.Execute("CREATE TABLE V (Id INTEGER PRIMARY KEY, Val)"));
        QVERIFY2(db.Execute("INSERT INTO V (Id, Val) VALUES (1, ?)", {value}), qPrintable(db.lastError()));

        QCOMPARE(db.Scalar("SELECT typeof(Val) FROM V WHERE Id = 1").toString(), storage);
        COMPARE_EXACT(db.Scalar("SELECT Val FROM V WHERE Id = 1"), stored);
        Recordset rs;
        QVERIFY2(rs.Open("SELECT Val FROM V WHERE Id = 1", &db), qPrintable(rs.lastError()));
        COMPARE_EXACT(rs.value("Val"), stored);
        // The same value bound in a condition finds the row.
        QCOMPARE(count(db, "SELECT count(*) FROM V WHERE Val IS ?", {value}), 1);

        // Written through an updatable record set, it is stored the same way.
        QVERIFY(db.Execute("INSERT INTO V (Id, Val) VALUES (2, 'placeholder')"));
        Recordset edit;
        QVERIFY(edit.Open("SELECT Id, Val FROM V WHERE Id = 2", &db, Recordset::adOpenStatic, Recordset::adLockOptimistic));
        QVERIFY(edit.setValue("Val", value));
        QVERIFY2(edit.Update(), qPrintable(edit.lastError()));
        COMPARE_EXACT(db.Scalar("SELECT Val FROM V WHERE Id = 2"), stored);
        QCOMPARE(db.Scalar("SELECT typeof(Val) FROM V WHERE Id = 2").toString(), storage);
    }

    // ---- Reading record sets ---------------------------------------------

    void fieldsAreFoundByNameOrTableAndColumn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("as selected") << "AuctionId" << true << QVariant("A2");
        QTest::newRow("other case") << "AUCTIONID" << true << QVariant("A2");
        QTest::newRow("alias") << "code" << true << QVariant("BOOK");
        QTest::newRow("plain name gives the first of two") << "Description" << true << QVariant("Novel");
        QTest::newRow("Table.Column") << "Item.Description" << true << QVariant("Second-hand books");
        QTest::newRow("Table.Column, other case") << "item.DESCRIPTION" << true << QVariant("Second-hand books");
        QTest::newRow("Table.Column, first table") << "Auction.Description" << true << QVariant("Novel");
        QTest::newRow("Table.Column behind an alias") << "Item.ItemId" << true << QVariant("BOOK");
        QTest::newRow("Table.Column not selected") << "Auction.ActionId" << false << QVariant();
        QTest::newRow("unknown field") << "Nothing" << false << QVariant();
    }
    void fieldsAreFoundByNameOrTableAndColumn()
    {
        QFETCH(QString, name);
        QFETCH(bool, found);
        QFETCH(QVariant, expected);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY2(rs.Open("SELECT AuctionId, Auction.Description, Item.Description, Item.ItemId AS Code "
                         "FROM Auction INNER JOIN Item ON Item.ItemId = Auction.ItemId WHERE AuctionId = ?",
                         &db, Recordset::adOpenStatic, Recordset::adLockReadOnly, {"A2"}),
                 qPrintable(rs.lastError()));
        QCOMPARE(rs.HasField(name), found);
        COMPARE_EXACT(rs.value(name), expected);
        COMPARE_EXACT(rs[name], expected);
    }

    void navigationOverRows()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId FROM Auction ORDER BY AuctionId", &db));
        QVERIFY(rs.IsOpen());
        QCOMPARE(rs.RecordCount(), 3);

        QStringList seen;
        for (; !rs.isEOF(); rs.MoveNext()) seen << rs.text("AuctionId");
        QCOMPARE(seen, (QStringList{"A1", "A2", "A3"}));
        QVERIFY(!rs.isBOF());
        QVERIFY(!rs.value("AuctionId").isValid());
        QVERIFY(rs.MoveNext());  // past the end stays at the end
        QVERIFY(rs.isEOF());

        QVERIFY(rs.MovePrevious());
        QCOMPARE(rs.text("AuctionId"), QStringLiteral("A3"));
        QVERIFY(rs.MoveFirst());
        QCOMPARE(rs.text("AuctionId"), QStringLiteral("A1"));
        QVERIFY(!rs.isBOF() && !rs.isEOF());
        QVERIFY(rs.MovePrevious());
        QVERIFY(rs.isBOF());
        QVERIFY(!rs.isEOF());
        QVERIFY(!rs.value("AuctionId").isValid());
        QVERIFY(rs.MoveNext());
        QCOMPARE(rs.text("AuctionId"), QStringLiteral("A1"));
        QVERIFY(rs.MoveLast());
        QCOMPARE(rs.text("AuctionId"), QStringLiteral("A3"));
        QVERIFY(!rs.isEOF());
    }

    void emptySetIsBothEofAndBof()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, Notes FROM Auction WHERE AuctionId = ?", &db, Recordset::adOpenStatic,
                        Recordset::adLockReadOnly, {"none"}));
        QVERIFY(rs.IsOpen());
        QCOMPARE(rs.RecordCount(), 0);
        QCOMPARE(rs.FieldCount(), 2);
        QVERIFY(rs.HasField("notes"));
        QVERIFY(rs.isEOF() && rs.isBOF());
        QVERIFY(rs.MoveFirst());
        QVERIFY(rs.MoveLast());
        QVERIFY(rs.MoveNext());
        QVERIFY(rs.isEOF() && rs.isBOF());
        QVERIFY(!rs.value("AuctionId").isValid());
        QCOMPARE(rs.text("AuctionId"), QString());
    }

    void textGivesEmptyForNull()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        QVERIFY(db.Execute("UPDATE Auction SET StartPrice = 12.5 WHERE AuctionId = 'A1'"));
        Recordset rs;
        QVERIFY(rs.Open("SELECT Notes, ActionId, StartPrice, TrackingNumber FROM Auction WHERE AuctionId = 'A1'", &db));
        QVERIFY(rs.isNull("Notes"));
        QCOMPARE(rs.text("Notes"), QString(""));
        QCOMPARE(rs.text("ActionId"), QStringLiteral("1"));
        QCOMPARE(rs.text("StartPrice"), QStringLiteral("12.5"));
        // An empty text is not Null.
        QVERIFY(!rs.isNull("TrackingNumber"));
        QCOMPARE(rs.text("TrackingNumber"), QString(""));
    }

    void statementWithoutRowsRunsAndStaysClosed()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY2(rs.Open("UPDATE Auction SET Notes = ? WHERE AuctionId = ?", &db, Recordset::adOpenStatic,
                         Recordset::adLockOptimistic, {"checked", "A2"}),
                 qPrintable(rs.lastError()));
        QVERIFY(!rs.IsOpen());
        QCOMPARE(rs.FieldCount(), 0);
        QCOMPARE(db.Scalar("SELECT Notes FROM Auction WHERE AuctionId = 'A2'").toString(), QStringLiteral("checked"));
    }

    void badQueryFailsAndCloses_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("binds");
        QTest::newRow("syntax error") << "SELEC * FROM Auction" << QVariantList{};
        QTest::newRow("unknown column") << "SELECT Nothing FROM Auction" << QVariantList{};
        QTest::newRow("unknown table") << "SELECT * FROM NoSuchTable" << QVariantList{};
        QTest::newRow("second statement") << "SELECT * FROM Auction; DELETE FROM Auction" << QVariantList{};
        QTest::newRow("missing value") << "SELECT * FROM Auction WHERE AuctionId = ?" << QVariantList{};
    }
    void badQueryFailsAndCloses()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, binds);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT * FROM Auction", &db));
        QVERIFY(!rs.Open(sql, &db, Recordset::adOpenStatic, Recordset::adLockOptimistic, binds));
        QVERIFY(!rs.lastError().isEmpty());
        QVERIFY(!rs.IsOpen());
        QCOMPARE(rs.RecordCount(), 0);
        QVERIFY(!rs.setValue("Notes", "x"));
        QCOMPARE(count(db, "SELECT count(*) FROM Auction"), 3);
    }

    // ---- Writing through record sets -------------------------------------

    void editWritesBackByKey()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, Notes, ActionId FROM Auction ORDER BY AuctionId", &db, Recordset::adOpenStatic,
                        Recordset::adLockOptimistic));
        QVERIFY(!rs.ReadOnly());
        QVERIFY(rs.MoveNext());
        QVERIFY(rs.setValue("notes", "Men's \"best\""));
        QVERIFY(rs.isEditing());
        QCOMPARE(rs.text("Notes"), QStringLiteral("Men's \"best\""));  // the pending value shows
        QVERIFY(!db.Scalar("SELECT Notes FROM Auction WHERE AuctionId = 'A2'").isValid());  // not written yet

        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
        QVERIFY(!rs.isEditing());
        QCOMPARE(db.Scalar("SELECT Notes FROM Auction WHERE AuctionId = 'A2'").toString(), QStringLiteral("Men's \"best\""));
        QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE Notes IS NOT NULL"), 1);

        // A second edit of the same row finds it again, now with its new values.
        QVERIFY(rs.setValue("ActionId", 7));
        QVERIFY(rs.setValue("Notes", QVariant()));
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
        QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE AuctionId = 'A2' AND ActionId = 7 AND Notes IS NULL"), 1);
        QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE ActionId = 7"), 1);
    }

    void joinWritesBothTablesInOneGo()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY2(rs.Open("SELECT AuctionId, ActionId, Item.ItemId, Item.Stock FROM Item INNER JOIN Auction "
                         "ON Item.ItemId = Auction.ItemId WHERE AuctionId=?",
                         &db, Recordset::adOpenStatic, Recordset::adLockOptimistic, {"A2"}),
                 qPrintable(rs.lastError()));
        QVERIFY(rs.setValue("ActionId", 4));
        QVERIFY(rs.setValue("Item.Stock", 4));
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
        QCOMPARE(db.Scalar("SELECT ActionId FROM Auction WHERE AuctionId = 'A2'").toInt(), 4);
        QCOMPARE(db.Scalar("SELECT Stock FROM Item WHERE ItemId = 'BOOK'").toInt(), 4);
        QCOMPARE(db.Scalar("SELECT ActionId FROM Auction WHERE AuctionId = 'A3'").toInt(), 3);
        QCOMPARE(db.Scalar("SELECT Stock FROM Item WHERE ItemId = 'MISC'").toInt(), 0);
    }

    void joinWriteIsAllOrNothing()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, ActionId, Item.ItemId, Item.Stock FROM Item INNER JOIN Auction "
                        "ON Item.ItemId = Auction.ItemId WHERE AuctionId=?",
                        &db, Recordset::adOpenStatic, Recordset::adLockOptimistic, {"A2"}));
        QVERIFY(db.Execute("DELETE FROM Item WHERE ItemId = 'BOOK'"));
        // The auction could be written, the item no longer: neither is.
        QVERIFY(rs.setValue("ActionId", 4));
        QVERIFY(rs.setValue("Stock", 4));
        QVERIFY(!rs.Update());
        QVERIFY(!rs.lastError().isEmpty());
        QCOMPARE(db.Scalar("SELECT ActionId FROM Auction WHERE AuctionId = 'A2'").toInt(), 2);
        QCOMPARE(db.transactionDepth(), 0);
    }

    void tableWithoutSelectedKeyIsWrittenByItsColumns()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        const QVariant version = db.Scalar("SELECT DatabaseVersion FROM Configuration");
        Recordset rs;
        QVERIFY(rs.Open("SELECT DatabaseDesc FROM Configuration", &db, Recordset::adOpenStatic, Recordset::adLockOptimistic));
        QCOMPARE(rs.RecordCount(), 1);
        QVERIFY(rs.setValue("DatabaseDesc", "O'Brien's shop"));
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
        QCOMPARE(db.Scalar("SELECT DatabaseDesc FROM Configuration").toString(), QStringLiteral("O'Brien's shop"));
        QCOMPARE(count(db, "SELECT count(*) FROM Configuration"), 1);
        COMPARE_EXACT(db.Scalar("SELECT DatabaseVersion FROM Configuration"), version);

        // And again, found by the value just written.
        QVERIFY(rs.setValue("DatabaseDesc", QVariant()));
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
        QVERIFY(!db.Scalar("SELECT DatabaseDesc FROM Configuration").isValid());
    }

    void pendingChangesCanBeDropped_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("CancelUpdate") << "CancelUpdate";
        QTest::newRow("Close") << "Close";
    }
    void pendingChangesCanBeDropped()
    {
        QFETCH(QString, how);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, Notes FROM Auction ORDER BY AuctionId", &db, Recordset::adOpenStatic,
                        Recordset::adLockOptimistic));
        QVERIFY(rs.setValue("Notes", "dropped"));
        if (how == "CancelUpdate") {
            rs.CancelUpdate();
            QVERIFY(!rs.isEditing());
            QVERIFY(rs.isNull("Notes"));
            QVERIFY(rs.MoveNext());  // nothing left to save on the way
            QVERIFY(rs.Update());
        } else {
            rs.Close();
            QVERIFY(!rs.IsOpen());
        }
        QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE Notes IS NOT NULL"), 0);
    }

    // As in ADO, leaving an edited row saves it.
    void movingOffAnEditedRowSavesIt_data()
    {
        QTest::addColumn<QString>("move");
        QTest::addColumn<QString>("landsOn");
        QTest::newRow("MoveNext") << "MoveNext" << "A3";
        QTest::newRow("MovePrevious") << "MovePrevious" << "A1";
        QTest::newRow("MoveFirst") << "MoveFirst" << "A1";
        QTest::newRow("MoveLast") << "MoveLast" << "A3";
        QTest::newRow("MoveTo") << "MoveTo" << "A1";
        QTest::newRow("AddNew") << "AddNew" << "";
    }
    void movingOffAnEditedRowSavesIt()
    {
        QFETCH(QString, move);
        QFETCH(QString, landsOn);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, Notes FROM Auction ORDER BY AuctionId", &db, Recordset::adOpenStatic,
                        Recordset::adLockOptimistic));
        QVERIFY(rs.MoveTo(1));
        QVERIFY(rs.setValue("Notes", "saved on the move"));

        bool moved = false;
        if (move == "MoveNext") moved = rs.MoveNext();
        else if (move == "MovePrevious") moved = rs.MovePrevious();
        else if (move == "MoveFirst") moved = rs.MoveFirst();
        else if (move == "MoveLast") moved = rs.MoveLast();
        else if (move == "MoveTo") moved = rs.MoveTo(0);
        else if (move == "AddNew") moved = rs.AddNew();
        QVERIFY2(moved, qPrintable(rs.lastError()));

        QCOMPARE(db.Scalar("SELECT Notes FROM Auction WHERE AuctionId = 'A2'").toString(), QStringLiteral("saved on the move"));
        QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE Notes IS NOT NULL"), 1);
        if (landsOn.isEmpty()) {
            QVERIFY(rs.isEditing());  // the new row
            rs.CancelUpdate();
        } else {
            QVERIFY(!rs.isEditing());
            QCOMPARE(rs.text("AuctionId"), landsOn);
        }
    }

    void readOnlySetRefusesChanges()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, Notes FROM Auction ORDER BY AuctionId", &db));
        QVERIFY(rs.ReadOnly());
        QVERIFY(!rs.setValue("Notes", "x"));
        QVERIFY(!rs.lastError().isEmpty());
        QVERIFY(!rs.isEditing());
        QVERIFY(rs.isNull("Notes"));
        QVERIFY(!rs.AddNew());
        QVERIFY(!rs.Delete());
        QVERIFY(rs.MoveNext());
        QCOMPARE(count(db, "SELECT count(*) FROM Auction"), 3);
        QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE Notes IS NOT NULL"), 0);
    }

    void onlyColumnsOfATableCanBeSet_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("settable");
        QTest::newRow("expression") << "SELECT AuctionId, ActionId+1 AS N FROM Auction WHERE AuctionId = 'A1'" << "N" << false;
        QTest::newRow("constant") << "SELECT AuctionId, 9 AS Step FROM Auction WHERE AuctionId = 'A1'" << "Step" << false;
        QTest::newRow("aggregate") << "SELECT max(ActionId) AS Step FROM Auction WHERE AuctionId = 'A1'" << "Step" << false;
        QTest::newRow("column under an alias") << "SELECT AuctionId AS Id, ActionId AS Step FROM Auction WHERE AuctionId = 'A1'"
                                               << "Step" << true;
    }
    void onlyColumnsOfATableCanBeSet()
    {
        QFETCH(QString, sql);
        QFETCH(QString, field);
        QFETCH(bool, settable);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY2(rs.Open(sql, &db, Recordset::adOpenStatic, Recordset::adLockOptimistic), qPrintable(rs.lastError()));
        QCOMPARE(rs.setValue(field, 9), settable);
        if (settable) {
            QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
            QCOMPARE(db.Scalar("SELECT ActionId FROM Auction WHERE AuctionId = 'A1'").toInt(), 9);
        } else {
            QVERIFY(!rs.lastError().isEmpty());
            QVERIFY(!rs.isEditing());
            QCOMPARE(db.Scalar("SELECT ActionId FROM Auction WHERE AuctionId = 'A1'").toInt(), 1);
        }
    }

    void addNewInsertsAndReadsBackDefaults()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT * FROM Item ORDER BY ItemId", &db, Recordset::adOpenStatic, Recordset::adLockOptimistic));
        QCOMPARE(rs.RecordCount(), 2);
        QVERIFY(rs.AddNew());
        QVERIFY(rs.isEditing());
        QVERIFY(rs.setValue("ItemId", "NEW"));
        QVERIFY(rs.setValue("Description", "New item"));
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));

        // The new row is current and shows the table's defaults.
        QCOMPARE(rs.RecordCount(), 3);
        QCOMPARE(rs.AbsolutePosition(), 2);
        QCOMPARE(rs.text("ItemId"), QStringLiteral("NEW"));
        QCOMPARE(rs.text("EndDay"), QStringLiteral(","));
        COMPARE_EXACT(rs.value("Stock"), QVariant(qint64(0)));
        QCOMPARE(db.Scalar("SELECT Description FROM Item WHERE ItemId = 'NEW'").toString(), QStringLiteral("New item"));

        // It can be edited at once, like any fetched row.
        QVERIFY(rs.setValue("Stock", 12));
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
        QCOMPARE(db.Scalar("SELECT Stock FROM Item WHERE ItemId = 'NEW'").toInt(), 12);
        QCOMPARE(count(db, "SELECT count(*) FROM Item"), 3);
    }

    void addNewReadsBackTheNewAutonumber()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        QVERIFY(db.Execute("INSERT INTO History (AuctionId, Description) VALUES ('A1', 'first'), ('A1', 'second')"));
        const qint64 last = db.Scalar("SELECT max(Autonumber) FROM History").toLongLong();
        // The last number is never handed out again, even once its row is gone.
        QVERIFY(db.Execute("DELETE FROM History WHERE Autonumber = ?", {last}));

        const QDateTime when(QDate(2024, 5, 1), QTime(9, 30));
        Recordset rs;
        QVERIFY(rs.Open("SELECT Autonumber, AuctionId, [Date], Description FROM History WHERE AuctionId = ?", &db,
                        Recordset::adOpenStatic, Recordset::adLockOptimistic, {"A2"}));
        QVERIFY(rs.AddNew());
        QVERIFY(rs.setValue("AuctionId", "A2"));
        QVERIFY(rs.setValue("Date", when));
        QVERIFY(rs.setValue("Description", "Relisted"));
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));

        COMPARE_EXACT(rs.value("Autonumber"), QVariant(last + 1));
        COMPARE_EXACT(rs.value("Date"), QVariant(vb::toOleDate(when)));
        QCOMPARE(db.Scalar("SELECT Description FROM History WHERE Autonumber = ?", {last + 1}).toString(), QStringLiteral("Relisted"));
        COMPARE_EXACT(db.Scalar("SELECT \"Date\" FROM History WHERE Autonumber = ?", {last + 1}), QVariant(vb::toOleDate(when)));
    }

    // The deleted row leaves the database at once but stays current until the
    // next move, which lands on the row that followed it (as in ADO).
    void deleteThenMoveNext_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("next");
        QTest::newRow("first row") << 0 << "A2";
        QTest::newRow("middle row") << 1 << "A3";
        QTest::newRow("last row") << 2 << "";
    }
    void deleteThenMoveNext()
    {
        QFETCH(int, at);
        QFETCH(QString, next);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, Notes FROM Auction ORDER BY AuctionId", &db, Recordset::adOpenStatic,
                        Recordset::adLockOptimistic));
        QVERIFY(rs.MoveTo(at));
        const QString deleted = rs.text("AuctionId");
        QVERIFY2(rs.Delete(), qPrintable(rs.lastError()));

        QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE AuctionId = ?", {deleted}), 0);
        QCOMPARE(count(db, "SELECT count(*) FROM Auction"), 2);
        QCOMPARE(rs.AbsolutePosition(), at);
        QVERIFY(rs.text("AuctionId") != deleted);

        QVERIFY(rs.MoveNext());
        if (next.isEmpty()) {
            QVERIFY(rs.isEOF());
        } else {
            QVERIFY(!rs.isEOF());
            QCOMPARE(rs.text("AuctionId"), next);
        }
        QCOMPARE(rs.RecordCount(), 2);
        QVERIFY(rs.MoveFirst());
        QCOMPARE(rs.text("AuctionId"), QString(at == 0 ? "A2" : "A1"));
    }

    void deletingWhileLoopingVisitsEveryRow()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, ItemId FROM Auction ORDER BY AuctionId DESC", &db, Recordset::adOpenStatic,
                        Recordset::adLockOptimistic));
        QStringList visited;
        while (!rs.isEOF()) {
            visited << rs.text("AuctionId");
            if (rs.text("ItemId") == "BOOK") QVERIFY2(rs.Delete(), qPrintable(rs.lastError()));
            QVERIFY(rs.MoveNext());
        }
        QCOMPARE(visited, (QStringList{"A3", "A2", "A1"}));
        QCOMPARE(db.Scalar("SELECT group_concat(AuctionId) FROM Auction").toString(), QStringLiteral("A1"));
    }

    // A write that cannot find its row any more fails with a message; it
    // never succeeds silently nor writes some other row.
    void updateOfARowChangedMeanwhileFails_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::newRow("deleted, found by key") << "SELECT AuctionId, Notes FROM Auction ORDER BY AuctionId"
                                               << "DELETE FROM Auction WHERE AuctionId = 'A1'" << "Auction" << "Notes";
        QTest::newRow("deleted, found by columns") << "SELECT DatabaseDesc FROM Configuration"
                                                   << "DELETE FROM Configuration" << "Configuration" << "DatabaseDesc";
        QTest::newRow("changed, found by columns") << "SELECT DatabaseDesc FROM Configuration"
                                                   << "UPDATE Configuration SET DatabaseDesc = 'theirs'" << "Configuration"
                                                   << "DatabaseDesc";
    }
    void updateOfARowChangedMeanwhileFails()
    {
        QFETCH(QString, sql);
        QFETCH(QString, meanwhile);
        QFETCH(QString, table);
        QFETCH(QString, field);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open(sql, &db, Recordset::adOpenStatic, Recordset::adLockOptimistic));
        QVERIFY(db.Execute(meanwhile));
        const QString snapshot =
            QStringLiteral("SELECT count(*) || ':' || coalesce(group_concat(%1), '-') FROM %2").arg(field, table);
        const QString before = db.Scalar(snapshot).toString();

        QVERIFY(rs.setValue(field, "mine"));
        QVERIFY(!rs.Update());
        QVERIFY(!rs.lastError().isEmpty());
        QCOMPARE(db.Scalar(snapshot).toString(), before);
        // Moving off tries the save again, and stays put when it fails.
        QVERIFY(!rs.MoveLast());
        QVERIFY(rs.isEditing());
        QCOMPARE(rs.AbsolutePosition(), 0);
        rs.CancelUpdate();
        QCOMPARE(db.transactionDepth(), 0);
    }

    // Rows a table without a key cannot tell apart: a write to one of them
    // must never reach the others.
    void writesToIndistinctRowsTouchAtMostOne_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("Update") << "Update";
        QTest::newRow("Delete") << "Delete";
    }
    void writesToIndistinctRowsTouchAtMostOne()
    {
        QFETCH(QString, operation);
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        QVERIFY(db.Execute("CREATE TABLE Tag (Name TEXT, Colour TEXT)"));
        QVERIFY(db.Execute("INSERT INTO Tag (Name, Colour) VALUES ('red', 'x'), ('red', 'x'), ('blue', 'y')"));
        Recordset rs;
        QVERIFY(rs.Open("SELECT Name, Colour FROM Tag ORDER BY Name DESC", &db, Recordset::adOpenStatic, Recordset::adLockOptimistic));
        QCOMPARE(rs.text("Name"), QStringLiteral("red"));

        bool done = false;
        if (operation == "Update") {
            QVERIFY(rs.setValue("Colour", "z"));
            done = rs.Update();
        } else {
            done = rs.Delete();
        }
        if (!done) QVERIFY(!rs.lastError().isEmpty());
        // One of two identical rows of a keyless table cannot be told apart:
        // the write is refused and neither row changes.
        QCOMPARE(count(db, "SELECT count(*) FROM Tag WHERE Name = 'red' AND Colour = 'x'"), done ? 1 : 2);
        QCOMPARE(count(db, "SELECT count(*) FROM Tag WHERE Name = 'blue'"), 1);
    }

    void sortedSetStillWritesTheRightRows()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        Recordset rs;
        QVERIFY(rs.Open("SELECT AuctionId, Notes FROM Auction ORDER BY AuctionId", &db, Recordset::adOpenStatic,
                        Recordset::adLockOptimistic));
        rs.Sort("auctionid", false);
        QCOMPARE(rs.AbsolutePosition(), 0);
        QCOMPARE(rs.text("AuctionId"), QStringLiteral("A3"));
        QVERIFY(rs.setValue("Notes", "sorted"));
        QVERIFY2(rs.MoveNext(), qPrintable(rs.lastError()));
        QCOMPARE(rs.text("AuctionId"), QStringLiteral("A2"));
        QVERIFY2(rs.Delete(), qPrintable(rs.lastError()));
        QCOMPARE(db.Scalar("SELECT group_concat(AuctionId || '=' || coalesce(Notes, '-')) FROM (SELECT * FROM Auction ORDER BY AuctionId)").toString(),
                 QStringLiteral("A1=-,A3=sorted"));
    }

    // ---- In-memory record sets -------------------------------------------

    void inMemorySetHoldsTypedRows()
    {
        Recordset rs;
        rs.AppendField("Name");
        rs.AppendField("Qty", QMetaType::Int);
        rs.AppendField("Price", QMetaType::Double);
        QVERIFY(rs.OpenInMemory());
        QVERIFY(rs.IsOpen());
        QVERIFY(!rs.ReadOnly());
        QCOMPARE(rs.FieldCount(), 3);
        QCOMPARE(rs.RecordCount(), 0);
        QVERIFY(rs.isEOF() && rs.isBOF());

        QVERIFY(rs.AddNew());
        QVERIFY(rs.setValue("name", "Tea"));
        QVERIFY(rs.setValue("Qty", "7"));
        QVERIFY(rs.setValue("Price", 2));
        QVERIFY(!rs.setValue("Qty", "lots"));  // not a number: refused, the 7 stays
        QVERIFY(rs.AddNew());  // saves the row being added first
        QVERIFY(rs.setValue("Name", "Coffee"));
        QVERIFY(rs.Update());
        QCOMPARE(rs.RecordCount(), 2);
        QCOMPARE(rs.text("Name"), QStringLiteral("Coffee"));
        QVERIFY(rs.isNull("Qty"));

        QVERIFY(rs.MoveFirst());
        QCOMPARE(rs.text("Name"), QStringLiteral("Tea"));
        COMPARE_EXACT(rs.value("Qty"), QVariant(7));
        COMPARE_EXACT(rs.value("Price"), QVariant(2.0));
        QVERIFY(rs.setValue("Name", "Green tea"));
        QVERIFY(rs.MoveNext());
        QVERIFY(rs.MovePrevious());
        QCOMPARE(rs.text("Name"), QStringLiteral("Green tea"));

        QVERIFY(rs.Delete());
        QVERIFY(rs.MoveNext());
        QCOMPARE(rs.text("Name"), QStringLiteral("Coffee"));
        QCOMPARE(rs.RecordCount(), 1);
    }

    void inMemorySort_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QList<int>>("order");  // positions of the values, as sorted
        const QVariantList words{"banana", "Apple", "cherry", "apple"};
        QTest::newRow("text ignoring case") << int(QMetaType::QString) << words << true << QList<int>{1, 3, 0, 2};
        QTest::newRow("text descending") << int(QMetaType::QString) << words << false << QList<int>{2, 0, 1, 3};
        QTest::newRow("numbers by value") << int(QMetaType::Int) << QVariantList{10, 9, 100, -1} << true << QList<int>{3, 1, 0, 2};
        QTest::newRow("digits in text sort as text") << int(QMetaType::QString) << QVariantList{"10", "9", "100"} << true
                                                     << QList<int>{0, 2, 1};
        QTest::newRow("doubles descending") << int(QMetaType::Double) << QVariantList{2.5, -1.0, 10.25} << false << QList<int>{2, 0, 1};
        const QVariantList withNulls{"b", QVariant(), "a", QVariant()};
        QTest::newRow("Nulls first") << int(QMetaType::QString) << withNulls << true << QList<int>{1, 3, 2, 0};
        QTest::newRow("Nulls last when descending") << int(QMetaType::QString) << withNulls << false << QList<int>{0, 2, 1, 3};
        QTest::newRow("Null numbers first") << int(QMetaType::Int) << QVariantList{3, QVariant(), 1} << true << QList<int>{1, 2, 0};
    }
    void inMemorySort()
    {
        QFETCH(int, type);
        QFETCH(QVariantList, values);
        QFETCH(bool, ascending);
        QFETCH(QList<int>, order);
        Recordset rs;
        rs.AppendField("Key", QMetaType::Type(type));
        rs.AppendField("Position", QMetaType::Int);
        QVERIFY(rs.OpenInMemory());
        for (int i = 0; i < values.size(); ++i) {
            QVERIFY(rs.AddNew());
            QVERIFY(rs.setValue("Key", values[i]));
            QVERIFY(rs.setValue("Position", i));
            QVERIFY(rs.Update());
        }
        rs.Sort("key", ascending);
        QCOMPARE(rs.AbsolutePosition(), 0);
        QList<int> sorted;
        for (; !rs.isEOF(); rs.MoveNext()) sorted << rs.value("Position").toInt();
        QCOMPARE(sorted, order);
    }

    // ---- Transactions ----------------------------------------------------

    void transactionRollsBackUnlessCommitted_data()
    {
        QTest::addColumn<bool>("commit");
        QTest::newRow("committed") << true;
        QTest::newRow("left uncommitted") << false;
    }
    void transactionRollsBackUnlessCommitted()
    {
        QFETCH(bool, commit);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        {
            Transaction tx(&db);
            QVERIFY2(tx.isActive(), qPrintable(tx.lastError()));
            QCOMPARE(db.transactionDepth(), 1);
            QVERIFY(db.Execute("UPDATE Auction SET Notes = 'done' WHERE AuctionId = 'A1'"));
            QVERIFY(db.Execute("DELETE FROM Auction WHERE AuctionId = 'A3'"));
            if (commit) {
                QVERIFY2(tx.Commit(), qPrintable(tx.lastError()));
                QVERIFY(!tx.isActive());
                QVERIFY(!tx.Commit());
            }
        }
        QCOMPARE(db.transactionDepth(), 0);
        // What another connection finds in the file.
        Connection other;
        QVERIFY(other.Open(db.path()));
        QCOMPARE(count(other, "SELECT count(*) FROM Auction WHERE Notes = 'done'"), commit ? 1 : 0);
        QCOMPARE(count(other, "SELECT count(*) FROM Auction"), commit ? 2 : 3);
    }

    void nestedTransactions_data()
    {
        QTest::addColumn<bool>("innerCommits");
        QTest::addColumn<bool>("outerCommits");
        QTest::addColumn<bool>("outerKept");
        QTest::addColumn<bool>("innerKept");
        QTest::newRow("both commit") << true << true << true << true;
        QTest::newRow("inner commits, outer does not") << true << false << false << false;
        QTest::newRow("inner rolls back, outer commits") << false << true << true << false;
        QTest::newRow("neither commits") << false << false << false << false;
    }
    void nestedTransactions()
    {
        QFETCH(bool, innerCommits);
        QFETCH(bool, outerCommits);
        QFETCH(bool, outerKept);
        QFETCH(bool, innerKept);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        const QString insert = "INSERT INTO History (AuctionId, Description) VALUES ('A1', ?)";
        const QString has = "SELECT count(*) FROM History WHERE Description = ?";
        {
            Transaction outer(&db);
            QVERIFY(outer.isActive());
            QVERIFY(db.Execute(insert, {"outer"}));
            {
                Transaction inner(&db);
                QVERIFY2(inner.isActive(), qPrintable(inner.lastError()));
                QCOMPARE(db.transactionDepth(), 2);
                QVERIFY(db.Execute(insert, {"inner"}));
                if (innerCommits) QVERIFY2(inner.Commit(), qPrintable(inner.lastError()));
            }
            QCOMPARE(db.transactionDepth(), 1);
            QCOMPARE(count(db, has, {"outer"}), 1);
            QCOMPARE(count(db, has, {"inner"}), innerCommits ? 1 : 0);
            // Work after the inner guard belongs to the outer one.
            QVERIFY(db.Execute(insert, {"after"}));
            if (outerCommits) QVERIFY2(outer.Commit(), qPrintable(outer.lastError()));
        }
        QCOMPARE(db.transactionDepth(), 0);
        QCOMPARE(count(db, has, {"outer"}), outerKept ? 1 : 0);
        QCOMPARE(count(db, has, {"after"}), outerKept ? 1 : 0);
        QCOMPARE(count(db, has, {"inner"}), innerKept ? 1 : 0);
    }

    void recordSetWritesJoinAnOpenTransaction()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        {
            Transaction tx(&db);
            Recordset rs;
            QVERIFY(rs.Open("SELECT AuctionId, ItemId, Notes FROM Auction ORDER BY AuctionId", &db, Recordset::adOpenStatic,
                            Recordset::adLockOptimistic));
            QVERIFY(rs.setValue("Notes", "edited"));
            QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
            QVERIFY(rs.MoveNext());
            QVERIFY2(rs.Delete(), qPrintable(rs.lastError()));
            QVERIFY(rs.AddNew());
            QVERIFY(rs.setValue("AuctionId", "A9"));
            QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
            QCOMPARE(db.transactionDepth(), 1);
            QCOMPARE(db.Scalar("SELECT group_concat(AuctionId) FROM (SELECT AuctionId FROM Auction ORDER BY AuctionId)").toString(),
                     QStringLiteral("A1,A3,A9"));
        }
        QCOMPARE(db.Scalar("SELECT group_concat(AuctionId) FROM (SELECT AuctionId FROM Auction ORDER BY AuctionId)").toString(),
                 QStringLiteral("A1,A2,A3"));
        QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE Notes IS NOT NULL"), 0);
    }

    // Another program reads the file while a save commits: the commit fails,
    // everything of the save is rolled back, the connection is left outside
    // any transaction (so the file is free again) and the next save works.
    void failedCommitRollsBackAndFreesTheFile_data()
    {
        QTest::addColumn<QString>("save");
        QTest::newRow("one guard") << "guard";
        QTest::newRow("an inner guard committed inside the outer one") << "nested";
        QTest::newRow("a record set's own write") << "recordset";
    }
    void failedCommitRollsBackAndFreesTheFile()
    {
        QFETCH(QString, save);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        ReadLock::shortenWait(db);
        {
            ReadLock reader(db.path());
            QVERIFY(reader.held());
            if (save == "recordset") {
                Recordset rs;
                QVERIFY(rs.Open("SELECT AuctionId, Notes FROM Auction WHERE AuctionId = 'A1'", &db, Recordset::adOpenStatic,
                                Recordset::adLockOptimistic));
                QVERIFY(rs.setValue("Notes", "lost"));
                QVERIFY(!rs.Update());
                QVERIFY2(rs.lastError().contains("locked"), qPrintable(rs.lastError()));
                rs.CancelUpdate();
            } else {
                Transaction tx(&db);
                QVERIFY(db.Execute("UPDATE Auction SET Notes = 'lost' WHERE AuctionId = 'A1'"));
                if (save == "nested") {
                    Transaction inner(&db);
                    QVERIFY(db.Execute("INSERT INTO History (AuctionId, Description) VALUES ('A1', 'lost')"));
                    QVERIFY2(inner.Commit(), qPrintable(inner.lastError()));
                }
                QVERIFY(!tx.Commit());
                QVERIFY2(tx.lastError().contains("locked"), qPrintable(tx.lastError()));
                QVERIFY(!tx.isActive());
            }
            QCOMPARE(db.transactionDepth(), 0);
            QVERIFY(!ReadLock::inTransaction(db));
            QCOMPARE(count(db, "SELECT count(*) FROM Auction WHERE Notes = 'lost'"), 0);
        }
        // The file is free: another program writes to it at once.
        Connection other;
        QVERIFY(other.Open(db.path()));
        ReadLock::shortenWait(other);
        QVERIFY2(other.Execute("UPDATE Auction SET Notes = 'theirs' WHERE AuctionId = 'A2'"), qPrintable(other.lastError()));
        other.Close();
        {
            Transaction tx(&db);
            QVERIFY(db.Execute("UPDATE Auction SET Notes = 'kept' WHERE AuctionId = 'A3'"));
            QVERIFY2(tx.Commit(), qPrintable(tx.lastError()));
        }
        const QString path = db.path();
        db.Close();
        QVERIFY(db.Open(path));
        QCOMPARE(db.Scalar("SELECT group_concat(AuctionId || '=' || coalesce(Notes, '-')) FROM "
                           "(SELECT AuctionId, Notes FROM Auction ORDER BY AuctionId)")
                     .toString(),
                 QStringLiteral("A1=-,A2=theirs,A3=kept"));
        QCOMPARE(count(db, "SELECT count(*) FROM History WHERE Description = 'lost'"), 0);
    }

    // SQLite rolls the whole transaction back inside an inner guard (a
    // trigger raising ROLLBACK stands in for a full disk). No guard counts
    // that as its own rollback: each one still open fails, nothing of the
    // rest of the save is written (not even one statement at a time outside
    // any transaction), and nothing reaches the file.
    void transactionEndedBySqlite_data()
    {
        QTest::addColumn<QString>("innerEnds");
        QTest::newRow("the inner guard commits") << "commit";
        QTest::newRow("the inner guard rolls back") << "rollback";
        QTest::newRow("the inner guard goes out of scope") << "scope";
    }
    void transactionEndedBySqlite()
    {
        QFETCH(QString, innerEnds);
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        QVERIFY(!DatabaseFixture::fullDiskOn("INSERT", "History", "NEW.Description = 'full'", &db).isEmpty());
        const QString insert = "INSERT INTO History (AuctionId, Description) VALUES ('A1', ?)";
        {
            Transaction outer(&db);
            QVERIFY(db.Execute("UPDATE Auction SET Notes = 'lost' WHERE AuctionId = 'A1'"));
            {
                Transaction inner(&db);
                QVERIFY(db.Execute(insert, {"before"}));
                QVERIFY(!db.Execute(insert, {"full"}));
                QCOMPARE(db.lastError(), QStringLiteral("disk full"));
                QVERIFY(db.transactionEnded());
                if (innerEnds == "commit") QVERIFY(!inner.Commit());
                if (innerEnds == "rollback") QVERIFY(!inner.Rollback());
                if (innerEnds != "scope") {
                    QVERIFY(!inner.isActive());
                    QVERIFY2(inner.lastError().contains("disk full"), qPrintable(inner.lastError()));
                }
            }
            QCOMPARE(db.transactionDepth(), 1);
            // The rest of the save: refused, whether a statement, a record set or another step.
            QVERIFY(!db.Execute(insert, {"after"}));
            QVERIFY2(db.lastError().contains("disk full"), qPrintable(db.lastError()));
            Recordset rs;
            QVERIFY(rs.Open("SELECT AuctionId, Notes FROM Auction WHERE AuctionId = 'A2'", &db, Recordset::adOpenStatic,
                            Recordset::adLockOptimistic));
            QVERIFY(rs.setValue("Notes", "lost"));
            QVERIFY(!rs.Update());
            rs.CancelUpdate();
            {
                Transaction step(&db);
                QVERIFY(!step.isActive());
                QVERIFY2(step.lastError().contains("disk full"), qPrintable(step.lastError()));
                QVERIFY(!db.Execute(insert, {"step"}));
                QVERIFY(!step.Commit());
            }
            // Reading goes on: the seller can still be shown what is there.
            QCOMPARE(count(db, "SELECT count(*) FROM Auction"), 3);
            QVERIFY(!outer.Commit());
            QVERIFY2(outer.lastError().contains("disk full"), qPrintable(outer.lastError()));
            QVERIFY(outer.Rollback());
        }
        QCOMPARE(db.transactionDepth(), 0);
        QVERIFY(!db.transactionEnded());
        Connection other;
        QVERIFY(other.Open(db.path()));
        QCOMPARE(count(other, "SELECT count(*) FROM History"), 0);
        QCOMPARE(count(other, "SELECT count(*) FROM Auction WHERE Notes IS NOT NULL"), 0);
        other.Close();

        // The next save is whole again.
        {
            Transaction tx(&db);
            QVERIFY2(tx.isActive(), qPrintable(tx.lastError()));
            QVERIFY(db.Execute(insert, {"kept"}));
            {
                Transaction inner(&db);
                QVERIFY(db.Execute(insert, {"kept too"}));
                QVERIFY2(inner.Commit(), qPrintable(inner.lastError()));
            }
            QVERIFY2(tx.Commit(), qPrintable(tx.lastError()));
        }
        QCOMPARE(count(db, "SELECT count(*) FROM History"), 2);
    }

    // A guard alone whose transaction SQLite ends: its rollback is what it
    // asked for (nothing kept), its commit fails with the cause.
    void outermostGuardEndedBySqlite()
    {
        Connection db;
        QVERIFY2(openShop(db), qPrintable(db.lastError()));
        QVERIFY(!DatabaseFixture::fullDiskOn("UPDATE", "Auction", QString(), &db).isEmpty());
        {
            Transaction tx(&db);
            QVERIFY(db.Execute("DELETE FROM Auction WHERE AuctionId = 'A3'"));
            QVERIFY(!db.Execute("UPDATE Auction SET Notes = 'lost'"));
            QVERIFY(!db.Execute("DELETE FROM Auction"));
            QVERIFY(!tx.Commit());
            QVERIFY2(tx.lastError().contains("disk full"), qPrintable(tx.lastError()));
        }
        {
            Transaction tx(&db);
            QVERIFY(db.Execute("DELETE FROM Auction WHERE AuctionId = 'A3'"));
            QVERIFY(!db.Execute("UPDATE Auction SET Notes = 'lost'"));
            QVERIFY(tx.Rollback());
        }
        QCOMPARE(db.transactionDepth(), 0);
        QCOMPARE(count(db, "SELECT count(*) FROM Auction"), 3);
    }

    void transactionNeedsAnOpenDatabase()
    {
        Connection db;
        Transaction tx(&db);
        QVERIFY(!tx.isActive());
        QVERIFY(!tx.lastError().isEmpty());
        QVERIFY(!tx.Commit());
        QCOMPARE(db.transactionDepth(), 0);
    }

    // ---- SQL text --------------------------------------------------------

    void quoteWritesLiterals_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("literal");
        QTest::newRow("Null") << QVariant() << "NULL";
        QTest::newRow("Yes") << QVariant(true) << "1";
        QTest::newRow("No") << QVariant(false) << "0";
        QTest::newRow("integer") << QVariant(42) << "42";
        QTest::newRow("negative 64-bit") << QVariant(qint64(-9007199254740993LL)) << "-9007199254740993";
        QTest::newRow("double") << QVariant(1.5) << "1.5";
        QTest::newRow("negative double") << QVariant(-0.25) << "-0.25";
        QTest::newRow("apostrophe") << QVariant("Men's") << "'Men''s'";
        QTest::newRow("only apostrophes") << QVariant("''") << "''''''";
        QTest::newRow("empty text") << QVariant("") << "''";
        QTest::newRow("backslash kept") << QVariant("C:\\shop") << "'C:\\shop'";
        QTest::newRow("date") << QVariant(QDate(1900, 1, 1)) << "2";
        QTest::newRow("date and time") << QVariant(QDateTime(QDate(1899, 12, 31), QTime(18, 0))) << "1.75";
    }
    void quoteWritesLiterals()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, literal);
        // The user's locale writes 1,5; SQL must not.
        const QLocale saved;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(saved); });
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(Sql::Quote(value), literal);
    }

    void quotedLiteralsReadBackUnchanged_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        auto same = [](const char* name, const QVariant& v) { QTest::newRow(name) << v << v; };
        same("a tenth", QVariant(0.1));
        same("a third", QVariant(1.0 / 3.0));
        same("huge", QVariant(1e300));
        same("tiny", QVariant(-2.5e-8));
        same("largest integer", QVariant(std::numeric_limits<qint64>::max()));
        same("quotes everywhere", QVariant(QString("'Men''s' \"x\" '")));
        same("statement inside", QVariant(QString("x'; DROP TABLE Item; --")));
        same("backslashes and breaks", QVariant(QString("C:\\a\\\r\nb\\")));
        same("unicode", QVariant(QString::fromUtf8("M\u0101ori \u263A \U0001F600")));
        QTest::newRow("Null") << QVariant() << QVariant();
        QTest::newRow("Yes") << QVariant(true) << QVariant(qint64(1));
        const QDateTime when(QDate(2024, 2, 29), QTime(13, 45, 30, 250));
        QTest::newRow("date and time") << QVariant(when) << QVariant(vb::toOleDate(when));
    }
    void quotedLiteralsReadBackUnchanged()
    {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        bool ok = false;
        const QVariant back = db.Scalar("SELECT " + Sql::Quote(value), {}, &ok);
        QVERIFY2(ok, qPrintable(db.lastError()));
        COMPARE_EXACT(back, expected);
        QCOMPARE(count(db, "SELECT count(*) FROM Item"), 1);
    }

    void identifierQuotesAnyName()
    {
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        const QString table = "Odd \"table\" name";
        QVERIFY2(db.Execute(QStringLiteral("CREATE TABLE %1 (%2 REAL, %3 TEXT)")
                                .arg(Sql::Identifier(table), Sql::Identifier("Date"), Sql::Identifier("Group"))),
                 qPrintable(db.lastError()));
        QCOMPARE(db.Scalar("SELECT name FROM sqlite_master WHERE type = 'table' AND name LIKE 'Odd%'").toString(), table);
        QVERIFY(db.Execute(QStringLiteral("INSERT INTO %1 VALUES (1.5, 'a')").arg(Sql::Identifier(table))));

        // A record set over it writes back through the same quoting.
        Recordset rs;
        QVERIFY2(rs.Open(QStringLiteral("SELECT %1, %2 FROM %3").arg(Sql::Identifier("Date"), Sql::Identifier("Group"), Sql::Identifier(table)),
                         &db, Recordset::adOpenStatic, Recordset::adLockOptimistic),
                 qPrintable(rs.lastError()));
        QVERIFY(rs.setValue("Group", "b"));
        QVERIFY2(rs.Update(), qPrintable(rs.lastError()));
        QCOMPARE(db.Scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = 1.5").arg(Sql::Identifier("Group"), Sql::Identifier(table), Sql::Identifier("Date")))
                     .toString(),
                 QStringLiteral("b"));
    }

    void likeContainsMatchesLiterally_data()
    {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::newRow("percent finds itself") << "100%" << "100%" << true;
        QTest::newRow("percent inside longer text") << "100%" << "Now 100% wool" << true;
        QTest::newRow("percent is no wildcard") << "100%" << "1000" << false;
        QTest::newRow("underscore finds itself") << "a_b" << "size a_b" << true;
        QTest::newRow("underscore is no wildcard") << "a_b" << "axb" << false;
        QTest::newRow("backslash finds itself") << "C:\\shop" << "C:\\shop\\new" << true;
        QTest::newRow("backslash is no escape") << "C:\\shop" << "C:shop" << false;
        QTest::newRow("apostrophe, other case") << "men's" << "MEN'S shirts" << true;
        QTest::newRow("empty finds anything") << "" << "x" << true;
        QTest::newRow("not there") << "tea" << "coffee" << false;
    }
    void likeContainsMatchesLiterally()
    {
        QFETCH(QString, needle);
        QFETCH(QString, text);
        QFETCH(bool, found);
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        QVERIFY(db.Execute("CREATE TABLE L (V TEXT)"));
        QVERIFY(db.Execute("INSERT INTO L (V) VALUES (?)", {text}));
        QCOMPARE(count(db, "SELECT count(*) FROM L WHERE V LIKE ? ESCAPE '\\'", {Sql::LikeContains(needle)}), found ? 1 : 0);
        QCOMPARE(count(db, "SELECT count(*) FROM L WHERE V LIKE ? ESCAPE '\\'", {Sql::LikeExactly(needle)}),
                 text.compare(needle, Qt::CaseInsensitive) == 0 ? 1 : 0);
    }

    // LIKE on every connection: the case of every letter folds, not only A-Z,
    // and wildcards, escapes and Nulls keep their SQL meaning.
    void likeFoldsEveryLetter_data()
    {
        QTest::addColumn<QVariant>("text");
        QTest::addColumn<QVariant>("pattern");
        QTest::addColumn<QVariant>("escape");  // invalid: no ESCAPE clause
        QTest::addColumn<QString>("result");  // "1", "0", "Null" or "error"
        const QVariant none, backslash("\\");
        const QString yes = "1", no = "0", null = "Null", error = "error";
        auto text = [](const char* utf8) { return QVariant(QString::fromUtf8(utf8)); };
        QTest::newRow("umlaut, upper case typed") << text("Zoë Müller") << text("%MÜLLER%") << none << yes;
        QTest::newRow("macron, lower case typed") << text("Āpirana") << text("āpirana") << none << yes;
        QTest::newRow("ligature") << text("ÆSIR") << text("æsir") << none << yes;
        QTest::newRow("Greek") << text("ΣΟΦΙΑ") << text("σοφια") << none << yes;
        QTest::newRow("Cyrillic") << text("Москва") << text("%МОСКВА%") << none << yes;
        QTest::newRow("Kelvin sign folds to k") << text("\u212A9 unit") << text("k9%") << none << yes;
        QTest::newRow("another letter") << text("Zoë") << text("zoe") << none << no;
        QTest::newRow("ASCII, other case") << text("Blue teapot") << text("%TEA%") << none << yes;
        QTest::newRow("ASCII, not there") << text("Blue teapot") << text("%cup%") << none << no;
        QTest::newRow("underscore takes one letter") << text("Zoë") << text("zo_") << none << yes;
        QTest::newRow("underscore takes only one") << text("Zoë") << text("zo__") << none << no;
        QTest::newRow("percent takes none") << text("tea") << text("tea%") << none << yes;
        QTest::newRow("back to an earlier percent") << text("mississippi") << text("%iss%ppi") << none << yes;
        QTest::newRow("every percent run tried") << text("mississippi") << text("%iss%ipp") << none << no;
        QTest::newRow("repeated start") << text("aaab") << text("%a%ab") << none << yes;
        QTest::newRow("empty matches empty") << text("") << text("") << none << yes;
        QTest::newRow("empty pattern, some text") << text("a") << text("") << none << no;
        QTest::newRow("underscore needs a letter") << text("") << text("_") << none << no;
        QTest::newRow("escaped percent") << text("100% wool") << text("100\\%%") << backslash << yes;
        QTest::newRow("escaped percent is no wildcard") << text("1000 wool") << text("100\\%%") << backslash << no;
        QTest::newRow("escaped underscore") << text("radio_set") << text("%o\\_S%") << backslash << yes;
        QTest::newRow("escaped underscore is no wildcard") << text("radios") << text("%o\\_s%") << backslash << no;
        QTest::newRow("escaped letter, other case") << text("Ä") << text("\\ä") << backslash << yes;
        QTest::newRow("percent as the escape") << text("50%") << text("50%%") << QVariant("%") << yes;
        QTest::newRow("percent as the escape, no wildcard") << text("500") << text("50%%") << QVariant("%") << no;
        QTest::newRow("lone escape at the end") << text("a\\") << text("a\\") << backslash << no;
        QTest::newRow("a non-ASCII escape") << text("50%") << text("50ë%") << text("ë") << yes;
        QTest::newRow("text after a NUL") << QVariant(QStringLiteral("ab\0cd")) << text("%CD") << none << yes;
        QTest::newRow("a number") << QVariant(12345) << text("%234%") << none << yes;
        QTest::newRow("bytes that are no UTF-8") << QVariant(QByteArray("\xff\xfe")) << QVariant(QByteArray("\xff%")) << none << yes;
        QTest::newRow("bytes that differ") << QVariant(QByteArray("\xff")) << QVariant(QByteArray("\xfe")) << none << no;
        QTest::newRow("Null text") << none << text("%") << none << null;
        QTest::newRow("Null pattern") << text("a") << none << none << null;
        QTest::newRow("empty escape") << text("a") << text("a") << text("") << error;
        QTest::newRow("escape of two letters") << text("a") << text("a") << text("ab") << error;
    }
    void likeFoldsEveryLetter()
    {
        QFETCH(QVariant, text);
        QFETCH(QVariant, pattern);
        QFETCH(QVariant, escape);
        QFETCH(QString, result);
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        QVariantList binds{text, pattern};
        if (escape.isValid()) binds << escape;
        bool ok = false;
        const QVariant got = db.Scalar(escape.isValid() ? "SELECT ? LIKE ? ESCAPE ?" : "SELECT ? LIKE ?", binds, &ok);
        if (result == QLatin1String("error")) {
            QVERIFY(!ok);
            QVERIFY2(db.lastError().contains("ESCAPE"), qPrintable(db.lastError()));
            return;
        }
        QVERIFY2(ok, qPrintable(db.lastError()));
        QCOMPARE(got.isNull() ? QStringLiteral("Null") : got.toString(), result);
    }

    // The program's own LIKE lives in the connection, not in the file: the
    // stock sqlite3 library reads and checks what it wrote.
    void databaseNeedsNothingOfTheProgram()
    {
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        QVERIFY(db.Execute("INSERT INTO Customer (CustomerId, Name) VALUES (?, ?), (?, ?)",
                           {QString::fromUtf8("ÄNNE"), QString::fromUtf8("Änne Müller"), QString::fromUtf8("änne"), "Anne Lee"}));
        const QByteArray path = QFile::encodeName(db.path());
        db.Close();
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open_v2(path.constData(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        const auto guard = qScopeGuard([raw] { sqlite3_close(raw); });
        auto single = [raw](const char* sql) {
            sqlite3_stmt* stmt = nullptr;
            QString value;
            if (sqlite3_prepare_v2(raw, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
                value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            sqlite3_finalize(stmt);
            return value;
        };
        QCOMPARE(single("PRAGMA integrity_check"), QStringLiteral("ok"));
        QCOMPARE(single("SELECT count(*) FROM Customer WHERE Name LIKE '%m%'"), QStringLiteral("1"));
    }

    // Statements are kept compiled between uses: a kept one must not carry its
    // last values, a failure, or an old table layout into the next use.
    void keptStatementsStartClean()
    {
        Connection db;
        QVERIFY2(openShop(db, false), qPrintable(db.lastError()));
        QVERIFY(db.Execute("CREATE TABLE K (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL)", {}));
        const QString insert = QStringLiteral("INSERT INTO K (Id, Name) VALUES (?, ?)");
        QVERIFY(db.Execute(insert, {1, "one"}));
        QVERIFY(!db.Execute(insert, {1, "again"}));      // the key is taken
        QVERIFY(!db.Execute(insert, {2, QVariant()}));   // Name may not be Null
        QVERIFY(!db.Execute(insert, {3}));               // too few values
        QVERIFY(db.Execute(insert, {2, "two"}));
        const QString count = QStringLiteral("SELECT count(*) || '/' || group_concat(Name) FROM K");
        QCOMPARE(db.Scalar(count, {}).toString(), QStringLiteral("2/one,two"));

        QVERIFY(db.Execute("ALTER TABLE K ADD COLUMN Extra TEXT DEFAULT 'x'", {}));
        Recordset rs;
        QVERIFY(rs.Open("SELECT * FROM K ORDER BY Id", &db));
        QCOMPARE(rs.FieldCount(), 3);
        QCOMPARE(rs.text("Extra"), QStringLiteral("x"));
        rs.Close();

        const QString path = db.path();
        db.Close();
        QVERIFY2(db.Open(path), qPrintable(db.lastError()));
        QVERIFY(db.Execute(insert, {3, "three"}));
        QCOMPARE(db.Scalar(count, {}).toString(), QStringLiteral("3/one,two,three"));
    }
};

VENDARO_TEST_MAIN(tst_recordset)
#include "tst_recordset.moc"
