#include "ExportCsvReader.h"

#include "SiteText.h"
#include "platform/AmountText.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

using Kind = ListingRecordsets::Kind;

bool isBlank(const ExportCsvReader::Record& r) { return r.items.size() == 1 && r.items.first().trimmed().isEmpty(); }

QString changed(const QString& what) { return QStringLiteral("The TradeMe data file has changed (%1)").arg(what); }

}  // namespace

QList<ExportCsvReader::Record> ExportCsvReader::Split(const QString& text)
{
    enum State { Start, Plain, Quoted, AfterQuote };
    QList<Record> records;
    Record record;
    record.row = 1;
    QString item;
    State state = Start;
    auto endItem = [&] {
        record.items.append(item);
        item.clear();
        state = Start;
    };
    auto endRecord = [&] {
        endItem();
        const int next = record.row + 1;
        records.append(std::move(record));
        record = Record();
        record.row = next;
    };
    // A run of n double quotes: every four stand for one in the value.
    auto quotes = [&](qsizetype n) { item += QString(n / 4, u'"'); };

    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == u'"') {
            qsizetype n = 1;
            while (i + n < size && text.at(i + n) == u'"') ++n;
            i += n - 1;
            switch (state) {
            case Start:
                if (n % 4 == 0) {  // a value that begins with a double quote, unquoted
                    quotes(n);
                    state = Plain;
                } else {  // the first opens the item; the rest are read as within it
                    quotes(n - 1);
                    state = (n - 1) % 4 == 0 ? Quoted : AfterQuote;
                }
                break;
            case Quoted:
                quotes(n);
                if (n % 4 != 0) state = AfterQuote;
                break;
            case Plain:
                quotes(n);
                item += QString(n % 4, u'"');  // stray quotes in an unquoted item are its own
                break;
            case AfterQuote: break;
            }
            continue;
        }
        if (state == Quoted) {
            item += c;  // commas and line breaks belong to the value
            continue;
        }
        if (c == u',') {
            endItem();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n') ++i;
            endRecord();
        } else if (state != AfterQuote) {  // text after a closing quote is dropped
            item += c;
            state = Plain;
        }
    }
    if (!record.items.isEmpty() || !item.isEmpty() || state != Start) endRecord();
    return records;
}

bool ExportCsvReader::ParseNumber(const QString& text, double* value)
{
    static const QRegularExpression plain(QStringLiteral(R"(^\s*[+-]?(?:\d+(?:\.\d*)?|\.\d+)\s*$)"));
    if (!plain.match(text).hasMatch()) return false;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

bool ExportCsvReader::ParseDate(const QString& text, double* serial)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) return false;
    const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid()) return false;
    // From the fields themselves: a time the clocks skip (daylight saving) keeps its wording.
    const double days = vb::toOleDate(date);
    const double fraction = time.msecsSinceStartOfDay() / 86400000.0;
    const double value = days >= 0 ? days + fraction : days - fraction;
    if (!vb::inDateRange(value)) return false;
    *serial = value;
    return true;
}

QVariant ExportCsvReader::Convert(const QString& item, ListingRecordsets::Kind kind)
{
    switch (kind) {
    case Kind::Text: return item;
    case Kind::Double: {
        bool ok = false;
        const double v = AmountText::parse(item, &ok);
        return ok ? QVariant(v) : QVariant();
    }
    case Kind::Integer: {
        double v = 0;
        if (!ParseNumber(item, &v)) return QVariant();
        v = vb::roundHalfEven(v);
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return QVariant();
        return QVariant(int(v));
    }
    case Kind::Date: {
        double v = 0;
        return ParseDate(item, &v) ? QVariant(v) : QVariant();
    }
    case Kind::Boolean: break;  // the site writes no Yes/No columns
    }
    return QVariant();
}

bool ExportCsvReader::Read(const QByteArray& bytes, int listType, Recordset& rs, QString* error, QStringList* heldBack)
{
    if (heldBack) heldBack->clear();
    auto refuse = [&](const QString& message) {
        if (error) *error = message;
        return false;
    };
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const QList<Record> records = Split(text);

    qsizetype first = 0;
    while (first < records.size() && isBlank(records[first])) ++first;
    const QStringList header = first < records.size() ? records[first].items : QStringList();

    // Every column of the list must be there, named exactly; others are ignored.
    struct Column {
        QString field;
        int index;
        Kind kind;
        bool shipping;
    };
    QList<Column> columns;
    const QVector<ListingRecordsets::FieldDef>& fields = ListingRecordsets::Fields(listType);
    for (int f = ListingRecordsets::mWorkFieldCount; f < fields.size(); ++f) {
        const int index = int(header.indexOf(fields[f].name));
        if (index < 0) return refuse(changed(QStringLiteral("missing ") + fields[f].name));
        columns.append({fields[f].name, index, fields[f].kind, fields[f].name == QLatin1String("selected_shipping")});
    }
    // The header ends with an empty item; without it, records could not be counted against it.
    if (!header.constLast().trimmed().isEmpty()) return refuse(changed(QStringLiteral("row %1").arg(records[first].row)));
    const qsizetype itemCount = header.size();
    const int idColumn = int(header.indexOf(QStringLiteral("listing_id")));

    QList<QVariantList> rows;
    for (qsizetype r = first + 1; r < records.size(); ++r) {
        const Record& record = records[r];
        if (isBlank(record)) continue;
        if (record.items.size() != itemCount) return refuse(changed(QStringLiteral("row %1").arg(record.row)));
        if (record.items[idColumn].trimmed().isEmpty()) continue;
        QVariantList values;
        values.reserve(columns.size());
        QStringList unread;
        for (const Column& c : columns) {
            const QString& item = record.items[c.index];
            const QVariant value = c.shipping ? QVariant(SiteText::GetDollarAmount(item)) : Convert(item, c.kind);
            // An amount that is no number would be saved as 0: the row waits for the site to mend it.
            if (c.kind == Kind::Double && value.isNull() && !item.trimmed().isEmpty())
                unread << QStringLiteral("%1 \"%2\"").arg(c.field, item);
            values.append(value);
        }
        if (!unread.isEmpty()) {
            if (heldBack) *heldBack << record.items[idColumn].trimmed() + QStringLiteral(" (") + unread.join(QStringLiteral(", ")) + u')';
            continue;
        }
        rows.append(values);
    }

    for (const QVariantList& values : rows) {
        if (!rs.AddNew()) return refuse(rs.lastError());
        for (qsizetype c = 0; c < columns.size(); ++c)
            if (!values[c].isNull()) rs.setValue(columns[c].field, values[c]);
        if (!rs.Update()) return refuse(rs.lastError());
    }
    if (error) error->clear();
    return true;
}
