#include "UpdateSession.h"

#include "ExportFile.h"
#include "core/ProgramContext.h"
#include "platform/MessageService.h"

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
    QStringList heldBack;
    if (!ExportFile::ReadFile(mListType, rs, &error, &heldBack)) {
        ShowUpdateError(error);
        return false;
    }
    // As rows without a date are at the save: left out, named, and read again by the next run.
    if (!heldBack.isEmpty())
        MsgBox(QStringLiteral("These listings were not read because the site gave an amount that is not a number:\r\n") +
                   heldBack.join(QStringLiteral("\r\n")),
               vbmsg::Exclamation, ProgramContext::current().gAppTitle);
    return true;
}
