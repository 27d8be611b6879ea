// The unsold listings: the page reader on page texts, and the run paging
// through a scripted site in the fake browser.

#include "DatabaseFixture.h"
#include "RecordingUpdateView.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/browser/FakeBrowser.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "sync/ListingRecordsets.h"
#include "sync/UnsoldPageReader.h"
#include "sync/UpdateSession.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

namespace {

const QString CrLf = QStringLiteral("\r\n");

// Today in these tests: Tuesday 5 January 2027, 10:30.
const QDate Today(2027, 1, 5);

QString unsoldUrl() { return SiteConfig::siteUrl() + QStringLiteral("/MyTradeMe/Sell/Unsold.aspx"); }

// A listing as the site's page shows it (LF line ends, as the browser gets them before normalising).
QString listing(const QString& id, const QString& title, const QString& closed, const QStringList& lines = {"Price $10.00", "No bids"})
{
    return title + u'\n' + QStringLiteral("Closed:  ") + closed + QStringLiteral(" (#") + id + u')' + u'\n' +
           lines.join(u'\n') + u'\n';
}

// A listing that closed `daysAgo` days before the test's today.
QString listingDaysAgo(const QString& id, int daysAgo)
{
    const QDate d = Today.addDays(-daysAgo);
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return listing(id, QStringLiteral("Listing ") + id,
                   QStringLiteral("%1 %2 %3 3:45 pm").arg(QLatin1String(days[d.dayOfWeek() - 1])).arg(d.day()).arg(QLatin1String(months[d.month() - 1])));
}

// The seller's unsold page around its listings (page text as the browser gives it).
QString unsoldPage(const QString& listings, int page = 1)
{
    return QStringLiteral("TradeMe | My TradeMe\nMy Trade Me > Selling > Unsold items\nUnsold items\nMember kiwi_seller\n") +
           (listings.isEmpty() ? QStringLiteral("You have no unsold items.\n") : listings) + QStringLiteral("Page %1\n").arg(page);
}

QString crlf(QString text) { return text.replace(u'\n', CrLf); }

// What the scripted site does when asked past its last page.
enum class PastEnd { LowerPage, SameNumber, NoNumber, EmptyPages };

}  // namespace

Q_DECLARE_METATYPE(PastEnd)

