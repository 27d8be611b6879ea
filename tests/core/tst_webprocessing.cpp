// Site work through local pages: forms cut out of site pages, the pages that
// submit themselves, and leaving feedback step by step in a scripted browser.

#include "TestEnvironment.h"
#include "ViewedBrowser.h"
#include "core/ProgramContext.h"
#include "core/modWebProcessing.h"
#include "platform/browser/FakeBrowser.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTime>
#include <QUrl>
#include <QUrlQuery>
#include <QWidget>

#include <memory>
#include <optional>

using namespace modWebProcessing;

namespace {
const QString Site = QStringLiteral("https://www.trademe.co.nz");
const QString StandIn = QStringLiteral("http://127.0.0.1:8765");
const QString CrLf = QStringLiteral("\r\n");
const QString FeedbackPlaced = QStringLiteral("Your feedback has been placed. Thank you.");
const QString FeedbackRefused = QStringLiteral("You may only place feedback once on an auction.");

// What ExtractForm gives for a form: its opening tag, one line per field, "</form>".
QString extracted(const QString& openingTag, const QStringList& fields)
{
    QString out = openingTag + CrLf;
    for (const QString& f : fields) out += f + CrLf;
    return out + QStringLiteral("</form>");
}

QString readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString unescape(QString s)
{
    s.replace("&quot;", "\"").replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&");
    return s;
}

// The value of a hidden field as it stands in a page (still escaped).
QString fieldValue(const QString& page, const QString& name)
{
    const auto m = QRegularExpression("name=\"" + name + "\" value=\"([^\"]*)\"").match(page);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("<missing>");
}

// A page with a form whose opening tag is the usual one for these cases.
const QString ListingTag = QStringLiteral("<form name=\"newlisting_form\" method=\"post\" action=\"/Sell/List.aspx\">");
}  // namespace

// The site as leaving feedback sees it: the seller search (a known buyer leads
// to the member's page), the filled feedback page posting itself, the site's
// answer and the blank page at the end.
struct FeedbackSite {
    QMap<QString, QString> buyers = {{QStringLiteral("sean1"), QStringLiteral("123")}};
    QString memberPageQuery;  // what follows the member number in the member page's address
    QString detour;           // a page off the site the search shows first
    QString answer = FeedbackPlaced;
    QStringList posted;  // the filled feedback pages the browser loaded

    FakeBrowser::Page load(const QString& address, const QString& content)
    {
        if (address.endsWith(QLatin1String("VNTMFB.sub"))) {
            posted << content;
            return {QString(), "VNTMFB - Placing feedback", "Placing feedback on TradeMe...", content,
                    Site + "/MyTradeMe/Feedback/Place.aspx"};
        }
        if (address.endsWith(QLatin1String("VNTM.sub"))) return {QString(), "VNTM", "", content};
        if (address.startsWith(Site + "/Browse/SearchResults.aspx")) {
            if (!detour.isEmpty()) {
                const QString elsewhere = detour;
                detour.clear();
                return {elsewhere, "Elsewhere", "Another page", "", address};
            }
            const QString name = QUrlQuery(QUrl(address)).queryItemValue("searchstring");
            if (buyers.contains(name.toLower()))
                return {Site + "/Members/Listings.aspx?member=" + buyers.value(name.toLower()) + memberPageQuery, "Member - TradeMe",
                        name + "\nListings", ""};
            return {address, "Search results - TradeMe", "Search results\nNo members found for " + name + ".", ""};
        }
        if (address.startsWith(Site + "/MyTradeMe/Feedback/Place.aspx")) return {address, "Feedback - TradeMe", answer, ""};
        return {address, "Somewhere", "Another page", ""};
    }
};

class tst_webprocessing : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QWidget caller;

    // Leaving feedback as a window does it: each loaded page runs the next
    // step; the results and the step after each, in order.
    FeedbackSite site;
    std::unique_ptr<FakeBrowser> browser;
    int step = 0;
    QList<int> results;
    QList<int> steps;

    ProgramContext& ctx() { return ProgramContext::current(); }
    QString programFile(const QString& name) const { return QDir(env->programFolder()).filePath(name); }

    void startFeedback(const QString& member, const QString& auctionId, const QString& text, const QString& auctionType)
    {
        browser = std::make_unique<FakeBrowser>();
        browser->setHandler([this](const QString& a, const QString& c) { return site.load(a, c); });
        connect(browser.get(), &WebBrowser::DocumentComplete, this, [=, this] {
            results << PlaceFeedback(&caller, browser.get(), step, auctionId, member, text, auctionType);
            steps << step;
        });
        step = 1;
        browser->Navigate(Site + "/Browse/SearchResults.aspx?searchtype=SELLER&searchstring=" + member);
    }
    bool feedbackFinished() const { return !results.isEmpty() && results.last() != 0; }
    bool navigatedTo(const QString& fileName) const
    {
        for (const QString& a : browser->navigations())
            if (a.endsWith(fileName)) return true;
        return false;
    }

