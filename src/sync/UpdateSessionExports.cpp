#include "UpdateSession.h"

#include "ExportFile.h"

#include <QUrl>

void UpdateSession::SetExportURLs(const QString& filterText)
{
    mDays = ExportFile::DaysOfFilter(filterText);
    for (int n = 0; n < 3; ++n) mListURL[n] = ExportFile::URL(n, mDays);
}

void UpdateSession::DownloadCSV(std::function<void(bool)> done)
{
    const int n = mListType;
    delete m_transfer;
    m_transfer = new QObject(this);
    QPointer<QObject> transfer = m_transfer;
    ExportFile::Download(n, QUrl(mListURL[n]), m_transfer, [n, transfer, done = std::move(done)](bool ok, const QString& error) {
        if (transfer) transfer->deleteLater();
        if (!ok)
            ShowUpdateError(QStringLiteral("An error occurred downloading data file (%1).\r\n%2").arg(n).arg(error));
        done(ok);
    });
}

bool UpdateSession::ReadCSVFile(Recordset& rs)
{
    QString error;
    if (ExportFile::ReadFile(mListType, rs, &error)) return true;
    ShowUpdateError(error);
    return false;
}
