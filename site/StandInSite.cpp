#include "StandInSite.h"

#include "ListingExport.h"
#include "SellPages.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMutex>
#include <QSet>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <thread>
#include <utility>

namespace {

const char* const loginPath = "/Members/Login.aspx";
const char* const loginCheckPath = "/MyTradeMe/Default.aspx";

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }
QString esc(const QString& text) { return text.toHtmlEscaped(); }

std::string page(const QString& title, const QString& body)
{
    return s(QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                            "<body>\n<div id=\"header\"><a href=\"/\">TradeMe</a> | <a href=\"%2\">My TradeMe</a></div>\n%3\n</body></html>\n")
                 .arg(esc(title), QString::fromLatin1(loginCheckPath), body));
}

// A member page asked for without a session.
void refuse(httplib::Response& res)
{
    res.status = 403;
    res.set_content(page(QStringLiteral("My TradeMe"), QStringLiteral("<p>You need to login to view this page</p>")),
                    "text/html; charset=utf-8");
}

// The fields of a posted form: form-urlencoded, or multipart (a file field
// gives its content, empty when no file was chosen).
QMap<QString, QString> formFields(const httplib::Request& req)
{
    QMap<QString, QString> fields;
    if (req.is_multipart_form_data()) {
        for (const auto& [k, part] : req.files) fields.insert(q(k), q(part.content));
        return fields;
    }
    httplib::Params form;
    httplib::detail::parse_query_text(req.body, form);
    for (const auto& [k, v] : form) fields.insert(q(k), q(v));
    return fields;
}

// How much of a posted form the site reads, or that it was cut off.
enum class FormRead { Whole, TooLarge, Broken };

// Reads a posted body into the request as the library's own reading would:
// the body, its url-encoded fields among the params, multipart parts among
// the files. Past the site's limit the rest is read and dropped, so the
// connection stays usable for the answer and the requests after it.
FormRead readForm(httplib::Request& req, const httplib::ContentReader& reader)
{
    size_t taken = 0;
    const auto fits = [&taken](size_t n) {
        taken += n;
        return taken <= size_t(StandInSite::MaxPostBytes);
    };
    bool read;
    if (req.is_multipart_form_data()) {
        auto part = req.files.end();
        read = reader(
            [&](const httplib::MultipartFormData& header) {
                part = req.files.emplace(header.name, header);
                return true;
            },
            [&](const char* data, size_t n) {
                if (fits(n)) part->second.content.append(data, n);
                return true;
            });
    } else {
        read = reader([&](const char* data, size_t n) {
            if (fits(n)) req.body.append(data, n);
            return true;
        });
    }
    if (!read) return FormRead::Broken;
    if (taken > size_t(StandInSite::MaxPostBytes)) {
        req.body.clear();
        req.files.clear();
        return FormRead::TooLarge;
    }
    if (req.get_header_value("Content-Type").find("application/x-www-form-urlencoded") == 0)
        httplib::detail::parse_query_text(req.body, req.params);
    return FormRead::Whole;
}

// The request a form route has recorded itself, whole, on this thread: the
// post-routing hook, which sees the library's request without the form, skips it.
thread_local const httplib::Request* recordedPost = nullptr;

// The pages of the listing flow start with the site's search box, as every
// page of the real site does: the program must pick its own form out of them.
std::string sellPage(const QString& title, const QString& body)
{
    return page(title, QStringLiteral("<form method=\"get\" action=\"/Browse/SearchResults.aspx\"><input name=\"searchstring\" "
                                      "type=\"text\"></form>\n") +
                           body);
}


// The site's own way of writing amounts and close times, in English whatever
// the machine's locale: "1,200.00", "Mon 30 Nov 2:15 pm".
QString money(double value) { return QLocale(QLocale::English, QLocale::NewZealand).toString(value, 'f', 2); }

QString closedText(const QDateTime& at)
{
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!at.isValid()) return QString();  // a fixture listing without its close
    const QDate date = at.date();
    const QTime time = at.time();
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1 %2 %3 %4:%5 %6")
        .arg(QLatin1String(days[date.dayOfWeek() - 1]))
        .arg(date.day())
        .arg(QLatin1String(months[date.month() - 1]))
        .arg(hour)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QLatin1String("am") : QLatin1String("pm"));
}

// One unsold listing as the page lists it, one fact a line (escaped: it goes
// into a <pre>, which keeps the two blanks after "Closed:").
QString unsoldEntry(const StandInSite::Listing& l)
{
    QStringList lines;
    lines << l.title;
    lines << QStringLiteral("Closed:  %1 (#%2)").arg(closedText(l.end), l.id);
    lines << QStringLiteral("Price $") + money(l.startPrice);
    if (l.reservePrice > 0) lines << QStringLiteral("Reserve $") + money(l.reservePrice);
    lines << (l.maxBid > 0 ? QStringLiteral("Top bid $") + money(l.maxBid) : QStringLiteral("No bids"));
    if (l.offerPrice > 0) {
        if (l.offerExpired) lines << QStringLiteral("Offer expired");
        lines << QStringLiteral("Offered for $") + money(l.offerPrice);
    }
    if (!l.relistedAs.isEmpty()) lines << QStringLiteral("Relisted as #") + l.relistedAs << QStringLiteral("View new listing");
    return esc(lines.join(u'\n')) + u'\n';
}

// The mail-form service's reading of addresses: one plain address (no name, no
// angle brackets), or a list of them separated by commas.
bool isMailAddress(const QString& text)
{
    static const QRegularExpression address(QStringLiteral(R"(^[^\s@<>()\[\],;:"\\]+@[A-Za-z0-9-]+(\.[A-Za-z0-9-]+)+$)"));
    return address.match(text).hasMatch();
}

// Why a posted e-mail cannot be sent, or "" when it can.
QString mailRefusal(const StandInSite::MailMessage& m)
{
    const std::pair<const char*, const QString*> headers[] = {{"From", &m.from}, {"To", &m.to}, {"CC", &m.cc}, {"Subject", &m.subject}};
    for (const auto& [name, value] : headers) {
        if (value->contains(u'\r') || value->contains(u'\n'))
            return QStringLiteral("the %1 field holds a line break.").arg(QLatin1String(name));
    }
    if (m.from.trimmed().isEmpty()) return QStringLiteral("the From address is missing.");
    if (!isMailAddress(m.from.trimmed())) return QStringLiteral("the From address \"%1\" is not a valid email address.").arg(m.from);
    if (m.to.trimmed().isEmpty()) return QStringLiteral("the To address is missing.");
    const std::pair<const char*, const QString*> lists[] = {{"To", &m.to}, {"CC", &m.cc}};
    for (const auto& [name, value] : lists) {
        if (value->trimmed().isEmpty()) continue;  // only CC may be empty (To was checked)
        for (const QString& part : value->split(u',')) {
            if (!isMailAddress(part.trimmed()))
                return QStringLiteral("the %1 address \"%2\" is not a valid email address.").arg(QLatin1String(name), part.trimmed());
        }
    }
    return QString();
}

