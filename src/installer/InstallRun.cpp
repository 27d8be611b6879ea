#include "InstallRun.h"

#include "platform/MessageService.h"
#include "platform/SingleInstance.h"
#include "platform/SiteConfig.h"
#include "platform/transfer/Downloader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString InfoName = QStringLiteral("files.info");
}  // namespace

InstallRun::InstallRun(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(QDir(folder).absolutePath()), m_order(HandOver::Read()), m_starter(&InstallRun::StartDetached)
{
}

InstallRun::~InstallRun()
{
    delete m_transfer;
}

QString InstallRun::caption() const
{
    return m_order.IsInstall() ? QStringLiteral("Vendaro Installation") : QStringLiteral("Vendaro Update");
}

QString InstallRun::packagePath() const { return QDir(m_folder).filePath(m_order.filename); }

QString InstallRun::downloadUrl() const
{
    return SiteConfig::makerUrl() + QStringLiteral("/downloads/") + QString::fromLatin1(QUrl::toPercentEncoding(m_order.filename));
}

void InstallRun::setTimeouts(int timeoutMs, int stallTimeoutMs)
{
    m_timeoutMs = timeoutMs;
    m_stallTimeoutMs = stallTimeoutMs;
}

QString InstallRun::MainProgram(const QString& folder)
{
    const QString standIn = qEnvironmentVariable("VENDARO_START_PROGRAM");
    return standIn.isEmpty() ? QDir(folder).filePath(PackageInstaller::MainProgramName) : standIn;
}

bool InstallRun::StartDetached(const QString& program, const QString& folder)
{
    return QFileInfo(program).isExecutable() && QProcess::startDetached(program, {}, folder);
}

QString InstallRun::DownloadFailedMessage()
{
    return QStringLiteral("An error occurred downloading installation files.") + CrLf + CrLf + QStringLiteral("Check you are connected to the internet.");
}

QString InstallRun::ExtractFailedMessage(const QString& reason)
{
    return QStringLiteral("Installation download failed!") + CrLf + CrLf + QStringLiteral("[Error: ") + reason + QStringLiteral("]") + CrLf + CrLf +
           QStringLiteral("Check you are connected to the internet.");
}

QString InstallRun::CancelQuestion()
{
    return QStringLiteral("If you cancel before the installation process has finished vendaro may not run correctly.  It is highly recommended "
                          "that you wait until the installation is complete.") +
           CrLf + CrLf + QStringLiteral("Are you sure you want to cancel?");
}

void InstallRun::setStatus(const QString& status)
{
    m_status = status;
    emit statusChanged(status);
}

int InstallRun::ShowMessage(const QString& message, int style)
{
    // The bar stands still while the seller reads.
    const bool running = m_pacer.isActive();
    m_pacer.stop();
    m_asking = true;
    const int answer = MsgBox(message, style, QString::fromLatin1(Title));
    m_asking = false;
    if (running && m_state != State::Finished) m_pacer.start();
    return answer;
}

void InstallRun::DeleteDownloadFiles()
{
    if (!m_order.filename.isEmpty() && HandOver::IsPlainFileName(m_order.filename)) QFile::remove(packagePath());
    QFile::remove(QDir(m_folder).filePath(InfoName));
}

void InstallRun::Begin()
{
    if (m_begun) return;
    m_begun = true;
    m_pacer.start();
    m_instance = std::make_unique<SingleInstance>(QString::fromLatin1(InstanceName));
    if (!m_instance->tryLock()) {
        m_secondInstance = true;
        ShowMessage(QStringLiteral("Another instance of this program is already running"), vbmsg::Information);
        finish();
        return;
    }
    // What a run killed before left beside the program's files goes first, order or none.
    PackageInstaller::ClearLeftovers(m_folder);
    if (!m_order.IsOrder()) {
        finish();
        return;
    }
    HandOver::DeleteAction();
    DeleteDownloadFiles();
    m_state = State::Downloading;
    setStatus(m_order.IsInstall() ? QStringLiteral("Downloading Vendaro Installation Files") : QStringLiteral("Downloading Vendaro Update Files"));
    m_transfer = new QObject(this);
    Downloader::Start(
        QUrl(downloadUrl()), m_timeoutMs, MaxPackageBytes, m_transfer,
        [this](const Downloader::Result& r) { downloaded(r.ok, r.data, r.error); }, m_stallTimeoutMs);
}

void InstallRun::downloaded(bool ok, const QByteArray& data, const QString& error)
{
    delete m_transfer;
    if (ok) {
        QSaveFile file(packagePath());
        ok = file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
        if (!ok) qWarning("VendaroInstaller: %s cannot be saved: %s", qPrintable(packagePath()), qPrintable(file.errorString()));
    } else {
        qWarning("VendaroInstaller: %s: %s", qPrintable(downloadUrl()), qPrintable(error));
    }
    if (!ok) {
        m_state = State::Finishing;
        ShowMessage(DownloadFailedMessage(), vbmsg::Critical);
        DeleteDownloadFiles();
        finish();
        return;
    }
    m_pacer.setToMaximum();
    startExtraction();
}

void InstallRun::startExtraction()
{
    m_state = State::Extracting;
    setStatus(QStringLiteral("Extracting Vendaro Files"));
    if (m_state != State::Extracting) return;  // closed meanwhile
    m_pacer.setValue(0);
    if (!m_package.Prepare(packagePath(), m_folder)) {
        extractFailed();
        return;
    }
    QTimer::singleShot(0, this, &InstallRun::extractNext);
}

void InstallRun::extractNext()
{
    if (m_state != State::Extracting) return;
    // Not while the seller is being asked whether to cancel: the answer decides.
    if (m_asking) {
        m_stepWaiting = true;
        return;
    }
    if (m_package.allExtracted()) {
        if (!m_package.Commit()) {
            extractFailed();
            return;
        }
        completed();
        return;
    }
    if (!m_package.ExtractNext()) {
        extractFailed();
        return;
    }
    QTimer::singleShot(0, this, &InstallRun::extractNext);
}

void InstallRun::extractFailed()
{
    qWarning("VendaroInstaller: %s %s", qPrintable(m_package.reason()), qPrintable(m_package.detail()));
    m_package.Abandon();
    m_state = State::Finishing;
    ShowMessage(ExtractFailedMessage(m_package.reason()), vbmsg::Critical);
    DeleteDownloadFiles();
    finish();
}

void InstallRun::completed()
{
    m_state = State::Finishing;
    m_pacer.stop();
    m_pacer.setToMaximum();
    if (!m_order.IsInstall()) ShowMessage(QStringLiteral("Update completed"), vbmsg::Information);
    const QString program = MainProgram(m_folder);
    if (!m_starter(program, m_folder))
        ShowMessage(QStringLiteral("Vendaro could not be started.") + CrLf + CrLf + program, vbmsg::Critical);
    DeleteDownloadFiles();
    finish();
}

void InstallRun::finish()
{
    m_state = State::Finished;
    m_pacer.stop();
    emit finished();
}

bool InstallRun::RequestClose()
{
    m_closing = true;
    switch (m_state) {
    case State::Idle:
    case State::Finished:
        // A second copy leaves the running one's files alone.
        if (!m_secondInstance && m_instance && m_instance->isLocked()) DeleteDownloadFiles();
        m_state = State::Finished;
        m_pacer.stop();
        return true;
    case State::Finishing:
        // A message of the run's end is showing; the run closes the window itself.
        return false;
    case State::Downloading:
        // The transfer stops at once; the seller asked for it, so no error follows.
        delete m_transfer;
        setStatus(QStringLiteral("Please wait...cancelled by user"));
        DeleteDownloadFiles();
        m_state = State::Finished;
        m_pacer.stop();
        return true;
    case State::Extracting: {
        if (m_asking) return false;
        const int answer = ShowMessage(CancelQuestion(), vbmsg::YesNo + vbmsg::Critical);
        if (answer != vbmsg::Yes) {
            m_closing = false;
            if (m_stepWaiting) {
                m_stepWaiting = false;
                QTimer::singleShot(0, this, &InstallRun::extractNext);
            }
            return false;
        }
        // Nothing has been replaced yet: the installation stays as it was.
        m_package.Abandon();
        DeleteDownloadFiles();
        m_state = State::Finished;
        m_pacer.stop();
        return true;
    }
    }
    return true;
}
