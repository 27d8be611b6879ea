#include "SellPages.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

QString esc(const QString& text) { return text.toHtmlEscaped(); }

const char* const boxNames[] = {"gallerycheckbox", "boldtitlecheckbox", "featurecheckbox", "combocheckbox", "homepagecheckbox"};
const char* const renamedBoxes[] = {"gallery_box", "boldtitle_box", "feature_box", "combo_box", "homepage_box"};
const char* const boxCaptions[] = {"Gallery: shows a photo in search results ($0.95)", "Bold title ($0.50)", "Feature ($4.95)",
                                   "Feature combo: feature and gallery ($5.50)", "Homepage feature ($49.00)"};

// "9:00 pm" (any case, the blank optional): minutes after midnight, or -1.
int endMinute(const QString& text)
{
    static const QRegularExpression time(QStringLiteral(R"(^(\d{1,2}):(\d{2}) ?(am|pm)$)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = time.match(text.trimmed());
    if (!m.hasMatch()) return -1;
    const int hour = m.captured(1).toInt(), minute = m.captured(2).toInt();
    if (hour < 1 || hour > 12 || minute > 59) return -1;
    return (hour % 12 + (m.captured(3).toLower() == QLatin1String("pm") ? 12 : 0)) * 60 + minute;
}

QString endHourText(int minute)
{
    const int hour = minute / 60;
    return QStringLiteral("%1:%2 %3").arg(hour % 12 == 0 ? 12 : hour % 12).arg(minute % 60, 2, 10, QLatin1Char('0')).arg(QLatin1String(hour < 12 ? "am" : "pm"));
}

bool price(const QString& text, double* value)
{
    bool ok = false;
    *value = text.trimmed().toDouble(&ok);  // C locale: "12.5", never "12,5"
    return ok && *value >= 0;
}

bool fixedLength(const QString& minutes, int* days)
{
    bool ok = false;
    const int m = minutes.toInt(&ok);
    if (!ok || m % 1440 != 0) return false;
    *days = m / 1440;
    return (*days >= 1 && *days <= 7) || *days == 10;
}

}  // namespace

QString SellPages::Price(double value, bool emptyForZero)
{
    if (emptyForZero && value == 0) return QString();
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

QStringList SellPages::FeatureBoxes(bool renamed)
{
    QStringList names;
    for (const char* name : renamed ? renamedBoxes : boxNames) names << QLatin1String(name);
    return names;
}

QString SellPages::ListingForm(const StandInSite::Listing& from, bool relist, bool renamed, const QDate& today)
{
    const bool reserve = from.reservePrice > from.startPrice;
    int days = 7;
    const bool scheduled = from.length == QLatin1String("Scheduled enddate");
    if (!scheduled) {
        const int n = from.length.section(u' ', 0, 0).toInt();
        if ((n >= 1 && n <= 7) || n == 10) days = n;
    }
    QString lengths;
    for (int n : {1, 2, 3, 4, 5, 6, 7, 10})
        lengths += QStringLiteral("<option value=\"%1\"%2>%3 day%4</option>")
                       .arg(n * 1440)
                       .arg(n == days ? QStringLiteral(" selected") : QString())
                       .arg(n)
                       .arg(QLatin1String(n == 1 ? "" : "s"));
    QString endDays;
    for (int n = 1; n <= 10; ++n) {
        const QDate d = today.addDays(n);
        endDays += QStringLiteral("<option value=\"%1\">%2</option>").arg(d.toString(QStringLiteral("dd/MM/yyyy")), QLocale::c().toString(d, QStringLiteral("ddd d MMM")));
    }
    QString endHours;
    for (int m = 0; m < 1440; m += 15) endHours += QStringLiteral("<option value=\"%1\">%1</option>").arg(endHourText(m));
    // User text goes in last, in one pass: a "%1" in a title stays text.
    return QStringLiteral(
               "<h1>%1</h1>\n<p>Required fields are shown with a <span class=\"required\">*</span></p>\n"
               "<form method=\"post\" action=\"/sell/details2.aspx\" name=\"newlisting_form\" id=\"newlisting_form\">\n"
               "<input type=\"hidden\" name=\"listingid\" value=\"%13\">\n"
               "<input type=\"hidden\" name=\"action\" value=\"%2\">\n"
               "<p>Title * <input name=\"%3\" type=\"text\" maxlength=\"80\" value=\"%14\"></p>\n"
               "<p>Description *<br>\n<textarea name=\"body\" rows=\"10\" cols=\"60\">%15</textarea></p>\n"
               "<p>Start price * $<input name=\"startprice\" type=\"text\" value=\"%4\"></p>\n"
               "<p><input name=\"start_eq_reserve\" type=\"checkbox\" value=\"1\"%5> Reserve is the same as the start price</p>\n"
               "<p>Reserve price $<input name=\"reserveprice\" type=\"text\" value=\"%6\"></p>\n"
               "<p>Buy Now price $<input name=\"buynowprice\" type=\"text\" value=\"%7\"></p>\n"
               "<p>Duration *</p>\n"
               "<p><input type=\"radio\" name=\"duration_type\" id=\"listingDurationFixedRadio\" value=\"easy\"%8> Fixed length\n"
               "<select name=\"auction_length\">%9</select></p>\n"
               "<p><input type=\"radio\" name=\"duration_type\" id=\"listingDurationScheduledRadio\" value=\"advanced\"%10> Scheduled end\n"
               "<select name=\"set_end_days\">%11</select>\n<select name=\"set_end_hour\">%12</select></p>\n"
               "<p><input type=\"submit\" value=\"Continue\"></p>\n</form>")
        .arg(relist ? QStringLiteral("Relist your item") : QStringLiteral("Sell a similar item"),
             relist ? QStringLiteral("relist") : QStringLiteral("sell_similar"), renamed ? QStringLiteral("listing_title") : QStringLiteral("title"),
             Price(from.startPrice), reserve ? QString() : QStringLiteral(" checked"), reserve ? Price(from.reservePrice) : QString(),
             Price(from.buyNowPrice, true), scheduled ? QString() : QStringLiteral(" checked"), lengths)
        .arg(scheduled ? QStringLiteral(" checked") : QString(), endDays, endHours, esc(from.id), esc(from.title), esc(from.body));
}

QString SellPages::PhotoForm(const QString& draft)
{
    return QStringLiteral("<form method=\"post\" action=\"/sell/extras2.aspx\" enctype=\"multipart/form-data\" name=\"photoform\">\n"
                          "<input type=\"hidden\" name=\"draft\" value=\"%1\">\n"
                          "<input type=\"hidden\" name=\"step\" value=\"photos\">\n"
                          "<p>Photo 1 <input name=\"photo1\" type=\"file\"></p>\n"
                          "<p><input type=\"submit\" value=\"Continue\"></p>\n</form>")
        .arg(esc(draft));
}

QString SellPages::ExtrasForm(const QString& draft, const StandInSite::Listing& from, bool renamed)
{
    const bool ticked[] = {from.gallery, from.bold, from.featured, false, from.homepage};
    const QStringList names = FeatureBoxes(renamed);
    QString boxes;
    // The tick stands before the name, as the site writes it.
    for (int i = 0; i < 5; ++i)
        boxes += QStringLiteral("<p><input type=\"checkbox\"%1 name=\"%2\" value=\"1\"> %3</p>\n")
                     .arg(ticked[i] ? QStringLiteral(" checked") : QString(), names[i], esc(QLatin1String(boxCaptions[i])));
    return QStringLiteral("<form method=\"post\" action=\"/sell/extras2.aspx\" name=\"extras\" id=\"extras\">\n"
                          "<input type=\"hidden\" name=\"draft\" value=\"%1\">\n"
                          "<input type=\"hidden\" name=\"step\" value=\"extras\">\n%2"
                          "<p><input type=\"submit\" value=\"Continue\"></p>\n</form>")
        .arg(esc(draft), boxes);
}

QString SellPages::ConfirmForm(const QString& draft, const QMap<QString, QString>& details, const QStringList& features)
{
    const auto row = [](const QString& caption, const QString& value) {
        return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(caption, esc(value));
    };
    const QString type = details.value(QStringLiteral("duration_type"));
    const QString duration = type == QLatin1String("easy")
                                 ? QStringLiteral("%1 days").arg(details.value(QStringLiteral("auction_length")).toInt() / 1440)
                                 : details.value(QStringLiteral("set_end_days")) + u' ' + details.value(QStringLiteral("set_end_hour"));
    return QStringLiteral("<table id=\"summary\">\n%1%2%3%4%5%6</table>\n"
                          "<form method=\"post\" action=\"/sell/confirm2.aspx\" name=\"newlisting_finished_form\" id=\"newlisting_finished_form\">\n"
                          "<input type=\"hidden\" name=\"draft\" value=\"%7\">\n"
                          "<p><input type=\"submit\" value=\"List my auction\"></p>\n</form>")
        .arg(row(QStringLiteral("Title"), details.value(QStringLiteral("title"))),
             row(QStringLiteral("Start price"), details.value(QStringLiteral("startprice"))),
             row(QStringLiteral("Reserve price"), details.value(QStringLiteral("start_eq_reserve")) == QLatin1String("1")
                                                       ? QStringLiteral("same as start price")
                                                       : details.value(QStringLiteral("reserveprice"))),
             row(QStringLiteral("Buy Now price"), details.value(QStringLiteral("buynowprice"))), row(QStringLiteral("Duration"), duration),
             row(QStringLiteral("Extras"), features.join(QStringLiteral(", "))), esc(draft));
}

QString SellPages::DetailsRefusal(const QMap<QString, QString>& d, const QDate& today)
{
    if (d.value(QStringLiteral("title")).trimmed().isEmpty()) return QStringLiteral("Please enter a title.");
    double start = 0, reserve = 0, buyNow = 0;
    if (!price(d.value(QStringLiteral("startprice")), &start) || start < 0.5)
        return QStringLiteral("Please enter a start price of at least $0.50.");
    reserve = start;
    if (d.value(QStringLiteral("start_eq_reserve")) != QLatin1String("1") &&
        (!price(d.value(QStringLiteral("reserveprice")), &reserve) || reserve < start))
        return QStringLiteral("The reserve price must be equal or greater than the start price.");
    const QString buyNowText = d.value(QStringLiteral("buynowprice")).trimmed();
    if (!buyNowText.isEmpty() && (!price(buyNowText, &buyNow) || buyNow < reserve))
        return QStringLiteral("The Buy Now price must be equal or greater than the reserve price.");
    const QString type = d.value(QStringLiteral("duration_type"));
    int days = 0;
    if (type == QLatin1String("easy")) {
        if (!fixedLength(d.value(QStringLiteral("auction_length")), &days)) return QStringLiteral("Please choose the length of your auction.");
    } else if (type == QLatin1String("advanced")) {
        const QDate end = QDate::fromString(d.value(QStringLiteral("set_end_days")), QStringLiteral("dd/MM/yyyy"));
        const qint64 ahead = end.isValid() ? today.daysTo(end) : 0;
        if (ahead < 1 || ahead > 10 || endMinute(d.value(QStringLiteral("set_end_hour"))) < 0)
            return QStringLiteral("Please choose when your auction ends.");
    } else {
        return QStringLiteral("Please choose the length of your auction.");
    }
    return QString();
}

StandInSite::Listing SellPages::NewListing(const QMap<QString, QString>& d, const QStringList& features, const QDateTime& start)
{
    StandInSite::Listing l;
    l.kind = QStringLiteral("current");
    l.title = d.value(QStringLiteral("title"));
    l.body = d.value(QStringLiteral("body"));
    l.start = start;
    l.startPrice = d.value(QStringLiteral("startprice")).toDouble();
    l.reservePrice = d.value(QStringLiteral("start_eq_reserve")) == QLatin1String("1") ? 0 : d.value(QStringLiteral("reserveprice")).toDouble();
    l.buyNowPrice = d.value(QStringLiteral("buynowprice")).toDouble();
    if (d.value(QStringLiteral("duration_type")) == QLatin1String("easy")) {
        const int days = d.value(QStringLiteral("auction_length")).toInt() / 1440;
        l.end = start.addDays(days);
        l.length = QStringLiteral("%1 days").arg(days);
    } else {
        const QDate date = QDate::fromString(d.value(QStringLiteral("set_end_days")), QStringLiteral("dd/MM/yyyy"));
        const int minute = endMinute(d.value(QStringLiteral("set_end_hour")));
        l.end = QDateTime(date, QTime(minute / 60, minute % 60));
        l.length = QStringLiteral("Scheduled enddate");
    }
    const QStringList boxes = FeatureBoxes();
    const auto ticked = [&](int i) { return features.contains(boxes[i]); };
    l.gallery = ticked(0) || ticked(3);
    l.bold = ticked(1);
    l.featured = ticked(2) || ticked(3);
    l.homepage = ticked(4);
    return l;
}
