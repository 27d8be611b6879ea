#include "DatabaseFixture.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/clsLinks.h"
#include "core/modDatabase.h"
#include "platform/db/Connection.h"

#include <optional>

namespace {
const char* siteVariable = "VENDARO_SITE_URL";
const QString builtInHome = QStringLiteral("https://www.trademe.co.nz/");
const QString viewAuction = QStringLiteral("https://www.trademe.co.nz/Browse/Listing.aspx?id=[AUCTIONNUMBER]");

// Sets (or, given an empty value, removes) the site address for one test and
// puts back what was there before.
class ScopedSiteUrl {
public:
    explicit ScopedSiteUrl(const QByteArray& value) : m_had(qEnvironmentVariableIsSet(siteVariable)), m_old(qgetenv(siteVariable))
    {
        if (value.isEmpty()) qunsetenv(siteVariable);
        else qputenv(siteVariable, value);
    }
    ~ScopedSiteUrl()
    {
        if (m_had) qputenv(siteVariable, m_old);
        else qunsetenv(siteVariable);
    }
    ScopedSiteUrl(const ScopedSiteUrl&) = delete;
    ScopedSiteUrl& operator=(const ScopedSiteUrl&) = delete;

private:
    bool m_had;
    QByteArray m_old;
};

QStringList keysOf(const clsLinks::ToolBarMenu& menu)
{
    QStringList keys;
    for (const auto& entry : menu.Entries) keys << entry.Key;
    return keys;
}

QStringList templateKeys()
{
    return {"TradeMe1", "TradeMe2", "TradeMe3", "TradeMe4", "TradeMe5", "TradeMe6", "TradeMe7", "TradeMe8",
            "-",        "TradeMe12", "TradeMe13", "TradeMe14"};
}
}  // namespace

