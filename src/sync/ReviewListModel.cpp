#include "ReviewListModel.h"

#include "ListingComparison.h"
#include "ListingRecordsets.h"
#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using SortKind = ReviewListModel::SortKind;

const QString DateFormat = QStringLiteral("ddd d mmm h:mm ampm");
const QString MoneyFormat = QStringLiteral("$0.00");
constexpr double None = std::numeric_limits<double>::quiet_NaN();

struct Column {
    const char* caption;
    const char* field;  // the record field shown; the key column names the row's date
    SortKind kind;
};

const QVector<Column>& columns(int listType)
{
    static const QVector<Column> current{{"DateSortingIndex", "end_date", SortKind::Key},
                                         {"Auction#", "listing_id", SortKind::Text},
                                         {"Item code", "ItemId", SortKind::Text},
                                         {"Title", "title", SortKind::Text},
                                         {"Closes", "end_date", SortKind::Date},
                                         {"Start price", "start_price", SortKind::Money},
                                         {"Reserve", "reserve_price", SortKind::Money},
                                         {"Buy now", "buy_now_price", SortKind::Money},
                                         {"Top bid", "max_bid_amount", SortKind::Money},
                                         {"Bidders/Watchers", "bidders_watchers", SortKind::Number}};
    static const QVector<Column> sold{{"DateSortingIndex", "sold_date", SortKind::Key},
                                      {"Auction#", "listing_id", SortKind::Text},
                                      {"Item code", "ItemId", SortKind::Text},
                                      {"Title", "title", SortKind::Text},
                                      {"Closed", "sold_date", SortKind::Date},
                                      {"Buyer", "buyer_name", SortKind::Text},
                                      {"Email", "buyer_email", SortKind::Text},
                                      {"Top Bid", "sale_price", SortKind::Money},
                                      {"Sold by", "sold_type", SortKind::Text},
                                      {"Shipping", "selected_shipping", SortKind::Money},
                                      {"Delivery address", "buyer_delivery_address", SortKind::Text}};
    static const QVector<Column> unsold{{"DateSortingIndex", "end_date", SortKind::Key},
                                        {"Auction#", "listing_id", SortKind::Text},
                                        {"Item code", "ItemId", SortKind::Text},
                                        {"Title", "title", SortKind::Text},
                                        {"Closed", "end_date", SortKind::Date},
                                        {"Price", "start_price", SortKind::Money},
                                        {"Reserve", "reserve_price", SortKind::Money},
                                        {"No bids", "no_bids", SortKind::Text},
                                        {"Fixed price offer", "offer_price", SortKind::Text},
                                        {"Expired", "offer_expired", SortKind::Text},
                                        {"Relisted", "relisted", SortKind::Text}};
    switch (listType) {
    case ListingRecordsets::Sold: return sold;
    case ListingRecordsets::Unsold: return unsold;
    default: return current;
    }
}

// The Unsold list shows a top bid in the Reserve column instead of the reserve.
constexpr int UnsoldTopBidColumn = 6;
constexpr int SoldShippingColumn = 9;
constexpr int SoldAddressColumn = 10;

bool isTrue(const QVariant& v) { return !v.isNull() && v.toBool(); }
bool isFalse(const QVariant& v) { return !v.isNull() && !v.toBool(); }

// A number as the program writes one for reading: at most 15 significant
// digits and no exponent ("12.5", "1000000").
QString plainNumber(double value)
{
    const double shown = QString::number(value, 'g', 15).toDouble();
    return QString::number(shown, 'f', QLocale::FloatingPointShortest);
}

// The amount of a value: a number, or text that is a number as a whole (the
// shipping is kept as text). NaN when it holds none.
double amountOf(const QVariant& v)
{
    if (v.isNull()) return None;
    bool ok = false;
    const double amount = v.typeId() == QMetaType::QString ? QLocale::c().toDouble(v.toString().trimmed(), &ok)
                                                           : v.toDouble(&ok);
    return ok && std::isfinite(amount) ? amount : None;
}

}  // namespace

ReviewListModel::ReviewListModel(int listType, QObject* parent)
    : QAbstractTableModel(parent), m_listType(listType), m_columns(int(columns(listType).size()))
{
}

QString ReviewListModel::PlainCaption(int listType)
{
    switch (listType) {
    case ListingRecordsets::Sold: return QStringLiteral("Sold");
    case ListingRecordsets::Unsold: return QStringLiteral("Unsold");
    default: return QStringLiteral("Current");
    }
}

