#include "ExportFile.h"

#include "ExportCsvReader.h"
#include "ListingRecordsets.h"
#include "core/ProgramContext.h"
#include "core/modCommon.h"
#include "platform/SiteConfig.h"
#include "platform/transfer/Downloader.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSaveFile>

namespace {
int timeoutMs = 60000;
const QString exportPath = QStringLiteral("/MyTradeMe/Export/MyListingsCSV.aspx");
}  // namespace

int ExportFile::DaysOfFilter(const QString& filterText) { return filterText == QLatin1String("Last 45 days") ? 45 : 7; }

QString ExportFile::Filter(int days)
{
    return days == 45 ? QStringLiteral("&filter=all") : QStringLiteral("&filter=last_7_days");
}

QString ExportFile::URL(int listType, int days)
{
    const QString site = SiteConfig::siteUrl();
    switch (listType) {
    case ListingRecordsets::Current:
        return site + exportPath + QStringLiteral("?ListingType=Current&searchTerm=") + Filter(days);
    case ListingRecordsets::Sold:
        return site + exportPath + QStringLiteral("?ListingType=Sold&show_deleted=1") + Filter(days);
    default: return site + QStringLiteral("/MyTradeMe/Sell/Unsold.aspx");
    }
}

QString ExportFile::FileName(int listType) { return QStringLiteral("tmdata%1.csv").arg(listType); }

QString ExportFile::FilePath(int listType)
{
    return QDir(ProgramContext::current().gAppFolder).filePath(FileName(listType));
}

int ExportFile::TimeoutMs() { return timeoutMs; }
void ExportFile::setTimeoutMs(int ms) { timeoutMs = ms; }

void ExportFile::Download(int listType, const QUrl& url, QObject* context, Done done)
{
    modCommon::DeleteFile(FileName(listType));
    // The path is taken now: the program folder of the run that asked.
    const QString path = FilePath(listType);
    Downloader::Start(url, timeoutMs, Downloader::DefaultMaxBytes, context,
                      [path, done = std::move(done)](const Downloader::Result& r) {
                          if (!r.ok) return done(false, r.error);
                          QSaveFile file(path);
                          if (!file.open(QIODevice::WriteOnly) || file.write(r.data) != r.data.size() || !file.commit())
                              return done(false, file.errorString());
                          done(true, QString());
                      });
}

bool ExportFile::ReadFile(int listType, Recordset& rs, QString* error, QStringList* heldBack)
{
    if (heldBack) heldBack->clear();
    auto unreadable = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("An error occurred reading data file (%1).\r\n%2").arg(listType).arg(reason);
        return false;
    };
    QFile file(FilePath(listType));
    if (!file.open(QIODevice::ReadOnly)) return unreadable(file.errorString());
    if (file.size() > Downloader::DefaultMaxBytes) return unreadable(QStringLiteral("The file is larger than any export the site sends."));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return unreadable(file.errorString());
    file.close();
    if (!ExportCsvReader::Read(bytes, listType, rs, error, heldBack)) return false;
    modCommon::DeleteFile(FileName(listType));
    return true;
}