class tst_unsoldpages : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingUpdateView view;
    std::unique_ptr<FakeBrowser> browser;
    std::unique_ptr<UpdateSession> session;

    // The scripted site: page n (1-based) holds pages[n-1]; the answer to an address.
    QStringList pages;
    PastEnd pastEnd = PastEnd::LowerPage;
    bool blankStalls = false;  // the blank page between two site pages never loads
    std::function<std::optional<FakeBrowser::Page>(int asked, const QString& address)> special;

    ProgramContext& ctx() { return ProgramContext::current(); }

    FakeBrowser::Page answer(const QString& address, const QString& content)
    {
        if (address.endsWith(QLatin1String("VNTM.sub"))) {
            FakeBrowser::Page blank{QString(), "VNTM", "", content};
            blank.neverLoads = blankStalls;
            return blank;
        }
        const int asked = UnsoldPageReader::PageNumber(address);
        if (special)
            if (auto page = special(asked, address)) return *page;
        if (!address.startsWith(unsoldUrl())) return {address, "Elsewhere", "Another page", ""};
        if (asked <= pages.size()) return {address, "Unsold items - TradeMe", unsoldPage(pages[asked - 1], asked), ""};
        const int last = int(pages.size());
        switch (pastEnd) {
        case PastEnd::LowerPage:
            return {unsoldUrl() + QStringLiteral("?page=%1").arg(last), "Unsold items - TradeMe", unsoldPage(pages.value(last - 1), last), ""};
        case PastEnd::SameNumber: return {address, "Unsold items - TradeMe", unsoldPage(pages.value(last - 1), asked), ""};
        case PastEnd::NoNumber: return {unsoldUrl(), "Unsold items - TradeMe", unsoldPage(pages.value(0), 1), ""};
        case PastEnd::EmptyPages: return {address, "Unsold items - TradeMe", unsoldPage(QString(), asked), ""};
        }
        return {};
    }

    // Runs the unsold step to its end; false when it never ends.
    bool runUnsold(int timeoutMs = 10000)
    {
        QSignalSpy ended(session.get(), &UpdateSession::runEnded);
        session->StartUnsoldPages();
        if (ended.isEmpty()) ended.wait(timeoutMs);
        QTest::qWait(20);  // nothing follows the end
        return ended.count() == 1;
    }
    QStringList unsoldRequests() const
    {
        QStringList asked;
        for (const QString& a : browser->navigations())
            if (a.startsWith(unsoldUrl())) asked << a.mid(unsoldUrl().size());
        return asked;
    }
    QStringList listingIds() const
    {
        QStringList ids;
        const Recordset& rs = *session->mListings[ListingRecordsets::Unsold];
        const int column = rs.FieldIndex(QStringLiteral("listing_id"));
        for (const QVariantList& row : rs.rows()) ids << row[column].toString();
        return ids;
    }
    double storedDateLastUpdate()
    {
        Recordset rs;
        if (!rs.Open(QStringLiteral("SELECT DateLastUpdate FROM Configuration"), ctx().gConnection) || rs.isEOF()) return -1;
        return rs.value(0).toDouble();
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        vb::setClock(QDateTime(Today, QTime(10, 30)));
        view.calls.clear();
        view.onSelectTab = nullptr;
        pages.clear();
        pastEnd = PastEnd::LowerPage;
        blankStalls = false;
        special = nullptr;
        browser = std::make_unique<FakeBrowser>();
        browser->setHandler([this](const QString& a, const QString& c) { return answer(a, c); });
        session = std::make_unique<UpdateSession>(&view, browser.get());
        session->mListURL[ListingRecordsets::Unsold] = unsoldUrl();
        session->mDays = 45;
    }
    void cleanup()
    {
        session.reset();
        browser.reset();
        vb::setClock(QDateTime());
        QLocale::setDefault(QLocale::c());
        env.reset();
    }

    // ---- the text routines ----

    void getTextBetween_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("startText");
        QTest::addColumn<QString>("endText");
        QTest::addColumn<int>("startOffset");
        QTest::addColumn<int>("endOffset");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("foundAt");
        QTest::addColumn<QString>("error");
        QTest::newRow("between the markers") << "a [x] b" << 0 << "[" << "]" << -1 << 1 << true << "x" << 2 << "";
        QTest::newRow("from Start skips an earlier one") << "[a] [b]" << 1 << "[" << "]" << -1 << 1 << true << "b" << 4 << "";
        QTest::newRow("offsets keep the marker words") << "\r\nNo bids\r\nx" << 0 << "\r\nNo bids" << "\r\n" << 2 << 1 << true
                                                       << "No bids" << 0 << "";
        QTest::newRow("end offset 0 takes the end's first character") << "<a>" << 0 << "<" << ">" << -1 << 0 << true << "a>" << 0 << "";
        QTest::newRow("empty start text starts at Start") << "abc)" << 1 << "" << ")" << 0 << 1 << true << "bc" << 1 << "";
        QTest::newRow("empty end text leaves the result") << "a[b" << 0 << "[" << "" << -1 << 1 << true << "unchanged" << 1 << "";
        QTest::newRow("start offset beyond the end marker gives nothing")
            << "Closed:  (#1)" << 0 << "Closed:  " << "(#" << 13 << 1 << true << "" << 0 << "";
        QTest::newRow("case matters") << "PRICE $5" << 0 << "Price $" << "" << -1 << 1 << false << "unchanged" << -1
                                      << "Could not find StartText: 'Price $'";
        QTest::newRow("no end marker") << "(#123" << 0 << "(#" << ")" << -1 << 1 << false << "unchanged" << -1
                                       << "Could not find EndText: ')'";
        QTest::newRow("the end marker is searched after the start marker") << ")(#1" << 0 << "(#" << ")" << -1 << 1 << false
                                                                           << "unchanged" << -1 << "Could not find EndText: ')'";
        QTest::newRow("Start past the text") << "[a]" << 9 << "[" << "]" << -1 << 1 << false << "unchanged" << -1
                                             << "Could not find StartText: '['";
        // Positions past 65535 (a long page).
        QTest::newRow("far into a long text") << QString(70000, u'.') + "(#4711)" << 60000 << "(#" << ")" << -1 << 1 << true << "4711"
                                              << 70000 << "";
    }
    void getTextBetween()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(QString, startText);
        QFETCH(QString, endText);
        QFETCH(int, startOffset);
        QFETCH(int, endOffset);
        QFETCH(bool, found);
        QFETCH(QString, result);
        QFETCH(int, foundAt);
        QFETCH(QString, error);

        QString got = QStringLiteral("unchanged"), message;
        qsizetype at = -1;
        QCOMPARE(UnsoldPageReader::GetTextBetween(got, at, text, start, startText, endText, startOffset, endOffset, &message), found);
        QCOMPARE(got, result);
        QCOMPARE(at, qsizetype(foundAt));
        QCOMPARE(message, error);
    }

    void parseClosedDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDateTime>("expected");  // invalid: unreadable
        const QDate jan5(2027, 1, 5), jun10(2027, 6, 10);
        QTest::newRow("30 Dec read on 5 Jan is last year") << "30 Dec 2:15 pm" << jan5 << QDateTime(QDate(2026, 12, 30), QTime(14, 15));
        QTest::newRow("today") << "5 Jan 9:05 am" << jan5 << QDateTime(QDate(2027, 1, 5), QTime(9, 5));
        QTest::newRow("89 days ahead stays") << "4 Apr" << jan5 << QDateTime(QDate(2027, 4, 4), QTime(0, 0));
        QTest::newRow("91 days ahead goes back a year") << "6 Apr" << jan5 << QDateTime(QDate(2026, 4, 6), QTime(0, 0));
        QTest::newRow("89 days behind stays") << "13 Mar 1:00 pm" << jun10 << QDateTime(QDate(2027, 3, 13), QTime(13, 0));
        QTest::newRow("91 days behind goes on a year") << "11 Mar 1:00 pm" << jun10 << QDateTime(QDate(2028, 3, 11), QTime(13, 0));
        QTest::newRow("midnight") << "4 Jan 12:00 am" << jan5 << QDateTime(QDate(2027, 1, 4), QTime(0, 0));
        QTest::newRow("noon") << "4 Jan 12:30 pm" << jan5 << QDateTime(QDate(2027, 1, 4), QTime(12, 30));
        QTest::newRow("last minute") << "4 Jan 11:59 PM" << jan5 << QDateTime(QDate(2027, 1, 4), QTime(23, 59));
        QTest::newRow("24-hour clock with seconds") << "4 Jan 14:05:09" << jan5 << QDateTime(QDate(2027, 1, 4), QTime(14, 5, 9));
        QTest::newRow("am glued to the time") << "4 Jan 7:15am" << jan5 << QDateTime(QDate(2027, 1, 4), QTime(7, 15));
        QTest::newRow("weekday first, full month") << "Mon 4 January 7:15 pm" << jan5 << QDateTime(QDate(2027, 1, 4), QTime(19, 15));
        QTest::newRow("month first") << "Dec 30, 2:15 pm" << jan5 << QDateTime(QDate(2026, 12, 30), QTime(14, 15));
        QTest::newRow("a year given is kept") << "30 Dec 2025 2:15 pm" << jan5 << QDateTime(QDate(2025, 12, 30), QTime(14, 15));
        QTest::newRow("blanks around") << "  30 Dec  2:15 pm " << jan5 << QDateTime(QDate(2026, 12, 30), QTime(14, 15));
        QTest::newRow("empty") << "" << jan5 << QDateTime();
        QTest::newRow("unknown month") << "30 Foo 2:15 pm" << jan5 << QDateTime();
        QTest::newRow("no such day") << "32 Dec" << jan5 << QDateTime();
        QTest::newRow("29 Feb in a year without one") << "29 Feb" << jan5 << QDateTime();
        QTest::newRow("13 pm") << "4 Jan 13:00 pm" << jan5 << QDateTime();
        QTest::newRow("minute 60") << "4 Jan 1:60 pm" << jan5 << QDateTime();
        QTest::newRow("words after the time") << "4 Jan 1:15 pm NZDT" << jan5 << QDateTime();
        QTest::newRow("numbers only") << "4/01/2027" << jan5 << QDateTime();
    }
    void parseClosedDate()
    {
        QFETCH(QString, text);
        QFETCH(QDate, today);
        QFETCH(QDateTime, expected);
        QDateTime got;
        QCOMPARE(UnsoldPageReader::ParseClosedDate(text, today, got), expected.isValid());
        if (expected.isValid()) QCOMPARE(got, expected);
    }

    void closedDateIgnoresTheMachinesLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QDateTime got;
        QVERIFY(UnsoldPageReader::ParseClosedDate(QStringLiteral("Tue 30 Dec 2:15 pm"), Today, got));
        QCOMPARE(got, QDateTime(QDate(2026, 12, 30), QTime(14, 15)));
        QVERIFY(!UnsoldPageReader::ParseClosedDate(QStringLiteral("30 Dez 2:15 pm"), Today, got));
    }

    void pageNumber_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("page");
        QTest::newRow("numbered") << unsoldUrl() + "?page=3" << 3;
        QTest::newRow("among other fields") << unsoldUrl() + "?x=1&page=12&y=2" << 12;
        QTest::newRow("none") << unsoldUrl() << 1;
        QTest::newRow("empty") << unsoldUrl() + "?page=" << 1;
        QTest::newRow("not a number") << unsoldUrl() + "?page=abc" << 1;
        QTest::newRow("digits first") << unsoldUrl() + "?page=4x" << 4;
        QTest::newRow("too large") << unsoldUrl() + "?page=99999999999" << 1;
        QTest::newRow("another field ending in page") << unsoldUrl() + "?homepage=5" << 1;
    }
    void pageNumber()
    {
        QFETCH(QString, address);
        QFETCH(int, page);
        QCOMPARE(UnsoldPageReader::PageNumber(address), page);
    }

    // ---- one page ----

    void pageFillsTheUnsoldFields()
    {
        const QString longTitle = QStringLiteral("Genuine leather lounge suite, three seater plus two armchairs, chocolate brown");
        QVERIFY(longTitle.size() > 60);
        const QString text = crlf(unsoldPage(
            listing("101", "Rimu \"Colonial\" bookcase & shelves", "Mon 4 Jan 2:15 pm",
                    {"Price $120.00", "Reserve $300.00", "Top bid $180.50", "Offered for $250.00", "Relisted as #190", "View new listing"}) +
            listing("102", longTitle, "Sun 3 Jan 9:00 am",
                    {"Price $1,200.00", "Reserve $1,850.00", "Top bid $1,500.00", "Offer expired", "Offered for $1,750.00"}) +
            // No blank line before the next title, and its last line is a marker.
            listing("103", "  Box of paperbacks", "Sat 2 Jan 8:00 pm", {"Price $10.00", "No bids"}) +
            listing("104", "Camp oven", "Fri 1 Jan 7:00 am", {})));

        auto rs = ListingRecordsets::Create(ListingRecordsets::Unsold);
        QSet<QString> seen;
        const auto r = UnsoldPageReader::ParseUnsoldPage(text, *rs, 45, Today, &seen);
        QCOMPARE(r.outcome, UnsoldPageReader::PageResult::NextPage);
        QCOMPARE(r.added, 4);
        QCOMPARE(seen, (QSet<QString>{"101", "102", "103", "104"}));
        QCOMPARE(rs->RecordCount(), 4);

        struct Row {
            QString id, title;
            QDateTime closed;
            QVariant start, reserve, topBid;
            QString noBids, offer, expired, relisted;
        };
        const QList<Row> expected = {
            {"101", "Rimu \"Colonial\" bookcase & shelves", QDateTime(QDate(2027, 1, 4), QTime(14, 15)), 120.0, 300.0, 180.5, "",
             "Offered for $250.00", "", "Relisted as #190"},
            {"102", longTitle, QDateTime(QDate(2027, 1, 3), QTime(9, 0)), 1200.0, 1850.0, 1500.0, "", "Offered for $1,750.00",
             "Offer expired\r\nOffered for $1,750.00", ""},
            {"103", "Box of paperbacks", QDateTime(QDate(2027, 1, 2), QTime(20, 0)), 10.0, QVariant(), QVariant(), "No bids", "", "", ""},
            {"104", "Camp oven", QDateTime(QDate(2027, 1, 1), QTime(7, 0)), QVariant(), QVariant(), QVariant(), "", "", "", ""},
        };
        rs->MoveFirst();
        for (const Row& row : expected) {
            QCOMPARE(rs->value("listing_id").toString(), row.id);
            QCOMPARE(rs->value("title").toString(), row.title);
            QCOMPARE(vb::fromOleDate(rs->value("end_date").toDouble()), row.closed);
            QCOMPARE(rs->value("start_price"), row.start);
            QCOMPARE(rs->value("reserve_price"), row.reserve);
            QCOMPARE(rs->value("max_bid_amount"), row.topBid);
            // Text fields are empty text, never Null, when the page shows nothing.
            for (const auto& [field, value] : {std::pair{"no_bids", row.noBids}, std::pair{"offer_price", row.offer},
                                               std::pair{"offer_expired", row.expired}, std::pair{"relisted", row.relisted}}) {
                QVERIFY2(!rs->isNull(field), field);
                QCOMPARE(rs->value(field).toString(), value);
            }
            // Work fields stay for the comparison to set.
            QVERIFY(rs->isNull("UpdateFields"));
            rs->MoveNext();
        }
    }

    void olderListingEndsThePage()
    {
        const QString text = crlf(unsoldPage(listingDaysAgo("1", 0) + listingDaysAgo("2", 45) + listingDaysAgo("3", 46) + listingDaysAgo("4", 2)));
        auto rs = ListingRecordsets::Create(ListingRecordsets::Unsold);
        auto r = UnsoldPageReader::ParseUnsoldPage(text, *rs, 45, Today);
        QCOMPARE(r.outcome, UnsoldPageReader::PageResult::Done);
        QCOMPARE(r.added, 2);
        QCOMPARE(rs->RecordCount(), 2);

        // The 7-day window.
        auto week = ListingRecordsets::Create(ListingRecordsets::Unsold);
        r = UnsoldPageReader::ParseUnsoldPage(text, *week, 7, Today);
        QCOMPARE(r.outcome, UnsoldPageReader::PageResult::Done);
        QCOMPARE(r.added, 1);
    }

    void pageOutcome_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("unread");
        QTest::newRow("no listings") << unsoldPage(QString()) << int(UnsoldPageReader::PageResult::NextPage) << 0 << "" << QStringList();
        QTest::newRow("not a member page") << QStringLiteral("Log in\nEmail\nPassword\n")
                                           << int(UnsoldPageReader::PageResult::LoginFailed) << 0 << "" << QStringList();
        QTest::newRow("one blank after Closed: is no listing")
            << unsoldPage("Teapot\nClosed: Mon 4 Jan 2:15 pm (#5)\nNo bids\n") << int(UnsoldPageReader::PageResult::NextPage) << 0 << ""
            << QStringList();
        QTest::newRow("no listing number") << unsoldPage(listingDaysAgo("1", 1) + "Teapot\nClosed:  Mon 4 Jan 2:15 pm\nNo bids\n")
                                           << int(UnsoldPageReader::PageResult::Failed) << 1 << "Could not find EndText: '(#'"
                                           << QStringList();
        QTest::newRow("(# on a later line is not this listing's")
            << unsoldPage("Teapot\nClosed:  Mon 4 Jan 2:15 pm\nSee (#5)\n") << int(UnsoldPageReader::PageResult::Failed) << 0
            << "Could not find EndText: '(#'" << QStringList();
        QTest::newRow("empty listing number") << unsoldPage("Teapot\nClosed:  Mon 4 Jan 2:15 pm (#)\n")
                                              << int(UnsoldPageReader::PageResult::Failed) << 0
                                              << "Could not find the listing number of 'Teapot'" << QStringList();
        QTest::newRow("unreadable dates are passed over")
            << unsoldPage("Teapot\nClosed:  Mon 44 Jan 2:15 pm (#5)\n" + listingDaysAgo("6", 1) + "Kettle\nClosed:  Mon sometime (#7)\n")
            << int(UnsoldPageReader::PageResult::NextPage) << 1 << "" << QStringList{"#5 '44 Jan 2:15 pm'", "#7 'sometime'"};
        QTest::newRow("the title is the first line of the page")
            << QStringLiteral("My Trade Me > Selling first\nClosed:  Mon 4 Jan 2:15 pm (#5)\n") << int(UnsoldPageReader::PageResult::NextPage)
            << 1 << "" << QStringList();
    }
    void pageOutcome()
    {
        QFETCH(QString, text);
        QFETCH(int, outcome);
        QFETCH(int, added);
        QFETCH(QString, error);
        QFETCH(QStringList, unread);
        auto rs = ListingRecordsets::Create(ListingRecordsets::Unsold);
        const auto r = UnsoldPageReader::ParseUnsoldPage(crlf(text), *rs, 45, Today);
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(r.added, added);
        QCOMPARE(rs->RecordCount(), added);
        QCOMPARE(r.error, error);
        QCOMPARE(r.unreadDates, unread);
    }

    void listingsReadBeforeAreNotAddedAgain()
    {
        auto rs = ListingRecordsets::Create(ListingRecordsets::Unsold);
        QSet<QString> seen{"2"};
        const auto r = UnsoldPageReader::ParseUnsoldPage(crlf(unsoldPage(listingDaysAgo("1", 1) + listingDaysAgo("2", 2))), *rs, 45, Today, &seen);
        QCOMPARE(r.listings, 2);
        QCOMPARE(r.repeated, 1);
        QCOMPARE(r.added, 1);
        QCOMPARE(rs->RecordCount(), 1);
    }

    // ---- paging through the site ----

    void pagingEnds_data()
    {
        QTest::addColumn<QStringList>("sitePages");
        QTest::addColumn<PastEnd>("past");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("ids");
        const QString p1 = listingDaysAgo("11", 1) + listingDaysAgo("12", 2);
        const QString p2 = listingDaysAgo("21", 3) + listingDaysAgo("22", 4);
        QTest::newRow("past the end lands on a lower page")
            << QStringList{p1, p2} << PastEnd::LowerPage << QStringList{"", "?page=2", "?page=3"} << QStringList{"11", "12", "21", "22"};
        QTest::newRow("an empty page pages on")
            << QStringList{QString(), p2} << PastEnd::LowerPage << QStringList{"", "?page=2", "?page=3"} << QStringList{"21", "22"};
        QTest::newRow("past the end answers the last page under the number asked")
            << QStringList{p1, p2} << PastEnd::SameNumber << QStringList{"", "?page=2", "?page=3"} << QStringList{"11", "12", "21", "22"};
        QTest::newRow("an address without page= is page 1")
            << QStringList{p1} << PastEnd::NoNumber << QStringList{"", "?page=2"} << QStringList{"11", "12"};
        QTest::newRow("empty pages under their own numbers end at the second")
            << QStringList{QString()} << PastEnd::EmptyPages << QStringList{"", "?page=2"} << QStringList{};
        QTest::newRow("a listing older than the window ends it")
            << QStringList{p1 + listingDaysAgo("13", 50), p2} << PastEnd::LowerPage << QStringList{""} << QStringList{"11", "12"};
        QTest::newRow("one listing moved to the next page is read once")
            << QStringList{p1, listingDaysAgo("12", 2) + p2} << PastEnd::LowerPage << QStringList{"", "?page=2", "?page=3"}
            << QStringList{"11", "12", "21", "22"};
    }
    void pagingEnds()
    {
        QFETCH(QStringList, sitePages);
        QFETCH(PastEnd, past);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, ids);
        pages = sitePages;
        pastEnd = past;

        QVERIFY(runUnsold());
        QCOMPARE(unsoldRequests(), asked);
        QCOMPARE(listingIds(), ids);
        QVERIFY(!session->unsoldStepFailed());
        QVERIFY(env->messages().prompts().isEmpty());
        // Each page asked for showed in the wait panel; the run ended with the unsold list filled.
        QStringList waits;
        for (int n = 1; n <= asked.size(); ++n) waits << QStringLiteral("ShowWait Downloading unsold listings (Page %1)").arg(n);
        QCOMPARE(view.waits().filter(QStringLiteral("Downloading unsold")), waits);
        QCOMPARE(view.calls.mid(view.calls.size() - 2), (QStringList{"FillList 2", "RunFinished"}));
        QCOMPARE(session->mUnsoldPage, asked.size());
        // A blank page between two site pages.
        QStringList route, expectedRoute;
        for (const QString& a : browser->navigations()) route << (a.endsWith("VNTM.sub") ? QStringLiteral("<blank>") : a.mid(unsoldUrl().size()));
        for (const QString& a : asked) {
            if (!expectedRoute.isEmpty()) expectedRoute << QStringLiteral("<blank>");
            expectedRoute << a;
        }
        QCOMPARE(route, expectedRoute);
    }

    void pagesAreCapped()
    {
        // A site that never runs out: every page has a new listing under its own number.
        special = [](int asked, const QString& address) -> std::optional<FakeBrowser::Page> {
            return FakeBrowser::Page{address, "Unsold items - TradeMe",
                                     unsoldPage(listing(QString::number(1000 + asked), "Listing", "Mon 4 Jan 2:15 pm"), asked), ""};
        };
        env->messages().answer(vbmsg::OK, QStringLiteral("Stopped reading Unsold listings after %1 pages.").arg(UpdateSession::MaxUnsoldPages));
        QVERIFY(runUnsold(60000));
        QCOMPARE(unsoldRequests().size(), UpdateSession::MaxUnsoldPages);
        QCOMPARE(listingIds().size(), UpdateSession::MaxUnsoldPages);
        QVERIFY(session->unsoldStepFailed());
        QVERIFY(view.calls.contains("RunFinished"));
    }

    void failedSteps_data()
    {
        QTest::addColumn<QString>("page2");   // the second page's text ("never" = it never loads)
        QTest::addColumn<QString>("message"); // "" = none
        QTest::addColumn<bool>("finished");   // the run reached RunFinished (with page 1's rows)
        QTest::addColumn<QString>("viewCall");
        QTest::newRow("login failed") << "My TradeMe\nYou need to login to view this page\n" << "" << false << "LoginFailed";
        // The lower-case marker alone: not the member page the reader knows.
        QTest::newRow("not a member page") << "my trade me > selling\nLog in\n" << "" << false << "LoginFailed";
        QTest::newRow("unrecognised page") << "TradeMe\nSomething went wrong\n" << "Could not retrieve Unsold listings from TradeMe" << true
                                           << "RunFinished";
        QTest::newRow("page never loads") << "never" << "TradeMe did not send the Unsold listings (Page 2) in time." << true
                                          << "RunFinished";
        QTest::newRow("blank page never loads") << "blank" << "TradeMe did not send the Unsold listings (Page 2) in time." << true
                                                << "RunFinished";
        QTest::newRow("listing without its number") << "My Trade Me > Selling\nTeapot\nClosed:  Mon 4 Jan 2:15 pm\n"
                                                    << "Could not find EndText: '(#'" << true << "RunFinished";
    }
    void failedSteps()
    {
        QFETCH(QString, page2);
        QFETCH(QString, message);
        QFETCH(bool, finished);
        QFETCH(QString, viewCall);
        pages = {listingDaysAgo("11", 1), listingDaysAgo("21", 2)};
        special = [page2](int asked, const QString& address) -> std::optional<FakeBrowser::Page> {
            if (asked != 2) return std::nullopt;
            FakeBrowser::Page page{address, "TradeMe", page2, ""};
            page.neverLoads = page2 == QLatin1String("never");
            return page;
        };
        blankStalls = page2 == QLatin1String("blank");
        session->setPageLoadTimeout(200);
        const double stamped = storedDateLastUpdate();
        if (!message.isEmpty()) env->messages().answer(vbmsg::OK, message);

        QVERIFY(runUnsold());
        QVERIFY(view.calls.contains(viewCall));
        QCOMPARE(view.calls.contains("RunFinished"), finished);
        QCOMPARE(listingIds(), QStringList{"11"});
        QVERIFY(session->unsoldStepFailed());
        QCOMPARE(storedDateLastUpdate(), stamped);  // a failed unsold step never stamps the update
        QVERIFY(!browser->Busy());
        if (page2 == QLatin1String("never") || blankStalls) QVERIFY(browser->navigations().contains("<stop>"));
    }

    void unreadableDatesAreReportedOnce()
    {
        pages = {"Teapot\nClosed:  Mon 44 Jan 2:15 pm (#5)\n" + listingDaysAgo("11", 1),
                 "Kettle\nClosed:  Mon sometime (#7)\n" + listingDaysAgo("21", 2)};
        env->messages().answer(vbmsg::OK, "Could not read the closed date of listing #5 '44 Jan 2:15 pm'");
        QVERIFY(runUnsold());
        QCOMPARE(env->messages().prompts().size(), 1);
        QCOMPARE(listingIds(), (QStringList{"11", "21"}));
        QVERIFY(session->unsoldStepFailed());
        QVERIFY(view.calls.contains("RunFinished"));
    }

    void cancelStopsPaging_data()
    {
        QTest::addColumn<int>("cancelAtTab");  // cancel when the n-th page has loaded
        QTest::newRow("first page") << 1;
        QTest::newRow("second page") << 2;
    }
    void cancelStopsPaging()
    {
        QFETCH(int, cancelAtTab);
        pages = {listingDaysAgo("11", 1), listingDaysAgo("21", 2), listingDaysAgo("31", 3)};
        int loaded = 0;
        view.onSelectTab = [&] {
            if (++loaded == cancelAtTab) session->mCancel = true;
        };
        QVERIFY(runUnsold());
        QCOMPARE(unsoldRequests().size(), cancelAtTab);
        QVERIFY(!view.calls.contains("RunFinished"));
        QVERIFY(!view.calls.contains("FillList 2"));
        QCOMPARE(listingIds().size(), cancelAtTab - 1);
        // Nothing more happens after the end.
        const QStringList route = browser->navigations();
        QTest::qWait(50);
        QCOMPARE(browser->navigations(), route);
    }

    void cancelWhilePageNeverComesEndsQuietly()
    {
        special = [](int, const QString& address) -> std::optional<FakeBrowser::Page> {
            FakeBrowser::Page page{address};
            page.neverLoads = true;
            return page;
        };
        session->setPageLoadTimeout(100);
        QTimer::singleShot(20, this, [this] { session->mCancel = true; });
        QVERIFY(runUnsold());
        QVERIFY(env->messages().prompts().isEmpty());
        QVERIFY(!view.calls.contains("RunFinished"));
    }

    void pagesOffTheSiteAreIgnored()
    {
        pages = {listingDaysAgo("11", 1)};
        // The first answer is a page elsewhere that goes on to the unsold page by itself.
        bool detoured = false;
        special = [&](int, const QString& address) -> std::optional<FakeBrowser::Page> {
            if (detoured || !address.startsWith(unsoldUrl())) return std::nullopt;
            detoured = true;
            return FakeBrowser::Page{"https://elsewhere.example/ad", "Ad", "My Trade Me > Selling\nClosed:  junk", "", address};
        };
        QVERIFY(runUnsold());
        QCOMPARE(listingIds(), QStringList{"11"});
        QVERIFY(!session->unsoldStepFailed());
    }

    void newRunStartsAfresh()
    {
        pages = {listingDaysAgo("11", 1)};
        QVERIFY(runUnsold());
        QCOMPARE(listingIds(), QStringList{"11"});
        session->mListings[ListingRecordsets::Unsold] = ListingRecordsets::Create(ListingRecordsets::Unsold);
        QVERIFY(runUnsold());
        QCOMPARE(listingIds(), QStringList{"11"});  // not passed over as read before
    }
};

VENDARO_TEST_MAIN(tst_unsoldpages)
#include "tst_unsoldpages.moc"
