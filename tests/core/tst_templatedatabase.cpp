#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QRegularExpression>

#include <map>
#include <optional>
#include <set>

// The template every new database is copied from holds the rows the program relies on.
class tst_templatedatabase : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    Connection conn;

    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn.Scalar(sql, binds); }

private slots:
    void initTestCase()
    {
        env.emplace();
        QVERIFY2(conn.Open(DatabaseFixture::create(env->programFolder())), qPrintable(conn.lastError()));
    }
    void cleanupTestCase()
    {
        conn.Close();
        env.reset();
    }

    void configurationRow()
    {
        QCOMPARE(scalar("SELECT COUNT(*) FROM Configuration").toInt(), 1);
        QCOMPARE(scalar("SELECT DatabaseVersion FROM Configuration").toDouble(), ProgramContext::RequiredDatabaseVersion);
        QCOMPARE(scalar("SELECT TradeMeMemberId FROM Configuration").toString(), QStringLiteral("0"));
        QCOMPARE(scalar("SELECT LocationId FROM Configuration").toString(), QStringLiteral("NZD"));
        // No Null anywhere but in text columns a seller fills in later.
        Recordset rs;
        QVERIFY(rs.Open("SELECT * FROM Configuration", &conn));
        for (int i = 0; i < rs.FieldCount(); ++i) QVERIFY2(!rs.value(i).isNull(), qPrintable(rs.FieldName(i)));
        // It opens, and its values load.
        conn.Close();
        const QString path = DatabaseFixture::create(env->programFolder(), "open.mdb");
        QVERIFY(modDatabase::OpenDatabase(path, "open.mdb", true, false));
        modDatabase::CloseDatabase();
        QVERIFY(conn.Open(DatabaseFixture::create(env->programFolder())));
    }

    void labelLayoutFitsA4()
    {
        Recordset rs;
        QVERIFY(rs.Open("SELECT * FROM Configuration", &conn));
        const int cols = rs.value("LabelCols").toInt(), rows = rs.value("LabelRows").toInt();
        QVERIFY(cols >= 1 && cols <= 4);
        QVERIFY(rows >= 1 && rows <= 15);
        QVERIFY(rs.value("LabelFontSize").toInt() >= 1 && rs.value("LabelFontSize").toInt() <= 72);
        QVERIFY(!rs.text("LabelFont").isEmpty());
        const double height = rows * rs.value("LabelHeight").toDouble() + rs.value("LabelTop").toDouble() + rs.value("LabelBottom").toDouble();
        const double width = cols * rs.value("LabelWidth").toDouble() + rs.value("LabelLeft").toDouble() + rs.value("LabelRight").toDouble();
        QVERIFY(height <= 29.7);
        QVERIFY(width <= 21.0);
    }

    void taskStepsAndTheirChain()
    {
        Recordset rs;
        QVERIFY(rs.Open("SELECT * FROM [Action] ORDER BY ActionId", &conn));
        QCOMPARE(rs.RecordCount(), 18);
        std::map<int, int> next;
        std::set<QString> descriptions;
        int expectedId = 1;
        for (; !rs.isEOF(); rs.MoveNext(), ++expectedId) {
            const int id = rs.value("ActionId").toInt();
            QCOMPARE(id, expectedId);
            QVERIFY(!rs.text("Description").isEmpty());
            QVERIFY(!rs.isNull("NextActionId") && !rs.isNull("Days"));
            if (id <= 16) QVERIFY2(descriptions.insert(rs.text("Description")).second, "step descriptions are distinct");
            next[id] = rs.value("NextActionId").toInt();
        }
        QCOMPARE(scalar("SELECT Description FROM [Action] WHERE ActionId=15").toString(), QStringLiteral("Completed"));
        QCOMPARE(scalar("SELECT Description FROM [Action] WHERE ActionId=16").toString(), QStringLiteral("Relist item"));

        // The next steps the options dialog allows for each step.
        const std::map<int, std::set<int>> allowed = {
            {1, {2, 4, 5, 6, 8, 9}}, {2, {4, 5, 6, 8, 9}}, {3, {15}},       {4, {5, 6, 8, 9}},
            {5, {6, 8, 9}},          {6, {8, 9}},          {7, {10, 11}},    {8, {9, 15, 16}},
            {9, {8, 15, 16}},        {10, {11, 12, 13, 14, 15}},             {11, {10, 12, 13, 14, 15}},
            {12, {10, 11, 13, 14, 15}}, {13, {10, 11, 12, 14, 15}},          {14, {15}}};
        for (const auto& [step, choices] : allowed) QVERIFY2(choices.count(next[step]), qPrintable(QString::number(step)));
        QCOMPARE(next[15], 15);
        QCOMPARE(next[16], 15);
        // Both chains end.
        for (const auto& [start, ends] : std::map<int, std::set<int>>{{1, {15, 16}}, {7, {15}}}) {
            int step = start;
            for (int hops = 0; hops < 21 && !ends.count(step); ++hops) step = next[step];
            QVERIFY2(ends.count(step), qPrintable(QStringLiteral("the chain from %1 does not end").arg(start)));
        }
    }

    void linksServeEveryRole()
    {
        const ProgramContext& ctx = ProgramContext::current();
        const int roles[] = {ctx.gLinkIdHome, ctx.gLinkIdViewAuction, ctx.gLinkIdLogin, ctx.gLinkIdLoginCheck,
                             ctx.gLinkIdOpenPage, ctx.gLinkIdRefund, ctx.gLinkIdRelist, ctx.gLinkIdFixedPriceOffer};
        for (int id : roles) {
            QCOMPARE(scalar("SELECT LocationId FROM Links WHERE LinkId=?", {id}).toString(), QStringLiteral("NZD"));
            QVERIFY(!scalar("SELECT URL FROM Links WHERE LinkId=?", {id}).toString().isEmpty());
        }
        auto url = [&](int id) { return scalar("SELECT URL FROM Links WHERE LinkId=?", {id}).toString(); };
        QVERIFY(url(ctx.gLinkIdLogin).contains("login.aspx", Qt::CaseInsensitive));
        QVERIFY(url(ctx.gLinkIdViewAuction).contains("[AUCTIONNUMBER]"));
        QVERIFY(url(ctx.gLinkIdFixedPriceOffer).contains("[AUCTIONNUMBER]"));
        QCOMPARE(url(ctx.gLinkIdRelist), QStringLiteral("[RELIST]"));
    }

    void defaultItemAndTemplates()
    {
        QCOMPARE(scalar("SELECT COUNT(*) FROM Item WHERE ItemId='misc'").toInt(), 1);  // codes compare ignoring case
        QCOMPARE(scalar("SELECT Stocked FROM Item WHERE ItemId='MISC'").toInt(), 0);
        const QSet<QString> codes = {"[AUCTIONNUMBER]", "[AUCTIONTITLE]", "[AUCTIONNOTES]", "[TRACKINGNUMBER]", "[BUYERID]",
                                     "[BUYERNAME]", "[DELIVERYADDRESS]", "[BIDVALUE]", "[SHIPVALUE]", "[TOTALVALUE]",
                                     "[MYTRADEMEUSERID]", "[MYSIGNATURE]", "[BANKNAME]", "[BANKNUMBER]"};
        for (int kind : {2, 4, 5, 6, 10, 12, 14, 17}) {
            Recordset rs;
            QVERIFY(rs.Open("SELECT * FROM Email WHERE ItemId='MISC' AND ActionId=?", &conn, Recordset::adOpenStatic,
                            Recordset::adLockReadOnly, {kind}));
            QCOMPARE(rs.RecordCount(), 1);
            const QString text = rs.text("Subject") + rs.text("Message");
            QVERIFY(!rs.text("Subject").isEmpty());
            QVERIFY2(!rs.text("Message").contains(QRegularExpression("[^\r]\n")), "lines end with CR LF");
            const QRegularExpression code("\\[[A-Z]+\\]");
            for (auto m = code.globalMatch(text); m.hasNext();) QVERIFY2(codes.contains(m.next().captured()), qPrintable(text));
        }
    }

    void indexesForListsAndLookups()
    {
        const QStringList wanted = {"Auction(ActionId,dateNextAction)", "Auction(CustomerId)", "Auction(ItemId,Description)",
                                    "Auction(dateStart)", "History(AuctionId,Date)", "Customer(Email)"};
        QStringList have;
        Recordset rs;
        QVERIFY(rs.Open("SELECT m.tbl_name, il.name AS idx FROM sqlite_master m, pragma_index_list(m.name) il "
                        "WHERE m.type='table'", &conn));
        for (; !rs.isEOF(); rs.MoveNext()) {
            Recordset cols;
            QVERIFY(cols.Open("SELECT name FROM pragma_index_info(?) ORDER BY seqno", &conn, Recordset::adOpenStatic,
                              Recordset::adLockReadOnly, {rs.value("idx")}));
            QStringList names;
            for (; !cols.isEOF(); cols.MoveNext()) names << cols.text("name");
            have << rs.text("tbl_name") + "(" + names.join(",") + ")";
        }
        for (const QString& index : wanted) QVERIFY2(have.contains(index), qPrintable(index + " missing; have " + have.join(" ")));
    }
};

VENDARO_TEST_MAIN(tst_templatedatabase)
#include "tst_templatedatabase.moc"