// A page of the maker's site (its own look, not the auction site's header).
std::string makerPage(const QString& title, const QString& body)
{
    return s(QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                            "<body>\n<div id=\"header\"><a href=\"/help\">Tutorial</a> | <a href=\"/contact.aspx\">Contact us</a></div>\n"
                            "%2\n</body></html>\n")
                 .arg(esc(title), body));
}

std::string mailPage(const QString& text)
{
    return s(QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Vendaro mail form</title></head>\n"
                            "<body>\n<p>%1</p>\n</body></html>\n")
                 .arg(esc(text)));
}

// Why no fixed price offer can be made for a listing ("" when one can): the
// site's own wording, which the program reads. recipients: the member
// numbers of its bidders and watchers.
QString offerRefusal(const StandInSite::Listing* l, const QStringList& recipients)
{
    if (!l || l->kind == QLatin1String("current") || l->offerClosed)
        return QStringLiteral("You can no longer place a fixed price offer for this listing.");
    if (!l->relistedAs.isEmpty()) return QStringLiteral("Sorry, the auction has been relisted as #%1.").arg(l->relistedAs);
    if (l->offerPrice > 0) return QStringLiteral("You have already made an offer on this listing.");
    if (recipients.isEmpty()) return QStringLiteral("All bidders and watchers have removed themselves from this listing.");
    return {};
}

// The offer form: a box for each bidder and watcher (ticked), then the
// "hasbidders" marker, the price, the days and the listing number.
QString offerForm(const StandInSite::Listing& l, const QStringList& recipients)
{
    QString boxes;
    for (qsizetype n = 0; n < recipients.size(); ++n)
        boxes += QStringLiteral("<input name=\"bidder_id_%1\" type=\"checkbox\" value=\"%2\" checked> Member %2<br>\n")
                     .arg(n + 1)
                     .arg(esc(recipients[n]));
    return QStringLiteral("<form method=\"post\" action=\"/MyTradeMe/MakeAnOffer.aspx\" id=\"offerform\">\n"
                          "<p>Send the offer to:</p>\n%1"
                          "<input name=\"hasbidders\" type=\"hidden\" value=\"1\">\n"
                          "<p>Price $<input name=\"offer_price\" type=\"text\" value=\"\"></p>\n"
                          "<p>Valid for <select name=\"duration\"><option value=\"1\">1 day</option>"
                          "<option value=\"3\" selected>3 days</option><option value=\"7\">7 days</option></select></p>\n"
                          "<input name=\"auction_id\" type=\"hidden\" value=\"%2\">\n"
                          "<input type=\"submit\" value=\"Make offer\">\n</form>")
        .arg(boxes, esc(l.id));
}

}  // namespace