private slots:
    void init()
    {
        qunsetenv("VENDARO_SITE_URL");
        env.emplace();
        site = FeedbackSite();
        step = 0;
        results.clear();
        steps.clear();
        caller.setWindowState(Qt::WindowNoState);
    }
    void cleanup()
    {
        browser.reset();
        qunsetenv("VENDARO_SITE_URL");
        env.reset();
    }

    // --- Cutting a form out of a page ---

    void extractForm_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("skipOptions");
        QTest::addColumn<QString>("expected");

        const QString listing =
            "<html><body>\r\n<p>Sell an item</p>\r\n" + ListingTag +
            "\r\n<p>Title <input type=\"text\"\r\n name=\"title\" value=\"Kāpiti kauri table\"></p>\r\n"
            "<select name=\"category\">\r\n<option value=\"1\">Furniture</option>\r\n<option value=\"2\" selected>Tables</option>\r\n</select>\r\n"
            "<textarea name=\"body\">\r\nSolid kauri.\r\nSeats six.</textarea>\r\n"
            "<input type=\"hidden\" name=\"token\" value=\"x1\">\r\n"
            "</form>\r\n<input name=\"outside\">\r\n</body></html>";
        const QString title = "<input type=\"text\" name=\"title\" value=\"Kāpiti kauri table\">";
        const QString body = "<textarea name=\"body\">\r\nSolid kauri.\r\nSeats six.</textarea>";
        const QString token = "<input type=\"hidden\" name=\"token\" value=\"x1\">";
        QTest::newRow("fields in page order, options kept")
            << listing << "newlisting_form" << false
            << extracted(ListingTag, {title,
                                      "<select name=\"category\"><option value=\"1\">Furniture</option><option value=\"2\" selected>Tables</option></select>",
                                      body, token});
        QTest::newRow("options skipped") << listing << "newlisting_form" << true
                                         << extracted(ListingTag, {title, "<select name=\"category\">", body, token});
        QTest::newRow("key ignores case") << listing << "NewListing_FORM" << true
                                          << extracted(ListingTag, {title, "<select name=\"category\">", body, token});

        const QString upper = "<FORM NAME=\"NewListing_Form\" ACTION=\"/Sell/List.aspx\">\r\n<INPUT TYPE=\"text\" NAME=\"title\">\r\n"
                              "<SELECT NAME=\"s\">\r\n<OPTION>1</OPTION>\r\n</SELECT>\r\n<TEXTAREA NAME=\"t\">a\r\nb</TEXTAREA>\r\n"
                              "</FORM>\r\n<INPUT NAME=\"outside\">";
        const QString upperTag = "<FORM NAME=\"NewListing_Form\" ACTION=\"/Sell/List.aspx\">";
        QTest::newRow("upper-case tags")
            << upper << "newlisting_form" << false
            << extracted(upperTag, {"<INPUT TYPE=\"text\" NAME=\"title\">", "<SELECT NAME=\"s\"><OPTION>1</OPTION></SELECT>",
                                    "<TEXTAREA NAME=\"t\">a\r\nb</TEXTAREA>"});
        QTest::newRow("upper-case tags, options skipped")
            << upper << "newlisting_form" << true
            << extracted(upperTag, {"<INPUT TYPE=\"text\" NAME=\"title\">", "<SELECT NAME=\"s\">", "<TEXTAREA NAME=\"t\">a\r\nb</TEXTAREA>"});

        QTest::newRow("opening tag keeps its line breaks")
            << "<form\r\n name=\"newlisting_form\"\r\n method=\"post\">\r\n<input name=\"a\">\r\n</form>" << "newlisting_form" << false
            << extracted("<form\r\n name=\"newlisting_form\"\r\n method=\"post\">", {"<input name=\"a\">"});

        // The key is looked for in opening tags only: the search form mentions
        // the offer page in its body, the offer form in its action.
        const QString offerTag = "<form method=\"post\" action=\"/MyTradeMe/MakeAnOffer.aspx?id=77\">";
        QTest::newRow("second form, key part of the action")
            << "<form name=\"search\" action=\"/Browse/Search.aspx\">\r\n<input name=\"q\">\r\n"
               "<a href=\"/MyTradeMe/MakeAnOffer.aspx\">Offers</a>\r\n</form>\r\n" +
                   offerTag + "\r\n<input name=\"price\" value=\"50\">\r\n</form>"
            << "makeanoffer.aspx" << false << extracted(offerTag, {"<input name=\"price\" value=\"50\">"});

        QTest::newRow("nested form removed")
            << ListingTag + "\r\n<input name=\"a\">\r\n<form name=\"photo\" action=\"/Sell/Photo.aspx\">\r\n<input name=\"photo_file\">\r\n"
                            "</form>\r\n<input name=\"b\">\r\n</form>"
            << "newlisting_form" << false << extracted(ListingTag, {"<input name=\"a\">", "<input name=\"b\">"});
        QTest::newRow("forms nested twice and side by side")
            << ListingTag + "<input name=\"a\"><form name=\"n1\"><input name=\"n1a\"><form name=\"n2\"><input name=\"n2a\"></form>"
                            "<input name=\"n1b\"></form><input name=\"b\"><form name=\"n3\"><input name=\"n3a\"></form><input name=\"c\"></form>"
                            "<form name=\"after\"><input name=\"z\"></form>"
            << "newlisting_form" << false << extracted(ListingTag, {"<input name=\"a\">", "<input name=\"b\">", "<input name=\"c\">"});

        QTest::newRow("select and textarea after the last input")
            << ListingTag + "<input name=\"a\"><select name=\"s\"><option>1</option></select><textarea name=\"t\">x</textarea></form>"
            << "newlisting_form" << false
            << extracted(ListingTag, {"<input name=\"a\">", "<select name=\"s\"><option>1</option></select>", "<textarea name=\"t\">x</textarea>"});

        // The browser writes "<" and ">" inside values as they are: a tag ends
        // at the first ">" outside quotes, and markup in a value is no tag.
        // The page written from the form holds them escaped.
        QTest::newRow("'>' in a value")
            << ListingTag + "\r\n<p>Title <input name=\"title\" value=\"USB-C > HDMI adapter\"></p>\r\n"
                            "<textarea name=\"body\">Works.</textarea>\r\n</form>"
            << "newlisting_form" << false
            << extracted(ListingTag, {"<input name=\"title\" value=\"USB-C &gt; HDMI adapter\">", "<textarea name=\"body\">Works.</textarea>"});
        QTest::newRow("'>' in single quotes; a value without quotes ends at '>'")
            << ListingTag + "<input name='title' value='a >> b'><input name=c value=d>e\"><input name=\"f\"></form>" << "newlisting_form"
            << false << extracted(ListingTag, {"<input name='title' value='a &gt;&gt; b'>", "<input name=c value=d>", "<input name=\"f\">"});
        QTest::newRow("markup in values is no tag")
            << ListingTag + "<input name=\"title\" value=\"<form> <input name=x> <select> </form>\"><p title=\"<input name=y>\">x</p>"
                            "<input name=\"b\"></form>"
            << "newlisting_form" << false
            << extracted(ListingTag, {"<input name=\"title\" value=\"&lt;form&gt; &lt;input name=x&gt; &lt;select&gt; &lt;/form&gt;\">",
                                      "<input name=\"b\">"});
        QTest::newRow("'>' in the opening tag, before the key")
            << "<form title=\"Sell > List\" name=\"newlisting_form\" action=\"/Sell/List.aspx\">\r\n<input name=\"a\">\r\n</form>"
            << "newlisting_form" << false
            << extracted("<form title=\"Sell &gt; List\" name=\"newlisting_form\" action=\"/Sell/List.aspx\">", {"<input name=\"a\">"});
        QTest::newRow("'>' in an option and in a textarea's opening tag")
            << ListingTag + "<select name=\"s\"><option value=\"a>b\">A &gt; B</option></select>"
                            "<textarea name=\"body\" title=\"</textarea>\">Text</textarea><input name=\"c\"></form>"
            << "newlisting_form" << false
            << extracted(ListingTag, {"<select name=\"s\"><option value=\"a&gt;b\">A &gt; B</option></select>",
                                      "<textarea name=\"body\" title=\"&lt;/textarea&gt;\">Text</textarea>", "<input name=\"c\">"});
        QTest::newRow("'<option>' in a select's value, options skipped")
            << ListingTag + "<select name=\"s\" title=\"<option>\"><option>1</option></select><input name=\"c\"></form>" << "newlisting_form"
            << true << extracted(ListingTag, {"<select name=\"s\" title=\"&lt;option&gt;\">", "<input name=\"c\">"});
        QTest::newRow("a script's text is no markup")
            << ListingTag + "<script>document.write('<input name=\"fake\"></form>')</script><input name=\"a\"></form>" << "newlisting_form"
            << false << extracted(ListingTag, {"<input name=\"a\">"});

        QTest::newRow("wanted form missing") << "<form name=\"search\"><input name=\"q\"></form>" << "newlisting_form" << false
                                             << CrLf + "</form>";
        QTest::newRow("page without forms") << "<html><body><input name=\"q\"></body></html>" << "newlisting_form" << false
                                            << CrLf + "</form>";

        // An element without its end takes the rest of the form and ends the walk.
        QTest::newRow("input without its end")
            << ListingTag + "<input name=\"a\"><input name=\"b\"\r\n value=\"x\"" << "newlisting_form" << false
            << extracted(ListingTag, {"<input name=\"a\">", "<input name=\"b\" value=\"x\""});
        // As the browser reads it, the input runs on to its ">": the "</form>" is inside it.
        QTest::newRow("input whose '>' comes after a '</form>'")
            << ListingTag + "<input name=\"a\"><input name=\"b\"\r\n value=\"x\"</form><input name=\"c\"></form><input name=\"outside\">"
            << "newlisting_form" << false
            << extracted(ListingTag, {"<input name=\"a\">", "<input name=\"b\" value=\"x\"</form>", "<input name=\"c\">"});
        QTest::newRow("select without its end")
            << ListingTag + "<select name=\"s\">\r\n<option>1</option>\r\n<input name=\"late\"></form><input name=\"outside\">"
            << "newlisting_form" << false << extracted(ListingTag, {"<select name=\"s\"><option>1</option><input name=\"late\">"});
        QTest::newRow("select without its end, options skipped")
            << ListingTag + "<select name=\"s\">\r\n<option>1</option>\r\n</form>" << "newlisting_form" << true
            << extracted(ListingTag, {"<select name=\"s\">"});
        QTest::newRow("textarea without its end, nor the form's")
            << ListingTag + "<input name=\"a\"><textarea name=\"t\">line one\r\nline two<input name=\"late\">" << "newlisting_form" << false
            << extracted(ListingTag, {"<input name=\"a\">", "<textarea name=\"t\">line one\r\nline two<input name=\"late\">"});

        // A select the page fills by script has no options of its own. With
        // options skipped it is its opening tag, like any other select, and the
        // next select appears once.
        QTest::newRow("select without options before one with options, options skipped")
            << ListingTag + "\r\n<select name=\"region\"></select>\r\n<select name=\"district\">\r\n<option value=\"1\">Kāpiti</option>\r\n"
                            "</select>\r\n<input name=\"a\">\r\n</form>"
            << "newlisting_form" << true
            << extracted(ListingTag, {"<select name=\"region\">", "<select name=\"district\">", "<input name=\"a\">"});
    }
    void extractForm()
    {
        QFETCH(QString, page);
        QFETCH(QString, key);
        QFETCH(bool, skipOptions);
        QFETCH(QString, expected);
        QCOMPARE(ExtractForm(page, key, skipOptions), expected);
    }

    // A form cut out of a site page becomes a local page: nothing in it may
    // run script, however the page hides it. Other markup stays as it was.
    void extractFormDropsScript_data()
    {
        QTest::addColumn<QString>("form");  // what follows the opening tag
        QTest::addColumn<bool>("skipOptions");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("tag");       // the page's opening tag; empty: the usual one
        QTest::addColumn<QString>("cleanTag");  // what it becomes; empty: the usual one

        const QString options = "<option value=\"1\">One</option>";
        QTest::newRow("script element in a select")
            << "<select name=\"s\">" + options + "<script>steal()</script></select>" << false
            << QStringList{"<select name=\"s\">" + options + " </select>"} << "" << "";
        QTest::newRow("script in capitals, with attributes, end tag with a blank")
            << "<select name=\"s\">" + options + "<SCRIPT type=\"text/javascript\" src=\"http://elsewhere/x.js\">steal()</Script ></select>"
            << false << QStringList{"<select name=\"s\">" + options + " </select>"} << "" << "";
        QTest::newRow("script start tag with '>' in a quoted value")
            << "<select name=\"s\"><script title=\"a>b\">steal()</script>" + options + "</select>" << false
            << QStringList{"<select name=\"s\"> " + options + "</select>"} << "" << "";
        QTest::newRow("script without its end")
            << "<input name=\"a\"><select name=\"s\">" + options + "<script>steal()" << false
            << QStringList{"<input name=\"a\">", "<select name=\"s\">" + options + " "} << "" << "";
        QTest::newRow("removing a script makes no new tag")
            << "<select name=\"s\"><<script></script>script>steal()</script></select>" << false
            << QStringList{"<select name=\"s\">< script>steal()</script></select>"} << "" << "";
        QTest::newRow("a longer tag name is not a script")
            << "<select name=\"s\"><scripts>text</scripts></select>" << false
            << QStringList{"<select name=\"s\"><scripts>text</scripts></select>"} << "" << "";

        QTest::newRow("handler on the form")
            << "<input name=\"a\">" << false << QStringList{"<input name=\"a\">"}
            << "<form name=\"newlisting_form\" onsubmit=\"steal()\" action=\"/Sell/List.aspx\">"
            << "<form name=\"newlisting_form\"  action=\"/Sell/List.aspx\">";
        QTest::newRow("handlers quoted, unquoted, any case, blanks around '='")
            << "<input name=\"a\" onfocus=\"steal()\" autofocus><input name=b ONCLICK=steal() value=1>"
               "<input name=\"c\" OnBlur = 'steal()'><input name=\"d\"onmouseover=\"steal()\">"
            << false << QStringList{"<input name=\"a\"  autofocus>", "<input name=b  value=1>", "<input name=\"c\" >", "<input name=\"d\">"}
            << "" << "";
        QTest::newRow("handler after a slash") << "<input/onfocus=steal() name=\"a\">" << false
                                               << QStringList{"<input/ name=\"a\">"} << "" << "";
        QTest::newRow("handler on a select whose options are skipped")
            << "<select name=\"s\" onchange=\"steal()\">" + options + "</select>" << true << QStringList{"<select name=\"s\" >"} << "" << "";
        QTest::newRow("handler on a textarea, text kept")
            << "<textarea name=\"t\" onfocus=\"steal()\">Kauri,\r\nseats six.</textarea>" << false
            << QStringList{"<textarea name=\"t\" >Kauri,\r\nseats six.</textarea>"} << "" << "";

        QTest::newRow("script address in the action")
            << "<input name=\"a\">" << false << QStringList{"<input name=\"a\">"}
            << "<form name=\"newlisting_form\" method=\"post\" action=\"javascript:steal()\">"
            << "<form name=\"newlisting_form\" method=\"post\" >";
        QTest::newRow("script addresses in src and formaction, however written")
            << "<input type=\"image\" src=\"JavaScript:steal()\"><input type=\"image\" src=\" &#106;ava&#x09;script&colon;steal()\">"
               "<input type=\"image\" src='java&Tab;script:steal()'><input type=\"submit\" formaction=javascript:steal()>"
            << false << QStringList{"<input type=\"image\" >", "<input type=\"image\" >", "<input type=\"image\" >", "<input type=\"submit\" >"}
            << "" << "";
        QTest::newRow("script address in a link inside a select")
            << "<select name=\"s\"><a href=\"javascript:steal()\">x</a><svg><a xlink:href=\"javascript:steal()\"></a></svg></select>" << false
            << QStringList{"<select name=\"s\"><a >x</a><svg><a ></a></svg></select>"} << "" << "";
        QTest::newRow("a value that merely mentions javascript stays")
            << "<input name=\"title\" value=\"javascript: the good parts\"><input type=\"image\" src=\"/img/javascript:x.png\">" << false
            << QStringList{"<input name=\"title\" value=\"javascript: the good parts\">", "<input type=\"image\" src=\"/img/javascript:x.png\">"}
            << "" << "";
        // Taking a handler out must not join what stood around it into a new attribute.
        QTest::newRow("an = after a handler stays an attribute of its own")
            << "<select name=\"s\"><a href onclick=x =javascript:steal()>x</a><a href onclick=\"x\"=javascript:steal()>y</a></select>"
            << false
            << QStringList{"<select name=\"s\"><a href removed=\"\" =javascript:steal()>x</a><a href removed=\"\"=javascript:steal()>y</a></select>"}
            << "" << "";
        QTest::newRow("inline document")
            << "<select name=\"s\"><iframe srcdoc=\"&lt;script&gt;steal()&lt;/script&gt;\"></iframe></select>" << false
            << QStringList{"<select name=\"s\"><iframe ></iframe></select>"} << "" << "";

        // Where the browser reads text (a textarea, a comment), a value must
        // not end it early and bring hidden markup to life.
        QTest::newRow("value ending a textarea early")
            << "<select name=\"s\"><textarea><a title=\"</textarea><img src=x onerror=steal()>\"></textarea></select>" << false
            << QStringList{"<select name=\"s\"><textarea><a title=\"&lt;/textarea&gt;&lt;img src=x onerror=steal()&gt;\"></textarea></select>"}
            << "" << "";
        QTest::newRow("value ending a comment early")
            << "<select name=\"s\"><!-- <a title=\"--><img src=x onerror=steal()>\"> --></select>" << false
            << QStringList{"<select name=\"s\"><!-- <a title=\"--&gt;&lt;img src=x onerror=steal()&gt;\"> --></select>"} << "" << "";
        QTest::newRow("tags in a comment filtered too")
            << "<select name=\"s\"><!-- <img src=x onerror=steal()> --></select>" << false
            << QStringList{"<select name=\"s\"><!-- <img src=x > --></select>"} << "" << "";
    }
    void extractFormDropsScript()
    {
        QFETCH(QString, form);
        QFETCH(bool, skipOptions);
        QFETCH(QStringList, fields);
        QFETCH(QString, tag);
        QFETCH(QString, cleanTag);
        const QString page = "<html><body>\r\n" + (tag.isEmpty() ? ListingTag : tag) + "\r\n" + form + "\r\n</form></body></html>";
        QCOMPARE(ExtractForm(page, "newlisting_form", skipOptions), extracted(cleanTag.isEmpty() ? ListingTag : cleanTag, fields));
    }

    void extractFormFromALargePage()
    {
        QString page = "<html><body><form name=\"search\"><input name=\"q\"></form>\r\n<p>" + QString(120000, u'x') + "</p>\r\n";
        page += ListingTag + CrLf;
        QStringList fields;
        for (int i = 0; i < 2000; ++i) {
            const QString input = QStringLiteral("<input type=\"hidden\" name=\"f%1\" value=\"%2\">").arg(i).arg(QString(20, u'v'));
            page += "<p>" + input + "</p>\r\n";
            fields << input;
        }
        const QString textarea = "<textarea name=\"body\">" + QString(30000, u'y') + "\r\nend</textarea>";
        page += textarea + "\r\n</form></body></html>";
        fields << textarea;
        QVERIFY(page.size() > 100000);

        const QString out = ExtractForm(page, "newlisting_form", false);
        QCOMPARE(out.count(CrLf), 2000 + 2 + 1);
        QVERIFY(out == extracted(ListingTag, fields));
    }

    // A form of many fields, with a long page after it: every field, in
    // order, and nothing past the form. (bench_extractform times the walk,
    // which must grow with the page, not with fields times page.)
    void extractFormOfManyFields()
    {
        QString page = ListingTag + CrLf;
        for (int i = 0; i < 20000; ++i) page += QStringLiteral("<p><input name=\"f%1\" onclick=\"x()\"></p>\r\n").arg(i);
        page += "</form>" + QString(200000, u'z');
        const QString out = ExtractForm(page, "newlisting_form", false);
        QCOMPARE(out.count(CrLf), 20000 + 1);
        QVERIFY(out.contains(QStringLiteral("<input name=\"f0\" >\r\n<input name=\"f1\" >")));
        QVERIFY(out.endsWith(QStringLiteral("<input name=\"f19999\" >\r\n</form>")));
        QVERIFY(!out.contains(u'z'));
        QVERIFY(!out.contains("onclick"));
    }

    void removeLineBreaks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pairs removed") << "<input\r\n name=\"a\"\r\n>\r\n" << "<input name=\"a\">";
        QTest::newRow("lone CR and LF stay") << "a\rb\nc\n\rd" << "a\rb\nc\n\rd";
        QTest::newRow("nothing but pairs") << "\r\n\r\n" << "";
        QTest::newRow("pairs formed by removing one") << "a\r\r\n\nb\r\r\r\n\n\nc" << "abc";
    }
    void removeLineBreaks()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(RemoveLineBreaks(text), expected);
    }

    // --- Pages that submit themselves ---

    void saveSubmitPage_data()
    {
        QTest::addColumn<QString>("siteUrl");  // empty: the built-in site
        QTest::addColumn<QString>("actionPath");
        QTest::addColumn<bool>("addId");
        QTest::addColumn<QString>("expectedForm");

        QTest::newRow("action made absolute") << "" << "/MyTradeMe/MakeAnOffer.aspx" << false
                                              << "<form name=\"offer\" method=\"post\" action=\"" + Site +
                                                     "/MyTradeMe/MakeAnOffer.aspx?id=5\">\r\n<input name=\"back\" "
                                                     "value=\"/MyTradeMe/MakeAnOffer.aspx\">\r\n</form>";
        QTest::newRow("path found ignoring case") << "" << "/mytrademe/makeanoffer.ASPX" << false
                                                  << "<form name=\"offer\" method=\"post\" action=\"" + Site +
                                                         "/MyTradeMe/MakeAnOffer.aspx?id=5\">\r\n<input name=\"back\" "
                                                         "value=\"/MyTradeMe/MakeAnOffer.aspx\">\r\n</form>";
        QTest::newRow("with an id") << "" << "/MyTradeMe/MakeAnOffer.aspx" << true
                                    << "<form name=\"offer\" method=\"post\" action=\"" + Site +
                                           "/MyTradeMe/MakeAnOffer.aspx?id=5\" id=offer>\r\n<input name=\"back\" "
                                           "value=\"/MyTradeMe/MakeAnOffer.aspx\">\r\n</form>";
        QTest::newRow("onto the configured site") << StandIn + "/" << "/MyTradeMe/MakeAnOffer.aspx" << true
                                                  << "<form name=\"offer\" method=\"post\" action=\"" + StandIn +
                                                         "/MyTradeMe/MakeAnOffer.aspx?id=5\" id=offer>\r\n<input name=\"back\" "
                                                         "value=\"/MyTradeMe/MakeAnOffer.aspx\">\r\n</form>";
    }
    void saveSubmitPage()
    {
        QFETCH(QString, siteUrl);
        QFETCH(QString, actionPath);
        QFETCH(bool, addId);
        QFETCH(QString, expectedForm);
        if (!siteUrl.isEmpty()) qputenv("VENDARO_SITE_URL", siteUrl.toUtf8());

        QString form = "<form name=\"offer\" method=\"post\" action=\"/MyTradeMe/MakeAnOffer.aspx?id=5\">\r\n"
                       "<input name=\"back\" value=\"/MyTradeMe/MakeAnOffer.aspx\">\r\n</form>";
        QVERIFY(SaveSubmitPage(form, actionPath, "offer", "VNTMOF", addId));
        const QString page = "<html><head></head><body onload=offer.submit()>\r\n" + expectedForm + "\r\n</body></html>";
        QCOMPARE(form, page);
        QCOMPARE(readFile(programFile("VNTMOF.sub")), page);
    }

    // The id goes at the end of the opening tag, not at a ">" in one of its values.
    void saveSubmitPageIdAfterAQuotedGreaterThan()
    {
        QString form = "<form title=\"Offer > Send\" method=\"post\" action=\"/MyTradeMe/MakeAnOffer.aspx?id=5\">\r\n</form>";
        QVERIFY(SaveSubmitPage(form, "/MyTradeMe/MakeAnOffer.aspx", "offer", "VNTMOF", true));
        QVERIFY2(form.contains("<form title=\"Offer > Send\" method=\"post\" action=\"" + Site + "/MyTradeMe/MakeAnOffer.aspx?id=5\" id=offer>"),
                 qPrintable(form));
    }

    void saveSubmitPageWithoutTheActionPath()
    {
        const QString original = "<form name=\"offer\" action=\"/MyTradeMe/MakeAnOffer.aspx\">\r\n</form>";
        QString form = original;
        QVERIFY(!SaveSubmitPage(form, "/Sell/List.aspx", "offer", "VNTMOF", true));
        QCOMPARE(form, original);
        QVERIFY(!QFile::exists(programFile("VNTMOF.sub")));
    }

    void getBidderInputs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString bidders = "<input name=\"bidder_id_1\" type=\"checkbox\" value=\"301\">\r\n"
                                "<input name=\"bidder_id_2\" type=\"checkbox\" value=\"302\">\r\n";
        QTest::newRow("between the first bidder and hasbidders")
            << "<form action=\"/MyTradeMe/MakeAnOffer.aspx\">\r\n<input name=\"price\">\r\n" + bidders +
                   "<input name=\"hasbidders\" value=\"1\">\r\n<input name=\"submit\">\r\n</form>"
            << bidders;
        QTest::newRow("any case") << "<INPUT NAME=\"BIDDER_ID_1\" VALUE=\"301\"><INPUT NAME=\"HasBidders\" VALUE=\"1\">"
                                  << "<INPUT NAME=\"BIDDER_ID_1\" VALUE=\"301\">";
        QTest::newRow("no bidders") << "<input name=\"price\">\r\n<input name=\"hasbidders\" value=\"0\">\r\n" << "";
        QTest::newRow("no hasbidders") << "<input name=\"price\">\r\n" + bidders << "";
        QTest::newRow("hasbidders only before the bidders") << "<input name=\"hasbidders\" value=\"1\">\r\n" + bidders << "";
    }
    void getBidderInputs()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(GetBidderInputs(text), expected);
    }

    void fillTemplateEscapesValuesAndMovesSiteAddresses()
    {
        qputenv("VENDARO_SITE_URL", StandIn.toUtf8());
        QFile frm(programFile("VNTMXX.frm"));
        QVERIFY(frm.open(QIODevice::WriteOnly));
        frm.write("<form action=\"https://www.trademe.co.nz/Members/Login.aspx\">\n"
                  "<input name=\"a\" value=\"[A]\">\n"
                  "<a href=\"http://www.trademe.co.nz/Browse/Listing.aspx?id=1\">[B]</a>\n"
                  "<a href=\"https://www.example.com/\">elsewhere</a>\n");
        frm.close();

        QVERIFY(FillTemplate("VNTMXX", {{"[A]", "say \"hi\" & <bye>"}, {"[B]", "Kāpiti"}}, true));
        const QString page = readFile(programFile("VNTMXX.sub"));
        QVERIFY2(page.contains("<form action=\"" + StandIn + "/Members/Login.aspx\">"), qPrintable(page));
        QVERIFY(page.contains("value=\"say &quot;hi&quot; &amp; &lt;bye&gt;\""));
        QVERIFY(page.contains("<a href=\"" + StandIn + "/Browse/Listing.aspx?id=1\">Kāpiti</a>"));
        QVERIFY(page.contains("https://www.example.com/"));
        QVERIFY(!page.contains("trademe.co.nz"));
        // Only the seller may read a page written for the owner only.
        const QFileDevice::Permissions p = QFile::permissions(programFile("VNTMXX.sub"));
        QVERIFY(p & QFileDevice::ReadOwner);
        QVERIFY(!(p & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
    }

    void fillTemplateWithoutTheTemplate()
    {
        env->messages().answer(vbmsg::OK, "VNTMXX.frm is missing");
        QVERIFY(!FillTemplate("VNTMXX", {{"[A]", "a"}}));
        QCOMPARE(env->messages().prompts().value(0).style, int(vbmsg::Critical));
        QVERIFY(!QFile::exists(programFile("VNTMXX.sub")));
    }

    // --- The feedback page ---

    void feedbackPageAuctionNumber_data()
    {
        QTest::addColumn<QString>("auction");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "2150001" << "2150001";
        QTest::newRow("second sale A") << "2150001A" << "2150001";
        QTest::newRow("second sale B") << "2150001B" << "2150001";
        QTest::newRow("lower-case a stays") << "2150001a" << "2150001a";
        QTest::newRow("a fourth sale D") << "2150001D" << "2150001";
        QTest::newRow("two letters stay") << "2150001AB" << "2150001AB";
        QTest::newRow("a word stays") << "MISC" << "MISC";
    }
    void feedbackPageAuctionNumber()
    {
        QFETCH(QString, auction);
        QFETCH(QString, expected);
        QVERIFY(CreateFeedbackPage("VNTMFB", auction, "Thanks", "123", "successful_bidder"));
        QCOMPARE(fieldValue(readFile(programFile("VNTMFB.sub")), "auctionid"), expected);
    }

    void feedbackPage_data()
    {
        QTest::addColumn<QString>("siteUrl");  // empty: the built-in site
        QTest::newRow("built-in site") << "";
        QTest::newRow("configured site") << StandIn;
    }
    void feedbackPage()
    {
        QFETCH(QString, siteUrl);
        if (!siteUrl.isEmpty()) qputenv("VENDARO_SITE_URL", siteUrl.toUtf8());
        const QString comment = "Great \"kiwi\" buyer & quick <3";
        const QTime before = QTime::currentTime();
        QVERIFY(CreateFeedbackPage("VNTMFB", "2150001", comment, "123", "offer_recipient"));
        const QTime after = QTime::currentTime();

        const QString page = readFile(programFile("VNTMFB.sub"));
        QVERIFY2(page.contains("action=\"" + (siteUrl.isEmpty() ? Site : siteUrl) + "/MyTradeMe/Feedback/Place.aspx\""), qPrintable(page));
        QCOMPARE(fieldValue(page, "memberid"), QStringLiteral("123"));
        QCOMPARE(fieldValue(page, "auctionid"), QStringLiteral("2150001"));
        QCOMPARE(fieldValue(page, "feedback"), QStringLiteral("Great &quot;kiwi&quot; buyer &amp; quick &lt;3"));
        QCOMPARE(unescape(fieldValue(page, "feedback")), comment);
        QCOMPARE(fieldValue(page, "role"), QStringLiteral("offer_recipient"));
        QCOMPARE(fieldValue(page, "rating"), QStringLiteral("positive"));

        // The present time, on the twelve-hour clock.
        const QString time = fieldValue(page, "time");
        QVERIFY2(QRegularExpression("^(1[0-2]|[1-9]):[0-5][0-9]:[0-5][0-9] (AM|PM)$").match(time).hasMatch(), qPrintable(time));
        const QTime placed = QTime::fromString(time, "h:mm:ss AP");
        QVERIFY(placed.isValid());
        // A time while the page was made, to the nearest second, however long
        // that took; midnight may pass meanwhile.
        const auto since = [&before](const QTime& t) {
            int secs = (before.secsTo(t) + 86400) % 86400;
            return secs > 43200 ? secs - 86400 : secs;
        };
        QVERIFY2(since(placed) >= -1 && since(placed) <= since(after) + 1, qPrintable(time));
    }

    void filledValuesAreNeverRewritten()
    {
        // A comment or password holding a template code or the built-in site's
        // address reaches the site as typed.
        qputenv("VENDARO_SITE_URL", StandIn.toUtf8());
        const QString comment = "Arrived by [TIME] for [MEMBERID], see https://www.trademe.co.nz/a";
        QVERIFY(CreateFeedbackPage("VNTMFB", "2150001", comment, "123", "successful_bidder"));
        const QString page = readFile(programFile("VNTMFB.sub"));
        QCOMPARE(unescape(fieldValue(page, "feedback")), comment);
        QCOMPARE(fieldValue(page, "memberid"), QStringLiteral("123"));
        QVERIFY(page.contains("action=\"" + StandIn + "/MyTradeMe/Feedback/Place.aspx\""));
    }

    void feedbackPageWithoutItsTemplate()
    {
        QVERIFY(QFile::remove(programFile("VNTMFB.frm")));
        env->messages().answer(vbmsg::OK, "VNTMFB.frm is missing");
        QVERIFY(!CreateFeedbackPage("VNTMFB", "2150001", "Thanks", "123", "successful_bidder"));
        QCOMPARE(env->messages().prompts().value(0).style, int(vbmsg::Critical));
        QVERIFY(!QFile::exists(programFile("VNTMFB.sub")));
    }

    // --- Leaving feedback ---

    void placeFeedback_data()
    {
        QTest::addColumn<QString>("memberPageQuery");
        QTest::addColumn<QString>("auction");
        QTest::addColumn<QString>("auctionType");
        QTest::addColumn<QString>("postedAuction");
        QTest::addColumn<QString>("role");
        QTest::newRow("auction, member number ends the address") << "" << "2150001A" << "" << "2150001" << "successful_bidder";
        QTest::newRow("fixed price offer") << "&type=all" << "2150001" << "O" << "2150001" << "offer_recipient";
        QTest::newRow("only an upper-case O is an offer") << "&type=all" << "2150001B" << "o" << "2150001" << "successful_bidder";
    }
    void placeFeedback()
    {
        QFETCH(QString, memberPageQuery);
        QFETCH(QString, auction);
        QFETCH(QString, auctionType);
        QFETCH(QString, postedAuction);
        QFETCH(QString, role);
        site.memberPageQuery = memberPageQuery;
        const QString comment = "Top \"kiwi\" buyer & quick payer";
        startFeedback("sean1", auction, comment, auctionType);
        QTRY_VERIFY(feedbackFinished());

        QCOMPARE(results.last(), 1);
        QCOMPARE(results.count(0), results.size() - 1);
        QCOMPARE(step, 0);
        QVERIFY(browser->navigations().last().endsWith("VNTM.sub"));
        QVERIFY(!browser->Busy());
        QCOMPARE(site.posted.size(), 1);
        const QString posted = site.posted.first();
        QCOMPARE(fieldValue(posted, "memberid"), QStringLiteral("123"));
        QCOMPARE(fieldValue(posted, "auctionid"), postedAuction);
        QCOMPARE(fieldValue(posted, "feedback"), QStringLiteral("Top &quot;kiwi&quot; buyer &amp; quick payer :)"));
        QCOMPARE(fieldValue(posted, "role"), role);
        QVERIFY(!QFile::exists(programFile("VNTMFB.sub")));
        QVERIFY(QFile::exists(programFile("VNTM.sub")));
    }

    void placeFeedbackWaitsForTheSite()
    {
        // The first page is off the site, although its address names a member.
        site.detour = "https://www.example.com/welcome?member=5";
        startFeedback("sean1", "2150001", "Thanks", "");
        QTRY_VERIFY(feedbackFinished());
        QCOMPARE(results.first(), 0);
        QCOMPARE(steps.first(), 1);
        QCOMPARE(results.last(), 1);
        QCOMPARE(fieldValue(site.posted.value(0), "memberid"), QStringLiteral("123"));
    }

    void placeFeedbackFails_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("posted");
        QTest::newRow("placed before") << "sean1" << FeedbackRefused << "Feedback has already been placed for this member." << true;
        QTest::newRow("unknown buyer") << "nobody_here" << FeedbackPlaced << "Could not retrieve member number (nobody_here)." << false;
        QTest::newRow("site failure") << "sean1" << "Sorry, something went wrong." << "Possible cause:" << true;
    }
    void placeFeedbackFails()
    {
        QFETCH(QString, member);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        QFETCH(bool, posted);
        site.answer = answer;
        env->messages().answer(vbmsg::OK, message);
        startFeedback(member, "2150001", "Thanks", "");
        QTRY_VERIFY(feedbackFinished());

        QCOMPARE(results.last(), -1);
        QCOMPARE(step, 0);
        QCOMPARE(env->messages().prompts().value(0).style, int(vbmsg::Exclamation));
        QCOMPARE(site.posted.size(), posted ? 1 : 0);
        QVERIFY(!navigatedTo("VNTM.sub"));
        QVERIFY(!browser->Busy());
        QVERIFY(!QFile::exists(programFile("VNTMFB.sub")));
        QCOMPARE(caller.windowState(), Qt::WindowNoState);
    }

    void showFeedbackError_data()
    {
        QTest::addColumn<bool>("noMemberNumber");
        QTest::addColumn<QString>("pageText");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("withCaller");
        QTest::newRow("no member number")
            << true << "" << "Feedback failed - Could not retrieve member number (sean1).\r\n\r\nPossible cause:" << true;
        QTest::newRow("placed before, any case")
            << false << "Feedback\r\nYOU MAY ONLY PLACE FEEDBACK ONCE ON AN AUCTION." << "Feedback has already been placed for this member."
            << true;
        QTest::newRow("anything else") << false << "Sorry, something went wrong." << "Possible cause:" << true;
        QTest::newRow("without a caller window") << false << "" << "Possible cause:" << false;
    }
    void showFeedbackError()
    {
        QFETCH(bool, noMemberNumber);
        QFETCH(QString, pageText);
        QFETCH(QString, message);
        QFETCH(bool, withCaller);
        FakeBrowser b;
        env->messages().answer(vbmsg::OK, message);
        ShowFeedbackError(withCaller ? &caller : nullptr, &b, "sean1", pageText, noMemberNumber, false);
        const auto& prompt = env->messages().prompts().value(0);
        QCOMPARE(prompt.style, int(vbmsg::Exclamation));
        QCOMPARE(prompt.title, ctx().gAppTitle);
        // The caller's window is as it was before the message.
        QCOMPARE(caller.windowState(), Qt::WindowNoState);
    }

    // While the message is up the site's page covers the window: at the size
    // the window has once its maximise has taken effect, and at a size the
    // seller gives it then. Afterwards the window and the page are as they were.
    void feedbackPageCoversTheWindow_data()
    {
        QTest::addColumn<bool>("resized");
        QTest::newRow("maximised") << false;
        QTest::newRow("resized while the message is up") << true;
    }
    void feedbackPageCoversTheWindow()
    {
        QFETCH(bool, resized);
        QWidget window;
        window.resize(640, 360);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize normal = window.size();
        ViewedBrowser b;
        QWidget* page = b.widget();
        page->setParent(&window);
        const QRect away(-5000, 0, 81, 40);
        page->setGeometry(away);
        page->hide();

        QList<QRect> pageAt, windowAt;
        env->messages().whileShown = [&](const ScriptedMessages::Prompt&) {
            QTRY_VERIFY(window.isMaximized() && window.size() != normal);
            pageAt << page->geometry();
            windowAt << window.rect();
            QVERIFY(page->isVisible());
            if (!resized) return;
            const QSize smaller = window.size() - QSize(150, 100);
            window.resize(smaller);
            QTRY_COMPARE(window.size(), smaller);
            pageAt << page->geometry();
            windowAt << window.rect();
        };
        env->messages().answer(vbmsg::OK, "Could not leave feedback for member: sean1");
        ShowFeedbackError(&window, &b, "sean1", "Sorry, something went wrong.", false, false);
        env->messages().whileShown = nullptr;

        QCOMPARE(pageAt.size(), resized ? 2 : 1);
        QCOMPARE(pageAt, windowAt);
        QCOMPARE(window.windowState(), Qt::WindowNoState);
        // A size the seller gave the window is its size from then on.
        if (!resized) QTRY_COMPARE(window.size(), normal);
        QCOMPARE(page->geometry(), away);
        QVERIFY(!page->isVisible());
        // Put back, the page no longer follows the window.
        window.resize(700, 400);
        QTRY_COMPARE(window.size(), QSize(700, 400));
        QCOMPARE(page->geometry(), away);
    }
};

VENDARO_TEST_MAIN(tst_webprocessing)
#include "tst_webprocessing.moc"
