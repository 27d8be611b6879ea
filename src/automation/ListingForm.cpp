#include "ListingForm.h"

#include "OfferCells.h"
#include "RelistOptionRules.h"
#include "platform/HtmlTag.h"
#include "platform/Vb.h"

#include <QList>
#include <QPair>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QLatin1String InputStart("<input ");

QString nameAttribute(const QString& name, bool leadingSpace)
{
    return (leadingSpace ? QStringLiteral(" name=\"") : QStringLiteral("name=\"")) + name.toLower() + u'"';
}

// The start of the input tag holding position p: the nearest "<input " at or
// before p, provided that tag has not ended before p. So a name written in a
// description never lends itself to the input before it.
qsizetype inputTagStart(const QString& lower, qsizetype p)
{
    const qsizetype s = lower.lastIndexOf(InputStart, p);
    if (s < 0) return -1;
    const qsizetype end = HtmlTag::End(lower, s);
    return end < 0 || end >= p ? s : -1;
}

// The first input tag at or after from that holds the name attribute; -1 when none.
qsizetype namedInput(const QString& lower, const QString& name, qsizetype from = 0)
{
    const QString attribute = nameAttribute(name, true);
    for (qsizetype p = lower.indexOf(attribute, from); p >= 0; p = lower.indexOf(attribute, p + 1)) {
        const qsizetype s = inputTagStart(lower, p);
        if (s >= 0) return s;
    }
    return -1;
}

bool isZero(const QVariant& value)
{
    if (value.isNull()) return false;  // Null is not 0: it empties the field
    bool number = false;
    const double v = value.toDouble(&number);
    return number && v == 0;
}

// A value as the form gets it: numbers in the C locale's shortest form,
// everything HTML-escaped (the site must receive the text exactly).
QString valueText(const QVariant& value)
{
    if (value.isNull()) return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return OfferCells::Plain(value.toDouble());
    default: return value.toString().toHtmlEscaped();
    }
}

// The form being rewritten, with the places where values were written, so
// that a later search for the form's own markup never lands in one of them (a
// title holding "listingDurationFixedRadio").
struct Form {
    QString& html;
    QString lower;
    QList<QPair<qsizetype, qsizetype>> written;  // [start, end) of values written

    explicit Form(QString& text) : html(text), lower(text.toLower()) {}

    void replace(qsizetype at, qsizetype length, const QString& text, bool isValue)
    {
        const qsizetype delta = text.size() - length;
        QList<QPair<qsizetype, qsizetype>> kept;
        for (auto [start, end] : written) {
            if (start >= at + length) kept.append({start + delta, end + delta});
            else if (end <= at) kept.append({start, end});
        }
        written = kept;
        if (isValue) written.append({at, at + text.size()});
        html.replace(at, length, text);
        lower.replace(at, length, text.toLower());
    }
    bool inWritten(qsizetype p) const
    {
        for (auto [start, end] : written)
            if (p >= start && p < end) return true;
        return false;
    }
    qsizetype findMarkup(const QString& what, qsizetype from = 0) const
    {
        qsizetype p = lower.indexOf(what, from);
        while (p >= 0 && inWritten(p)) p = lower.indexOf(what, p + 1);
        return p;
    }
};

// The value becomes the input's first attribute; a former value attribute
// stays behind it, and browsers keep the first of two.
bool setInputValue(Form& form, const QString& name, const QVariant& value, bool skipZero)
{
    if (skipZero && isZero(value)) return true;
    const qsizetype s = namedInput(form.lower, name);
    if (s < 0) return false;
    const QString text = valueText(value);
    const qsizetype at = s + InputStart.size();
    form.replace(at, 0, QStringLiteral("value=\"") + text + QStringLiteral("\" "), false);
    form.written.append({at + 7, at + 7 + text.size()});
    return true;
}

// Where an attribute " checked" starts within [from, to), or -1.
qsizetype checkedAttribute(const QString& lower, qsizetype from, qsizetype to)
{
    static const QLatin1String checked(" checked");
    for (qsizetype c = lower.indexOf(checked, from); c >= 0 && c < to; c = lower.indexOf(checked, c + 1)) {
        const qsizetype after = c + checked.size();
        if (after >= lower.size()) return c;
        const QChar next = lower.at(after);
        if (next == u'=' || next == u'>' || next == u'/' || next.isSpace()) return c;
    }
    return -1;
}

int setCheckbox(QString& html, const QString& checkboxName, const QString& feature, const QString& features)
{
    QString lower = html.toLower();
    const qsizetype p = lower.indexOf(checkboxName.toLower());
    if (p < 0) return 30;
    // The tick may stand before the name as well as after it.
    const qsizetype tag = inputTagStart(lower, p);
    qsizetype q = tag >= 0 ? HtmlTag::End(lower, tag) : lower.indexOf(u'>', p);
    if (q < 0) return 31;
    const qsizetype from = tag >= 0 ? tag : p;
    qsizetype c = checkedAttribute(lower, from, q);
    if (features.contains(feature)) {
        if (c < 0) html.insert(q, QStringLiteral(" CHECKED"));
        return 0;
    }
    for (; c >= 0; c = checkedAttribute(lower, from, q)) {
        html.remove(c, 8);
        lower.remove(c, 8);
        q -= 8;
    }
    return 0;
}

}  // namespace