struct StandInSite::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    mutable QMutex mutex;
    QList<Account> accounts;
    QMap<QString, QString> sessions;  // token -> userId
    QMap<QString, Buyer> buyers;      // by lower-case member name
    QList<Listing> listings;
    ExportFault exportFault = ExportFault::None;
    QSet<QString> feedback;           // "seller/auction" pairs with feedback placed
    QMap<QString, StandInSite::FeedbackScenario> feedbackScenarios;  // by auction number
    QString requiredVersion = QStringLiteral("2.1004");
    QMap<QString, QByteArray> downloads;  // file name -> bytes
    QString downloadsFolder;
    StandInSite::SameSite sameSite = StandInSite::SameSite::Lax;
    QList<Request> log;
    QList<MailMessage> mail;
    MailFault mailFault = MailFault::None;
    std::atomic<bool> stopping{false};  // held answers let go (the server waits for them before it stops)
    int unsoldPerPage = 10;
    StandInSite::PastEnd unsoldPastEnd = StandInSite::PastEnd::LowerPage;
    // A listing on its way through the sell pages.
    struct Draft {
        QString seller, templateId, action;
        QMap<QString, QString> details;  // the listing form as posted (the title under "title")
        QStringList features;
        int stage = 1;  // 1: details taken, 2: photos passed, 3: extras taken
    };
    QMap<QString, Draft> drafts;
    int draftsMade = 0;
    QMap<QString, QPair<RelistFault, SellPage>> relistFaults;  // by listing number
    QList<CreatedListing> created;

    // The fault in force for a page of a listing's flow.
    RelistFault relistFault(const QString& id, SellPage page) const
    {
        const auto it = relistFaults.constFind(id);
        if (it == relistFaults.cend()) return RelistFault::None;
        const auto [fault, at] = *it;
        switch (fault) {
        case RelistFault::UnderOffer: return page == SellPage::Listing ? fault : RelistFault::None;
        case RelistFault::NoCredit: return page == SellPage::Confirm ? fault : RelistFault::None;
        case RelistFault::RenamedFields: return page == SellPage::Listing || page == SellPage::Extras ? fault : RelistFault::None;
        default: return at == page ? fault : RelistFault::None;
        }
    }
    // A page held unanswered: waits (without the lock) while the fault lasts.
    void holdWhileSilent(const QString& id, SellPage page)
    {
        for (;;) {
            {
                QMutexLocker lock(&mutex);
                if (stopping || relistFault(id, page) != RelistFault::NoAnswer) return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // The seller's listing of a number, any kind.
    Listing* sellerListing(const Account& a, const QString& id)
    {
        for (Listing& l : listings)
            if (l.id == id && l.seller.compare(a.userId, Qt::CaseInsensitive) == 0) return &l;
        return nullptr;
    }
    // Why the listing form of a listing cannot be had ("" when it can).
    QString listingRefusal(const Account& a, const QString& id, const QString& action)
    {
        const Listing* l = sellerListing(a, id);
        if (!l || (action != QLatin1String("relist") && action != QLatin1String("sell_similar")))
            return QStringLiteral("Sorry, we could not find that listing.");
        if (relistFault(id, SellPage::Listing) == RelistFault::UnderOffer) return QStringLiteral("You cannot relist an auction that is under offer.");
        if (action == QLatin1String("relist") && l->kind == QLatin1String("current"))
            return QStringLiteral("You cannot relist an auction that is still running.");
        if (action == QLatin1String("relist") && !l->relistedAs.isEmpty())
            return QStringLiteral("This auction has already been relisted as #%1.").arg(l->relistedAs);
        return {};
    }
    QString nextListingId() const
    {
        qint64 highest = 2000000;
        for (const Listing& l : listings) highest = std::max(highest, l.id.toLongLong());
        return QString::number(highest + 1);
    }
    void sellRoutes();

    const Account* accountByUser(const QString& userId) const
    {
        for (const Account& a : accounts)
            if (a.userId.compare(userId, Qt::CaseInsensitive) == 0) return &a;
        return nullptr;
    }

    // The account of the request's session cookie, or null.
    const Account* sessionAccount(const httplib::Request& req) const
    {
        const QString cookies = q(req.get_header_value("Cookie"));
        for (const QString& part : cookies.split(u';')) {
            const QString c = part.trimmed();
            if (!c.startsWith(sessionCookieName() + u'=')) continue;
            const QString token = c.mid(sessionCookieName().size() + 1);
            if (sessions.contains(token)) return accountByUser(sessions.value(token));
        }
        return nullptr;
    }

    // The member numbers a fixed price offer on a listing goes to: its named
    // bidders and watchers who are members, else the numbered ones.
    QStringList offerRecipients(const Listing& l) const
    {
        QStringList members;
        if (l.bidders.isEmpty()) {
            for (int n = 1; n <= l.biddersWatchers; ++n) members << StandInSite::bidderMember(n);
            return members;
        }
        for (const QString& name : l.bidders) {
            const QString member = buyers.value(name.toLower()).member;
            if (!member.isEmpty() && !members.contains(member)) members << member;
        }
        return members;
    }

    // The session seller's sold or unsold listing of a number; a further
    // sale's letter ("123A") names the listing itself.
    Listing* offerListing(const Account& a, const QString& id)
    {
        for (const QString& wanted : {id, id.size() > 1 && id.back().isLetter() ? id.chopped(1) : QString()}) {
            if (wanted.isEmpty()) continue;
            for (Listing& l : listings)
                if (l.id == wanted && l.kind != QLatin1String("current") && l.seller.compare(a.userId, Qt::CaseInsensitive) == 0) return &l;
        }
        return nullptr;
    }

    void record(const httplib::Request& req)
    {
        Request r;
        r.method = q(req.method);
        r.path = q(req.path);
        for (const auto& [k, v] : req.params) {
            if (req.method == "POST") r.form.insert(q(k), q(v));
            else r.query.insert(q(k), q(v));
        }
        if (req.method == "POST" && (req.is_multipart_form_data() ||
                                     req.get_header_value("Content-Type").find("application/x-www-form-urlencoded") != std::string::npos)) {
            r.form.insert(formFields(req));
        }
        if (const Account* a = sessionAccount(req)) r.account = a->userId;
        log.append(r);
    }

    QString newSession(const QString& userId)
    {
        const QString token = QString::number(QRandomGenerator::global()->generate64(), 16);
        sessions.insert(token, userId);
        return token;
    }

    void routes();
    // A form's answer when it is larger than the site takes.
    using TooLarge = std::function<void(httplib::Response&)>;
    void formRoute(const std::string& pattern, httplib::Server::Handler handler, TooLarge tooLarge = {});
};

QString StandInSite::sessionCookieName() { return QStringLiteral("vsession"); }

QString StandInSite::bidderMember(int n) { return QString::number(7000000 + n); }

StandInSite::StandInSite() : d(std::make_unique<Impl>())
{
    // Not the library's default, which adds SO_REUSEPORT: a second site on a
    // port in use must fail to start rather than share the port with the first.
    d->server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    d->routes();
}

StandInSite::~StandInSite() { stop(); }

void StandInSite::addAccount(const Account& account)
{
    QMutexLocker lock(&d->mutex);
    d->accounts.append(account);
}

void StandInSite::setRequiredVersion(const QString& version)
{
    QMutexLocker lock(&d->mutex);
    d->requiredVersion = version;
}

void StandInSite::setDownload(const QString& name, const QByteArray& bytes)
{
    QMutexLocker lock(&d->mutex);
    d->downloads.insert(name, bytes);
}

void StandInSite::removeDownload(const QString& name)
{
    QMutexLocker lock(&d->mutex);
    d->downloads.remove(name);
}

void StandInSite::setDownloadsFolder(const QString& folder)
{
    QMutexLocker lock(&d->mutex);
    d->downloadsFolder = folder;
}

void StandInSite::addBuyer(const QString& userId, const QString& member, const QString& name)
{
    QMutexLocker lock(&d->mutex);
    d->buyers.insert(userId.toLower(), Buyer{userId, member, name});
}

StandInSite::Buyer StandInSite::buyer(const QString& userId) const
{
    QMutexLocker lock(&d->mutex);
    return d->buyers.value(userId.toLower());
}

QString StandInSite::deliveryAddress(const Listing& sale) const
{
    QMutexLocker lock(&d->mutex);
    return ListingExport::DeliveryAddress(sale, d->buyers);
}

void StandInSite::setFeedbackScenario(const QString& auctionId, FeedbackScenario scenario)
{
    QMutexLocker lock(&d->mutex);
    if (scenario == FeedbackScenario::Normal) d->feedbackScenarios.remove(auctionId);
    else d->feedbackScenarios.insert(auctionId, scenario);
}

void StandInSite::addListing(const Listing& listing)
{
    QMutexLocker lock(&d->mutex);
    d->listings.append(listing);
}

void StandInSite::clearListings()
{
    QMutexLocker lock(&d->mutex);
    d->listings.clear();
}

void StandInSite::setUnsoldPaging(int perPage, PastEnd pastEnd)
{
    QMutexLocker lock(&d->mutex);
    d->unsoldPerPage = qMax(1, perPage);
    d->unsoldPastEnd = pastEnd;
}

QList<StandInSite::Listing> StandInSite::listings(const QString& seller) const
{
    QMutexLocker lock(&d->mutex);
    QList<Listing> own;
    for (const Listing& l : d->listings)
        if (l.seller.compare(seller, Qt::CaseInsensitive) == 0) own.append(l);
    return own;
}

void StandInSite::setExportFault(ExportFault fault)
{
    QMutexLocker lock(&d->mutex);
    d->exportFault = fault;
}

namespace {

// Fixture times are days from now (negative: past), so the listings keep
// their ages whenever the site starts; or, with "fromMidnight", days from the
// start of today, the whole days counted on the calendar (the demo's sales,
// whose database counts from the start of the day it was made).
QDateTime fixtureTime(const QJsonObject& o, const char* key, const QDateTime& now)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble()) return QDateTime();
    if (!o.value(QLatin1String("fromMidnight")).toBool()) return now.addSecs(qint64(std::llround(v.toDouble() * 86400.0)));
    const double whole = std::floor(v.toDouble());
    return QDateTime(now.date().addDays(qint64(whole)), QTime(0, 0)).addSecs(qint64(std::llround((v.toDouble() - whole) * 86400.0)));
}

StandInSite::Listing fixtureListing(const QJsonObject& o, const QDateTime& now)
{
    StandInSite::Listing l;
    auto text = [&](const char* key) { return o.value(QLatin1String(key)).toString(); };
    auto number = [&](const char* key) { return o.value(QLatin1String(key)).toDouble(); };
    auto flag = [&](const char* key) { return o.value(QLatin1String(key)).toBool(); };
    l.seller = text("seller");
    l.id = text("id");
    l.kind = text("kind");
    l.title = text("title");
    l.start = fixtureTime(o, "startDays", now);
    l.end = fixtureTime(o, "endDays", now);
    l.startPrice = number("startPrice");
    l.reservePrice = number("reservePrice");
    l.buyNowPrice = number("buyNowPrice");
    l.maxBid = number("maxBid");
    for (const QJsonValue b : o.value(QLatin1String("bidders")).toArray()) l.bidders << b.toString();
    // Named bidders and watchers are counted unless the count is given.
    l.biddersWatchers = o.contains(QLatin1String("biddersWatchers")) ? o.value(QLatin1String("biddersWatchers")).toInt() : int(l.bidders.size());
    l.length = text("length");
    l.featured = flag("featured");
    l.gallery = flag("gallery");
    l.bold = flag("bold");
    l.homepage = flag("homepage");
    l.soldType = text("soldType");
    l.salePrice = number("salePrice");
    l.shipping = text("shipping");
    l.buyerName = text("buyerName");
    l.buyerEmail = text("buyerEmail");
    l.buyerAddress = text("buyerAddress");
    l.offerPrice = number("offerPrice");
    l.offerExpired = flag("offerExpired");
    l.relistedAs = text("relistedAs");
    l.offerClosed = flag("offerClosed");
    l.body = text("body");
    return l;
}

}  // namespace