QString ReviewListModel::Caption() const
{
    if (m_count == 0) return PlainCaption(m_listType);
    return QStringLiteral("%1 (x%2)").arg(PlainCaption(m_listType)).arg(m_count);
}

QStringList ReviewListModel::Headers(int listType)
{
    QStringList headers;
    for (const Column& c : columns(listType)) headers << QString::fromLatin1(c.caption);
    return headers;
}

ReviewListModel::SortKind ReviewListModel::ColumnSortKind(int listType, int column)
{
    const auto& cols = columns(listType);
    return column >= 0 && column < cols.size() ? cols[column].kind : SortKind::Text;
}

Qt::SortOrder ReviewListModel::DefaultSortOrder(int listType)
{
    // Current: the next close first; Sold and Unsold: the latest first.
    return listType == ListingRecordsets::Current ? Qt::AscendingOrder : Qt::DescendingOrder;
}

QString ReviewListModel::SortKey(const QVariant& date)
{
    const double serial = amountOf(date);
    return std::isnan(serial) ? QString() : vb::dayKey(serial);
}

void ReviewListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_count = 0;
    m_anyBold = m_anyRed = m_shippingNote = false;
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    endResetModel();
}

void ReviewListModel::Fill(Recordset& rs)
{
    beginResetModel();
    m_rows.clear();
    m_count = 0;
    m_anyBold = m_anyRed = m_shippingNote = false;
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;

    // The rows are read as stored, so a record still being edited goes in first.
    if (rs.isEditing()) rs.Update();

    const auto& cols = columns(m_listType);
    QVector<int> field(m_columns);
    for (int c = 0; c < m_columns; ++c) field[c] = rs.FieldIndex(QString::fromLatin1(cols[c].field));
    const int beforeStart = rs.FieldIndex(QStringLiteral("BeforeSystemStart"));
    const int updateFields = rs.FieldIndex(QStringLiteral("UpdateFields"));
    const int updateAuction = rs.FieldIndex(QStringLiteral("UpdateAuction"));
    const int updateAddress = rs.FieldIndex(QStringLiteral("UpdateAddress"));
    const int maxBid = rs.FieldIndex(QStringLiteral("max_bid_amount"));
    const bool sold = m_listType == ListingRecordsets::Sold;
    const bool unsold = m_listType == ListingRecordsets::Unsold;

    // Listings close at a handful of times: each date is formatted once.
    QHash<double, QString> dateTexts;
    QStringList markers;
    for (int k = 1; k < m_columns; ++k) markers << ListingComparison::Marker(k);

    const QVector<QVariantList>& records = rs.rows();
    m_rows.reserve(records.size());
    for (int position = 0; position < records.size(); ++position) {
        const QVariantList& record = records[position];
        auto value = [&record](int index) { return index >= 0 ? record.value(index) : QVariant(); };

        Row row;
        row.position = position;
        row.text.reserve(m_columns);
        row.amount.fill(None, m_columns);
        for (int c = 0; c < m_columns; ++c) {
            const QVariant v = value(field[c]);
            // A value the reader or the item lookup left Null shows as an empty cell.
            switch (cols[c].kind) {
            case SortKind::Key: row.text << SortKey(v); break;
            case SortKind::Text: row.text << v.toString(); break;
            case SortKind::Date: {
                const double serial = amountOf(v);
                row.amount[c] = serial;
                if (std::isnan(serial)) {
                    row.text << QString();
                    break;
                }
                auto cached = dateTexts.constFind(serial);
                if (cached == dateTexts.constEnd()) cached = dateTexts.insert(serial, vb::formatDate(serial, DateFormat));
                row.text << *cached;
                break;
            }
            case SortKind::Money: {
                const double amount = amountOf(v);
                row.amount[c] = amount;
                // Text that is no amount shows as it stands.
                row.text << (std::isnan(amount) ? v.toString() : vb::formatNumber(amount, MoneyFormat));
                break;
            }
            case SortKind::Number: {
                const double number = amountOf(v);
                row.amount[c] = number;
                row.text << (std::isnan(number) ? v.toString() : plainNumber(number));
                break;
            }
            }
        }
        if (unsold) {
            const double topBid = amountOf(value(maxBid));
            if (topBid > 0) {
                row.text[UnsoldTopBidColumn] = plainNumber(topBid);
                row.amount[UnsoldTopBidColumn] = topBid;
            }
        }

        const QVariant beforeSystemStart = value(beforeStart);
        if ((sold || unsold) && isTrue(beforeSystemStart)) {
            row.red = true;
            m_anyRed = true;
        }
        if (isTrue(value(updateAuction))) {
            // A sale the database already runs has ended with no shipping set.
            if (sold && isFalse(beforeSystemStart) && row.text[SoldShippingColumn] == QLatin1String("$0.00"))
                m_shippingNote = true;
            row.bold = true;
            m_anyBold = true;
            ++m_count;
        } else {
            const QString changes = value(updateFields).toString();
            if (!changes.isEmpty()) {
                m_anyBold = true;
                for (int k = 1; k < m_columns; ++k)
                    if (changes.contains(markers[k - 1])) row.boldCells |= 1u << k;
            }
            if (sold && isTrue(value(updateAddress))) {
                m_anyBold = true;
                row.boldCells |= 1u << SoldAddressColumn;
            }
        }
        m_rows.append(std::move(row));
    }

    if (!m_rows.isEmpty()) sortRows(ColSortKey, DefaultSortOrder(m_listType));
    endResetModel();
}

