#include "modDatabase.h"

#include "ProgramContext.h"
#include "clsActions.h"
#include "clsDatabase.h"
#include "platform/AppSettings.h"
#include "platform/MessageService.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Sql.h"
#include "platform/db/Transaction.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace modDatabase {

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString DatabaseSection = QStringLiteral("Database");

bool sameVersion(double a, double b) { return std::fabs(a - b) < 1e-9; }

// One upgrade step: the columns it adds (if missing), then the values it sets,
// all in one transaction.
bool upgradeStep(const QList<QPair<QString, QString>>& columns, const QString& update, const QVariantList& values)
{
    ProgramContext& ctx = ProgramContext::current();
    Transaction tx(ctx.gConnection);
    if (!tx.isActive()) return false;
    const QStringList existing = ctx.gConnection->TableColumns(QStringLiteral("Configuration"));
    for (const auto& [name, type] : columns) {
        if (existing.contains(name, Qt::CaseInsensitive)) continue;  // a half-done step is finished, not refused
        if (!ctx.gDatabase->OpenDB(QStringLiteral("ALTER TABLE Configuration ADD COLUMN ") + name + u' ' + type, false, false, true))
            return false;
    }
    if (!ctx.gDatabase->OpenDB(update, values, false, false, true)) return false;
    return tx.Commit();
}

}  // namespace

void CloseDatabase()
{
    ProgramContext& ctx = ProgramContext::current();
    if (ctx.gRecordset) ctx.gRecordset->Close();
    if (ctx.gConnection) ctx.gConnection->Close();
}

bool UpgradeDatabase(double Version)
{
    ProgramContext& ctx = ProgramContext::current();
    while (!sameVersion(Version, ProgramContext::RequiredDatabaseVersion)) {
        bool ok = false;
        double next = 0;
        if (sameVersion(Version, 1.0)) {
            next = 1.0001;
            ok = upgradeStep({{QStringLiteral("FPOunsold"), QStringLiteral("INTEGER YESNO DEFAULT 1")},
                              {QStringLiteral("FPOsold"), QStringLiteral("INTEGER YESNO DEFAULT 1")},
                              {QStringLiteral("RelistUnsold"), QStringLiteral("INTEGER YESNO DEFAULT 1")}},
                             QStringLiteral("UPDATE Configuration SET FPOunsold=1, FPOsold=1, RelistUnsold=1, DatabaseVersion=?"),
                             {next});
        } else if (sameVersion(Version, 1.0001)) {
            next = 1.0002;
            ok = upgradeStep({{QStringLiteral("TradeMeMemberId"), QStringLiteral("TEXT COLLATE NOCASE DEFAULT '0'")}},
                             QStringLiteral("UPDATE Configuration SET TradeMeMemberId='0', DatabaseVersion=?"), {next});
        }
        if (!ok) {
            MsgBox(QStringLiteral("An error occurred trying to update the database"), vbmsg::Critical, ctx.gAppTitle);
            return false;
        }
        Version = next;
    }
    return true;
}

void AddToRecentList(const QString& FileName, const QString& FileTitle)
{
    ProgramContext& ctx = ProgramContext::current();
    auto& names = ctx.gRecentFileNames;
    auto& titles = ctx.gRecentFileTitles;
    const int n = ProgramContext::RecentCount;
    int i = 0;
    while (i < n && names[i] != FileName) ++i;  // paths compare exactly
    // Remove the entry (or the oldest), shift the rest down, put the file first.
    for (int j = std::min(i, n - 1); j > 0; --j) {
        names[j] = names[j - 1];
        titles[j] = titles[j - 1];
    }
    names[0] = FileName;
    titles[0] = FileTitle;
}