bool StandInSite::loadFixture(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &parse);
    if (doc.isNull()) {
        if (error) *error = parse.errorString();
        return false;
    }
    for (const QJsonValue v : doc.object().value(QStringLiteral("accounts")).toArray()) {
        const QJsonObject a = v.toObject();
        addAccount({a.value("userId").toString(), a.value("email").toString(), a.value("password").toString(),
                    a.value("member").toString()});
    }
    for (const QJsonValue v : doc.object().value(QStringLiteral("buyers")).toArray()) {
        const QJsonObject b = v.toObject();
        addBuyer(b.value("userId").toString(), b.value("member").toString(), b.value("name").toString());
    }
    // Seconds dropped: the exports write whole seconds, so the times compare equal.
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    for (const QJsonValue v : doc.object().value(QStringLiteral("listings")).toArray())
        addListing(fixtureListing(v.toObject(), now));
    for (const QJsonValue v : doc.object().value(QStringLiteral("feedback")).toArray()) {
        const QJsonObject f = v.toObject();
        const QString scenario = f.value("scenario").toString();
        if (scenario == QLatin1String("alreadyPlaced")) setFeedbackScenario(f.value("auction").toString(), FeedbackScenario::AlreadyPlaced);
        else if (scenario == QLatin1String("unknownMember")) setFeedbackScenario(f.value("auction").toString(), FeedbackScenario::UnknownMember);
    }
    static const QMap<QString, RelistFault> faultNames = {{"underOffer", RelistFault::UnderOffer},
                                                         {"noCredit", RelistFault::NoCredit},
                                                         {"changed", RelistFault::Changed},
                                                         {"renamedFields", RelistFault::RenamedFields},
                                                         {"noAnswer", RelistFault::NoAnswer}};
    static const QMap<QString, SellPage> pageNames = {{"listing", SellPage::Listing}, {"photos", SellPage::Photos},
                                                      {"extras", SellPage::Extras},   {"confirm", SellPage::Confirm},
                                                      {"result", SellPage::Result}};
    for (const QJsonValue v : doc.object().value(QStringLiteral("relistFaults")).toArray()) {
        const QJsonObject f = v.toObject();
        const QString fault = f.value("fault").toString();
        if (faultNames.contains(fault))
            setRelistFault(f.value("listing").toString(), faultNames.value(fault), pageNames.value(f.value("page").toString(), SellPage::Listing));
    }
    return true;
}

