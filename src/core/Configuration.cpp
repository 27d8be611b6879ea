#include "Configuration.h"

#include "platform/Vb.h"
#include "platform/db/Recordset.h"

#include <cmath>
#include <limits>

namespace {

// Converters of one column value; false when it cannot be taken as that type.
// "nan" and "inf" (as text or as numbers) are no value.
bool toDouble(const QVariant& v, double* out)
{
    if (v.isNull()) return false;
    bool ok = false;
    const double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return false;
    *out = d;
    return true;
}

template <typename Int>
bool toWhole(const QVariant& v, Int* out)
{
    double d = 0;
    if (!toDouble(v, &d)) return false;
    d = vb::roundHalfEven(d);
    if (d < double(std::numeric_limits<Int>::min()) || d > double(std::numeric_limits<Int>::max())) return false;
    *out = Int(d);
    return true;
}

bool toBool(const QVariant& v, bool* out)
{
    if (v.isNull()) return false;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) { *out = true; return true; }
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) { *out = false; return true; }
    }
    double d = 0;
    if (!toDouble(v, &d)) return false;
    *out = d != 0;
    return true;
}

bool toDate(const QVariant& v, double* out)
{
    if (v.typeId() == QMetaType::QString && vb::parseDateText(v.toString(), out)) return true;
    double d = 0;
    if (!toDouble(v, &d) || !vb::inDateRange(d)) return false;
    *out = d;
    return true;
}

}  // namespace

bool Configuration::Load(const Recordset& rs, QString* error)
{
    Configuration c = *this;
    QString bad;
    QString missing;
    auto present = [&](const char* column) {
        if (rs.HasField(QLatin1String(column))) return true;
        if (missing.isEmpty()) missing = QLatin1String(column);
        return false;
    };
    auto text = [&](const char* column, QString& field) {
        if (present(column)) field = rs.text(QLatin1String(column));
    };
    auto typed = [&](const char* column, auto converter, auto& field) {
        if (!bad.isEmpty() || !present(column)) return;
        if (!converter(rs.value(QLatin1String(column)), &field)) bad = QLatin1String(column);
    };

    text("DatabaseDesc", c.DatabaseDesc);
    typed("DateSystemStart", toDate, c.DateSystemStart);
    typed("DateLastUpdate", toDate, c.DateLastUpdate);
    text("LocationId", c.LocationId);
    typed("DefaultLink", toWhole<qint16>, c.DefaultLink);
    typed("NextAuctionNumber", toWhole<qint32>, c.NextAuctionNumber);
    typed("NextAuctionNumberStep", toWhole<qint32>, c.NextAuctionNumberStep);
    typed("ShowGrid", toBool, c.ShowGrid);
    typed("DefaultList", toBool, c.DefaultList);
    typed("ListColor", toDouble, c.ListColor);
    text("EmailFrom", c.EmailFrom);
    text("EmailCC", c.EmailCC);
    text("EmailSMTP", c.EmailSMTP);
    text("EmailUserId", c.EmailUserId);
    text("EmailPassword", c.EmailPassword);
    text("EmailSignature", c.EmailSignature);
    typed("EmailWrap", toWhole<qint16>, c.EmailWrap);
    text("Feedback", c.Feedback);
    text("Notes", c.Notes);
    text("TradeMeMemberId", c.TradeMeMemberId);
    text("TradeMeUserId", c.TradeMeUserId);
    text("TradeMePassword", c.TradeMePassword);
    text("TradeMeEmail", c.TradeMeEmail);
    text("BankAccountName", c.BankAccountName);
    text("BankAccountNumber", c.BankAccountNumber);
    typed("DefaultFPOdays", toWhole<qint16>, c.DefaultFPOdays);
    typed("FPOunsold", toBool, c.FPOunsold);
    typed("FPOsold", toBool, c.FPOsold);
    typed("RelistUnsold", toBool, c.RelistUnsold);

    if (!missing.isEmpty()) {
        if (error) *error = QStringLiteral("The setting %1 is missing.").arg(missing);
        return false;
    }
    if (!bad.isEmpty()) {
        if (error) *error = QStringLiteral("The setting %1 is empty or not valid.").arg(bad);
        return false;
    }
    *this = c;
    return true;
}

bool Configuration::IsSetUp() const { return vb::Val(TradeMeMemberId) != 0; }