void LoadRecentList()
{
    ProgramContext& ctx = ProgramContext::current();
    for (int i = 0; i < ProgramContext::RecentCount; ++i) {
        ctx.gRecentFileNames[i] = AppSettings::GetSetting(DatabaseSection, QStringLiteral("RecentFileName%1").arg(i + 1), ctx.gRecentFileNames[i]);
        ctx.gRecentFileTitles[i] = AppSettings::GetSetting(DatabaseSection, QStringLiteral("RecentFileTitle%1").arg(i + 1), ctx.gRecentFileTitles[i]);
    }
}

namespace {
QList<QPair<QString, QString>> recentListValues()
{
    ProgramContext& ctx = ProgramContext::current();
    QList<QPair<QString, QString>> values;
    for (int i = 0; i < ProgramContext::RecentCount; ++i) {
        values.append({QStringLiteral("RecentFileName%1").arg(i + 1), ctx.gRecentFileNames[i]});
        values.append({QStringLiteral("RecentFileTitle%1").arg(i + 1), ctx.gRecentFileTitles[i]});
    }
    return values;
}
}  // namespace

void SaveRecentList() { AppSettings::SaveSettings(DatabaseSection, recentListValues()); }

bool IsProgramDatabase(const QString& path)
{
    const QDir folder(ProgramContext::current().gAppFolder);
    const QFileInfo info(path);
    for (const char* own : {"data.mdb", "emailer.mdb"}) {
        const QFileInfo ownFile(folder.filePath(QLatin1String(own)));
        // By the file itself (links, other spellings), or by name in the program folder when it is not there.
        if (info.exists() && ownFile.exists() && info.canonicalFilePath() == ownFile.canonicalFilePath()) return true;
        if (info.absolutePath() == folder.absolutePath() && info.fileName().compare(QLatin1String(own), Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

bool OpenDatabase(const QString& FileName, const QString& FileTitle, bool ShowError, bool AddToRecent)
{
    ProgramContext& ctx = ProgramContext::current();
    ctx.CreateObjects();

    // reason: why the file itself was refused (damaged, read-only, ...).
    auto failure = [&](const QString& reason = QString()) {
        CloseDatabase();
        if (ShowError)
            MsgBox(QStringLiteral("An error occurred trying to open database:") + CrLf + FileName + CrLf + CrLf +
                       QStringLiteral("Be sure you are opening a valid Vendaro database.") +
                       (reason.isEmpty() ? QString() : CrLf + CrLf + reason),
                   vbmsg::Critical, ctx.gAppTitle);
        return false;
    };

    if (!ctx.gConnection->Open(FileName)) return failure(ctx.gConnection->lastError());

    Recordset& rs = *ctx.gRecordset;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT DatabaseVersion FROM Configuration"), false, true, false)) return failure();
    if (rs.isEOF()) {
        rs.Close();
        return failure();
    }
    bool numeric = false;
    const double version = rs.value(0).toDouble(&numeric);
    const bool readable = numeric && !rs.value(0).isNull();
    rs.Close();
    if (!readable) return failure();
    if (version < ProgramContext::RequiredDatabaseVersion && !sameVersion(version, ProgramContext::RequiredDatabaseVersion) &&
        !UpgradeDatabase(version))
        return failure();

    ctx.gDatabaseFile = FileName;
    ctx.gDatabaseTitle = FileTitle;

    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT * FROM Configuration"), false, true, false)) return failure();
    if (rs.isEOF()) {
        rs.Close();
        return failure();
    }
    const bool loaded = ctx.gConfiguration.Load(rs);
    rs.Close();
    if (!loaded) return failure();

    ctx.gActions->LoadActionsFromDatabase();

    QList<QPair<QString, QString>> settings = {{QStringLiteral("LastFileName"), ctx.gDatabaseFile},
                                               {QStringLiteral("LastFileTitle"), ctx.gDatabaseTitle}};
    if (AddToRecent) {
        AddToRecentList(ctx.gDatabaseFile, ctx.gDatabaseTitle);
        settings += recentListValues();
    }
    AppSettings::SaveSettings(DatabaseSection, settings);
    return true;
}

}  // namespace modDatabase
