// What the seller types into a search field becomes a condition of the list's
// query: for any text, the condition is valid SQL and matches by value.
#include "FuzzInput.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/MessageService.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {
// Any message is a failure here: a search never reports an error.
class AbortingMessages : public MessageService {
public:
    int MsgBox(const QString& prompt, int, const QString&) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(prompt));
        std::abort();
    }
    bool InputBox(const QString&, const QString&, const QString&, QString*) override { std::abort(); }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { std::abort(); }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { std::abort(); }
    QColor ChooseColor(const QColor&, const QString&) override { std::abort(); }
};

const char* const tags[] = {
    "like=Auction.ItemId,ItemId,Description,SELECT ItemId,Description FROM Item",
    "like=Auction.CustomerId,CustomerId,CustomerId,SELECT CustomerId FROM Customer",
    "like=Auction.CustomerId,CustomerId,Name,SELECT CustomerId,Name FROM Customer",
    "like=Auction.AuctionId,AuctionId,AuctionId,SELECT AuctionId FROM Auction",
    "like=Auction.Description,Description,Description,SELECT Description FROM Auction",
};
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir folder;
    static AbortingMessages messages;
    MessageService::install(&messages);
    const QString path = QDir(folder.path()).filePath(QStringLiteral("shop.mdb"));
    if (!QFile::copy(QStringLiteral(VENDARO_TEMPLATE_DATABASE), path)) std::abort();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    ProgramContext& ctx = ProgramContext::current();
    ctx.gAppFolder = folder.path();
    ctx.CreateObjects();
    if (!modDatabase::OpenDatabase(path, QStringLiteral("shop.mdb"), false, false)) std::abort();
    for (const char* sql : {"INSERT INTO Customer (CustomerId, Name) VALUES ('zoe', 'Zoë Müller'), ('api', 'Āpirana'), "
                            "('obrien', 'Sean O''Brien'), ('pct', '100% Cotton_Shop')",
                            "INSERT INTO Item (ItemId, Description) VALUES ('BOX,X=1', 'Box, large'), ('TEA', 'Tēapot')",
                            "INSERT INTO Auction (AuctionId, Description, CustomerId, ItemId) VALUES ('1001', 'Äpfel', 'zoe', 'TEA'), "
                            "('1002', 'Red vase', 'obrien', 'BOX,X=1')"})
        if (!ctx.gConnection->Execute(QString::fromUtf8(sql))) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const QString typed = fuzz::text(data + 1, size - 1);
    ProgramContext& ctx = ProgramContext::current();
    const SqlCondition condition = ctx.gDatabase->GetLike(QString::fromLatin1(tags[data[0] % 5]), typed);
    Recordset rs;
    if (!rs.Open(QStringLiteral("SELECT COUNT(*) FROM Auction LEFT JOIN Customer ON Auction.CustomerId = Customer.CustomerId WHERE ") +
                     condition.text + QStringLiteral(" 1"),
                 ctx.gConnection, Recordset::adOpenStatic, Recordset::adLockReadOnly, condition.binds))
        std::abort();
    return 0;
}