class tst_links : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }
    clsLinks& links() { return *ctx().gLinks; }
    Connection& conn() { return *ctx().gConnection; }

    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    void execAll(const QStringList& statements)
    {
        for (const QString& sql : statements) exec(sql);
    }
    QList<int> loadedIds()
    {
        QList<int> ids;
        for (const clsLink& link : links().Links()) ids << link.LinkId;
        return ids;
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup()
    {
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    // ---- UpdateLinks ----------------------------------------------------------

    void updateLinksLoadsRowsWithAnAddress()
    {
        exec("INSERT INTO Links (LinkId, LocationId, \"Desc\", URL) VALUES "
             "(30, 'USD', 'US home', 'https://www.example.com/'), (9, 'NZD', 'No address', ''), "
             "(10, 'AUD', 'Null address', NULL), (11, 'AUD', 'Aussie home', 'https://www.trademe.co.nz/au/')");
        const QList<int> expected{1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 30};
        links().UpdateLinks();
        QCOMPARE(loadedIds(), expected);
        const clsLink& aussie = links().Links().at(8);
        QCOMPARE(aussie.LocationId, QStringLiteral("AUD"));
        QCOMPARE(aussie.Description, QStringLiteral("Aussie home"));
        QCOMPARE(aussie.URL, QStringLiteral("https://www.trademe.co.nz/au/"));
        QCOMPARE(links().Links().at(1).URL, viewAuction);

        // Loading again replaces the rows, and follows the table.
        exec("DELETE FROM Links WHERE LinkId=30");
        links().UpdateLinks();
        links().UpdateLinks();
        QCOMPARE(loadedIds(), QList<int>(expected.begin(), expected.end() - 1));
    }

    void updateLinksShowsTheSelectedSaleAgain_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::newRow("a sale selected") << "P1001";
        QTest::newRow("empty list") << "";
    }
    void updateLinksShowsTheSelectedSaleAgain()
    {
        QFETCH(QString, selected);
        RecordingMainWindow window;
        window.selectedAuctionId = selected;
        ctx().gMainWindow = &window;
        links().UpdateLinks();
        QCOMPARE(window.displayed, selected.isEmpty() ? QStringList() : QStringList{selected});
        QVERIFY(window.refreshed.isEmpty());
        QVERIFY(window.opened.isEmpty());
        QCOMPARE(links().Links().size(), 11);
    }

    // ---- UpdateToolBar ----------------------------------------------------------

    void toolBarMenu_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<int>("defaultLink");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("buttonLink");  // whose address the button opens
        const QString addAussie = "INSERT INTO Links (LinkId, LocationId, \"Desc\", URL) VALUES "
                                  "(20, 'AUD', 'Aussie home', 'https://www.trademe.co.nz/au/')";
        QStringList withoutFour = templateKeys();
        withoutFour.removeOne("TradeMe4");

        QTest::newRow("template links") << QStringList() << 1 << templateKeys() << 1;
        QTest::newRow("default link after the separator") << QStringList() << 13 << templateKeys() << 13;
        QTest::newRow("default link of another region") << QStringList{addAussie} << 20 << templateKeys() << 1;
        QTest::newRow("default link with no row") << QStringList() << 99 << templateKeys() << 1;
        QTest::newRow("default link without an address")
            << QStringList{"UPDATE Links SET URL='' WHERE LinkId=4"} << 4 << withoutFour << 1;
        QTest::newRow("first link of another region")
            << QStringList{"UPDATE Links SET LocationId='AUD' WHERE LinkId=1"} << 1 << templateKeys().mid(1) << 2;
        QTest::newRow("no link from 12 on, another region's from 12 on")
            << QStringList{"DELETE FROM Links WHERE LinkId>=12", addAussie} << 1 << templateKeys().mid(0, 8) << 1;
        QTest::newRow("only links from 12 on")
            << QStringList{"DELETE FROM Links WHERE LinkId<12"} << 1 << templateKeys().mid(8) << 12;
        QTest::newRow("one link from 12 on")
            << QStringList{"DELETE FROM Links WHERE LinkId>12"} << 1 << templateKeys().mid(0, 10) << 1;
        QTest::newRow("first link past 12")
            << QStringList{"DELETE FROM Links WHERE LinkId=12"} << 14 << QStringList(templateKeys().mid(0, 9) << "TradeMe13" << "TradeMe14")
            << 14;
        QTest::newRow("other regions in between")
            << QStringList{"INSERT INTO Links (LinkId, LocationId, \"Desc\", URL) VALUES (9, 'AUD', 'Nine', 'https://www.example.com/9'), "
                           "(10, 'NZD', 'Ten', 'https://www.trademe.co.nz/ten'), (15, 'AUD', 'Fifteen', 'https://www.example.com/15')"}
            << 15 << QStringList(templateKeys().mid(0, 8) << "TradeMe10" << templateKeys().mid(8)) << 1;
    }
    void toolBarMenu()
    {
        QFETCH(QStringList, setup);
        QFETCH(int, defaultLink);
        QFETCH(QStringList, keys);
        QFETCH(int, buttonLink);
        execAll(setup);
        ctx().gConfiguration.DefaultLink = qint16(defaultLink);
        links().UpdateLinks();

        const clsLinks::ToolBarMenu menu = links().UpdateToolBar();
        QCOMPARE(keysOf(menu), keys);
        QCOMPARE(menu.ButtonTag, conn().Scalar("SELECT URL FROM Links WHERE LinkId=?", {buttonLink}).toString());
        // Each entry shows its row's text and opens its row's address.
        for (const auto& entry : menu.Entries) {
            if (entry.Key == QLatin1String("-")) {
                QCOMPARE(entry.Tag, QString());
                continue;
            }
            const int id = entry.Key.mid(7).toInt();
            QCOMPARE(conn().Scalar("SELECT LocationId FROM Links WHERE LinkId=?", {id}).toString(), QStringLiteral("NZD"));
            QCOMPARE(entry.Text, conn().Scalar("SELECT \"Desc\" FROM Links WHERE LinkId=?", {id}).toString());
            QCOMPARE(entry.Tag, conn().Scalar("SELECT URL FROM Links WHERE LinkId=?", {id}).toString());
        }
    }

    void toolBarMenuOpensTheConfiguredSite()
    {
        ScopedSiteUrl site("http://127.0.0.1:8765");
        links().UpdateLinks();
        const clsLinks::ToolBarMenu menu = links().UpdateToolBar();
        QVERIFY(menu.ButtonTag.startsWith("http://127.0.0.1:8765/"));
        for (const auto& entry : menu.Entries) {
            if (entry.Key == QLatin1String("-")) continue;
            QVERIFY2(!entry.Tag.contains("trademe.co.nz"), qPrintable(entry.Tag));
            // One address for every use: the menu's login entry is the login link.
            const int id = entry.Key.mid(7).toInt();
            QCOMPARE(entry.Tag, links().Link(id, false));
        }
        for (const clsLink& link : links().Links()) QVERIFY2(!link.URL.contains("www.trademe.co.nz"), qPrintable(link.URL));
    }

    // ---- Link -----------------------------------------------------------------

    void linkAddress_data()
    {
        QTest::addColumn<QByteArray>("site");  // empty: the built-in site
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<int>("linkId");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("missing");  // no address: a message and the home page
        const QByteArray local = "http://127.0.0.1:8123";
        const QString localHome = "http://127.0.0.1:8123/";
        auto setLogin = [](const QString& url) { return QStringList{QStringLiteral("UPDATE Links SET URL='%1' WHERE LinkId=3").arg(url)}; };

        QTest::newRow("placeholders kept for the caller") << QByteArray() << QStringList() << 2 << viewAuction << false;
        QTest::newRow("code") << QByteArray() << QStringList() << 7 << "[RELIST]" << false;
        QTest::newRow("empty address") << QByteArray() << setLogin("") << 3 << builtInHome << true;
        QTest::newRow("Null address") << QByteArray() << QStringList{"UPDATE Links SET URL=NULL WHERE LinkId=3"} << 3 << builtInHome
                                      << true;
        QTest::newRow("no row") << QByteArray() << QStringList() << 99 << builtInHome << true;

        QTest::newRow("local site: page") << local << QStringList() << 2 << "http://127.0.0.1:8123/Browse/Listing.aspx?id=[AUCTIONNUMBER]"
                                          << false;
        QTest::newRow("local site given with a slash") << local + '/' << QStringList() << 2
                                                       << "http://127.0.0.1:8123/Browse/Listing.aspx?id=[AUCTIONNUMBER]" << false;
        QTest::newRow("local site: home page") << local << QStringList() << 1 << localHome << false;
        QTest::newRow("local site: plain http address") << local << setLogin("http://www.trademe.co.nz/Members/Login.aspx") << 3
                                                        << "http://127.0.0.1:8123/Members/Login.aspx" << false;
        QTest::newRow("local site: code") << local << QStringList() << 7 << "[RELIST]" << false;
        QTest::newRow("local site: another host") << local << setLogin("https://www.example.com/Members/Login.aspx") << 3
                                                  << "https://www.example.com/Members/Login.aspx" << false;
        QTest::newRow("local site: host that only starts like the site")
            << local << setLogin("https://www.trademe.co.nz.example.com/Login.aspx") << 3
            << "https://www.trademe.co.nz.example.com/Login.aspx" << false;
        QTest::newRow("local site: empty address") << local << setLogin("") << 3 << localHome << true;
        QTest::newRow("local site: no row") << local << QStringList() << 99 << localHome << true;
    }
    void linkAddress()
    {
        QFETCH(QByteArray, site);
        QFETCH(QStringList, setup);
        QFETCH(int, linkId);
        QFETCH(QString, expected);
        QFETCH(bool, missing);
        const ScopedSiteUrl siteUrl(site);
        execAll(setup);

        if (missing) env->messages().answer(vbmsg::OK, "No link setup for this action");
        QCOMPARE(links().Link(linkId), expected);
        QCOMPARE(env->messages().pending(), 0);
        if (missing) QCOMPARE(env->messages().prompts().at(0).style, int(vbmsg::Exclamation));

        // The silent forms never ask anything.
        const int prompts = int(env->messages().prompts().size());
        QCOMPARE(links().Link(linkId, false), expected);
        QCOMPARE(links().LinkOrEmpty(linkId), missing ? QString() : expected);
        QCOMPARE(int(env->messages().prompts().size()), prompts);
    }

    // Every page role of the program has its row in a new database.
    void roleIdsHaveTheirPages()
    {
        const ScopedSiteUrl siteUrl(QByteArray{});
        const ProgramContext& c = ctx();
        for (int id : {c.gLinkIdHome, c.gLinkIdViewAuction, c.gLinkIdLogin, c.gLinkIdLoginCheck, c.gLinkIdOpenPage, c.gLinkIdRefund,
                       c.gLinkIdRelist, c.gLinkIdFixedPriceOffer})
            QVERIFY2(!links().LinkOrEmpty(id).isEmpty(), qPrintable(QString::number(id)));
        QCOMPARE(links().Link(c.gLinkIdHome), builtInHome);
        QCOMPARE(links().Link(c.gLinkIdViewAuction), viewAuction);
        QCOMPARE(links().Link(c.gLinkIdRelist), QStringLiteral("[RELIST]"));
    }
};

VENDARO_TEST_MAIN(tst_links)
#include "tst_links.moc"