int ListingForm::FillListingForm(QString& Html, const RelistRecord& record)
{
    QString text = Html;
    Form form(text);
    if (!setInputValue(form, QStringLiteral("title"), record.Title, false)) return 11;
    if (!setInputValue(form, QStringLiteral("startprice"), record.StartPrice, true)) return 12;
    if (!setInputValue(form, QStringLiteral("buynowprice"), record.BuyNowPrice, true)) return 14;

    if (record.ReservePrice > 0) {
        const qsizetype p = form.findMarkup(nameAttribute(QStringLiteral("start_eq_reserve"), true));
        if (p < 0) return 15;
        const qsizetype s = inputTagStart(form.lower, p);
        if (s < 0) return 16;
        const qsizetype r = form.findMarkup(nameAttribute(QStringLiteral("reserveprice"), false), s);
        if (r < 0) return 16;
        const qsizetype e = HtmlTag::End(form.lower, r);
        if (e < 0) return 17;
        // Whatever lay between the two (the site's "same as start" box) goes.
        form.replace(s, e + 1 - s,
                     CrLf + QStringLiteral("<input name=start_eq_reserve value=0 >") + CrLf + QStringLiteral("<input name=reserveprice value=") +
                         OfferCells::Plain(record.ReservePrice) + QStringLiteral(" >") + CrLf,
                     false);
    }

    if (record.DurationDays > 0) {
        const qsizetype p = form.findMarkup(QStringLiteral("listingdurationfixedradio"));
        if (p < 0) return 18;
        const qsizetype s = form.lower.lastIndexOf(InputStart, p);
        if (s < 0) return 19;
        const QLatin1String selectEnd("</select>");
        const qsizetype s1 = form.lower.indexOf(selectEnd, s);
        if (s1 < 0) return 20;
        const qsizetype s2 = form.lower.indexOf(selectEnd, s1 + 1);
        if (s2 < 0) return 21;
        const qsizetype s3 = form.lower.indexOf(selectEnd, s2 + 1);
        if (s3 < 0) return 22;
        // The four fields are filled before they go in: only they hold the values.
        const bool fixed = record.DurationFixed;
        const QString days = fixed ? QString::number(int(record.DurationDays) * 1440) : QString();
        const QString date = fixed ? QString() : vb::formatDate(vb::today() + record.DurationDays, QStringLiteral("dd/mm/yyyy"));
        const QString time = fixed ? QString() : vb::formatDate(record.DurationTime, QStringLiteral("h:mm am/pm")).remove(u'.');
        const QPair<const char*, QString> fields[] = {{"duration_type", fixed ? QStringLiteral("easy") : QStringLiteral("advanced")},
                                                       {"auction_length", days},
                                                       {"set_end_days", date},
                                                       {"set_end_hour", time}};
        QString block;
        for (const auto& [name, value] : fields)
            block += CrLf + QStringLiteral("<INPUT name=\"%1\" value=\"%2\">").arg(QLatin1String(name), value.toHtmlEscaped());
        form.replace(s, s3 + selectEnd.size() - s, block + CrLf, false);
    }
    Html = text;
    return 0;
}

int ListingForm::FixBodyTextarea(QString& Html)
{
    const QString lower = Html.toLower();
    for (qsizetype from = 0;;) {
        const qsizetype p = lower.indexOf(QLatin1String("<textarea "), from);
        if (p < 0) return 99;
        const qsizetype tagEnd = HtmlTag::End(lower, p);
        if (tagEnd < 0) return 99;
        const qsizetype e = lower.indexOf(QLatin1String("</textarea>"), tagEnd);
        if (e < 0) return 99;
        // The box is known by its opening tag: a description may mention any name.
        const QString tag = lower.mid(p, tagEnd - p).remove(u'"');
        if (tag.contains(QLatin1String("name=body"))) {
            if (!Html.mid(p, e - p).contains(QLatin1String(":)"))) Html.insert(e, CrLf + CrLf + QStringLiteral(":)"));
            return 0;
        }
        from = e;
    }
}

int ListingForm::SetExtraFeatures(QString& Html, const RelistRecord& record)
{
    // The sync's "Homepage featured" is the form's "Homepage feature".
    const QString features = RelistOptionRules::ReadExtraFeatures(record.ExtraFeatures);
    if (features.isEmpty()) return 0;
    static const QPair<const char*, const char*> boxes[] = {{"gallerycheckbox", ",Gallery,"},
                                                            {"boldtitlecheckbox", ",Bold title,"},
                                                            {"featurecheckbox", ",Feature,"},
                                                            {"combocheckbox", ",Feature combo,"},
                                                            {"homepagecheckbox", ",Homepage feature,"}};
    QString text = Html;
    for (const auto& [box, feature] : boxes)
        if (const int code = setCheckbox(text, QLatin1String(box), QLatin1String(feature), features)) return code;
    Html = text;
    return 0;
}
