#include "AuctionListModel.h"

#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QCollator>
#include <QColor>
#include <QFont>
#include <QLocale>

#include <algorithm>
#include <cmath>

#include <sqlite3.h>

QStringList AuctionListModel::headers()
{
    return {QStringLiteral("DateSortingIndex"), QStringLiteral("Auction#"), QStringLiteral("Item"), QStringLiteral("Title"),
            QStringLiteral("BuyerId"), QStringLiteral("Email"), QStringLiteral("Action Date"), QStringLiteral("Next Action")};
}

const QString& AuctionListModel::cell(const AuctionRow& r, int column)
{
    switch (column) {
    case ColAuction: return r.AuctionId;
    case ColItem: return r.ItemId;
    case ColTitle: return r.Description;
    case ColBuyer: return r.CustomerId;
    case ColEmail: return r.Email;
    case ColActionDate: return r.ActionDate;
    case ColNextAction: return r.NextAction;
    default: return r.DateSortingIndex;
    }
}

QString AuctionListModel::dateKey(double serial) { return vb::dayKey(serial); }

QVariant AuctionListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    const AuctionRow& r = m_rows[index.row()];
    switch (role) {
    case Qt::DisplayRole: return index.column() < ColumnCount ? QVariant(cell(r, index.column())) : QVariant();
    case Qt::ToolTipRole: {
        // QToolTip takes text that looks like markup for markup: the cell goes
        // escaped, its blanks and lines kept.
        if (index.column() >= ColumnCount) return {};
        const QString& text = cell(r, index.column());
        return text.isEmpty() ? QString() : QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(text.toHtmlEscaped());
    }
    case Qt::FontRole:
        if (r.Highlight) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    // The row's own colour; the list's delegate keeps it readable on the list's background.
    case Qt::ForegroundRole: return QColor(r.Highlight ? Qt::red : Qt::black);
    case Qt::UserRole: return r.AuctionType;  // the Tag of the auction number
    default: return {};
    }
}

QVariant AuctionListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return headers().value(section);
    return {};
}

QString AuctionListModel::statement(const QString& condition)
{
    QString sql = QStringLiteral(
        "SELECT Auction.AuctionId, Auction.ItemId, Auction.Description, Auction.CustomerId, Customer.Email, Auction.ActionId, "
        "Auction.DateNextAction, Auction.DateStart, Auction.Highlight, Auction.AuctionType "
        "FROM Auction LEFT JOIN Customer ON Customer.CustomerId = Auction.CustomerId ");
    if (!condition.isEmpty()) sql += QStringLiteral("WHERE ") + condition;
    // The unary + keeps SQLite from walking the start-date index, which reads
    // the table in random order, a page per sale: on a large shop a scan in
    // file order and a sort are two to ten times faster. Sales started the
    // same day keep the index's order (the later written first).
    return sql + QStringLiteral(" ORDER BY +Auction.DateStart DESC, Auction.rowid DESC");
}