bool StandInSite::start(quint16 port)
{
    if (d->thread.joinable()) return true;
    d->stopping = false;
    d->port = port == 0 ? d->server.bind_to_any_port("127.0.0.1") : (d->server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (d->port <= 0) return false;
    d->thread = std::thread([this] { d->server.listen_after_bind(); });
    while (!d->server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void StandInSite::stop()
{
    if (!d->thread.joinable()) return;
    d->stopping = true;
    d->server.stop();
    d->thread.join();
}

quint16 StandInSite::port() const { return quint16(d->port); }

QString StandInSite::baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(d->port); }

void StandInSite::setRelistFault(const QString& listingId, RelistFault fault, SellPage page)
{
    QMutexLocker lock(&d->mutex);
    if (fault == RelistFault::None) d->relistFaults.remove(listingId);
    else d->relistFaults.insert(listingId, {fault, page});
}

QList<StandInSite::CreatedListing> StandInSite::createdListings() const
{
    QMutexLocker lock(&d->mutex);
    return d->created;
}

void StandInSite::setMailFault(MailFault fault)
{
    QMutexLocker lock(&d->mutex);
    d->mailFault = fault;
}

QList<StandInSite::MailMessage> StandInSite::mailMessages() const
{
    QMutexLocker lock(&d->mutex);
    return d->mail;
}

void StandInSite::clearMailMessages()
{
    QMutexLocker lock(&d->mutex);
    d->mail.clear();
}

QList<StandInSite::Request> StandInSite::requests() const
{
    QMutexLocker lock(&d->mutex);
    return d->log;
}

void StandInSite::clearRequests()
{
    QMutexLocker lock(&d->mutex);
    d->log.clear();
}

void StandInSite::setCookieSameSite(SameSite policy)
{
    QMutexLocker lock(&d->mutex);
    d->sameSite = policy;
}

QString StandInSite::openSession(const QString& userId)
{
    QMutexLocker lock(&d->mutex);
    return d->newSession(userId);
}

// A route that takes a posted form. The form is read here rather than by the
// library, whose own reading answers every url-encoded form over 8 KB with 413
// before any handler runs: the site's forms carry long e-mails, descriptions
// and view states. The handler sees the request with its form read; a form
// over the limit is answered by tooLarge (413 and a page unless given), and
// one cut off on the way is never acted on.
void StandInSite::Impl::formRoute(const std::string& pattern, httplib::Server::Handler handler, TooLarge tooLarge)
{
    server.Post(pattern, [this, handler, tooLarge](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
        httplib::Request whole = req;
        switch (readForm(whole, reader)) {
        case FormRead::Whole:
            handler(whole, res);
            break;
        case FormRead::TooLarge:
            if (tooLarge) {
                tooLarge(res);
            } else {
                res.status = 413;
                res.set_content(page(QStringLiteral("Request too large - TradeMe"),
                                     QStringLiteral("<p>The form you sent is larger than %1 MB.</p>").arg(StandInSite::MaxPostBytes / (1024 * 1024))),
                                "text/html; charset=utf-8");
            }
            break;
        case FormRead::Broken:
            res.status = 400;
            break;
        }
        QMutexLocker lock(&mutex);
        record(whole);
        recordedPost = &req;
    });
}

void StandInSite::Impl::routes()
{
    // Every request is recorded once it has been read whole (posted forms by their routes).
    server.set_post_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        if (std::exchange(recordedPost, nullptr) == &req) return;
        QMutexLocker lock(&mutex);
        record(req);
    });

    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(page(QStringLiteral("TradeMe - New Zealand's online auction site"),
                             QStringLiteral("<h1>Welcome to TradeMe</h1>\n<p>Buy and sell anything, any time.</p>\n"
                                            "<p><a href=\"%1\">Log in</a></p>")
                                 .arg(QString::fromLatin1(loginPath))),
                        "text/html; charset=utf-8");
    });

    // The login form: a manual login, and the post target of the program's own login page.
    auto loginForm = [](const QString& error) {
        return page(QStringLiteral("Log in - TradeMe"),
                    QStringLiteral("<h1>Log in</h1>\n%1<form method=\"post\" action=\"%2\">\n"
                                   "<p>Email <input type=\"text\" name=\"email\"></p>\n"
                                   "<p>Password <input type=\"password\" name=\"password\"></p>\n"
                                   "<p><input type=\"submit\" value=\"Log in\"></p>\n</form>")
                        .arg(error.isEmpty() ? QString() : QStringLiteral("<p class=\"error\">%1</p>\n").arg(esc(error)),
                             QString::fromLatin1(loginPath)));
    };
    server.Get(loginPath, [loginForm](const httplib::Request&, httplib::Response& res) {
        res.set_content(loginForm(QString()), "text/html; charset=utf-8");
    });
    formRoute(loginPath, [this, loginForm](const httplib::Request& req, httplib::Response& res) {
        const QMap<QString, QString> form = formFields(req);
        const QString email = form.value(QStringLiteral("email")), password = form.value(QStringLiteral("password"));
        QMutexLocker lock(&mutex);
        for (const Account& a : accounts) {
            if (a.email.compare(email, Qt::CaseInsensitive) == 0 && a.password == password) {
                const QString token = newSession(a.userId);
                // Written out: the browser's default for a cookie without it lets
                // a cross-site post carry it for two minutes, which hides that fault.
                const QString sameSiteValue = sameSite == StandInSite::SameSite::Strict ? QStringLiteral("; SameSite=Strict")
                                              : sameSite == StandInSite::SameSite::Lax  ? QStringLiteral("; SameSite=Lax")
                                                                                        : QString();
                res.set_header("Set-Cookie", s(StandInSite::sessionCookieName() + u'=' + token + QStringLiteral("; Path=/; HttpOnly") + sameSiteValue));
                res.set_redirect(s(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QString::fromLatin1(loginCheckPath))), 302);
                return;
            }
        }
        res.set_content(loginForm(QStringLiteral("Your email or password is incorrect. Please try again.")), "text/html; charset=utf-8");
    });

    // The login check: who is logged in, or the plain refusal text.
    server.Get(loginCheckPath, [this](const httplib::Request& req, httplib::Response& res) {
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) {
            res.set_content(page(QStringLiteral("My TradeMe"),
                                 QStringLiteral("<p>You need to login to view this page</p>\n<p><a href=\"%1\">Log in</a></p>")
                                     .arg(QString::fromLatin1(loginPath))),
                            "text/html; charset=utf-8");
            return;
        }
        res.set_content(page(QStringLiteral("My TradeMe"),
                             QStringLiteral("<p>%1 (%2)</p>\n<p>You are member %3<br>Welcome back to My TradeMe.</p>\n"
                                            "<ul><li><a href=\"/MyTradeMe/Selling.aspx\">Items I'm selling</a></li>"
                                            "<li><a href=\"/MyTradeMe/Sold.aspx\">Sold items</a></li></ul>")
                                 .arg(esc(a->userId), esc(a->email), esc(a->member))),
                        "text/html; charset=utf-8");
    });

    // The maker's site: the version every seller must have.
    server.Get("/downloads/version.txt", [this](const httplib::Request&, httplib::Response& res) {
        QMutexLocker lock(&mutex);
        res.set_content(s(requiredVersion + u'\n'), "text/plain");
    });

    // The maker's downloads folder: files set by a test, else files of a folder
    // on disk, by plain name only. A missing file answers 404 with a page, as
    // a real server does (a client must not take that page for the file).
    server.Get(R"(/downloads/([^/]+))", [this](const httplib::Request& req, httplib::Response& res) {
        const QString name = q(req.matches[1].str());
        QByteArray bytes;
        bool found = false;
        {
            QMutexLocker lock(&mutex);
            if (downloads.contains(name)) {
                bytes = downloads.value(name);
                found = true;
            } else if (!downloadsFolder.isEmpty() && !name.startsWith(u'.') && !name.contains(u'\\')) {
                QFile file(QDir(downloadsFolder).filePath(name));
                if (QFileInfo(file.fileName()).isFile() && file.open(QIODevice::ReadOnly)) {
                    bytes = file.readAll();
                    found = true;
                }
            }
        }
        if (!found) {
            res.status = 404;
            res.set_content("<html><body><h1>404 Not Found</h1></body></html>", "text/html");
            return;
        }
        res.set_content(bytes.toStdString(), "application/octet-stream");
    });

    // The maker's pages the Help menu opens: the tutorial and the contact page.
    server.Get("/help", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(makerPage(QStringLiteral("Vendaro tutorial"),
                                  QStringLiteral("<h1>Vendaro tutorial</h1>\n"
                                                 "<h2>Getting started</h2>\n<p>Enter your TradeMe e-mail address and password under "
                                                 "Tools &gt; Options, then choose Task &gt; Update to bring your listings in.</p>\n"
                                                 "<h2>Every day</h2>\n<ol><li>Task &gt; Update: new sales, and listings that closed unsold.</li>\n"
                                                 "<li>The task list: e-mail buyers, record payments and dispatches.</li>\n"
                                                 "<li>Relist unsold items, leave feedback and make fixed price offers.</li></ol>\n")),
                        "text/html; charset=utf-8");
    });
    server.Get("/contact.aspx", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(makerPage(QStringLiteral("Contact us - Vendaro"),
                                  QStringLiteral("<h1>Contact us</h1>\n<p>Questions about Vendaro? E-mail "
                                                 "<a href=\"mailto:support@vendaro.co.nz\">support@vendaro.co.nz</a>; we answer "
                                                 "within one working day.</p>\n")),
                        "text/html; charset=utf-8");
    });

    // The maker's mail-form service (the outbox sender's page posts here).
    // Always 200, past the size the site takes too: a refusal the sender reads as one.
    const auto mailTooLarge = [](httplib::Response& res) {
        res.set_content(mailPage(QStringLiteral("Your email was not sent: the email is larger than %1 MB.").arg(StandInSite::MaxPostBytes / (1024 * 1024))),
                        "text/html; charset=utf-8");
    };
    formRoute("/mailform/send.aspx", [this](const httplib::Request& req, httplib::Response& res) {
        // No reply: held while the mode lasts, then answered as the mode then says.
        for (;;) {
            {
                QMutexLocker lock(&mutex);
                if (mailFault != MailFault::NoReply || stopping) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const QMap<QString, QString> form = formFields(req);
        const MailMessage m{form.value(QStringLiteral("from")), form.value(QStringLiteral("to")), form.value(QStringLiteral("cc")),
                            form.value(QStringLiteral("subject")), form.value(QStringLiteral("body"))};
        QMutexLocker lock(&mutex);
        if (mailFault == MailFault::EmptyReply) return res.set_content("", "text/html; charset=utf-8");
        QString refusal = mailRefusal(m);
        if (refusal.isEmpty() && mailFault == MailFault::Reject) refusal = QStringLiteral("the mail service is not accepting email at the moment.");
        // A refusal echoes what was refused, never the success marker the sender looks for.
        refusal.replace(QLatin1String("[success]"), QLatin1String("(success)"), Qt::CaseInsensitive);
        if (!refusal.isEmpty()) return res.set_content(mailPage(QStringLiteral("Your email was not sent: ") + refusal), "text/html; charset=utf-8");
        mail.append(m);
        res.set_content(mailPage(QStringLiteral("[success] Your email to %1 has been sent.").arg(m.to)), "text/html; charset=utf-8");
    }, mailTooLarge);
    // What the mail-form service has accepted, for tests of the program outside the process.
    server.Get("/_test/mail", [this](const httplib::Request&, httplib::Response& res) {
        QMutexLocker lock(&mutex);
        QJsonArray list;
        for (const MailMessage& m : mail)
            list.append(QJsonObject{{QStringLiteral("from"), m.from}, {QStringLiteral("to"), m.to}, {QStringLiteral("cc"), m.cc},
                                    {QStringLiteral("subject"), m.subject}, {QStringLiteral("body"), m.body}});
        const QByteArray json = QJsonDocument(list).toJson(QJsonDocument::Compact);
        res.set_content(json.constData(), size_t(json.size()), "application/json");
    });

    sellRoutes();

    // For the download tests: an empty answer, and a slow one.
    server.Get("/_test/empty", [](const httplib::Request&, httplib::Response& res) { res.set_content("", "text/plain"); });
    server.Get("/_test/slow", [this](const httplib::Request& req, httplib::Response& res) {
        // Waited in steps: stop() ends the wait (the server waits for every answer before it stops).
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::milliseconds(std::stoi(req.has_param("ms") ? req.get_param_value("ms") : "2000"));
        while (!stopping && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        res.set_content("late", "text/plain");
    });

    // Answers that never end: a stream as fast as the client takes it (or
    // declaring a length first), and a trickle of a byte every 100 ms. Any
    // address below them answers the same, so a base address can point here.
    server.Get(R"(/_test/endless(/.*)?)", [this](const httplib::Request& req, httplib::Response& res) {
        // Bytes that do not compress, unless the text is asked for (which the site sends gzipped).
        static const std::string noise = [] {
            std::string bytes(64 * 1024, '\0');
            quint32 x = 2463534242u;
            for (char& c : bytes) {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                c = char(x);
            }
            return bytes;
        }();
        static const std::string text(64 * 1024, 'x');
        const bool asText = req.has_param("text");
        const std::string& chunk = asText ? text : noise;
        const char* type = asText ? "text/plain" : "application/octet-stream";
        if (req.has_param("length")) {
            res.set_content_provider(std::stoull(req.get_param_value("length")), type,
                                     [this, &chunk](size_t, size_t length, httplib::DataSink& sink) {
                                         return server.is_running() && sink.write(chunk.data(), std::min(length, chunk.size()));
                                     });
            return;
        }
        res.set_chunked_content_provider(type, [this, &chunk](size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return server.is_running() && sink.write(chunk.data(), chunk.size());
        });
    });
    server.Get(R"(/_test/trickle(/.*)?)", [this](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [this](size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return server.is_running() && sink.write("x", 1);
        });
    });

    // The seller search: a known member name leads to that member's page.
    server.Get("/Browse/SearchResults.aspx", [this](const httplib::Request& req, httplib::Response& res) {
        const QString wanted = q(req.get_param_value("searchstring"));
        QMutexLocker lock(&mutex);
        if (q(req.get_param_value("searchtype")).compare(QLatin1String("SELLER"), Qt::CaseInsensitive) == 0 &&
            buyers.contains(wanted.toLower())) {
            res.set_redirect(s(QStringLiteral("/Members/Listings.aspx?member=%1").arg(buyers.value(wanted.toLower()).member)), 302);
            return;
        }
        res.set_content(page(QStringLiteral("Search results - TradeMe"),
                             QStringLiteral("<h1>Search results</h1>\n<p>No members found for %1.</p>").arg(esc(wanted))),
                        "text/html; charset=utf-8");
    });
    server.Get("/Members/Listings.aspx", [this](const httplib::Request& req, httplib::Response& res) {
        const QString member = q(req.get_param_value("member"));
        QMutexLocker lock(&mutex);
        QString name;
        for (const Buyer& b : std::as_const(buyers))
            if (b.member == member) name = b.userId;
        res.set_content(page(QStringLiteral("Member %1 - TradeMe").arg(member),
                             QStringLiteral("<h1>%1</h1>\n<p>Member number %2</p>").arg(esc(name), esc(member))),
                        "text/html; charset=utf-8");
    });

    // Placing feedback (the program's VNTMFB page posts here): once per auction.
    formRoute("/MyTradeMe/Feedback/Place.aspx", [this](const httplib::Request& req, httplib::Response& res) {
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        const QMap<QString, QString> form = formFields(req);
        const auto field = [&](const char* name) { return form.value(QLatin1String(name)); };
        const QString key = a->userId + u'/' + field("auctionid");
        QString text;
        const StandInSite::FeedbackScenario scenario = feedbackScenarios.value(field("auctionid"), StandInSite::FeedbackScenario::Normal);
        if (field("auctionid").isEmpty() || field("memberid").isEmpty()) {
            text = QStringLiteral("Sorry, that feedback could not be placed.");
        } else if (scenario == StandInSite::FeedbackScenario::UnknownMember) {
            text = QStringLiteral("Sorry, member %1 is not known for auction %2.").arg(field("memberid"), field("auctionid"));
        } else if (scenario == StandInSite::FeedbackScenario::AlreadyPlaced || feedback.contains(key)) {
            text = QStringLiteral("You may only place feedback once on an auction.");
        } else {
            feedback.insert(key);
            text = QStringLiteral("Your feedback has been placed. Thank you.");
        }
        res.set_content(page(QStringLiteral("Feedback - TradeMe"), QStringLiteral("<p>%1</p>").arg(esc(text))), "text/html; charset=utf-8");
    });

    // The public auction page.
    server.Get("/Browse/Listing.aspx", [](const httplib::Request& req, httplib::Response& res) {
        const QString id = q(req.get_param_value("id"));
        res.set_content(page(QStringLiteral("Auction %1 - TradeMe").arg(id), QStringLiteral("<h1>Auction %1</h1>").arg(esc(id))),
                        "text/html; charset=utf-8");
    });

    // The seller's current and sold listings as CSV exports.
    server.Get("/MyTradeMe/Export/MyListingsCSV.aspx", [this](const httplib::Request& req, httplib::Response& res) {
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        const QString type = q(req.get_param_value("ListingType"));
        const bool sold = type.compare(QLatin1String("Sold"), Qt::CaseInsensitive) == 0;
        if (!sold && type.compare(QLatin1String("Current"), Qt::CaseInsensitive) != 0) {
            res.status = 404;
            return;
        }
        const char* const csv = "text/csv; charset=utf-8";
        if (exportFault == ExportFault::Stalled) {
            const std::string header = ListingExport::HeaderLine(sold).toStdString();
            res.set_chunked_content_provider(csv, [this, header](size_t offset, httplib::DataSink& sink) {
                if (offset == 0) return sink.write(header.data(), header.size());
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                return server.is_running();
            });
            return;
        }
        QList<Listing> own;
        for (const Listing& l : listings)
            if (l.seller.compare(a->userId, Qt::CaseInsensitive) == 0) own.append(l);
        const bool lastSevenDays = q(req.get_param_value("filter")) == QLatin1String("last_7_days");
        const QList<Listing> selected =
            ListingExport::Select(own, sold, lastSevenDays, QDateTime::currentDateTime(), q(req.get_param_value("searchTerm")));
        const QByteArray body = ListingExport::Csv(selected, sold, buyers, exportFault);
        res.set_content(body.constData(), size_t(body.size()), csv);
    });

    // The seller's unsold listings, newest close first, a fixed number a page.
    server.Get("/MyTradeMe/Sell/Unsold.aspx", [this](const httplib::Request& req, httplib::Response& res) {
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        QList<Listing> unsold;
        for (const Listing& l : listings)
            if (l.kind == QLatin1String("unsold") && l.seller.compare(a->userId, Qt::CaseInsensitive) == 0) unsold.append(l);
        std::stable_sort(unsold.begin(), unsold.end(), [](const Listing& x, const Listing& y) { return x.end > y.end; });
        const int pages = qMax(1, int((unsold.size() + unsoldPerPage - 1) / unsoldPerPage));
        bool numbered = false;
        int asked = q(req.get_param_value("page")).toInt(&numbered);
        if (!numbered || asked < 1) asked = 1;
        int shown = asked;
        if (asked > pages) {
            if (unsoldPastEnd == StandInSite::PastEnd::LowerPage) {
                res.set_redirect(s(QStringLiteral("/MyTradeMe/Sell/Unsold.aspx?page=%1").arg(pages)), 302);
                return;
            }
            shown = pages;  // the last page again, under the number asked for
        }
        QString entries;
        for (int i = (shown - 1) * unsoldPerPage; i < qMin(int(unsold.size()), shown * unsoldPerPage); ++i) {
            if (!entries.isEmpty()) entries += u'\n';
            entries += unsoldEntry(unsold[i]);
        }
        res.set_content(page(QStringLiteral("Unsold items - TradeMe"),
                             QStringLiteral("<p id=\"crumbs\">My Trade Me &gt; Selling &gt; Unsold items</p>\n"
                                            "<h1>Unsold items</h1>\n<p>Member %1</p>\n<pre id=\"listings\">\n%2</pre>\n"
                                            "<p>Page %3 of %4</p>")
                                 .arg(esc(a->userId), entries.isEmpty() ? QStringLiteral("You have no unsold items.\n") : entries,
                                      QString::number(asked), QString::number(pages))),
                        "text/html; charset=utf-8");
    });

    // The fixed price offer page of a listing: the offer form, or why none can be made.
    server.Get("/MyTradeMe/FixedPriceOffer.aspx", [this](const httplib::Request& req, httplib::Response& res) {
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        const QString id = q(req.get_param_value("id"));
        const Listing* l = offerListing(*a, id);
        const QStringList recipients = l ? offerRecipients(*l) : QStringList();
        const QString refusal = offerRefusal(l, recipients);
        res.set_content(page(QStringLiteral("Fixed price offer - TradeMe"),
                             QStringLiteral("<form method=\"get\" action=\"/Browse/SearchResults.aspx\"><input name=\"searchstring\" "
                                            "type=\"text\"></form>\n<h1>Fixed price offer</h1>\n<p>Member %1</p>\n<p>Auction %2</p>\n%3")
                                 .arg(esc(a->userId), esc(id),
                                      refusal.isEmpty() ? QStringLiteral("<h2>%1</h2>\n").arg(esc(l->title)) + offerForm(*l, recipients)
                                                        : QStringLiteral("<p class=\"error\">%1</p>").arg(esc(refusal)))),
                        "text/html; charset=utf-8");
    });
    // The offer posted: sent to the ticked bidders and watchers at the price and days given.
    formRoute("/MyTradeMe/MakeAnOffer.aspx", [this](const httplib::Request& req, httplib::Response& res) {
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        const QMap<QString, QString> form = formFields(req);
        Listing* l = offerListing(*a, form.value(QStringLiteral("auction_id")));
        const QStringList members = l ? offerRecipients(*l) : QStringList();
        QString text = offerRefusal(l, members);
        if (text.isEmpty()) {
            bool priced = false;
            const double price = form.value(QStringLiteral("offer_price")).toDouble(&priced);
            const QString days = form.value(QStringLiteral("duration"));
            int recipients = 0;
            bool strangers = false;
            for (auto it = form.cbegin(); it != form.cend(); ++it) {
                if (!it.key().startsWith(QLatin1String("bidder_id_"))) continue;
                if (members.contains(it.value())) ++recipients;
                else strangers = true;
            }
            if (!priced || !(price > 0) || !QStringList{"1", "3", "7"}.contains(days) || recipients == 0 || strangers) {
                text = QStringLiteral("Sorry, that offer could not be made.");
            } else {
                l->offerPrice = price;
                text = QStringLiteral("Your offer has been sent to %1 bidders and watchers.").arg(recipients);
            }
        }
        res.set_content(page(QStringLiteral("Fixed price offer - TradeMe"), QStringLiteral("<p>%1</p>").arg(esc(text))),
                        "text/html; charset=utf-8");
    });

    // Member pages: refused without a session.
    const std::pair<const char*, const char*> memberPages[] = {
        {"/MyTradeMe/Selling.aspx", "Items I'm selling"},
        {"/MyTradeMe/Sold.aspx", "Sold items"},
        {"/MyTradeMe/Refund.aspx", "Request a refund"},
    };
    for (const auto& [path, title] : memberPages) {
        const QString caption = QString::fromLatin1(title);
        server.Get(path, [this, caption](const httplib::Request& req, httplib::Response& res) {
            QMutexLocker lock(&mutex);
            const Account* a = sessionAccount(req);
            if (!a) return refuse(res);
            const QString id = q(req.get_param_value("id"));
            res.set_content(page(caption + QStringLiteral(" - TradeMe"),
                                 QStringLiteral("<h1>%1</h1>\n<p>Member %2</p>%3")
                                     .arg(esc(caption), esc(a->userId),
                                          id.isEmpty() ? QString() : QStringLiteral("\n<p>Auction %1</p>").arg(esc(id)))),
                            "text/html; charset=utf-8");
        });
    }

    // A post to any other address: 404 with no body, as any other address
    // answers, whatever its size (the library's own reading would answer 413).
    formRoute(".*", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
}

// The listing flow of a relist or "sell similar": the listing form, the photo
// page, the extras, the confirmation and the result. Addresses answer in any
// case, as the real site's do.
void StandInSite::Impl::sellRoutes()
{
    const char* const html = "text/html; charset=utf-8";
    const auto error = [](const QString& text) { return QStringLiteral("<p class=\"error\">%1</p>").arg(esc(text)); };
    const char* const detailsPath = R"(/[Ss]ell/[Dd]etails2\.aspx)";

    // The listing form of a listing, filled from it.
    server.Get(detailsPath, [this, html, error](const httplib::Request& req, httplib::Response& res) {
        const QString id = q(req.get_param_value("listingid"));
        holdWhileSilent(id, SellPage::Listing);
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        const QString action = q(req.get_param_value("action")).toLower();
        const QString refusal = listingRefusal(*a, id, action);
        QString body;
        if (!refusal.isEmpty()) {
            body = error(refusal);
        } else {
            body = SellPages::ListingForm(*sellerListing(*a, id), action == QLatin1String("relist"),
                                          relistFault(id, SellPage::Listing) == RelistFault::RenamedFields, QDate::currentDate());
            if (relistFault(id, SellPage::Listing) == RelistFault::Changed)
                body.replace(QStringLiteral("Required fields are shown with a"), QStringLiteral("Please fill in the fields marked"));
        }
        res.set_content(sellPage(QStringLiteral("Sell - TradeMe"), body), html);
    });

    // The listing form posted: checked, then the photo page.
    formRoute(detailsPath, [this, html, error](const httplib::Request& req, httplib::Response& res) {
        QMap<QString, QString> form = formFields(req);
        const QString id = form.value(QStringLiteral("listingid"));
        holdWhileSilent(id, SellPage::Photos);
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        const QString action = form.value(QStringLiteral("action")).toLower();
        QString refusal = listingRefusal(*a, id, action);
        if (refusal.isEmpty()) {
            if (relistFault(id, SellPage::Listing) == RelistFault::RenamedFields)
                form.insert(QStringLiteral("title"), form.value(QStringLiteral("listing_title")));
            refusal = SellPages::DetailsRefusal(form, QDate::currentDate());
            if (!refusal.isEmpty()) {
                const QString again = SellPages::ListingForm(*sellerListing(*a, id), action == QLatin1String("relist"), false, QDate::currentDate());
                return res.set_content(sellPage(QStringLiteral("Sell - TradeMe"), error(refusal) + u'\n' + again), html);
            }
        }
        if (!refusal.isEmpty()) return res.set_content(sellPage(QStringLiteral("Sell - TradeMe"), error(refusal)), html);
        const QString draft = QStringLiteral("D%1").arg(++draftsMade);
        drafts.insert(draft, Draft{a->userId, id, action, form, {}, 1});
        const QString words = relistFault(id, SellPage::Photos) == RelistFault::Changed
                                  ? QStringLiteral("<p>Add up to 20 photos to your listing.</p>")
                                  : QStringLiteral("<p>Your first photo free! Each further photo costs $0.10.</p>");
        res.set_content(sellPage(QStringLiteral("Photos - TradeMe"), QStringLiteral("<h1>Photos</h1>\n") + words + u'\n' + SellPages::PhotoForm(draft)),
                        html);
    });

    // The photo page posted (the extras follow), and the extras posted (the confirmation follows).
    formRoute(R"(/[Ss]ell/[Ee]xtras2\.aspx)", [this, html, error](const httplib::Request& req, httplib::Response& res) {
        const QMap<QString, QString> form = formFields(req);
        const QString draftId = form.value(QStringLiteral("draft"));
        const bool photos = form.value(QStringLiteral("step")) == QLatin1String("photos");
        QString templateId;
        {
            QMutexLocker lock(&mutex);
            templateId = drafts.value(draftId).templateId;
        }
        holdWhileSilent(templateId, photos ? SellPage::Extras : SellPage::Confirm);
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        const auto found = drafts.find(draftId);
        const Listing* from = found == drafts.end() ? nullptr : sellerListing(*a, found->templateId);
        if (!from || found->seller != a->userId || found->stage != (photos ? 1 : 2))
            return res.set_content(sellPage(QStringLiteral("Sell - TradeMe"), error(QStringLiteral("Sorry, your listing could not be found. Please start again."))), html);
        if (photos) {
            found->stage = 2;
            QString extras = SellPages::ExtrasForm(draftId, *from, relistFault(templateId, SellPage::Extras) == RelistFault::RenamedFields);
            if (relistFault(templateId, SellPage::Extras) == RelistFault::Changed)
                extras.replace(QStringLiteral("shows a photo in search results"), QStringLiteral("your photo in the list view"));
            return res.set_content(sellPage(QStringLiteral("Extras - TradeMe"), QStringLiteral("<h1>Extras</h1>\n<p>Make your listing stand out.</p>\n") + extras),
                                   html);
        }
        const QStringList posted = SellPages::FeatureBoxes(relistFault(templateId, SellPage::Extras) == RelistFault::RenamedFields);
        found->features.clear();
        for (int i = 0; i < posted.size(); ++i)
            if (form.contains(posted[i])) found->features << SellPages::FeatureBoxes()[i];
        found->stage = 3;
        const RelistFault fault = relistFault(templateId, SellPage::Confirm);
        if (fault == RelistFault::NoCredit) {
            drafts.erase(found);  // nothing to confirm
            return res.set_content(sellPage(QStringLiteral("Sell - TradeMe"),
                                            error(QStringLiteral("Sorry, you don't have enough credit to pay for this listing.")) +
                                                QStringLiteral("\n<p><a href=\"/MyTradeMe/Default.aspx\">Add credit to your account</a></p>")),
                                   html);
        }
        const QString words = fault == RelistFault::Changed ? QStringLiteral("<p>Review your listing below.</p>")
                                                            : QStringLiteral("<p>Please check that your listing details are correct.</p>");
        res.set_content(sellPage(QStringLiteral("Confirm - TradeMe"), QStringLiteral("<h1>Confirm your listing</h1>\n") + words + u'\n' +
                                                                          SellPages::ConfirmForm(draftId, found->details, found->features)),
                        html);
    });

    // The confirmation posted: the listing is made, and the result page names it.
    formRoute(R"(/[Ss]ell/[Cc]onfirm2\.aspx)", [this, html, error](const httplib::Request& req, httplib::Response& res) {
        const QString draftId = formFields(req).value(QStringLiteral("draft"));
        QString templateId;
        {
            QMutexLocker lock(&mutex);
            templateId = drafts.value(draftId).templateId;
        }
        holdWhileSilent(templateId, SellPage::Result);
        QMutexLocker lock(&mutex);
        const Account* a = sessionAccount(req);
        if (!a) return refuse(res);
        const auto found = drafts.find(draftId);
        if (found == drafts.end() || found->seller != a->userId || found->stage != 3 || !sellerListing(*a, found->templateId))
            return res.set_content(sellPage(QStringLiteral("Sell - TradeMe"), error(QStringLiteral("Sorry, your listing could not be found. Please start again."))), html);
        const Draft draft = *found;
        drafts.erase(found);
        QDateTime now = QDateTime::currentDateTime();
        now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
        Listing made = SellPages::NewListing(draft.details, draft.features, now);
        made.seller = a->userId;
        made.id = nextListingId();
        if (draft.action == QLatin1String("relist"))
            for (Listing& l : listings)
                if (l.id == draft.templateId && l.seller == a->userId) l.relistedAs = made.id;
        listings.append(made);
        const auto field = [&](const char* name) { return draft.details.value(QLatin1String(name)); };
        created.append({draft.templateId, draft.action, made.id, field("title"), field("body"), field("startprice"), field("start_eq_reserve"),
                        field("reserveprice"), field("buynowprice"), field("duration_type"), field("auction_length"), field("set_end_days"),
                        field("set_end_hour"), draft.features});
        const QString words = relistFault(templateId, SellPage::Result) == RelistFault::Changed
                                  ? QStringLiteral("Congratulations! Your listing is live.")
                                  : QStringLiteral("Congratulations! Your auction has been listed.");
        res.set_content(sellPage(QStringLiteral("Listing confirmed - TradeMe"),
                                 QStringLiteral("<h1>Listing confirmed</h1>\n<p>%1</p>\n<p>Auction number: <a href=\"/Browse/Listing.aspx?id=%2\">%2</a></p>")
                                     .arg(words, made.id)),
                        html);
    });
}
