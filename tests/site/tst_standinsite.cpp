// The stand-in auction site as the program and the other tests use it, and
// the downloads that go to it.

#include "StandInSite.h"
#include "TestEnvironment.h"
#include "platform/transfer/Downloader.h"
#include "platform/transfer/SiteCookieJar.h"

#include <QDir>
#include <QFile>
#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

namespace {

// How long a test waits for what must happen: far longer than it takes.
constexpr int Patience = 60000;

const StandInSite::Account kiwi{QStringLiteral("kiwi_seller"), QStringLiteral("Seller@Example.co.nz"),
                                QStringLiteral("Secret-Pass"), QStringLiteral("1234567")};
const StandInSite::Account other{QStringLiteral("other_seller"), QStringLiteral("other@example.co.nz"),
                                 QStringLiteral("other-pass"), QStringLiteral("7654321")};

using Fields = QMap<QString, QString>;  // a posted form's fields by name

const QString loginPath = QStringLiteral("/Members/Login.aspx");
const QString loginCheckPath = QStringLiteral("/MyTradeMe/Default.aspx");
const QString mustLogIn = QStringLiteral("You need to login to view this page");

// What came back for one request, redirects not followed.
struct Answer {
    int status = 0;
    QByteArray body;
    QString location;
    QList<QNetworkCookie> cookies;
    QByteArray setCookie;  // the Set-Cookie header as sent
    QNetworkReply::NetworkError error = QNetworkReply::NoError;

    QString text() const { return QString::fromUtf8(body); }
    std::optional<QNetworkCookie> session() const
    {
        for (const QNetworkCookie& c : cookies)
            if (c.name() == StandInSite::sessionCookieName().toLatin1()) return c;
        return std::nullopt;
    }
};

// Loads a fixture written out to a file first, as the program's switch reads one.
bool loadFixtureText(StandInSite& site, const QByteArray& json, QString* error = nullptr)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("fixture.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size()) return false;
    file.close();
    return site.loadFixture(file.fileName(), error);
}

QByteArray sessionHeader(const QString& token)
{
    return (StandInSite::sessionCookieName() + u'=' + token).toLatin1();
}

QNetworkCookie sessionCookie(const QString& token)
{
    QNetworkCookie cookie(StandInSite::sessionCookieName().toLatin1(), token.toLatin1());
    cookie.setDomain(QStringLiteral("127.0.0.1"));
    cookie.setPath(QStringLiteral("/"));
    return cookie;
}

// The process's peak resident memory (VmHWM), in KB; 0 when unknown.
qint64 peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

QByteArray formFields(const QString& email, const QString& password)
{
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("email"), email);
    form.addQueryItem(QStringLiteral("password"), password);
    return form.toString(QUrl::FullyEncoded).toLatin1();
}

QByteArray mailForm(const QString& from, const QString& to, const QString& cc, const QString& subject, const QString& body)
{
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("from"), from);
    form.addQueryItem(QStringLiteral("to"), to);
    form.addQueryItem(QStringLiteral("cc"), cc);
    form.addQueryItem(QStringLiteral("subject"), subject);
    form.addQueryItem(QStringLiteral("body"), body);
    // Every reserved character encoded, as a browser posts a form.
    QByteArray encoded;
    for (const auto& [key, value] : form.queryItems(QUrl::FullyDecoded)) {
        if (!encoded.isEmpty()) encoded += '&';
        encoded += QUrl::toPercentEncoding(key) + '=' + QUrl::toPercentEncoding(value);
    }
    return encoded;
}

// A form posted by a browser, every reserved character encoded.
QByteArray encodedForm(const QMap<QString, QString>& fields)
{
    QByteArray encoded;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (!encoded.isEmpty()) encoded += '&';
        encoded += QUrl::toPercentEncoding(it.key()) + '=' + QUrl::toPercentEncoding(it.value());
    }
    return encoded;
}

QString draftIn(const QString& page)
{
    static const QRegularExpression draft(QStringLiteral("name=\"draft\" value=\"([^\"]+)\""));
    return draft.match(page).captured(1);
}

// A listing form as the site takes it: relist, reserve same as start, 7 days.
QMap<QString, QString> listingDetails(const QString& id)
{
    return {{"listingid", id},        {"action", "relist"},          {"title", "Kauri <bowl> & \"co\""}, {"body", "Nice\r\n\r\n:)"},
            {"startprice", "12.5"},   {"start_eq_reserve", "1"},     {"reserveprice", ""},             {"buynowprice", ""},
            {"duration_type", "easy"}, {"auction_length", "10080"}, {"set_end_days", ""},              {"set_end_hour", ""}};
}

StandInSite::Listing endedListing(const QString& seller, const QString& id)
{
    StandInSite::Listing l;
    l.seller = seller;
    l.id = id;
    l.kind = QStringLiteral("unsold");
    l.title = QStringLiteral("Rimu bowl");
    l.start = QDateTime::currentDateTime().addDays(-9);
    l.end = QDateTime::currentDateTime().addDays(-2);
    l.startPrice = 20;
    l.reservePrice = 30;
    l.length = QStringLiteral("7 days");
    l.gallery = true;
    return l;
}

}  // namespace

class tst_standinsite : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    std::unique_ptr<StandInSite> site;
    std::unique_ptr<QNetworkAccessManager> nam;

    QUrl at(const QString& pathAndQuery, const StandInSite& on) const { return QUrl(on.baseUrl() + pathAndQuery); }
    QUrl at(const QString& pathAndQuery) const { return at(pathAndQuery, *site); }

    // A request of our own: no cookie jar, no redirects followed, the Cookie header as given.
    Answer send(const QUrl& url, const QByteArray& cookieHeader = {}, const std::optional<QByteArray>& postedForm = {})
    {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
        if (!cookieHeader.isEmpty()) request.setRawHeader("Cookie", cookieHeader);
        if (postedForm) request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        return answerOf(postedForm ? nam->post(request, *postedForm) : nam->get(request));
    }

    // A form posted as multipart/form-data, each field a part; fileField's
    // part a file, as a browser posts a file input.
    Answer sendMultipart(const QUrl& url, const QByteArray& cookieHeader, const QMap<QString, QString>& fields, const QString& fileField)
    {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setRawHeader("Cookie", cookieHeader);
        auto* parts = new QHttpMultiPart(QHttpMultiPart::FormDataType);
        for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
            QHttpPart part;
            QString disposition = QStringLiteral("form-data; name=\"%1\"").arg(it.key());
            if (it.key() == fileField) {
                disposition += QStringLiteral("; filename=\"photo.txt\"");
                part.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/plain; charset=utf-8"));
            }
            part.setHeader(QNetworkRequest::ContentDispositionHeader, disposition);
            part.setBody(it.value().toUtf8());
            parts->append(part);
        }
        QNetworkReply* reply = nam->post(request, parts);
        parts->setParent(reply);
        return answerOf(reply);
    }

    // What came back for a request sent, once it has finished.
    Answer answerOf(QNetworkReply* reply)
    {
        QSignalSpy finished(reply, &QNetworkReply::finished);
        if (!reply->isFinished()) finished.wait(30000);
        Answer answer;
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.body = reply->readAll();
        answer.location = QString::fromUtf8(reply->rawHeader("Location"));
        answer.cookies = reply->header(QNetworkRequest::SetCookieHeader).value<QList<QNetworkCookie>>();
        answer.setCookie = reply->rawHeader("Set-Cookie");
        answer.error = reply->error();
        delete reply;
        return answer;
    }

    Answer postLogin(const QString& email, const QString& password, const StandInSite* on = nullptr)
    {
        return send(at(loginPath, on ? *on : *site), {}, formFields(email, password));
    }

    // A site stops only once its idle kept-alive connections are gone, so
    // the clients let go of theirs first.
    void dropConnections()
    {
        nam->clearConnectionCache();
        Downloader::manager()->clearConnectionCache();
    }

