#include "UnsoldPageReader.h"

#include "platform/AmountText.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString CrLf = QStringLiteral("\r\n");

// English names whatever the machine's locale: the site writes English.
int monthNumber(const QString& word)
{
    static const char* const names[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    static const char* const full[] = {"january", "february", "march",     "april",   "may",      "june",
                                       "july",    "august",   "september", "october", "november", "december"};
    const QString w = word.toLower();
    for (int i = 0; i < 12; ++i) {
        if (w == QLatin1String(names[i]) || w == QLatin1String(full[i])) return i + 1;
    }
    if (w == QLatin1String("sept")) return 9;
    return 0;
}

bool isWeekday(const QString& word)
{
    static const char* const names[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    static const char* const full[] = {"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};
    const QString w = word.toLower();
    for (int i = 0; i < 7; ++i)
        if (w == QLatin1String(names[i]) || w == QLatin1String(full[i])) return true;
    return w == QLatin1String("tues") || w == QLatin1String("thur") || w == QLatin1String("thurs");
}

bool isDigits(const QString& s)
{
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// "2:15", "14:05", "2:15:30" with an optional "am"/"pm" (also glued on: "2:15pm").
bool readTime(QStringList& words, QTime& time)
{
    if (words.isEmpty()) return true;
    QString clock = words.takeFirst().toLower();
    QString half;
    for (const char* suffix : {"am", "pm", "a.m.", "p.m."}) {
        if (clock.endsWith(QLatin1String(suffix)) && clock.size() > int(qstrlen(suffix))) {
            half = QString::fromLatin1(suffix).left(1);
            clock.chop(int(qstrlen(suffix)));
            break;
        }
    }
    if (half.isEmpty() && !words.isEmpty()) {
        const QString next = words.first().toLower();
        if (next == QLatin1String("am") || next == QLatin1String("a.m.")) half = QStringLiteral("a");
        else if (next == QLatin1String("pm") || next == QLatin1String("p.m.")) half = QStringLiteral("p");
        if (!half.isEmpty()) words.removeFirst();
    }
    const QStringList parts = clock.split(u':');
    if (parts.size() < 2 || parts.size() > 3) return false;
    for (const QString& p : parts)
        if (!isDigits(p) || p.size() > 2) return false;
    int hour = parts[0].toInt();
    const int minute = parts[1].toInt();
    const int second = parts.size() == 3 ? parts[2].toInt() : 0;
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (half == QLatin1String("p") ? 12 : 0);
    }
    time = QTime(hour, minute, second);
    return time.isValid() && words.isEmpty();
}

// An amount the page writes after "$" ("1,200.00"), read by its leading
// number with the one amount reader; Null when the line holds none.
QVariant amount(const QString& text)
{
    bool found = false;
    const double value = AmountText::parse(text, &found, AmountText::Reading::Leading);
    return found ? QVariant(value) : QVariant();
}

// The optional text of a marker within a listing: empty when it is absent.
QString marker(const QString& block, const QString& startText, const QString& endText, qsizetype startOffset = -1)
{
    QString result;
    qsizetype at = -1;
    if (!UnsoldPageReader::GetTextBetween(result, at, block, 0, startText, endText, startOffset)) return QString();
    return result;
}

}  // namespace

const QString UnsoldPageReader::Sentinel = QStringLiteral("\r\nClosed:  ");

bool UnsoldPageReader::GetTextBetween(QString& Result, qsizetype& FoundAt, const QString& Text, qsizetype Start,
                                      const QString& StartText, const QString& EndText, qsizetype StartOffset,
                                      qsizetype EndOffset, QString* Error)
{
    if (StartOffset < 0) StartOffset = StartText.size();
    Start = qMax<qsizetype>(0, Start);
    const qsizetype p = StartText.isEmpty() ? (Start <= Text.size() ? Start : -1) : Text.indexOf(StartText, Start);
    if (p < 0) {
        if (Error) *Error = QStringLiteral("Could not find StartText: '") + StartText + u'\'';
        return false;
    }
    if (!EndText.isEmpty()) {
        const qsizetype q = Text.indexOf(EndText, p + StartText.size());
        if (q < 0) {
            if (Error) *Error = QStringLiteral("Could not find EndText: '") + EndText + u'\'';
            return false;
        }
        // A start past the end marker gives nothing rather than the rest of the text.
        const qsizetype length = (q - p) - StartOffset - EndOffset + 1;
        Result = length > 0 ? Text.mid(p + StartOffset, length) : QString();
    }
    FoundAt = p;
    return true;
}

bool UnsoldPageReader::ParseClosedDate(const QString& DateText, const QDate& Today, QDateTime& Result)
{
    QString text = DateText;
    text.replace(u',', u' ');
    QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (!words.isEmpty() && isWeekday(words.first())) words.removeFirst();
    if (words.size() < 2) return false;

    // "30 Dec" or "Dec 30".
    int day = 0, month = 0;
    if (isDigits(words[0]) && words[0].size() <= 2 && (month = monthNumber(words[1])) > 0) {
        day = words[0].toInt();
    } else if ((month = monthNumber(words[0])) > 0 && isDigits(words[1]) && words[1].size() <= 2) {
        day = words[1].toInt();
    } else {
        return false;
    }
    words.remove(0, 2);

    int year = 0;
    const bool hasYear = !words.isEmpty() && isDigits(words.first()) && words.first().size() == 4;
    if (hasYear) year = words.takeFirst().toInt();

    QTime time(0, 0);
    if (!readTime(words, time)) return false;

    QDate date(hasYear ? year : Today.year(), month, day);
    if (!date.isValid()) return false;
    // The page leaves the year out: a date far from today belongs to the year
    // before or after (a December close read in January).
    if (!hasYear) {
        if (date < Today.addDays(-90)) date = date.addYears(1);
        else if (date > Today.addDays(90)) date = date.addYears(-1);
        if (!date.isValid() || date.day() != day) return false;  // 29 Feb in a year without one
    }
    Result = QDateTime(date, time);
    return Result.isValid();
}

UnsoldPageReader::PageResult UnsoldPageReader::ParseUnsoldPage(const QString& PageText, Recordset& Unsold, int Days,
                                                               const QDate& Today, QSet<QString>* Seen)
{
    PageResult r;
    if (!PageText.contains(QLatin1String("My Trade Me"))) {
        r.outcome = PageResult::LoginFailed;
        return r;
    }
    const QString text = PageText + Sentinel;
    QList<qsizetype> sentinels;
    for (qsizetype at = text.indexOf(Sentinel); at >= 0; at = text.indexOf(Sentinel, at + Sentinel.size()))
        sentinels << at;
    const double windowStart = vb::toOleDate(Today) - Days;

    for (int i = 0; i + 1 < sentinels.size(); ++i) {
        const qsizetype s = sentinels[i];
        const qsizetype next = sentinels[i + 1];
        // The title is the whole line before "Closed:", however long.
        const qsizetype lineBreak = s > 0 ? text.lastIndexOf(CrLf, s - 1) : -1;
        const qsizetype titleStart = lineBreak < 0 ? 0 : lineBreak + CrLf.size();
        const QString title = text.mid(titleStart, s - titleStart).trimmed();
        // The listing runs to the line before the next listing's title (the last one to the page's end).
        qsizetype end = next;
        if (i + 2 < sentinels.size()) {
            const qsizetype beforeTitle = text.lastIndexOf(CrLf, next - 1);
            if (beforeTitle > s) end = beforeTitle;
        }
        const QString block = text.mid(s, end - s) + CrLf;
        const QString closedLine = block.left(block.indexOf(CrLf, CrLf.size()));

        QString dateText, id;
        qsizetype at = -1;
        QString error;
        if (!GetTextBetween(dateText, at, closedLine, 0, Sentinel, QStringLiteral("(#"), Sentinel.size() + 4, 1, &error) ||
            !GetTextBetween(id, at, closedLine, 0, QStringLiteral("(#"), QStringLiteral(")"), -1, 1, &error)) {
            r.outcome = PageResult::Failed;
            r.error = error;
            return r;
        }
        id = id.trimmed();
        if (id.isEmpty()) {
            r.outcome = PageResult::Failed;
            r.error = QStringLiteral("Could not find the listing number of '") + title + u'\'';
            return r;
        }
        QDateTime closed;
        if (!ParseClosedDate(dateText, Today, closed)) {
            r.unreadDates << QStringLiteral("#%1 '%2'").arg(id, dateText.trimmed());
            continue;
        }
        // The row keeps the minute, as the page shows it.
        closed.setTime(QTime(closed.time().hour(), closed.time().minute()));
        const double endDate = vb::toOleDate(closed);
        if (endDate < windowStart) {
            r.outcome = PageResult::Done;
            return r;
        }
        ++r.listings;
        if (Seen && Seen->contains(id)) {
            ++r.repeated;
            continue;
        }

        Unsold.AddNew();
        Unsold.setValue(QStringLiteral("listing_id"), id);
        Unsold.setValue(QStringLiteral("title"), title);
        Unsold.setValue(QStringLiteral("end_date"), endDate);
        const QVariant startPrice = amount(marker(block, CrLf + QStringLiteral("Price $"), CrLf));
        const QVariant reserve = amount(marker(block, CrLf + QStringLiteral("Reserve $"), CrLf));
        const QVariant topBid = amount(marker(block, CrLf + QStringLiteral("Top bid $"), CrLf));
        if (!startPrice.isNull()) Unsold.setValue(QStringLiteral("start_price"), startPrice);
        if (!reserve.isNull()) Unsold.setValue(QStringLiteral("reserve_price"), reserve);
        if (!topBid.isNull()) Unsold.setValue(QStringLiteral("max_bid_amount"), topBid);
        Unsold.setValue(QStringLiteral("no_bids"), marker(block, CrLf + QStringLiteral("No bids"), CrLf, 2));
        Unsold.setValue(QStringLiteral("offer_price"), marker(block, CrLf + QStringLiteral("Offered for $"), CrLf, 2));
        // "Offer expired" and the line after it.
        Unsold.setValue(QStringLiteral("offer_expired"),
                        marker(block, CrLf + QStringLiteral("Offer expired") + CrLf, CrLf, 2));
        Unsold.setValue(QStringLiteral("relisted"), marker(block, CrLf + QStringLiteral("Relisted"), CrLf + QStringLiteral("View new"), 2));
        Unsold.Update();
        if (Seen) Seen->insert(id);
        ++r.added;
    }
    return r;
}

int UnsoldPageReader::PageNumber(const QString& Address)
{
    const QString query = QUrl(Address).query();
    for (const auto& [key, value] : QUrlQuery(query).queryItems(QUrl::FullyDecoded)) {
        if (key.compare(QLatin1String("page"), Qt::CaseInsensitive) != 0) continue;
        qsizetype n = 0;
        while (n < value.size() && value[n] >= u'0' && value[n] <= u'9') ++n;
        bool ok = false;
        const int page = value.left(n).toInt(&ok);
        return ok && page > 0 ? page : 1;
    }
    return 1;
}