bool AuctionListModel::load(Connection& connection, const QString& sql, const QVariantList& binds, QString* error)
{
    beginResetModel();
    m_rows.clear();
    // Read straight from the statement: a seller's list may hold 50,000 sales.
    sqlite3_stmt* stmt = connection.Prepare(sql, binds);
    bool ok = stmt != nullptr;
    if (ok) {
        const clsActions* actions = ProgramContext::current().gActions;
        // Most sales share a handful of days, items and titles, and a buyer
        // buys more than once: each such text is made once and shared, which
        // spares most of the list's allocations.
        QHash<double, QString> dateTexts, dateKeys;
        QHash<QByteArray, QString> shared;
        auto text = [stmt](int col) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
            return t ? QString::fromUtf8(t, sqlite3_column_bytes(stmt, col)) : QString();
        };
        auto sharedText = [stmt, &shared](int col) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
            if (!t) return QString();
            const int bytes = sqlite3_column_bytes(stmt, col);
            auto found = shared.constFind(QByteArray::fromRawData(t, bytes));
            if (found == shared.constEnd()) found = shared.insert(QByteArray(t, bytes), QString::fromUtf8(t, bytes));
            return *found;
        };
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            // Columns: AuctionId, ItemId, Description, CustomerId, Email, ActionId,
            // DateNextAction, DateStart, Highlight, AuctionType.
            AuctionRow r;
            r.AuctionId = text(0);
            r.ItemId = sharedText(1);
            r.Description = sharedText(2);
            r.CustomerId = sharedText(3);
            r.Email = sharedText(4);
            r.ActionId = sqlite3_column_int(stmt, 5);
            const bool hasDue = sqlite3_column_type(stmt, 6) != SQLITE_NULL;
            const double keyed = sqlite3_column_double(stmt, hasDue ? 6 : 7);
            auto key = dateKeys.constFind(keyed);
            if (key == dateKeys.constEnd()) key = dateKeys.insert(keyed, dateKey(keyed));
            r.DateSortingIndex = *key;
            if (hasDue) {
                const double due = sqlite3_column_double(stmt, 6);
                auto cached = dateTexts.constFind(due);
                if (cached == dateTexts.constEnd()) cached = dateTexts.insert(due, vb::dateText(due));
                r.ActionDate = *cached;
            }
            r.Highlight = sqlite3_column_int(stmt, 8) != 0;
            r.AuctionType = sharedText(9);
            r.NextAction = actions ? actions->Description(r.ActionId) : QString();
            m_rows.append(std::move(r));
        }
        ok = rc == SQLITE_DONE;
        if (!ok) connection.setLastError(QString::fromUtf8(sqlite3_errmsg(connection.handle())));
        sqlite3_finalize(stmt);
    }
    if (!ok) {
        if (error) *error = connection.lastError();
        m_rows.clear();
    }
    reindex();
    endResetModel();
    return ok;
}

void AuctionListModel::sortRows(int column, Qt::SortOrder order)
{
    auto key = [column](const AuctionRow& r) -> const QString& { return cell(r, column); };
    // The seller's alphabet: "Äpfel" among the A's, not after "zebra". The C
    // locale names no alphabet; Unicode's default order serves it.
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    emit layoutAboutToBeChanged();
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const AuctionRow& a, const AuctionRow& b) {
        const int c = collator.compare(key(a), key(b));
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    reindex();
    emit layoutChanged();
}

int AuctionListModel::rowOf(const QString& auctionId) const
{
    const auto it = m_index.constFind(auctionId);
    if (it == m_index.constEnd()) return -1;
    return *it - int(std::lower_bound(m_gone.cbegin(), m_gone.cend(), *it) - m_gone.cbegin());
}

void AuctionListModel::setRow(int r, const AuctionRow& row)
{
    if (r < 0 || r >= m_rows.size()) return;
    const bool renumbered = m_rows[r].AuctionId != row.AuctionId;
    m_rows[r] = row;
    if (renumbered) reindex();  // rare: the row's sale changes
    emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
}

void AuctionListModel::removeRowAt(int r)
{
    if (r < 0 || r >= m_rows.size()) return;
    beginRemoveRows({}, r, r);
    const QString id = m_rows[r].AuctionId;
    m_rows.remove(r);
    if (m_listedTwice) {
        reindex();  // the number's next row takes over
    } else {
        const int built = m_index.take(id);
        m_gone.insert(std::upper_bound(m_gone.begin(), m_gone.end(), built), built);
    }
    endRemoveRows();
}

void AuctionListModel::clearRows()
{
    beginResetModel();
    m_rows.clear();
    reindex();
    endResetModel();
}

void AuctionListModel::reindex()
{
    m_index.clear();
    m_gone.clear();
    m_index.reserve(m_rows.size());
    // The first row of an auction number wins, as the list's walk finds it.
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) m_index.insert(m_rows[i].AuctionId, i);
    m_listedTwice = m_index.size() != m_rows.size();
}
