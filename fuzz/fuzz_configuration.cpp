// The configuration row is read from any database file the seller opens: each
// column may hold any text (or number) another program put there.
#include "FuzzInput.h"
#include "core/Configuration.h"
#include "platform/db/Recordset.h"

#include <cstdlib>

namespace {
const char* const columns[] = {"DatabaseDesc", "DateSystemStart", "DateLastUpdate", "LocationId", "DefaultLink",
                               "NextAuctionNumber", "NextAuctionNumberStep", "ShowGrid", "DefaultList", "ListColor",
                               "EmailFrom", "EmailCC", "EmailSMTP", "EmailUserId", "EmailPassword", "EmailSignature",
                               "EmailWrap", "Feedback", "Notes", "TradeMeMemberId", "TradeMeUserId", "TradeMePassword",
                               "TradeMeEmail", "BankAccountName", "BankAccountNumber", "DefaultFPOdays", "FPOunsold",
                               "FPOsold", "RelistUnsold"};
constexpr int columnCount = int(sizeof columns / sizeof *columns);
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One field per column; a field starting "#" is a number (its text read as
    // a double, "nan" and "inf" included), "~" a Null, anything else text.
    const QList<QString> f = fuzz::fields(data, size, columnCount);
    Recordset rs;
    for (const char* column : columns) rs.AppendField(QString::fromLatin1(column), QMetaType::UnknownType);
    if (!rs.OpenInMemory() || !rs.AddNew()) std::abort();
    for (int i = 0; i < columnCount; ++i) {
        QVariant value = f[i];
        if (f[i].startsWith(u'#')) value = f[i].mid(1).toDouble();
        else if (f[i] == QLatin1String("~")) value = QVariant();
        rs.setValue(QString::fromLatin1(columns[i]), value);
    }
    rs.Update();
    Configuration before;
    Configuration loaded = before;
    QString error;
    if (!loaded.Load(rs, &error)) {
        // A failed load leaves the configuration as it was, and says why.
        if (error.isEmpty() || loaded.TradeMeMemberId != before.TradeMeMemberId) std::abort();
    }
    return 0;
}