const ReviewListModel::Row* ReviewListModel::rowAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? &m_rows[row] : nullptr;
}

int ReviewListModel::RecordPosition(int row) const
{
    const Row* r = rowAt(row);
    return r ? r->position : -1;
}

int ReviewListModel::RowOfRecord(int position) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].position == position) return i;
    return -1;
}

bool ReviewListModel::RowBold(int row) const
{
    const Row* r = rowAt(row);
    return r && r->bold;
}

bool ReviewListModel::CellBold(int row, int column) const
{
    const Row* r = rowAt(row);
    if (!r || column < 0 || column >= m_columns) return false;
    return r->bold || (r->boldCells & (1u << column)) != 0;
}

bool ReviewListModel::RowRed(int row) const
{
    const Row* r = rowAt(row);
    return r && r->red;
}

QString ReviewListModel::CellText(int row, int column) const
{
    const Row* r = rowAt(row);
    return r && column >= 0 && column < m_columns ? r->text[column] : QString();
}

int ReviewListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int ReviewListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant ReviewListModel::sortValue(const Row& r, int column) const
{
    switch (columns(m_listType)[column].kind) {
    case SortKind::Key:
    case SortKind::Text: return r.text[column];
    default: break;
    }
    const double amount = r.amount[column];
    return std::isnan(amount) ? QVariant() : QVariant(amount);
}

QVariant ReviewListModel::data(const QModelIndex& index, int role) const
{
    const Row* r = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!r || index.column() >= m_columns) return {};
    switch (role) {
    case Qt::DisplayRole: return r->text[index.column()];
    case Qt::FontRole: {
        if (!CellBold(index.row(), index.column())) return {};
        QFont font;
        font.setBold(true);
        return font;
    }
    case Qt::ForegroundRole: return r->red ? QVariant(vb::color(0xFF)) : QVariant();
    case Qt::UserRole: return sortValue(*r, index.column());
    default: return {};
    }
}

QVariant ReviewListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_columns) return {};
    return QString::fromLatin1(columns(m_listType)[section].caption);
}

void ReviewListModel::sortRows(int column, Qt::SortOrder order)
{
    const SortKind kind = columns(m_listType)[column].kind;
    auto less = [kind, column](const Row& a, const Row& b) {
        switch (kind) {
        case SortKind::Key: return a.text[column] < b.text[column];
        case SortKind::Text: return a.text[column].compare(b.text[column], Qt::CaseInsensitive) < 0;
        default: break;
        }
        // An empty cell sorts before every value.
        const double x = a.amount[column], y = b.amount[column];
        if (std::isnan(x) || std::isnan(y)) return std::isnan(x) && !std::isnan(y);
        return x < y;
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_rows.begin(), m_rows.end(), less);
    else
        std::stable_sort(m_rows.begin(), m_rows.end(), [&less](const Row& a, const Row& b) { return less(b, a); });
    m_sortColumn = column;
    m_sortOrder = order;
}

void ReviewListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_columns || m_rows.isEmpty()) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Persistent indexes (the selection, the current row) follow their records.
    const QModelIndexList before = persistentIndexList();
    QVector<int> positions;
    positions.reserve(before.size());
    for (const QModelIndex& index : before) positions << RecordPosition(index.row());

    sortRows(column, order);

    QHash<int, int> rowOfPosition;
    rowOfPosition.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i) rowOfPosition.insert(m_rows[i].position, i);
    QModelIndexList after;
    after.reserve(before.size());
    for (int i = 0; i < before.size(); ++i) {
        const int row = rowOfPosition.value(positions[i], -1);
        after << (row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