private slots:
    void init()
    {
        env.emplace();
        SiteCookieJar::instance()->clear();
        nam = std::make_unique<QNetworkAccessManager>();
        site = std::make_unique<StandInSite>();
        site->addAccount(kiwi);
        site->addAccount(other);
        QVERIFY(site->start());
    }
    void cleanup()
    {
        dropConnections();
        nam.reset();
        site.reset();
        SiteCookieJar::instance()->clear();
        env.reset();
    }

    // The maker's downloads folder: files set in memory first, then a folder's,
    // by plain name; anything else a 404 that carries a page (not the file).
    void downloadsFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("set by the test") << "/downloads/vendaro.zip" << 200 << QByteArray("PK in memory");
        QTest::newRow("from the folder") << "/downloads/other.zip" << 200 << QByteArray("PK on disk");
        QTest::newRow("missing") << "/downloads/nothing.zip" << 404 << QByteArray("<html><body><h1>404 Not Found</h1></body></html>");
        QTest::newRow("hidden file") << "/downloads/.secret" << 404 << QByteArray("<html><body><h1>404 Not Found</h1></body></html>");
        QTest::newRow("out of the folder") << "/downloads/%2E%2E%2Foutside.txt" << 404 << QByteArray();
        QTest::newRow("version stays the version") << "/downloads/version.txt" << 200 << QByteArray("2.1004\n");
    }
    void downloadsFolder()
    {
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QTemporaryDir root;
        const QDir folder(root.filePath(QStringLiteral("downloads")));
        QVERIFY(QDir().mkpath(folder.path()));
        const auto put = [](const QString& file, const QByteArray& bytes) {
            QFile f(file);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        QVERIFY(put(folder.filePath(QStringLiteral("other.zip")), "PK on disk"));
        QVERIFY(put(folder.filePath(QStringLiteral("vendaro.zip")), "PK on disk"));
        QVERIFY(put(folder.filePath(QStringLiteral(".secret")), "hidden"));
        QVERIFY(put(folder.filePath(QStringLiteral("version.txt")), "9.9"));
        QVERIFY(put(root.filePath(QStringLiteral("outside.txt")), "outside"));
        site->setDownloadsFolder(folder.path());
        site->setDownload(QStringLiteral("vendaro.zip"), "PK in memory");
        const Answer a = send(QUrl(site->baseUrl() + path, QUrl::StrictMode));
        QCOMPARE(a.status, status);
        if (status == 200 || !body.isEmpty()) QCOMPARE(a.body, body);
        QVERIFY(!a.body.contains("outside"));
        // A file taken back is gone from memory; the folder's shows again.
        site->removeDownload(QStringLiteral("vendaro.zip"));
        QCOMPARE(send(at(QStringLiteral("/downloads/vendaro.zip"))).body, QByteArray("PK on disk"));
    }

    void homePageLinksToTheLoginForm()
    {
        QVERIFY(site->port() != 0);
        QCOMPARE(site->baseUrl(), QStringLiteral("http://127.0.0.1:%1").arg(site->port()));
        const Downloader::Result home = Downloader::Get(at(QStringLiteral("/")), 5000);
        QVERIFY2(home.ok, qPrintable(home.error));
        QCOMPARE(home.status, 200);
        QVERIFY(QString::fromUtf8(home.data).contains(QStringLiteral("href=\"%1\"").arg(loginPath)));

        const Answer form = send(at(loginPath));
        QCOMPARE(form.status, 200);
        QVERIFY(form.text().contains(QStringLiteral("method=\"post\" action=\"%1\"").arg(loginPath)));
        QVERIFY(form.text().contains(QStringLiteral("name=\"email\"")));
        QVERIFY(form.text().contains(QStringLiteral("name=\"password\"")));
    }

    // The program reads who is logged in from this page; without a session it
    // still answers 200, with the refusal text.
    void loginCheckTellsWhoIsLoggedIn_data()
    {
        QTest::addColumn<QString>("sessionOf");  // "" no session, "?" a token the site never gave
        QTest::addColumn<bool>("throughJar");    // the cookie from the shared jar, else a Cookie header
        QTest::addColumn<QString>("shown");      // "<userId> (<email>)", "" for the refusal
        QTest::addColumn<QString>("member");
        QTest::newRow("no session") << "" << false << "" << "";
        QTest::newRow("unknown session") << "?" << false << "" << "";
        QTest::newRow("unknown session in the jar") << "?" << true << "" << "";
        QTest::newRow("first account, header") << kiwi.userId << false << "kiwi_seller (Seller@Example.co.nz)" << kiwi.member;
        QTest::newRow("second account, header") << other.userId << false << "other_seller (other@example.co.nz)" << other.member;
        QTest::newRow("first account, jar") << kiwi.userId << true << "kiwi_seller (Seller@Example.co.nz)" << kiwi.member;
    }
    void loginCheckTellsWhoIsLoggedIn()
    {
        QFETCH(QString, sessionOf);
        QFETCH(bool, throughJar);
        QFETCH(QString, shown);
        QFETCH(QString, member);

        QString token;
        if (sessionOf == u'?') token = QStringLiteral("0123456789abcdef");
        else if (!sessionOf.isEmpty()) token = site->openSession(sessionOf);

        QString page;
        if (throughJar) {
            SiteCookieJar::instance()->add(sessionCookie(token));
            const Downloader::Result r = Downloader::Get(at(loginCheckPath), 5000);
            QVERIFY2(r.ok, qPrintable(r.error));
            page = QString::fromUtf8(r.data);
        } else {
            const Answer a = send(at(loginCheckPath), token.isEmpty() ? QByteArray() : sessionHeader(token));
            QCOMPARE(a.status, 200);
            page = a.text();
        }

        if (shown.isEmpty()) {
            QVERIFY(page.contains(mustLogIn));
            QVERIFY(!page.contains(QStringLiteral("You are member")));
            QVERIFY(!page.contains(kiwi.userId) && !page.contains(other.userId));
        } else {
            QVERIFY(!page.contains(mustLogIn));
            QVERIFY(page.contains(shown));
            // The member number runs up to the line break.
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("You are member (\\d+)<br")).match(page);
            QVERIFY(m.hasMatch());
            QCOMPARE(m.captured(1), member);
        }
    }

    void loginForm_data()
    {
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("loggedIn");  // the account, "" when refused
        QTest::newRow("right credentials") << kiwi.email << kiwi.password << kiwi.userId;
        QTest::newRow("second account") << other.email << other.password << other.userId;
        QTest::newRow("e-mail in another case") << "SELLER@example.CO.NZ" << kiwi.password << kiwi.userId;
        QTest::newRow("wrong password") << kiwi.email << "wrong" << "";
        QTest::newRow("password in another case") << kiwi.email << "secret-pass" << "";
        QTest::newRow("other account's password") << kiwi.email << other.password << "";
        QTest::newRow("unknown e-mail") << "nobody@example.co.nz" << kiwi.password << "";
        QTest::newRow("empty form") << "" << "" << "";
        QTest::newRow("user name instead of e-mail") << kiwi.userId << kiwi.password << "";
    }
    void loginForm()
    {
        QFETCH(QString, email);
        QFETCH(QString, password);
        QFETCH(QString, loggedIn);

        const Answer a = postLogin(email, password);
        if (loggedIn.isEmpty()) {
            QCOMPARE(a.status, 200);
            QVERIFY(!a.session());
            QVERIFY(a.location.isEmpty());
            // The login form again, with the reason.
            QVERIFY(a.text().contains(QStringLiteral("class=\"error\"")));
            QVERIFY(a.text().contains(QStringLiteral("Your email or password is incorrect")));
            QVERIFY(a.text().contains(QStringLiteral("action=\"%1\"").arg(loginPath)));
            return;
        }
        QCOMPARE(a.status, 302);
        QCOMPARE(a.location, site->baseUrl() + loginCheckPath);
        const std::optional<QNetworkCookie> cookie = a.session();
        QVERIFY(cookie);
        QVERIFY(!cookie->value().isEmpty());
        QCOMPARE(cookie->path(), QStringLiteral("/"));

        // The cookie is a session of that account.
        const Answer check = send(at(loginCheckPath), sessionHeader(QString::fromLatin1(cookie->value())));
        QCOMPARE(check.status, 200);
        QVERIFY(check.text().contains(QStringLiteral("%1 (").arg(loggedIn)));
    }

    // The session cookie's SameSite, written out: Lax as the site starts, or
    // as the test switch sets it.
    void sessionCookieSameSite_data()
    {
        QTest::addColumn<QList<int>>("set");  // StandInSite::SameSite values, in order
        QTest::addColumn<QByteArray>("attribute");
        QTest::addColumn<int>("policy");
        using P = StandInSite::SameSite;
        using C = QNetworkCookie::SameSite;
        QTest::newRow("as started") << QList<int>{} << QByteArray("SameSite=Lax") << int(C::Lax);
        QTest::newRow("strict") << QList<int>{int(P::Strict)} << QByteArray("SameSite=Strict") << int(C::Strict);
        QTest::newRow("lax") << QList<int>{int(P::Lax)} << QByteArray("SameSite=Lax") << int(C::Lax);
        QTest::newRow("strict, then lax") << QList<int>{int(P::Strict), int(P::Lax)} << QByteArray("SameSite=Lax") << int(C::Lax);
        QTest::newRow("unset, as the real site") << QList<int>{int(P::Unset)} << QByteArray() << int(C::Default);
    }
    void sessionCookieSameSite()
    {
        QFETCH(QList<int>, set);
        QFETCH(QByteArray, attribute);
        QFETCH(int, policy);
        const Answer before = postLogin(kiwi.email, kiwi.password);
        for (int p : set) site->setCookieSameSite(StandInSite::SameSite(p));
        const Answer a = postLogin(kiwi.email, kiwi.password);
        QCOMPARE(a.status, 302);
        QList<QByteArray> parts = a.setCookie.split(';');
        for (QByteArray& part : parts) part = part.trimmed();
        QVERIFY(parts.value(0).startsWith(sessionHeader(QString())));
        QList<QByteArray> expected{"Path=/", "HttpOnly"};
        if (!attribute.isEmpty()) expected << attribute;
        QCOMPARE(parts.mid(1), expected);
        QVERIFY(a.session());
        QCOMPARE(int(a.session()->sameSitePolicy()), policy);
        // The policy is the header's only: the session is a session either way,
        // and a login made before keeps its cookie as it was set.
        QVERIFY(send(at(loginCheckPath), sessionHeader(QString::fromLatin1(a.session()->value()))).text().contains(QStringLiteral("kiwi_seller (")));
        QVERIFY(before.setCookie.endsWith("; SameSite=Lax"));
    }

    void memberPagesNeedASession_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::newRow("selling") << "/MyTradeMe/Selling.aspx" << "Items I'm selling";
        QTest::newRow("sold") << "/MyTradeMe/Sold.aspx" << "Sold items";
        QTest::newRow("refund") << "/MyTradeMe/Refund.aspx" << "Request a refund";
        QTest::newRow("fixed price offer") << "/MyTradeMe/FixedPriceOffer.aspx" << "Fixed price offer";
    }
    void memberPagesNeedASession()
    {
        QFETCH(QString, path);
        QFETCH(QString, caption);

        const Answer refused = send(at(path));
        QCOMPARE(refused.status, 403);
        QVERIFY(refused.text().contains(mustLogIn));
        const Answer stranger = send(at(path), sessionHeader(QStringLiteral("0123456789abcdef")));
        QCOMPARE(stranger.status, 403);

        const QByteArray session = sessionHeader(site->openSession(other.userId));
        const Answer served = send(at(path + QStringLiteral("?id=4711")), session);
        QCOMPARE(served.status, 200);
        QVERIFY(!served.text().contains(mustLogIn));
        QVERIFY(served.text().contains(caption.toHtmlEscaped()));
        QVERIFY(served.text().contains(QStringLiteral("Member other_seller")));
        QVERIFY(served.text().contains(QStringLiteral("Auction 4711")));
    }

    // The seller's unsold listings, newest close first, a fixed number a page;
    // the body as the browser shows it is checked by tst_unsoldsite.
    void unsoldPagesListTheSellersUnsoldListings()
    {
        const QString path = QStringLiteral("/MyTradeMe/Sell/Unsold.aspx");
        auto unsold = [](const QString& seller, const QString& id, const QDateTime& end) {
            StandInSite::Listing l;
            l.seller = seller;
            l.id = id;
            l.kind = QStringLiteral("unsold");
            l.title = QStringLiteral("Listing ") + id;
            l.end = end;
            l.startPrice = 10;
            return l;
        };
        StandInSite::Listing offered = unsold(kiwi.userId, QStringLiteral("101"), QDateTime(QDate(2027, 1, 4), QTime(14, 15)));
        offered.title = QStringLiteral("Rimu \"Colonial\" bookcase & <shelves>");
        offered.startPrice = 1200;
        offered.reservePrice = 1850;
        offered.maxBid = 1500.5;
        offered.offerPrice = 1750;
        offered.offerExpired = true;
        StandInSite::Listing relisted = unsold(kiwi.userId, QStringLiteral("102"), QDateTime(QDate(2027, 1, 3), QTime(0, 5)));
        relisted.relistedAs = QStringLiteral("190");
        relisted.offerPrice = 8;
        StandInSite::Listing sold = unsold(kiwi.userId, QStringLiteral("103"), QDateTime(QDate(2027, 1, 4), QTime(9, 0)));
        sold.kind = QStringLiteral("sold");
        // Added oldest first: the page sorts them.
        site->addListing(unsold(kiwi.userId, QStringLiteral("100"), QDateTime(QDate(2026, 12, 30), QTime(12, 0))));
        site->addListing(relisted);
        site->addListing(sold);
        site->addListing(offered);
        site->addListing(unsold(other.userId, QStringLiteral("200"), QDateTime(QDate(2027, 1, 1), QTime(8, 0))));
        site->addListing(unsold(other.userId, QStringLiteral("201"), QDateTime()));  // a fixture entry without its close
        site->setUnsoldPaging(2);

        const Answer refused = send(at(path));
        QCOMPARE(refused.status, 403);
        QVERIFY(refused.text().contains(mustLogIn));

        const QByteArray session = sessionHeader(site->openSession(kiwi.userId));
        const auto listed = [](const Answer& a) {
            const auto m = QRegularExpression(QStringLiteral("<pre id=\"listings\">\n(.*)</pre>"),
                                              QRegularExpression::DotMatchesEverythingOption).match(a.text());
            QString text = m.captured(1);
            return text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
        };
        const Answer first = send(at(path), session);
        QCOMPARE(first.status, 200);
        QVERIFY(first.text().contains(QStringLiteral("My Trade Me &gt; Selling")));
        QCOMPARE(listed(first), QStringLiteral("Rimu \"Colonial\" bookcase & <shelves>\n"
                                               "Closed:  Mon 4 Jan 2:15 pm (#101)\n"
                                               "Price $1,200.00\n"
                                               "Reserve $1,850.00\n"
                                               "Top bid $1,500.50\n"
                                               "Offer expired\n"
                                               "Offered for $1,750.00\n"
                                               "\n"
                                               "Listing 102\n"
                                               "Closed:  Sun 3 Jan 12:05 am (#102)\n"
                                               "Price $10.00\n"
                                               "No bids\n"
                                               "Offered for $8.00\n"
                                               "Relisted as #190\n"
                                               "View new listing\n"));
        QVERIFY(first.text().contains(QStringLiteral("Page 1 of 2")));
        const Answer second = send(at(path + QStringLiteral("?page=2")), session);
        QCOMPARE(listed(second), QStringLiteral("Listing 100\nClosed:  Wed 30 Dec 12:00 pm (#100)\nPrice $10.00\nNo bids\n"));
        QCOMPARE(listed(send(at(path + QStringLiteral("?page=abc")), session)), listed(first));

        // Past the last page: sent to the last one, a lower number.
        const Answer past = send(at(path + QStringLiteral("?page=3")), session);
        QCOMPARE(past.status, 302);
        QCOMPARE(past.location, path + QStringLiteral("?page=2"));
        // The test mode: the last page again under the number asked for.
        site->setUnsoldPaging(2, StandInSite::PastEnd::SameNumber);
        const Answer same = send(at(path + QStringLiteral("?page=7")), session);
        QCOMPARE(same.status, 200);
        QCOMPARE(listed(same), listed(second));

        // Another seller sees only their own; one without any sees none.
        const QByteArray otherSession = sessionHeader(site->openSession(other.userId));
        const QString others = listed(send(at(path), otherSession));
        QVERIFY(others.contains(QStringLiteral("(#200)")));
        QVERIFY(others.contains(QStringLiteral("Closed:   (#201)")));
        site->clearListings();
        site->setUnsoldPaging(2);
        const Answer none = send(at(path + QStringLiteral("?page=1")), session);
        QCOMPARE(none.status, 200);
        QCOMPARE(listed(none), QStringLiteral("You have no unsold items.\n"));
        QCOMPARE(send(at(path + QStringLiteral("?page=2")), session).location, path + QStringLiteral("?page=1"));
    }

    void mailFormValidates_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("cc");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("refusal");  // "" = accepted
        const QString seller = QStringLiteral("seller@example.co.nz");
        const QString buyer = QStringLiteral("o'brien@example.com");
        const QString subject = QStringLiteral("Your purchase");
        QTest::newRow("plain") << seller << buyer << QString() << subject << QString();
        QTest::newRow("several to and cc") << seller << QStringLiteral("a@example.com, b@example.com") << QStringLiteral("c@example.com,d@example.com") << subject << QString();
        QTest::newRow("no from") << QString() << buyer << QString() << subject << QStringLiteral("the From address is missing.");
        QTest::newRow("bad from") << QStringLiteral("seller") << buyer << QString() << subject << QStringLiteral("the From address \"seller\" is not a valid email address.");
        QTest::newRow("no to") << seller << QStringLiteral(" ") << QString() << subject << QStringLiteral("the To address is missing.");
        QTest::newRow("bad to in a list") << seller << QStringLiteral("a@example.com, b@") << QString() << subject << QStringLiteral("the To address \"b@\" is not a valid email address.");
        QTest::newRow("bad cc") << seller << buyer << QStringLiteral("Name <c@example.com>") << subject << QStringLiteral("the CC address \"Name <c@example.com>\" is not a valid email address.");
        QTest::newRow("line break in to") << seller << QStringLiteral("a@example.com\nBcc: x@example.com") << QString() << subject << QStringLiteral("the To field holds a line break.");
        QTest::newRow("line break in cc") << seller << buyer << QStringLiteral("c@example.com\r\n") << subject << QStringLiteral("the CC field holds a line break.");
        QTest::newRow("line break in subject") << seller << buyer << QString() << QStringLiteral("Hi\r\nBcc: x@example.com") << QStringLiteral("the Subject field holds a line break.");
        QTest::newRow("line break in from") << QStringLiteral("seller@example.co.nz\r") << buyer << QString() << subject << QStringLiteral("the From field holds a line break.");
        // A refusal that echoes the address must not read as the sender's success.
        QTest::newRow("marker in a refused address") << seller << QStringLiteral("[success]") << QString() << subject
                                                     << QStringLiteral("the To address \"(success)\" is not a valid email address.");
    }
    void mailFormValidates()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, cc);
        QFETCH(QString, subject);
        QFETCH(QString, refusal);
        const QString body = QStringLiteral("Line 1\r\n</textarea> & 'quoted' + 100%\r\n\r\nKia ora \u0101");
        const Answer a = send(at(QStringLiteral("/mailform/send.aspx")), {}, mailForm(from, to, cc, subject, body));
        QCOMPARE(a.status, 200);
        if (refusal.isEmpty()) {
            QVERIFY2(a.text().contains(QStringLiteral("[success]")), qPrintable(a.text()));
            QCOMPARE(site->mailMessages().size(), 1);
            const StandInSite::MailMessage m = site->mailMessages().at(0);
            QCOMPARE(m.from, from);
            QCOMPARE(m.to, to);
            QCOMPARE(m.cc, cc);
            QCOMPARE(m.subject, subject);
            QCOMPARE(m.body, body);
        } else {
            QVERIFY(!a.text().contains(QStringLiteral("[success]")));
            QVERIFY2(a.text().contains(QStringLiteral("Your email was not sent: ") + refusal.toHtmlEscaped()), qPrintable(a.text()));
            QVERIFY(site->mailMessages().isEmpty());
        }
    }

    void mailFormTestModes()
    {
        const QByteArray form = mailForm(QStringLiteral("s@example.com"), QStringLiteral("b@example.com"), {}, QStringLiteral("Hi"), QStringLiteral("Body"));
        const QUrl url = at(QStringLiteral("/mailform/send.aspx"));
        site->setMailFault(StandInSite::MailFault::Reject);
        Answer a = send(url, {}, form);
        QVERIFY(a.text().contains(QStringLiteral("Your email was not sent: the mail service is not accepting email at the moment.")));
        site->setMailFault(StandInSite::MailFault::EmptyReply);
        a = send(url, {}, form);
        QCOMPARE(a.status, 200);
        QVERIFY(a.body.isEmpty());
        QVERIFY(site->mailMessages().isEmpty());

        // No reply: nothing comes while the mode lasts; then the post is answered.
        site->setMailFault(StandInSite::MailFault::NoReply);
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        std::unique_ptr<QNetworkReply> held(nam->post(request, form));
        QTest::qWait(500);
        QVERIFY(!held->isFinished());
        site->setMailFault(StandInSite::MailFault::None);
        QTRY_VERIFY(held->isFinished());
        QVERIFY(held->readAll().contains("[success]"));
        QCOMPARE(site->mailMessages().size(), 1);

        // The list of accepted e-mails, for tests of programs outside the process.
        a = send(at(QStringLiteral("/_test/mail")));
        QCOMPARE(a.status, 200);
        QVERIFY(a.text().contains(QStringLiteral("\"to\":\"b@example.com\"")));
        site->clearMailMessages();
        QVERIFY(site->mailMessages().isEmpty());
    }

    void heldMailPostEndsWithTheSite()
    {
        site->setMailFault(StandInSite::MailFault::NoReply);
        QNetworkRequest request(at(QStringLiteral("/mailform/send.aspx")));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        std::unique_ptr<QNetworkReply> held(nam->post(request, QByteArrayLiteral("from=a")));
        QTest::qWait(200);
        dropConnections();
        // Stopped from a thread of its own, so a stop that waits for the mode
        // to end fails here; ending the mode then lets it finish.
        std::atomic<bool> stopped{false};
        std::thread stopper([this, &stopped] {
            site->stop();
            stopped = true;
        });
        const auto release = qScopeGuard([this, &stopper] {
            site->setMailFault(StandInSite::MailFault::None);
            stopper.join();
        });
        // The site stops only once every answer is sent: stopped, it let the held post go.
        QTRY_VERIFY_WITH_TIMEOUT(stopped, Patience);
    }

    void requestLogRecordsWhatWasAsked()
    {
        const QString token = site->openSession(kiwi.userId);
        QVERIFY(site->requests().isEmpty());

        send(at(QStringLiteral("/Browse/Listing.aspx?id=42&tab=bids")), sessionHeader(token));
        postLogin(other.email, QStringLiteral("a&b=c d"));
        send(at(QStringLiteral("/MyTradeMe/Sold.aspx")));

        const QList<StandInSite::Request> log = site->requests();
        QCOMPARE(log.size(), 3);

        QCOMPARE(log[0].method, QStringLiteral("GET"));
        QCOMPARE(log[0].path, QStringLiteral("/Browse/Listing.aspx"));
        const QMap<QString, QString> query{{QStringLiteral("id"), QStringLiteral("42")}, {QStringLiteral("tab"), QStringLiteral("bids")}};
        QCOMPARE(log[0].query, query);
        QVERIFY(log[0].form.isEmpty());
        QCOMPARE(log[0].account, kiwi.userId);

        QCOMPARE(log[1].method, QStringLiteral("POST"));
        QCOMPARE(log[1].path, loginPath);
        QVERIFY(log[1].query.isEmpty());
        const QMap<QString, QString> form{{QStringLiteral("email"), other.email}, {QStringLiteral("password"), QStringLiteral("a&b=c d")}};
        QCOMPARE(log[1].form, form);
        QCOMPARE(log[1].account, QString());

        QCOMPARE(log[2].path, QStringLiteral("/MyTradeMe/Sold.aspx"));
        QCOMPARE(log[2].account, QString());

        site->clearRequests();
        QVERIFY(site->requests().isEmpty());
        send(at(QStringLiteral("/")));
        QCOMPARE(site->requests().size(), 1);
        QCOMPARE(site->requests().constFirst().path, QStringLiteral("/"));
    }

    // Posts as large as the site's own forms carry (a long e-mail or
    // description, a photo, an ASP.NET view state) are taken whole on every
    // form: the form's own answer, the log holding the large field whole, and
    // what the site keeps of it whole too.
    void largePostsAreTakenWhole_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("after");  // the relist pages posted first: 0 none, 1 the listing form, 2 and the photos, 3 and the extras
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("large");  // the field that carries 100 KB
        QTest::addColumn<bool>("multipart");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("answer");  // part of the page
        const QString state = QStringLiteral("__VIEWSTATE");
        QTest::newRow("login") << loginPath << 0 << Fields{{"email", kiwi.email}, {"password", kiwi.password}} << state << false << 302 << "";
        QTest::newRow("mail form") << "/mailform/send.aspx" << 0
                                   << Fields{{"from", "seller@example.co.nz"}, {"to", "buyer@example.com"}, {"cc", ""}, {"subject", "Your teapot"}}
                                   << "body" << false << 200 << "[success] Your email to buyer@example.com has been sent.";
        QTest::newRow("feedback") << "/MyTradeMe/Feedback/Place.aspx" << 0
                                  << Fields{{"memberid", "3000001"}, {"auctionid", "2150001"}, {"rating", "positive"}, {"time", "1:00:00 PM"},
                                            {"role", "successful_bidder"}}
                                  << "feedback" << false << 200 << "Your feedback has been placed. Thank you.";
        QTest::newRow("fixed price offer") << "/MyTradeMe/MakeAnOffer.aspx" << 0
                                           << Fields{{"auction_id", "6001"}, {"bidder_id_1", "7000001"}, {"bidder_id_2", "7000002"},
                                                     {"hasbidders", "1"}, {"offer_price", "12.5"}, {"duration", "3"}}
                                           << state << false << 200 << "Your offer has been sent to 2 bidders and watchers.";
        QTest::newRow("listing form") << "/sell/details2.aspx" << 0 << listingDetails("6101") << "body" << false << 200 << "Your first photo free!";
        QTest::newRow("photo page") << "/sell/extras2.aspx" << 1 << Fields{{"step", "photos"}} << "photo1" << true << 200
                                    << "Make your listing stand out.";
        QTest::newRow("extras") << "/sell/extras2.aspx" << 2 << Fields{{"step", "extras"}, {"gallerycheckbox", "1"}} << state << false << 200
                                << "Please check that your listing details are correct.";
        QTest::newRow("confirmation") << "/sell/confirm2.aspx" << 3 << Fields{} << state << false << 200
                                      << "Congratulations! Your auction has been listed.";
        QTest::newRow("unknown address") << "/Browse/Nothing.aspx" << 0 << Fields{} << state << false << 404 << "";
    }
    void largePostsAreTakenWhole()
    {
        QFETCH(QString, path);
        QFETCH(int, after);
        QFETCH(Fields, fields);
        QFETCH(QString, large);
        QFETCH(bool, multipart);
        QFETCH(int, status);
        QFETCH(QString, answer);
        QString text;
        while (text.size() < 100 * 1024) text += QStringLiteral("Kia ora Se\u0101n & <b>\"100%\"</b> + a=b;c\r\n");
        StandInSite::Listing offered = endedListing(kiwi.userId, "6001");
        offered.biddersWatchers = 2;
        site->addListing(offered);
        site->addListing(endedListing(kiwi.userId, "6101"));
        const QByteArray session = sessionHeader(site->openSession(kiwi.userId));

        // The relist pages before the one posted, and after it to the listing made.
        QString draft;
        const auto walk = [&](int from, int to) {
            const QList<std::pair<QString, QMap<QString, QString>>> steps{{"/sell/details2.aspx", listingDetails("6101")},
                                                                          {"/sell/extras2.aspx", {{"step", "photos"}}},
                                                                          {"/sell/extras2.aspx", {{"step", "extras"}}},
                                                                          {"/sell/confirm2.aspx", {}}};
            for (int i = from; i < to; ++i) {
                QMap<QString, QString> form = steps[i].second;
                if (i > 0) form.insert("draft", draft);
                const Answer a = send(at(steps[i].first), session, encodedForm(form));
                QCOMPARE(a.status, 200);
                if (i == 0) draft = draftIn(a.text());
            }
        };
        walk(0, after);
        if (QTest::currentTestFailed()) return;
        if (after > 0) fields.insert("draft", draft);
        fields.insert(large, text);

        const Answer a = multipart ? sendMultipart(at(path), session, fields, large) : send(at(path), session, encodedForm(fields));
        QCOMPARE(a.status, status);
        QVERIFY2(a.text().contains(answer.toHtmlEscaped()), qPrintable(a.text().left(2000)));
        const QList<StandInSite::Request> log = site->requests();
        QVERIFY(!log.isEmpty());
        QCOMPARE(log.last().path, path);
        QCOMPARE(log.last().form.value(large).size(), text.size());
        QVERIFY(log.last().form.value(large) == text);
        if (path == QLatin1String("/mailform/send.aspx")) {
            QCOMPARE(site->mailMessages().size(), 1);
            QVERIFY(site->mailMessages().constFirst().body == text);
        }
        if (path == QLatin1String("/sell/details2.aspx")) {
            draft = draftIn(a.text());
            walk(1, 4);
            if (QTest::currentTestFailed()) return;
            QCOMPARE(site->createdListings().size(), 1);
            QVERIFY(site->createdListings().constFirst().body == text);
        }
    }

    // A form past the site's limit is read to its end and refused plainly,
    // never acted on: the mail form as always with 200 and a refusal the
    // sender reads as one, other forms 413 and a page. The post after it is
    // taken as usual.
    void postsOverTheLimitAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("filled");  // the field that fills the form up to its size
        QTest::addColumn<qint64>("size");     // of the whole encoded form
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("answer");
        const Fields mail{{"from", "seller@example.co.nz"}, {"to", "buyer@example.com"}, {"subject", "Hi"}};
        const Fields feedback{{"auctionid", "2150001"}, {"memberid", "3000001"}};
        const qint64 limit = StandInSite::MaxPostBytes;
        QTest::newRow("mail form at the limit") << "/mailform/send.aspx" << mail << "body" << limit << 200 << "[success]";
        QTest::newRow("mail form a byte over") << "/mailform/send.aspx" << mail << "body" << limit + 1 << 200
                                               << "Your email was not sent: the email is larger than 10 MB.";
        QTest::newRow("feedback at the limit") << "/MyTradeMe/Feedback/Place.aspx" << feedback << "feedback" << limit << 200 << "Your feedback has been placed.";
        QTest::newRow("feedback a byte over") << "/MyTradeMe/Feedback/Place.aspx" << feedback << "feedback" << limit + 1 << 413
                                              << "The form you sent is larger than 10 MB.";
    }
    void postsOverTheLimitAreRefused()
    {
        QFETCH(QString, path);
        QFETCH(Fields, fields);
        QFETCH(QString, filled);
        QFETCH(qint64, size);
        QFETCH(int, status);
        QFETCH(QString, answer);
        QByteArray form = encodedForm(fields) + '&' + filled.toLatin1() + '=';
        const qint64 filler = size - form.size();
        form.append(QByteArray(filler, 'x'));
        QCOMPARE(form.size(), size);
        const QByteArray session = sessionHeader(site->openSession(kiwi.userId));
        const bool taken = size <= StandInSite::MaxPostBytes;

        const Answer a = send(at(path), session, form);
        QCOMPARE(a.status, status);
        QVERIFY2(a.text().contains(answer), qPrintable(a.text().left(2000)));
        QVERIFY(taken || !a.text().contains(QStringLiteral("[success]")));
        QCOMPARE(site->requests().last().path, path);
        QCOMPARE(site->requests().last().form.value(filled).size(), taken ? filler : 0);
        QCOMPARE(site->mailMessages().size(), taken && path.startsWith(QLatin1String("/mailform")) ? 1 : 0);

        // The same form again, small: taken as the first post was not.
        const QString again = send(at(path), session, encodedForm(fields)).text();
        if (path.startsWith(QLatin1String("/mailform"))) {
            QVERIFY(again.contains(QStringLiteral("[success]")));
            QCOMPARE(site->mailMessages().size(), taken ? 2 : 1);
        } else {
            QVERIFY(again.contains(taken ? QStringLiteral("You may only place feedback once on an auction.")
                                         : QStringLiteral("Your feedback has been placed.")));
        }
    }

    void fixtureProvidesTheAccounts()
    {
        StandInSite fromFixture;
        QString error;
        QVERIFY2(loadFixtureText(fromFixture, R"({ "accounts": [
            { "userId": "fixture_seller", "email": "fixture@example.co.nz", "password": "fixture-pass", "member": "555" } ] })",
                                 &error),
                 qPrintable(error));
        QVERIFY(fromFixture.start());
        const Answer login = postLogin(QStringLiteral("fixture@example.co.nz"), QStringLiteral("fixture-pass"), &fromFixture);
        QCOMPARE(login.status, 302);
        QVERIFY(login.session());
        const Answer check = send(at(loginCheckPath, fromFixture), sessionHeader(QString::fromLatin1(login.session()->value())));
        QVERIFY(check.text().contains(QStringLiteral("fixture_seller (fixture@example.co.nz)")));
        QVERIFY(check.text().contains(QStringLiteral("You are member 555<br")));
        dropConnections();
    }

    // The feedback page's answers, twice for one auction, by its scenario
    // (set in-process or by the fixture).
    void feedbackScenarios_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        const QString placed = QStringLiteral("Your feedback has been placed. Thank you.");
        const QString once = QStringLiteral("You may only place feedback once on an auction.");
        const QString unknown = QStringLiteral("Sorry, member 3000001 is not known for auction 2150001.");
        QTest::newRow("normal") << "" << placed << once;
        QTest::newRow("already placed") << "alreadyPlaced" << once << once;
        QTest::newRow("unknown member") << "unknownMember" << unknown << unknown;
    }
    void feedbackScenarios()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, first);
        QFETCH(QString, second);
        StandInSite fromFixture;
        QVERIFY(loadFixtureText(fromFixture,
                                QStringLiteral(R"({ "accounts": [ { "userId": "kiwi_seller", "email": "k@example.co.nz", "password": "p", "member": "1" } ],
            "feedback": [ { "auction": "2150001", "scenario": "%1" } ] })").arg(scenario).toUtf8()));
        QVERIFY(fromFixture.start());
        QUrlQuery form;
        for (const auto& [name, value] : {std::pair{"memberid", "3000001"}, {"auctionid", "2150001"}, {"rating", "positive"},
                                          {"feedback", "Thanks :)"}, {"time", "1:00:00 PM"}, {"role", "successful_bidder"}})
            form.addQueryItem(QLatin1String(name), QLatin1String(value));
        const QByteArray posted = form.toString(QUrl::FullyEncoded).toLatin1();
        const QByteArray session = sessionHeader(fromFixture.openSession(QStringLiteral("kiwi_seller")));
        QVERIFY(send(at(QStringLiteral("/MyTradeMe/Feedback/Place.aspx"), fromFixture), session, posted).text().contains(first));
        QVERIFY(send(at(QStringLiteral("/MyTradeMe/Feedback/Place.aspx"), fromFixture), session, posted).text().contains(second));
        // Set in-process, back to normal: another auction number is not touched.
        fromFixture.setFeedbackScenario(QStringLiteral("2150002"), StandInSite::FeedbackScenario::AlreadyPlaced);
        fromFixture.setFeedbackScenario(QStringLiteral("2150002"), StandInSite::FeedbackScenario::Normal);
        form.removeAllQueryItems(QStringLiteral("auctionid"));
        form.addQueryItem(QStringLiteral("auctionid"), QStringLiteral("2150002"));
        QVERIFY(send(at(QStringLiteral("/MyTradeMe/Feedback/Place.aspx"), fromFixture), session, form.toString(QUrl::FullyEncoded).toLatin1())
                    .text()
                    .contains(QStringLiteral("Your feedback has been placed.")));
        dropConnections();
    }

    // The sold export's delivery addresses start with the name to deliver to,
    // as the site's own do: the buyer's name, else the member name.
    void soldExportGivesTheNameFirst_data()
    {
        QTest::addColumn<QString>("buyer");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("exported");  // the item as the CSV holds it
        QTest::newRow("named buyer") << "mere2" << "Flat 2, 45 Queen Street, Auckland 1010"
                                     << "\"Mere O'Brien, Flat 2, 45 Queen Street, Auckland 1010\"";
        QTest::newRow("named buyer in another case") << "MERE2" << "Flat 2, 45 Queen Street"
                                                     << "\"Mere O'Brien, Flat 2, 45 Queen Street\"";
        QTest::newRow("buyer without a name") << "kiri" << "7 Beach Road, Paihia 0200" << "\"kiri, 7 Beach Road, Paihia 0200\"";
        QTest::newRow("not a known buyer") << "stranger" << "RD 2" << "\"stranger, RD 2\"";
        QTest::newRow("name with a quote") << "quoted" << "1 Main Road" << "\"Tama \"\"\"\"TK\"\"\"\" Kereama, 1 Main Road\"";
        QTest::newRow("pick-up, no address") << "mere2" << "" << "";
    }
    void soldExportGivesTheNameFirst()
    {
        QFETCH(QString, buyer);
        QFETCH(QString, address);
        QFETCH(QString, exported);
        site->addBuyer(QStringLiteral("mere2"), QStringLiteral("3000002"), QStringLiteral("Mere O'Brien"));
        site->addBuyer(QStringLiteral("kiri"), QStringLiteral("3000005"));
        site->addBuyer(QStringLiteral("quoted"), QStringLiteral("3000006"), QStringLiteral("Tama \"TK\" Kereama"));
        StandInSite::Listing sale = endedListing(kiwi.userId, QStringLiteral("6201"));
        sale.kind = QStringLiteral("sold");
        sale.soldType = QStringLiteral("Auction");
        sale.salePrice = 25;
        sale.buyerName = buyer;
        sale.buyerEmail = QStringLiteral("buyer@example.co.nz");
        sale.buyerAddress = address;
        site->addListing(sale);
        const Answer a = send(at(QStringLiteral("/MyTradeMe/Export/MyListingsCSV.aspx?ListingType=Sold&show_deleted=1&filter=all")),
                              sessionHeader(site->openSession(kiwi.userId)));
        QCOMPARE(a.status, 200);
        const QStringList lines = a.text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].contains(QStringLiteral(",buyer@example.co.nz,%1,").arg(exported)), qPrintable(lines[1]));
        QCOMPARE(site->deliveryAddress(sale), exported.isEmpty() ? QString() : exported.mid(1, exported.size() - 2).replace("\"\"\"\"", "\""));
    }

    void unreadableFixtureIsRefused_data()
    {
        QTest::addColumn<QByteArray>("content");  // empty: no file at all
        QTest::newRow("missing file") << QByteArray();
        QTest::newRow("cut short") << QByteArray(R"({ "accounts": [ { "userId": "x" )");
        QTest::newRow("not JSON") << QByteArray("accounts = none");
    }
    void unreadableFixtureIsRefused()
    {
        QFETCH(QByteArray, content);
        const QString path = QDir(env->programFolder()).filePath(QStringLiteral("broken.json"));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        StandInSite broken;
        QString error;
        QVERIFY(!broken.loadFixture(path, &error));
        QVERIFY(!error.isEmpty());
    }

    void twoSitesRunSideBySide()
    {
        StandInSite second;
        second.addAccount(other);
        QVERIFY(second.start());
        QVERIFY(second.port() != 0);
        QVERIFY(second.port() != site->port());
        // A port in use cannot be taken.
        StandInSite third;
        QVERIFY(!third.start(site->port()));

        // Each keeps its own accounts, sessions and log.
        QCOMPARE(postLogin(kiwi.email, kiwi.password, &second).status, 200);
        const Answer login = postLogin(other.email, other.password, &second);
        QCOMPARE(login.status, 302);
        QCOMPARE(login.location, second.baseUrl() + loginCheckPath);
        const QByteArray session = sessionHeader(QString::fromLatin1(login.session()->value()));
        QCOMPARE(send(at(QStringLiteral("/MyTradeMe/Selling.aspx"), second), session).status, 200);
        QCOMPARE(send(at(QStringLiteral("/MyTradeMe/Selling.aspx")), session).status, 403);
        QCOMPARE(second.requests().size(), 3);
        QCOMPARE(site->requests().size(), 1);
        dropConnections();
    }

    void restartsAfterStop()
    {
        const QString token = site->openSession(kiwi.userId);
        QVERIFY(Downloader::Get(at(QStringLiteral("/")), 5000).ok);
        dropConnections();
        site->stop();
        QVERIFY(!Downloader::Get(at(QStringLiteral("/")), 5000).ok);
        site->stop();  // a second stop does nothing

        QVERIFY(site->start());
        QVERIFY(site->start());  // already running
        QVERIFY(Downloader::Get(at(QStringLiteral("/")), 5000).ok);
        // Accounts and sessions outlive the restart; the redirect names the new port.
        QCOMPARE(send(at(QStringLiteral("/MyTradeMe/Sold.aspx")), sessionHeader(token)).status, 200);
        const Answer login = postLogin(kiwi.email, kiwi.password);
        QCOMPARE(login.status, 302);
        QCOMPARE(login.location, site->baseUrl() + loginCheckPath);
    }

    // Downloads: only a whole 2xx answer with a body within the cap counts; a failure leaves no file.
    void downloadOutcome_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected");  // part of the body, or of the error
        const qint64 cap = Downloader::DefaultMaxBytes;
        QTest::newRow("page") << "/Browse/Listing.aspx?id=99" << 5000 << cap << true << 200 << "Auction 99";
        QTest::newRow("refused member page") << "/MyTradeMe/Selling.aspx" << 5000 << cap << false << 403 << "403";
        QTest::newRow("unknown address") << "/Browse/Nothing.aspx" << 5000 << cap << false << 404 << "404";
        QTest::newRow("empty answer") << "/_test/empty" << 5000 << cap << false << 200 << "sent nothing";
        // Later than the test ever waits: only the download's own time-out ends it.
        QTest::newRow("slow answer") << "/_test/slow?ms=600000" << 500 << cap << false << 0 << "timed out";
        // A good status and a body that never ends: cut off at the time-out, never taken as whole.
        QTest::newRow("trickling answer") << "/_test/trickle" << 500 << cap << false << 200 << "timed out";
        // Time-outs that never come: only the cap can stop these, and at once.
        const int never = 600000;
        QTest::newRow("endless answer") << "/_test/endless" << never << qint64(1024 * 1024) << false << 200
                                        << "The site sent more than 1 MB; the download was stopped.";
        QTest::newRow("endless answer, default cap") << "/_test/endless" << never << cap << false << 200 << "more than 32 MB";
        QTest::newRow("declared length over the cap") << "/_test/endless?length=10000000000" << never << qint64(64 * 1024) << false
                                                      << 200 << "more than 64 KB";
        QTest::newRow("one byte over the cap") << "/_test/endless?length=100001" << never << qint64(100000) << false << 200
                                               << "the download was stopped";
        QTest::newRow("endless gzipped text") << "/_test/endless?text" << never << cap << false << 200 << "";
        QTest::newRow("exactly the cap") << "/_test/endless?text&length=100000" << 5000 << qint64(100000) << true << 200 << "xxxx";
    }
    void downloadOutcome()
    {
        QFETCH(QString, path);
        QFETCH(int, timeoutMs);
        QFETCH(qint64, maxBytes);
        QFETCH(bool, ok);
        QFETCH(int, status);
        QFETCH(QString, expected);

        // Slow and endless answers are cut short by the download, never waited
        // out: one still going when the test's patience ends is a failure (and
        // is stopped as its context goes).
        std::optional<Downloader::Result> got;
        auto context = std::make_unique<QObject>();
        Downloader::Start(at(path), timeoutMs, maxBytes, context.get(), [&](const Downloader::Result& done) { got = done; });
        QTRY_VERIFY2_WITH_TIMEOUT(got.has_value(), "the download was not cut short", Patience);
        const Downloader::Result r = *got;
        QCOMPARE(r.ok, ok);
        QCOMPARE(r.status, status);
        QVERIFY(r.data.size() <= maxBytes);
        if (ok) {
            QVERIFY(r.error.isEmpty());
            QVERIFY(r.data.contains(expected.toUtf8()));
        } else {
            QVERIFY(!r.error.isEmpty());
            QVERIFY2(r.error.contains(expected, Qt::CaseInsensitive), qPrintable(r.error));
        }

        const QString file = QDir(env->programFolder()).filePath(QStringLiteral("download.html"));
        QString error;
        // The same transfer, waited for: the site ends its answers once the
        // test's patience is gone, so one not cut short shows here too.
        bool waitedOut = false;
        QTimer::singleShot(Patience, context.get(), [&] {
            waitedOut = true;
            site->stop();
        });
        QCOMPARE(Downloader::GetToFile(at(path), file, &error, timeoutMs, maxBytes), ok);
        QVERIFY2(!waitedOut, "the download to a file was not cut short");
        QCOMPARE(QFile::exists(file), ok);
        if (ok) {
            QFile saved(file);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), r.data);
        } else {
            QVERIFY2(error.contains(expected, Qt::CaseInsensitive), qPrintable(error));
        }
    }

    // An endless answer costs no more memory than its cap, however long the time-out.
    void endlessAnswerKeepsMemoryBounded()
    {
        QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
        if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1) QSKIP("the peak memory cannot be reset here");
        clearRefs.close();
        const qint64 before = peakMemoryKb();
        QVERIFY(before > 0);
        const Downloader::Result r = Downloader::Get(at(QStringLiteral("/_test/endless")), 60000, 4 * 1024 * 1024);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QStringLiteral("more than 4 MB")), qPrintable(r.error));
        const qint64 grown = peakMemoryKb() - before;
        QVERIFY2(grown < 24 * 1024, qPrintable(QStringLiteral("the peak grew by %1 KB").arg(grown)));
    }

    // A site that takes the connection and never says a word.
    void silentSiteTimesOut()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/MyTradeMe/Sold.aspx").arg(silent.serverPort()));
        // Only the time-out can end it: the site hangs up only once the test's patience is gone.
        bool hungUp = false;
        QTimer::singleShot(Patience, &silent, [&] {
            hungUp = true;
            while (QTcpSocket* taken = silent.nextPendingConnection()) taken->abort();
            silent.close();
        });
        const Downloader::Result r = Downloader::Get(url, 500);
        QVERIFY2(!hungUp, "the download was not cut short");
        QVERIFY(!r.ok);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.error.contains(QStringLiteral("timed out")), qPrintable(r.error));
    }

    void downloadFromNowhereFails()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 deadPort = probe.serverPort();
        probe.close();
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/").arg(deadPort));

        const Downloader::Result r = Downloader::Get(url, 5000);
        QVERIFY(!r.ok);
        QCOMPARE(r.status, 0);
        QVERIFY(!r.error.isEmpty());
        const QString file = QDir(env->programFolder()).filePath(QStringLiteral("nowhere.html"));
        QString error;
        QVERIFY(!Downloader::GetToFile(url, file, &error, 5000));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(file));
    }

    // The asynchronous start: it returns at once, reports once from the event
    // loop, and stays silent (and stops) when the asker is gone first.
    void startReportsLaterOrNotAtAll()
    {
        int reports = 0;
        Downloader::Result result;
        auto context = std::make_unique<QObject>();
        Downloader::Start(at(QStringLiteral("/Browse/Listing.aspx?id=5")), 5000, Downloader::DefaultMaxBytes, context.get(),
                          [&](const Downloader::Result& r) {
                              ++reports;
                              result = r;
                          });
        QCOMPARE(reports, 0);
        QTRY_COMPARE_WITH_TIMEOUT(reports, 1, 5000);
        QVERIFY2(result.ok, qPrintable(result.error));
        QVERIFY(result.data.contains("Auction 5"));

        // Gone while the answer is still to come: no report, and the site's trickle is let go.
        bool reported = false;
        Downloader::Start(at(QStringLiteral("/_test/trickle")), 60000, Downloader::DefaultMaxBytes, context.get(),
                          [&](const Downloader::Result&) { reported = true; });
        QTest::qWait(300);
        context.reset();
        QTest::qWait(300);
        QVERIFY(!reported);
        QCOMPARE(reports, 1);
    }

    // The browser login leaves its cookie in the shared jar; downloads send it.
    void sessionInTheJarAuthorisesDownloads()
    {
        const QUrl sold = at(QStringLiteral("/MyTradeMe/Sold.aspx"));
        QCOMPARE(Downloader::Get(sold, 5000).status, 403);

        SiteCookieJar::instance()->add(sessionCookie(site->openSession(kiwi.userId)));
        const Downloader::Result r = Downloader::Get(sold, 5000);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(r.data.contains("Member kiwi_seller"));
        QCOMPARE(site->requests().constLast().account, kiwi.userId);

        SiteCookieJar::instance()->clear();
        QCOMPARE(Downloader::Get(sold, 5000).status, 403);
    }
    // The listing page of each kind of listing: the form, or why there is none.
    void relistListingPages_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("fault");     // StandInSite::RelistFault on the listing page
        QTest::addColumn<QString>("words"); // what the page says; the form only with "Required fields"
        const QString relist = "/Sell/Details2.aspx?action=relist&listingid=";
        const QString similar = "/Sell/Details2.aspx?action=sell_similar&inlog=true&listingid=";
        const int none = int(StandInSite::RelistFault::None);
        QTest::newRow("relist") << relist << "6101" << none << "Required fields are shown with a";
        QTest::newRow("relist, lower-case address") << "/sell/details2.aspx?action=relist&listingid=" << "6101" << none << "Required fields are shown with a";
        QTest::newRow("sell similar of a running one") << "/Sell/Details2.aspx?action=sell_similar&listingid=" << "6102" << none
                                                       << "Required fields are shown with a";
        QTest::newRow("sell similar of an ended one") << similar << "6101" << none << "Required fields are shown with a";
        QTest::newRow("relist of a running one") << relist << "6102" << none << "You cannot relist an auction that is still running.";
        QTest::newRow("relisted before") << relist << "6103" << none << "This auction has already been relisted as #6200.";
        QTest::newRow("another seller's") << relist << "6104" << none << "Sorry, we could not find that listing.";
        QTest::newRow("unknown") << similar << "6999" << none << "Sorry, we could not find that listing.";
        QTest::newRow("other action") << "/Sell/Details2.aspx?action=copy&listingid=" << "6101" << none << "Sorry, we could not find that listing.";
        QTest::newRow("under offer") << relist << "6101" << int(StandInSite::RelistFault::UnderOffer)
                                     << "You cannot relist an auction that is under offer.";
        QTest::newRow("page changed") << relist << "6101" << int(StandInSite::RelistFault::Changed) << "Please fill in the fields marked";
        QTest::newRow("fields renamed") << similar << "6101" << int(StandInSite::RelistFault::RenamedFields) << "name=\"listing_title\"";
    }
    void relistListingPages()
    {
        QFETCH(QString, path);
        QFETCH(QString, id);
        QFETCH(int, fault);
        QFETCH(QString, words);
        StandInSite::Listing running = endedListing(kiwi.userId, "6102");
        running.kind = "current";
        StandInSite::Listing relisted = endedListing(kiwi.userId, "6103");
        relisted.relistedAs = "6200";
        site->addListing(endedListing(kiwi.userId, "6101"));
        site->addListing(running);
        site->addListing(relisted);
        site->addListing(endedListing(other.userId, "6104"));
        site->setRelistFault("6101", StandInSite::RelistFault(fault));
        QCOMPARE(send(at(path + id)).status, 403);
        const Answer page = send(at(path + id), sessionHeader(site->openSession(kiwi.userId)));
        QCOMPARE(page.status, 200);
        QVERIFY2(page.text().contains(words), qPrintable(page.text()));
        const bool form = words.startsWith("Required") || words.contains("listing_title") || words.startsWith("Please fill");
        QCOMPARE(page.text().contains("<form method=\"post\" action=\"/sell/details2.aspx\" name=\"newlisting_form\""), form);
        QCOMPARE(page.text().contains("Required fields are shown with a"), words.startsWith("Required") || words.contains("listing_title"));
        if (!form) return;
        // The form holds the listing's values and every field the program rewrites, names in double quotes.
        for (const QString field : {"name=\"startprice\" type=\"text\" value=\"20\"", "name=\"reserveprice\" type=\"text\" value=\"30\"",
                                    "name=\"buynowprice\"", "name=\"start_eq_reserve\"", "id=\"listingDurationFixedRadio\"",
                                    "<select name=\"auction_length\">", "<option value=\"10080\" selected>", "<select name=\"set_end_days\">",
                                    "<select name=\"set_end_hour\">", "<textarea name=\"body\""})
            QVERIFY2(page.text().contains(field), qPrintable(field));
        QVERIFY(page.text().indexOf("SearchResults.aspx") < page.text().indexOf("newlisting_form"));
    }

    // A posted listing form is checked as the site checks it.
    void relistListingFormChecks_data()
    {
        QTest::addColumn<QString>("changes");  // field=value;... ("-" removes the field)
        QTest::addColumn<QString>("refusal");  // "" = taken (the photo page)
        const QString soon = QDate::currentDate().addDays(10).toString("dd/MM/yyyy");
        const QString tooLate = QDate::currentDate().addDays(11).toString("dd/MM/yyyy");
        QTest::newRow("taken") << "" << "";
        QTest::newRow("sell similar") << "action=sell_similar" << "";
        QTest::newRow("reserve and buy now") << "start_eq_reserve=0;reserveprice=30;buynowprice=30" << "";
        QTest::newRow("scheduled") << "duration_type=advanced;set_end_days=" + soon + ";set_end_hour=9:00 PM" << "";
        QTest::newRow("10 days") << "auction_length=14400" << "";
        QTest::newRow("no title") << "title= " << "Please enter a title.";
        QTest::newRow("start below 50c") << "startprice=0.4" << "Please enter a start price of at least $0.50.";
        QTest::newRow("comma decimal") << "startprice=12,5" << "Please enter a start price of at least $0.50.";
        QTest::newRow("reserve below start") << "start_eq_reserve=0;reserveprice=5" << "The reserve price must be equal or greater than the start price.";
        QTest::newRow("reserve missing") << "start_eq_reserve=-;reserveprice=" << "The reserve price must be equal or greater than the start price.";
        QTest::newRow("buy now below reserve") << "start_eq_reserve=0;reserveprice=30;buynowprice=25"
                                               << "The Buy Now price must be equal or greater than the reserve price.";
        QTest::newRow("8 days fixed") << "auction_length=11520" << "Please choose the length of your auction.";
        QTest::newRow("no duration type") << "duration_type=-" << "Please choose the length of your auction.";
        QTest::newRow("scheduled too late") << "duration_type=advanced;set_end_days=" + tooLate + ";set_end_hour=9:00 pm"
                                            << "Please choose when your auction ends.";
        QTest::newRow("scheduled at 21:00") << "duration_type=advanced;set_end_days=" + soon + ";set_end_hour=21:00"
                                            << "Please choose when your auction ends.";
        QTest::newRow("relisted elsewhere") << "listingid=6999" << "Sorry, we could not find that listing.";
    }
    void relistListingFormChecks()
    {
        QFETCH(QString, changes);
        QFETCH(QString, refusal);
        site->addListing(endedListing(kiwi.userId, "6101"));
        QMap<QString, QString> details = listingDetails("6101");
        for (const QString& change : changes.split(u';', Qt::SkipEmptyParts)) {
            const QString name = change.section(u'=', 0, 0), value = change.section(u'=', 1);
            if (value == "-") details.remove(name);
            else details.insert(name, value);
        }
        const QByteArray session = sessionHeader(site->openSession(kiwi.userId));
        const Answer page = send(at("/sell/details2.aspx"), session, encodedForm(details));
        QCOMPARE(page.status, 200);
        if (refusal.isEmpty()) {
            QVERIFY2(page.text().contains("Your first photo free!"), qPrintable(page.text()));
            QVERIFY(page.text().contains("<form method=\"post\" action=\"/sell/extras2.aspx\" enctype=\"multipart/form-data\""));
            QVERIFY(!draftIn(page.text()).isEmpty());
            return;
        }
        QVERIFY2(page.text().contains(QString(refusal).toHtmlEscaped()), qPrintable(page.text()));
        QVERIFY(!page.text().contains("first photo free"));
        QVERIFY(draftIn(page.text()).isEmpty());
    }

    // The whole flow over plain HTTP: the listing is made once, runs on the
    // site, is in the current listings export, and the old one says so.
    void relistFlowMakesTheListing()
    {
        site->addListing(endedListing(kiwi.userId, "6101"));
        const QByteArray session = sessionHeader(site->openSession(kiwi.userId));
        const QByteArray otherSession = sessionHeader(site->openSession(other.userId));
        QMap<QString, QString> details = listingDetails("6101");
        details.insert("buynowprice", "99.5");
        const Answer photos = send(at("/sell/details2.aspx"), session, encodedForm(details));
        const QString draft = draftIn(photos.text());
        QVERIFY(!draft.isEmpty());
        const auto post = [&](const QString& path, const QMap<QString, QString>& fields, const QByteArray& who) {
            return send(at(path), who, encodedForm(fields)).text();
        };
        const QString lost = "Sorry, your listing could not be found. Please start again.";
        QVERIFY(post("/sell/confirm2.aspx", {{"draft", draft}}, session).contains(lost));  // not before its time
        QVERIFY(post("/sell/extras2.aspx", {{"draft", draft}, {"step", "photos"}}, otherSession).contains(lost));
        const QString extras = post("/sell/extras2.aspx", {{"draft", draft}, {"step", "photos"}}, session);
        QVERIFY(extras.contains("Gallery: shows a photo in search results"));
        QVERIFY(extras.contains("<form method=\"post\" action=\"/sell/extras2.aspx\" name=\"extras\" id=\"extras\">"));
        QVERIFY(extras.contains("<input type=\"checkbox\" checked name=\"gallerycheckbox\" value=\"1\">"));
        for (const QString box : {"boldtitlecheckbox", "featurecheckbox", "combocheckbox", "homepagecheckbox"})
            QVERIFY(extras.contains("<input type=\"checkbox\" name=\"" + box + "\" value=\"1\">"));
        const QString confirm = post("/sell/extras2.aspx", {{"draft", draft}, {"step", "extras"}, {"boldtitlecheckbox", "1"}, {"combocheckbox", "1"}}, session);
        QVERIFY(confirm.contains("Please check that your listing details are correct."));
        QVERIFY(confirm.contains("Kauri &lt;bowl&gt; &amp; &quot;co&quot;"));
        QVERIFY(confirm.contains("<form method=\"post\" action=\"/sell/confirm2.aspx\" name=\"newlisting_finished_form\""));
        QVERIFY(site->createdListings().isEmpty());
        const QString result = post("/sell/confirm2.aspx", {{"draft", draft}}, session);
        QVERIFY(result.contains("Your auction has been listed."));
        QCOMPARE(site->createdListings().size(), 1);
        const StandInSite::CreatedListing made = site->createdListings().first();
        QVERIFY(result.contains("Auction number: <a href=\"/Browse/Listing.aspx?id=" + made.id + "\">" + made.id + "</a>"));
        QCOMPARE(made.templateId, QStringLiteral("6101"));
        QCOMPARE(made.title, details.value("title"));
        QCOMPARE(made.body, details.value("body"));
        QCOMPARE(made.startPrice, QStringLiteral("12.5"));
        QCOMPARE(made.startEqReserve, QStringLiteral("1"));
        QCOMPARE(made.buyNowPrice, QStringLiteral("99.5"));
        QCOMPARE(made.auctionLength, QStringLiteral("10080"));
        QCOMPARE(made.features, (QStringList{"boldtitlecheckbox", "combocheckbox"}));
        QVERIFY(post("/sell/confirm2.aspx", {{"draft", draft}}, session).contains(lost));  // once only
        QCOMPARE(site->createdListings().size(), 1);

        const QString csv = send(at("/MyTradeMe/Export/MyListingsCSV.aspx?ListingType=Current&filter=last_7_days"), session).text();
        QVERIFY2(csv.contains(made.id + ",\"Kauri <bowl> & \"\"\"\"co\"\"\"\"\","), qPrintable(csv));
        QVERIFY(csv.contains(",7 days,12.50,0.00,99.50,0.00,0,yes,yes,yes,no,"));
        QVERIFY(send(at("/MyTradeMe/Sell/Unsold.aspx"), session).text().contains("Relisted as #" + made.id));
        QVERIFY(send(at("/Sell/Details2.aspx?action=relist&listingid=6101"), session).text().contains("already been relisted as #" + made.id));
    }

    // The site's refusals and changed pages along the way; a silent page answers once its fault ends.
    void relistFaults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("stopsAt");    // 0 listing, 1 photos, 2 extras, 3 confirmation, 4 result
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("made");  // the rest posted anyway: changed words do not stop the site
        using F = StandInSite::RelistFault;
        using P = StandInSite::SellPage;
        QTest::newRow("no credit") << int(F::NoCredit) << int(P::Listing) << 3 << "check that your listing details are correct"
                                   << "Sorry, you don't have enough credit to pay for this listing." << false;
        QTest::newRow("photos changed") << int(F::Changed) << int(P::Photos) << 1 << "first photo free" << "Add up to 20 photos" << true;
        QTest::newRow("extras changed") << int(F::Changed) << int(P::Extras) << 2 << "shows a photo in search results" << "your photo in the list view" << true;
        QTest::newRow("confirmation changed") << int(F::Changed) << int(P::Confirm) << 3 << "check that your listing details are correct"
                                              << "Review your listing below." << true;
        QTest::newRow("result changed") << int(F::Changed) << int(P::Result) << 4 << "your auction has" << "Your listing is live." << true;
    }
    void relistFaults()
    {
        QFETCH(int, fault);
        QFETCH(int, page);
        QFETCH(int, stopsAt);
        QFETCH(QString, missing);
        QFETCH(QString, words);
        QFETCH(bool, made);
        site->addListing(endedListing(kiwi.userId, "6101"));
        site->setRelistFault("6101", StandInSite::RelistFault(fault), StandInSite::SellPage(page));
        const QByteArray session = sessionHeader(site->openSession(kiwi.userId));
        QStringList pages{send(at("/Sell/Details2.aspx?action=relist&listingid=6101"), session).text()};
        pages << send(at("/sell/details2.aspx"), session, encodedForm(listingDetails("6101"))).text();
        const QString draft = draftIn(pages.last());
        pages << send(at("/sell/extras2.aspx"), session, encodedForm({{"draft", draft}, {"step", "photos"}})).text();
        pages << send(at("/sell/extras2.aspx"), session, encodedForm({{"draft", draft}, {"step", "extras"}})).text();
        pages << send(at("/sell/confirm2.aspx"), session, encodedForm({{"draft", draft}})).text();
        QVERIFY2(!pages[stopsAt].toLower().contains(missing), qPrintable(pages[stopsAt]));
        QVERIFY2(pages[stopsAt].contains(words), qPrintable(pages[stopsAt]));
        if (fault == int(StandInSite::RelistFault::NoCredit)) QVERIFY(!pages[stopsAt].contains("confirm2.aspx"));
        QCOMPARE(site->createdListings().size(), made ? 1 : 0);
    }

    void relistSilentPages_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("listing page") << int(StandInSite::SellPage::Listing);
        QTest::newRow("photo page") << int(StandInSite::SellPage::Photos);
    }
    void relistSilentPages()
    {
        QFETCH(int, page);
        site->addListing(endedListing(kiwi.userId, "6101"));
        site->setRelistFault("6101", StandInSite::RelistFault::NoAnswer, StandInSite::SellPage(page));
        const bool listing = page == int(StandInSite::SellPage::Listing);
        QNetworkRequest request(at(listing ? "/Sell/Details2.aspx?action=relist&listingid=6101" : "/sell/details2.aspx"));
        request.setRawHeader("Cookie", sessionHeader(site->openSession(kiwi.userId)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        std::unique_ptr<QNetworkReply> held(listing ? nam->get(request) : nam->post(request, encodedForm(listingDetails("6101"))));
        QTest::qWait(500);
        QVERIFY(!held->isFinished());
        site->setRelistFault("6101", StandInSite::RelistFault::None);
        QTRY_VERIFY(held->isFinished());
        QVERIFY(held->readAll().contains(listing ? "Required fields are shown with a" : "Your first photo free!"));
    }

    // Relist faults and listing descriptions from a fixture.
    void fixtureProvidesRelistFaults()
    {
        StandInSite s;
        QString error;
        QVERIFY2(loadFixtureText(s, R"({"accounts": [{"userId": "kiwi_seller", "email": "k@example.com", "password": "p", "member": "1"}],
                    "listings": [{"seller": "kiwi_seller", "id": "6101", "kind": "unsold", "title": "Bowl", "startPrice": 20,
                                  "body": "Turned & oiled"},
                                 {"seller": "kiwi_seller", "id": "6102", "kind": "unsold", "title": "Cup", "startPrice": 5}],
                    "relistFaults": [{"listing": "6101", "fault": "underOffer"},
                                     {"listing": "6102", "fault": "changed", "page": "extras"},
                                     {"listing": "6103", "fault": "unknown"}]})", &error), qPrintable(error));
        QVERIFY(s.start());
        const QByteArray session = sessionHeader(s.openSession("kiwi_seller"));
        QVERIFY(send(at("/Sell/Details2.aspx?action=relist&listingid=6101", s), session).text().contains("under offer"));
        const QString form = send(at("/Sell/Details2.aspx?action=sell_similar&listingid=6102", s), session).text();
        QVERIFY(form.contains("Required fields are shown with a"));
        QVERIFY(form.contains("<textarea name=\"body\" rows=\"10\" cols=\"60\"></textarea>"));
        s.setRelistFault("6101", StandInSite::RelistFault::None);
        QVERIFY(send(at("/Sell/Details2.aspx?action=relist&listingid=6101", s), session).text().contains(">Turned &amp; oiled</textarea>"));
        dropConnections();
        s.stop();
    }

    // Listings that name their bidders and watchers, from a fixture with
    // times counted from the start of the day: the offer form holds the
    // named members' numbers in order, those who are not members left out;
    // an offer goes to them only; with none a member no offer can be made.
    void namedBiddersGetTheOffer()
    {
        StandInSite s;
        QString error;
        QVERIFY2(loadFixtureText(s, R"({"accounts": [{"userId": "kiwi_seller", "email": "k@example.com", "password": "p", "member": "1"}],
                    "buyers": [{"userId": "Sean1", "member": "3000001"}, {"userId": "mere2", "member": "3000002"}],
                    "listings": [{"seller": "kiwi_seller", "id": "6201", "kind": "sold", "title": "Spoon", "fromMidnight": true,
                                  "startDays": -9, "endDays": -1.5, "buyerName": "tama_k", "bidders": ["mere2", "nobody", "sean1"]},
                                 {"seller": "kiwi_seller", "id": "6202", "kind": "unsold", "title": "Box", "bidders": ["nobody"]},
                                 {"seller": "kiwi_seller", "id": "6203", "kind": "unsold", "title": "Cup", "bidders": ["mere2"],
                                  "biddersWatchers": 4}]})", &error), qPrintable(error));
        const QList<StandInSite::Listing> listed = s.listings("kiwi_seller");
        QCOMPARE(listed[0].bidders, (QStringList{"mere2", "nobody", "sean1"}));
        QCOMPARE(listed[0].biddersWatchers, 3);
        QCOMPARE(listed[2].biddersWatchers, 4);
        QCOMPARE(listed[0].start, QDateTime(QDate::currentDate().addDays(-9), QTime(0, 0)));
        QCOMPARE(listed[0].end, QDateTime(QDate::currentDate().addDays(-2), QTime(12, 0)));
        QVERIFY(s.start());
        const QByteArray session = sessionHeader(s.openSession("kiwi_seller"));
        const QString page = send(at("/MyTradeMe/FixedPriceOffer.aspx?id=6201", s), session).text();
        QVERIFY(page.contains("<input name=\"bidder_id_1\" type=\"checkbox\" value=\"3000002\" checked>"));
        QVERIFY(page.contains("<input name=\"bidder_id_2\" type=\"checkbox\" value=\"3000001\" checked>"));
        QVERIFY(!page.contains("bidder_id_3"));
        auto post = [&](const QString& members) {
            return send(at("/MyTradeMe/MakeAnOffer.aspx", s), session,
                        ("auction_id=6201&hasbidders=1&offer_price=20&duration=3" + members).toLatin1())
                .text();
        };
        QVERIFY(post("&bidder_id_1=7000001").contains("Sorry, that offer could not be made."));
        QVERIFY(post("&bidder_id_1=3000002&bidder_id_2=3000001").contains("Your offer has been sent to 2 bidders and watchers."));
        QVERIFY(send(at("/MyTradeMe/FixedPriceOffer.aspx?id=6202", s), session)
                    .text()
                    .contains("All bidders and watchers have removed themselves from this listing."));
        // Named bidders are the ones an offer goes to, whatever the count says.
        const QString cup = send(at("/MyTradeMe/FixedPriceOffer.aspx?id=6203", s), session).text();
        QVERIFY(cup.contains("value=\"3000002\"") && !cup.contains("bidder_id_2"));
        dropConnections();
        s.stop();
    }

    // The offer page of each kind of listing, and the offer posted to it.
    void fixedPriceOffers_data()
    {
        QTest::addColumn<QString>("change");  // what the listing has
        QTest::addColumn<QString>("id");      // the number asked for
        QTest::addColumn<QString>("refusal"); // "" = the offer form
        QTest::newRow("offer form") << "" << "6001" << "";
        QTest::newRow("further sale") << "" << "6001A" << "";
        QTest::newRow("unknown") << "" << "6999" << "You can no longer place a fixed price offer for this listing.";
        QTest::newRow("closed") << "closed" << "6001" << "You can no longer place a fixed price offer for this listing.";
        QTest::newRow("relisted") << "relisted" << "6001" << "Sorry, the auction has been relisted as #6100.";
        QTest::newRow("offer made") << "offered" << "6001" << "You have already made an offer on this listing.";
        QTest::newRow("no bidders") << "nobody" << "6001" << "All bidders and watchers have removed themselves from this listing.";
    }
    void fixedPriceOffers()
    {
        QFETCH(QString, change);
        QFETCH(QString, id);
        QFETCH(QString, refusal);
        StandInSite::Listing l;
        l.seller = kiwi.userId;
        l.id = "6001";
        l.kind = "unsold";
        l.title = "Kauri <bowl>";
        l.biddersWatchers = change == "nobody" ? 0 : 2;
        l.offerClosed = change == "closed";
        l.relistedAs = change == "relisted" ? "6100" : "";
        l.offerPrice = change == "offered" ? 30 : 0;
        site->addListing(l);
        const QByteArray session = sessionHeader(site->openSession(kiwi.userId));
        QCOMPARE(send(at("/MyTradeMe/FixedPriceOffer.aspx?id=" + id)).status, 403);
        const Answer page = send(at("/MyTradeMe/FixedPriceOffer.aspx?id=" + id), session);
        QCOMPARE(page.status, 200);
        QVERIFY(page.text().contains("Auction " + id));
        auto post = [&](const QString& fields) {
            return send(at("/MyTradeMe/MakeAnOffer.aspx"), session, fields.toLatin1()).text();
        };
        const QString offer = "auction_id=" + id + "&bidder_id_1=7000001&bidder_id_2=7000002&hasbidders=1&offer_price=12.5&duration=3";
        if (!refusal.isEmpty()) {
            QVERIFY(page.text().contains(refusal));
            QVERIFY(!page.text().contains("MakeAnOffer.aspx"));
            QVERIFY(post(offer).contains(refusal));
            return;
        }
        QVERIFY(page.text().contains("<h2>Kauri &lt;bowl&gt;</h2>"));
        const QString form = page.text().mid(page.text().indexOf("<form method=\"post\" action=\"/MyTradeMe/MakeAnOffer.aspx\""));
        QVERIFY(form.indexOf("<input name=\"bidder_id_1\" type=\"checkbox\" value=\"7000001\" checked>") > 0);
        QVERIFY(form.indexOf("<input name=\"bidder_id_2\"") < form.indexOf("<input name=\"hasbidders\""));
        QVERIFY(page.text().indexOf("SearchResults.aspx") < page.text().indexOf("MakeAnOffer.aspx"));
        // Refused posts leave the listing as it was.
        QVERIFY(post("auction_id=" + id + "&hasbidders=1&offer_price=12.5&duration=3").contains("Sorry, that offer could not be made."));
        QVERIFY(post(QString(offer).replace("offer_price=12.5", "offer_price=0")).contains("Sorry, that offer could not be made."));
        QVERIFY(post(QString(offer).replace("duration=3", "duration=5")).contains("Sorry, that offer could not be made."));
        QVERIFY(post(offer + "&bidder_id_3=7000003").contains("Sorry, that offer could not be made."));
        QVERIFY(post(offer).contains("Your offer has been sent to 2 bidders and watchers."));
        QCOMPARE(site->listings(kiwi.userId).first().offerPrice, 12.5);
        QVERIFY(post(offer).contains("You have already made an offer on this listing."));
        QVERIFY(send(at("/MyTradeMe/FixedPriceOffer.aspx?id=" + id), session).text().contains("You have already made an offer"));
    }
};

VENDARO_TEST_MAIN(tst_standinsite)
#include "tst_standinsite.moc"
