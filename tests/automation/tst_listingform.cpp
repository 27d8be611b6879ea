// The listing and extras forms rewritten for a relist, checked on what a
// browser would post from the rewritten form.

#include "TestEnvironment.h"
#include "automation/ListingForm.h"
#include "core/modWebProcessing.h"
#include "platform/Vb.h"

#include <QLocale>
#include <QRegularExpression>

#include <optional>

namespace {

const QString CrLf = QStringLiteral("\r\n");

// The site's listing page as Chromium serialises it (document HTML).
const QString ChromiumPage = QStringLiteral(
    "<html><head></head><body><form method=\"get\" action=\"/Browse/SearchResults.aspx\"><input name=\"searchstring\" type=\"text\"></form>\n"
    "<p>Required fields are shown with a <span>*</span></p>\n"
    "<form method=\"post\" action=\"/sell/details2.aspx\" name=\"newlisting_form\" id=\"newlisting_form\">\n"
    "<input type=\"hidden\" name=\"listingid\" value=\"4001\">\n"
    "<p>Title * <input name=\"title\" type=\"text\" maxlength=\"80\" value=\"Old &quot;title&quot;\"></p>\n"
    "<p>Description<br>\n<textarea name=\"body\" rows=\"10\" cols=\"60\">Old description\nsecond line</textarea></p>\n"
    "<p>Start price * $<input name=\"startprice\" type=\"text\" value=\"20\"></p>\n"
    "<p><input name=\"start_eq_reserve\" type=\"checkbox\" value=\"1\" checked=\"\"> Reserve is the same as the start price</p>\n"
    "<p>Reserve price $<input name=\"reserveprice\" type=\"text\" value=\"\"></p>\n"
    "<p>Buy Now price $<input name=\"buynowprice\" type=\"text\" value=\"50\"></p>\n"
    "<p><input type=\"radio\" name=\"duration_type\" id=\"listingDurationFixedRadio\" value=\"easy\" checked=\"\"> Fixed\n"
    "<select name=\"auction_length\"><option value=\"1440\">1 day</option><option value=\"10080\" selected=\"\">7 days</option></select></p>\n"
    "<p><input type=\"radio\" name=\"duration_type\" id=\"listingDurationScheduledRadio\" value=\"advanced\"> Scheduled\n"
    "<select name=\"set_end_days\"><option value=\"01/01/2030\">Tue 1 Jan</option></select>\n"
    "<select name=\"set_end_hour\"><option value=\"8:00 am\">8:00 am</option></select></p>\n"
    "<p><input type=\"submit\" value=\"Continue\"></p>\n</form></body></html>");

// The same form as an old page's upper-case source (names still in double quotes).
const QString UpperCasePage = QStringLiteral(
    "<HTML><BODY><P>REQUIRED FIELDS ARE SHOWN WITH A *</P>\r\n"
    "<FORM METHOD=\"POST\" ACTION=\"/sell/details2.aspx\" NAME=\"newlisting_form\">\r\n"
    "<INPUT TYPE=\"HIDDEN\" NAME=\"listingid\" VALUE=\"4001\">\r\n"
    "<INPUT NAME=\"title\" TYPE=\"TEXT\"\r\n VALUE=\"Old &quot;title&quot;\">\r\n"
    "<TEXTAREA NAME=\"body\" ROWS=\"10\">Old description\r\nsecond line</TEXTAREA>\r\n"
    "<INPUT NAME=\"startprice\" VALUE=\"20\">\r\n"
    "<INPUT TYPE=\"CHECKBOX\" NAME=\"start_eq_reserve\" VALUE=\"1\" CHECKED> Same as start\r\n"
    "<INPUT NAME=\"reserveprice\" VALUE=\"\">\r\n"
    "<INPUT NAME=\"buynowprice\" VALUE=\"50\">\r\n"
    "<INPUT TYPE=\"RADIO\" NAME=\"duration_type\" ID=\"listingDurationFixedRadio\" VALUE=\"easy\" CHECKED>\r\n"
    "<SELECT NAME=\"auction_length\"><OPTION VALUE=\"1440\">1 day<OPTION VALUE=\"10080\" SELECTED>7 days</SELECT>\r\n"
    "<INPUT TYPE=\"RADIO\" NAME=\"duration_type\" VALUE=\"advanced\">\r\n"
    "<SELECT NAME=\"set_end_days\"><OPTION VALUE=\"01/01/2030\">Tue 1 Jan</SELECT>\r\n"
    "<SELECT NAME=\"set_end_hour\"><OPTION VALUE=\"8:00 am\">8:00 am</SELECT>\r\n"
    "</FORM></BODY></HTML>");

// The extras form; ticks written before the name (as the site writes them) or after.
QString extrasForm(const QString& ticked, bool tickFirst = true)
{
    QString form = QStringLiteral("<form method=\"post\" action=\"/sell/extras2.aspx\" name=\"extras\" id=\"extras\">") + CrLf +
                   QStringLiteral("<input type=\"hidden\" name=\"draft\" value=\"D1\">") + CrLf;
    for (const QString box : {"gallerycheckbox", "boldtitlecheckbox", "featurecheckbox", "combocheckbox", "homepagecheckbox"}) {
        const QString tick = ticked.contains(box) ? QStringLiteral(" checked=\"\"") : QString();
        form += (tickFirst ? QStringLiteral("<input type=\"checkbox\"%1 name=\"%2\" value=\"1\">").arg(tick, box)
                           : QStringLiteral("<input type=\"checkbox\" name=\"%2\" value=\"1\"%1>").arg(tick, box)) +
                CrLf;
    }
    return form + QStringLiteral("</form>");
}

QString decode(QString text)
{
    text.replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
    return text.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

// What a browser posts from a form: the first of two equal attributes
// counts; boxes and radios only when ticked; a select's selected (or first)
// option; a text area's text. Later fields of one name go after a "|".
QMap<QString, QString> posted(const QString& form)
{
    static const QRegularExpression element(QStringLiteral(R"(<(input|select|textarea)\b([^>]*)>)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(QStringLiteral("([^\\s=\"'>/]+)(?:\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+)))?"));
    static const QRegularExpression option(QStringLiteral(R"(<option\b([^>]*)>)"), QRegularExpression::CaseInsensitiveOption);
    const auto attributes = [](const QString& text) {
        QMap<QString, QString> a;
        for (auto it = attribute.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString key = m.captured(1).toLower();
            if (!a.contains(key)) a.insert(key, decode(m.captured(2) + m.captured(3) + m.captured(4)));
        }
        return a;
    };
    QMap<QString, QString> fields;
    const auto add = [&](const QString& name, const QString& value) {
        if (name.isEmpty()) return;
        fields.insert(name, fields.contains(name) ? fields.value(name) + u'|' + value : value);
    };
    for (auto it = element.globalMatch(form); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString kind = m.captured(1).toLower();
        const QMap<QString, QString> a = attributes(m.captured(2));
        if (kind == QLatin1String("input")) {
            const QString type = a.value("type").toLower();
            if (type == QLatin1String("submit")) continue;
            if ((type == QLatin1String("checkbox") || type == QLatin1String("radio")) && !a.contains("checked")) continue;
            add(a.value("name"), a.contains("value") ? a.value("value") : (type == QLatin1String("checkbox") ? QStringLiteral("on") : QString()));
        } else if (kind == QLatin1String("textarea")) {
            const qsizetype start = m.capturedEnd();
            const qsizetype end = form.indexOf(QLatin1String("</textarea>"), start, Qt::CaseInsensitive);
            add(a.value("name"), decode(form.mid(start, end - start)));
        } else {
            const qsizetype end = form.indexOf(QLatin1String("</select>"), m.capturedEnd(), Qt::CaseInsensitive);
            const QString options = form.mid(m.capturedEnd(), end - m.capturedEnd());
            QString chosen, first;
            bool anyOption = false;
            for (auto o = option.globalMatch(options); o.hasNext();) {
                const QMap<QString, QString> oa = attributes(o.next().captured(1));
                if (!anyOption) first = oa.value("value");
                anyOption = true;
                if (oa.contains("selected") && chosen.isEmpty()) chosen = oa.value("value");
            }
            if (anyOption) add(a.value("name"), chosen.isEmpty() ? first : chosen);
        }
    }
    return fields;
}

RelistRecord record(const QString& title = QStringLiteral("New title"))
{
    RelistRecord r;
    r.AuctionId = "4001";
    r.Title = title;
    r.RelistAction = "Relist";
    r.StartPrice = 15;
    r.BuyNowPrice = 60.0;
    r.DurationFixed = true;
    r.DurationDays = 5;
    r.ExtraFeatures = ",";
    return r;
}

QString listingForm(const QString& page) { return modWebProcessing::ExtractForm(page, "newlisting_form", false); }

}  // namespace

class tst_listingform : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

private slots:
    void init()
    {
        env.emplace();
        vb::setClock(QDateTime(QDate(2026, 12, 11), QTime(10, 30)));
    }
    void cleanup()
    {
        vb::setClock(QDateTime());
        QLocale::setDefault(QLocale::c());
        env.reset();
    }

    // What the site receives from the rewritten listing form, for each kind of
    // record, from a Chromium-serialised page and from upper-case source.
    void fillListingForm_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("reserve");
        QTest::addColumn<QVariant>("buyNow");
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("time");
        QTest::addColumn<QString>("expected");  // field=value, ";" between

        for (const auto& [source, page] : {std::pair{"chromium", ChromiumPage}, std::pair{"upper case", UpperCasePage}}) {
            const auto row = [&](const char* name) -> QTestData& { return QTest::addRow("%s: %s", source, name) << page; };
            row("fixed 7 days with reserve") << 12.5 << 40.0 << QVariant(99.95) << true << 7 << 0.0
                                            << "startprice=12.5;start_eq_reserve=0;reserveprice=40;buynowprice=99.95;"
                                               "duration_type=easy;auction_length=10080;set_end_days=;set_end_hour=";
            row("scheduled 3 days at 9 pm") << 5.0 << 0.0 << QVariant(25.0) << false << 3 << 21.0 / 24
                                           << "startprice=5;start_eq_reserve=1;reserveprice=;buynowprice=25;"
                                              "duration_type=advanced;auction_length=;set_end_days=14/12/2026;set_end_hour=9:00 pm";
            row("scheduled 10 days before noon") << 5.0 << 0.0 << QVariant(25.0) << false << 10 << 45296.25
                                                << "duration_type=advanced;set_end_days=21/12/2026;set_end_hour=6:00 am";
            row("zero prices keep the site's") << 0.0 << 0.0 << QVariant(0.0) << true << 1 << 0.0
                                              << "startprice=20;buynowprice=50;duration_type=easy;auction_length=1440";
            row("null buy now empties it") << 15.0 << 0.0 << QVariant() << true << 10 << 0.0
                                          << "startprice=15;buynowprice=;auction_length=14400";
            row("no reserve, no duration: the site's") << 15.0 << 0.0 << QVariant(60.0) << true << 0 << 0.0
                                                      << "start_eq_reserve=1;reserveprice=;duration_type=easy;auction_length=10080";
            row("large amounts plain") << 1234567.0 << 2000000.0 << QVariant(2500000.5) << true << 7 << 0.0
                                      << "startprice=1234567;reserveprice=2000000;buynowprice=2500000.5";
        }
    }
    void fillListingForm()
    {
        QFETCH(QString, page);
        QFETCH(double, start);
        QFETCH(double, reserve);
        QFETCH(QVariant, buyNow);
        QFETCH(bool, fixed);
        QFETCH(int, days);
        QFETCH(double, time);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));  // the seller's locale never reaches the site
        RelistRecord r = record(QStringLiteral("Kauri bowl"));
        r.StartPrice = start;
        r.ReservePrice = reserve;
        r.BuyNowPrice = buyNow;
        r.DurationFixed = fixed;
        r.DurationDays = qint16(days);
        r.DurationTime = time;
        QString form = listingForm(page);
        QCOMPARE(ListingForm::FillListingForm(form, r), 0);
        QCOMPARE(ListingForm::FixBodyTextarea(form), 0);
        const QMap<QString, QString> fields = posted(form);
        QCOMPARE(fields.value("title"), QStringLiteral("Kauri bowl"));
        QCOMPARE(fields.value("listingid"), QStringLiteral("4001"));
        for (const QString& pair : expected.split(u';')) {
            const QString name = pair.section(u'=', 0, 0), value = pair.section(u'=', 1);
            QVERIFY2(fields.contains(name) || value.isEmpty(), qPrintable(name));
            QCOMPARE(fields.value(name), value);
        }
        // One value per field reaches the site: the radios became one field.
        for (const QString& value : fields) QVERIFY2(!value.contains(u'|'), qPrintable(value));
        QVERIFY(fields.value("body").endsWith("second line\r\n\r\n:)") || fields.value("body").endsWith("second line\n\r\n\r\n:)"));
    }

    // Titles that must arrive exactly as the seller wrote them, whatever they
    // hold; the rest of the form is not disturbed by them.
    void hostileTitles_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("quotes") << "Kauri \"bowl\" 12\" wide";
        QTest::newRow("markup") << "<b>Bold</b> & <script>alert(1)</script>";
        QTest::newRow("entity text") << "Fish &amp; chips &quot;dish&quot; &#60;";
        QTest::newRow("single quote") << "O'Brien's 'best'";
        QTest::newRow("placeholders") << "[DURATIONFIXED] [DURATIONDAYS] [DURATIONDATE] [DURATIONTIME]";
        QTest::newRow("form markers") << "listingDurationFixedRadio name=\"startprice\" </select> :)";
        QTest::newRow("percent codes") << "50%1 off %2";
        QTest::newRow("macrons") << "Tōtara māhoe bowl";
    }
    void hostileTitles()
    {
        QFETCH(QString, title);
        RelistRecord r = record(title);
        r.ReservePrice = 30;
        r.DurationFixed = false;
        r.DurationDays = 4;
        r.DurationTime = 0.5;
        QString form = listingForm(ChromiumPage);
        QCOMPARE(ListingForm::FillListingForm(form, r), 0);
        QCOMPARE(ListingForm::FixBodyTextarea(form), 0);
        const QMap<QString, QString> fields = posted(form);
        QCOMPARE(fields.value("title"), title);
        QCOMPARE(r.Title, title);
        QCOMPARE(fields.value("startprice"), QStringLiteral("15"));
        QCOMPARE(fields.value("reserveprice"), QStringLiteral("30"));
        QCOMPARE(fields.value("duration_type"), QStringLiteral("advanced"));
        QCOMPARE(fields.value("set_end_days"), QStringLiteral("15/12/2026"));
        QCOMPARE(fields.value("set_end_hour"), QStringLiteral("12:00 pm"));
        QCOMPARE(fields.value("body"), QStringLiteral("Old description\nsecond line\r\n\r\n:)"));
    }

    // The site's page holds the old title in the title box's value, where the
    // browser leaves "<" and ">" as they are: the form is cut whole, and the
    // title relisted unchanged arrives as it was.
    void siteTitlesHoldingMarkupCharacters_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("'>'") << "USB-C > HDMI adapter";
        QTest::newRow("'<'") << "Size < 10 cm";
        QTest::newRow("tags") << "<b>Bold</b> </textarea> <input name=\"body\"> </form>";
        QTest::newRow("quotes and ampersands") << "12\" > 10\" & 'wider'";
    }
    void siteTitlesHoldingMarkupCharacters()
    {
        QFETCH(QString, title);
        // As Chromium writes a value: "&" and '"' escaped, "<" and ">" not.
        const QString value = QString(title).replace("&", "&amp;").replace("\"", "&quot;");
        QString form = listingForm(QString(ChromiumPage).replace("value=\"Old &quot;title&quot;\"", "value=\"" + value + "\""));
        QCOMPARE(ListingForm::FillListingForm(form, record(title)), 0);
        QCOMPARE(ListingForm::FixBodyTextarea(form), 0);
        const QMap<QString, QString> fields = posted(form);
        QCOMPARE(fields.value("title"), title);
        QCOMPARE(fields.value("startprice"), QStringLiteral("15"));
        QCOMPARE(fields.value("buynowprice"), QStringLiteral("60"));
        QCOMPARE(fields.value("body"), QStringLiteral("Old description\nsecond line\r\n\r\n:)"));
    }

    // A description that names a field is text: the value goes to the field's own input.
    void descriptionNamingAField()
    {
        QString form = listingForm(QString(ChromiumPage).replace("Old description", "Write name=\"startprice\" and name=\"body\" here"));
        QCOMPARE(ListingForm::FillListingForm(form, record()), 0);
        QCOMPARE(ListingForm::FixBodyTextarea(form), 0);
        const QMap<QString, QString> fields = posted(form);
        QCOMPARE(fields.value("title"), QStringLiteral("New title"));
        QCOMPARE(fields.value("startprice"), QStringLiteral("15"));
        QCOMPARE(fields.value("body"), QStringLiteral("Write name=\"startprice\" and name=\"body\" here\nsecond line\r\n\r\n:)"));
    }

    // Positions far into a long form (a category list of thousands of options) are found.
    void longForm()
    {
        QString options;
        for (int i = 0; i < 3000; ++i) options += QStringLiteral("<option value=\"%1\">Category %1</option>").arg(i);
        const QString page = QString(ChromiumPage).replace("<input type=\"hidden\" name=\"listingid\"",
                                                           "<select name=\"category\">" + options + "</select>\n<input type=\"hidden\" name=\"listingid\"");
        QString form = listingForm(page);
        QVERIFY(form.size() > 100000);
        RelistRecord r = record();
        r.ReservePrice = 20;
        QCOMPARE(ListingForm::FillListingForm(form, r), 0);
        QCOMPARE(ListingForm::FixBodyTextarea(form), 0);
        const QMap<QString, QString> fields = posted(form);
        QCOMPARE(fields.value("title"), QStringLiteral("New title"));
        QCOMPARE(fields.value("reserveprice"), QStringLiteral("20"));
        QCOMPARE(fields.value("auction_length"), QStringLiteral("7200"));
        QVERIFY(fields.value("body").endsWith(":)"));
    }

    // Each part of the form the rewriting needs, missing: its code, and the form left as it came.
    void failureCodes_data()
    {
        QTest::addColumn<QString>("from");  // text of the Chromium form to change
        QTest::addColumn<QString>("to");
        QTest::addColumn<double>("reserve");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("code");
        QTest::newRow("title renamed") << "name=\"title\"" << "name=\"listing_title\"" << 10.0 << 7 << 11;
        QTest::newRow("title only in a select") << "<input name=\"title\" type=\"text\" maxlength=\"80\" value=\"Old &quot;title&quot;\">"
                                                << "<select name=\"title\"></select>" << 10.0 << 7 << 11;
        QTest::newRow("no start price") << "name=\"startprice\"" << "name=\"start_price\"" << 10.0 << 7 << 12;
        QTest::newRow("no buy now price") << "name=\"buynowprice\"" << "name=\"buy_now\"" << 10.0 << 7 << 14;
        QTest::newRow("no reserve box") << "name=\"start_eq_reserve\"" << "name=\"same_reserve\"" << 10.0 << 7 << 15;
        QTest::newRow("no reserve box, no reserve") << "name=\"start_eq_reserve\"" << "name=\"same_reserve\"" << 0.0 << 7 << 0;
        QTest::newRow("reserve box not an input") << "<input name=\"start_eq_reserve\" type=\"checkbox\" value=\"1\" checked=\"\">"
                                                  << "<select name=\"start_eq_reserve\"><option>1</option></select>" << 10.0 << 7 << 16;
        QTest::newRow("no reserve price") << "name=\"reserveprice\"" << "name=\"reserve\"" << 10.0 << 7 << 16;
        QTest::newRow("no duration radio") << "listingDurationFixedRadio" << "fixedLength" << 10.0 << 7 << 18;
        QTest::newRow("no duration radio, no duration") << "listingDurationFixedRadio" << "fixedLength" << 10.0 << 0 << 0;
        QTest::newRow("duration marker before any input") << "action=\"/sell/details2.aspx\""
                                                           << "action=\"/sell/details2.aspx\" class=\"listingDurationFixedRadio\"" << 0.0 << 7 << 19;
        QTest::newRow("no select after it") << "<select name=\"auction_length\"><option value=\"1440\">1 day</option><option value=\"10080\" selected=\"\">7 days</option></select>"
                                            << "" << 10.0 << 7 << 22;
    }
    void failureCodes()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(double, reserve);
        QFETCH(int, days);
        QFETCH(int, code);
        const QString page = QString(ChromiumPage).replace(from, to);
        QVERIFY(page != ChromiumPage);
        const QString original = listingForm(page);
        QString form = original;
        RelistRecord r = record();
        r.ReservePrice = reserve;
        r.DurationDays = qint16(days);
        QCOMPARE(ListingForm::FillListingForm(form, r), code);
        if (code != 0) QCOMPARE(form, original);
    }

    // The select ends after the duration radio, counted: 20, 21 and 22; and the
    // ends the reserve and the body need.
    void failureCodesOfCutForms_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("code");
        const QString head = "<form action=\"/sell/details2.aspx\">\r\n<input name=\"title\">\r\n<input name=\"startprice\">\r\n"
                             "<input name=\"buynowprice\">\r\n<input name=\"start_eq_reserve\">\r\n<input name=\"reserveprice\">\r\n";
        const QString radio = "<input type=\"radio\" id=\"listingDurationFixedRadio\">\r\n";
        const QString select = "<select name=\"x\"><option>1</option></select>\r\n";
        QTest::newRow("no select") << head + radio + "</form>" << 20;
        QTest::newRow("one select") << head + radio + select + "</form>" << 21;
        QTest::newRow("two selects") << head + radio + select + select + "</form>" << 22;
        QTest::newRow("three selects") << head + radio + select + select + select + "</form>" << 0;
        QTest::newRow("reserve input unclosed") << QString(head).replace("<input name=\"reserveprice\">\r\n", "<input name=\"reserveprice\"") << 17;
    }
    void failureCodesOfCutForms()
    {
        QFETCH(QString, form);
        QFETCH(int, code);
        RelistRecord r = record();
        r.ReservePrice = 25;
        const QString original = form;
        QCOMPARE(ListingForm::FillListingForm(form, r), code);
        if (code != 0) QCOMPARE(form, original);
        if (code == 0) QVERIFY(!form.contains("</select>"));
    }

    // The description box: the ":)" marker once, and code 99 without a box named body.
    void fixBodyTextarea_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("body");  // the posted description
        QTest::newRow("marker added") << "<form><textarea name=\"body\">Nice bowl</textarea></form>" << 0 << "Nice bowl\r\n\r\n:)";
        QTest::newRow("empty description") << "<form><textarea name=\"body\" rows=\"3\"></textarea></form>" << 0 << "\r\n\r\n:)";
        QTest::newRow("marker already there") << "<form><textarea name=\"body\">Nice :) bowl</textarea></form>" << 0 << "Nice :) bowl";
        QTest::newRow("unquoted name, upper case") << "<FORM><TEXTAREA NAME=body>Nice</TEXTAREA></FORM>" << 0 << "Nice\r\n\r\n:)";
        QTest::newRow("second box is the body") << "<form><textarea name=\"subtitle\">See name=\"body\" :)</textarea>\r\n"
                                                   "<textarea name=\"body\">Nice</textarea></form>"
                                                << 0 << "Nice\r\n\r\n:)";
        QTest::newRow("no body box") << "<form><textarea name=\"subtitle\">Nice</textarea></form>" << 99 << "";
        QTest::newRow("no text area") << "<form><input name=\"body\"></form>" << 99 << "";
        QTest::newRow("body box unclosed") << "<form><textarea name=\"body\">Nice</form>" << 99 << "";
    }
    void fixBodyTextarea()
    {
        QFETCH(QString, form);
        QFETCH(int, code);
        QFETCH(QString, body);
        const QString original = form;
        QCOMPARE(ListingForm::FixBodyTextarea(form), code);
        if (code != 0) {
            QCOMPARE(form, original);
            return;
        }
        QCOMPARE(posted(form).value("body"), body);
        QString again = form;
        QCOMPARE(ListingForm::FixBodyTextarea(again), 0);
        QCOMPARE(again, form);  // never a second marker
    }

    // The five feature boxes as the record's features say.
    void setExtraFeatures_data()
    {
        QTest::addColumn<QString>("ticked");    // boxes the site ticked
        QTest::addColumn<bool>("tickFirst");    // the site writes the tick before the name
        QTest::addColumn<QString>("features");  // the record's ExtraFeatures
        QTest::addColumn<QString>("expected");  // boxes posted ticked
        const QString all = "gallerycheckbox boldtitlecheckbox featurecheckbox combocheckbox homepagecheckbox";
        for (const bool first : {true, false}) {
            const auto row = [&](const char* name) -> QTestData& { return QTest::addRow("%s%s", name, first ? "" : " (tick after name)"); };
            row("empty list keeps the site's ticks") << "gallerycheckbox boldtitlecheckbox" << first << "" << "boldtitlecheckbox gallerycheckbox";
            row("a list without features clears all") << all << first << "," << "";
            row("combo is not feature") << "" << first << ",Feature combo," << "combocheckbox";
            row("feature is not combo") << "" << first << ",Feature," << "featurecheckbox";
            row("all five") << "" << first << ",Gallery,Bold title,Feature,Feature combo,Homepage feature," << all;
            row("sync's homepage spelling") << "" << first << ",Homepage featured," << "homepagecheckbox";
            row("some kept, some cleared") << "gallerycheckbox featurecheckbox" << first << ",Gallery,Bold title," << "boldtitlecheckbox gallerycheckbox";
            row("case matters") << "" << first << ",gallery,BOLD TITLE," << "";
        }
    }
    void setExtraFeatures()
    {
        QFETCH(QString, ticked);
        QFETCH(bool, tickFirst);
        QFETCH(QString, features);
        QFETCH(QString, expected);
        QString form = extrasForm(ticked, tickFirst);
        RelistRecord r = record();
        r.ExtraFeatures = features;
        QCOMPARE(ListingForm::SetExtraFeatures(form, r), 0);
        QStringList boxes = posted(form).keys();
        boxes.removeAll("draft");
        QStringList wanted = expected.split(u' ', Qt::SkipEmptyParts);
        wanted.sort();
        QCOMPARE(boxes, wanted);
    }

    // A box already as wanted is not touched; one to clear loses " checked" and nothing else.
    void checkboxTextChanges()
    {
        const QString ticked = "<form action=\"/sell/extras2.aspx\">\r\n<input name=\"gallerycheckbox\" type=\"checkbox\" checked>\r\n"
                               "<input name=\"boldtitlecheckbox\" type=\"checkbox\">\r\n<input name=\"featurecheckbox\" type=\"checkbox\">\r\n"
                               "<input name=\"combocheckbox\" type=\"checkbox\">\r\n<input name=\"homepagecheckbox\" type=\"checkbox\">\r\n</form>";
        RelistRecord r = record();
        r.ExtraFeatures = ",Gallery,";
        QString form = ticked;
        QCOMPARE(ListingForm::SetExtraFeatures(form, r), 0);
        QCOMPARE(form, ticked);
        r.ExtraFeatures = ",Bold title,";
        QCOMPARE(ListingForm::SetExtraFeatures(form, r), 0);
        QCOMPARE(form, QString(ticked)
                           .replace("type=\"checkbox\" checked>", "type=\"checkbox\">")
                           .replace("\"boldtitlecheckbox\" type=\"checkbox\">", "\"boldtitlecheckbox\" type=\"checkbox\" CHECKED>"));
    }

    void extrasFailureCodes_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("features");
        QTest::addColumn<int>("code");
        QTest::newRow("a box renamed") << "featurecheckbox" << "feature_box" << ",Gallery," << 30;
        QTest::newRow("renamed, no features listed") << "featurecheckbox" << "feature_box" << "" << 0;
        QTest::newRow("last box unclosed") << "name=\"homepagecheckbox\" value=\"1\">\r\n</form>" << "name=\"homepagecheckbox\" value=\"1\"" << "," << 31;
    }
    void extrasFailureCodes()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, features);
        QFETCH(int, code);
        const QString original = extrasForm("").replace(from, to);
        QVERIFY(original != extrasForm(""));
        QString form = original;
        RelistRecord r = record();
        r.ExtraFeatures = features;
        QCOMPARE(ListingForm::SetExtraFeatures(form, r), code);
        if (code != 0) QCOMPARE(form, original);
    }
};

VENDARO_TEST_MAIN(tst_listingform)
#include "tst_listingform.moc"
