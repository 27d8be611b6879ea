#include "OutboxSender.h"

#include "MailFormPage.h"
#include "platform/AppSettings.h"
#include "platform/MessageService.h"
#include "platform/browser/WebBrowser.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

QString OutboxSender::Title() { return QStringLiteral("Vendaro email outbox"); }

OutboxSender::OutboxSender(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder), m_instance(QDir(folder).filePath(QStringLiteral("Emailer.lock"))), m_caption(Title())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &OutboxSender::onReplyTimeout);
}

OutboxSender::~OutboxSender()
{
    if (!m_finished) cleanUp();
}

QString OutboxSender::pagePath() const { return QDir(m_folder).filePath(QStringLiteral("emailer.sub")); }

QString OutboxSender::outboxPath() const { return QDir(m_folder).filePath(QStringLiteral("emailer.mdb")); }

bool OutboxSender::Begin()
{
    // A copy that is still ending is waited for briefly: quitting at once would
    // leave the e-mail that started this copy unsent. A copy that keeps
    // running sends it, since it reads the outbox again after every e-mail.
    // Without the lock nothing is touched: the page file is the other copy's.
    if (!m_instance.Acquire(m_lockWaitMs)) {
        m_finished = true;
        return false;
    }
    if (AppSettings::GetSetting(QStringLiteral("Settings"), QStringLiteral("emailer")) != QLatin1String("Valid")) {
        End();
        return false;
    }
    // The next start needs a new hand-over.
    AppSettings::DeleteSetting(QStringLiteral("Settings"), QStringLiteral("emailer"));
    AppSettings::Sync();

    QString formTemplate;
    if (!m_store.Open(outboxPath()) || !m_store.FormTemplate(&formTemplate)) {
        MsgBox(QStringLiteral("The email outbox cannot be read, so no email was sent:") + CrLf + QDir::toNativeSeparators(outboxPath()) +
                   CrLf + CrLf + m_store.lastError(),
               vbmsg::Critical, Title());
        End();
        return false;
    }
    m_template = MailFormPage::Prepare(formTemplate);
    return true;
}

void OutboxSender::setBrowser(WebBrowser* browser)
{
    if (m_browser) disconnect(m_browser, nullptr, this, nullptr);
    m_browser = browser;
    if (!browser) return;
    connect(browser, &WebBrowser::DownloadBegin, this, [this] { m_loadBegun = true; });
    connect(browser, &WebBrowser::DocumentComplete, this, &OutboxSender::onDocumentComplete);
}

void OutboxSender::SendNextMessage()
{
    if (m_finished) return;
    OutboxMessage next;
    int remaining = 0;
    if (!m_store.Next(&next, &remaining)) {
        MsgBox(QStringLiteral("The email outbox cannot be read:") + CrLf + CrLf + m_store.lastError(), vbmsg::Critical, Title());
        End();
        return;
    }
    if (remaining == 0) {
        End();
        return;
    }
    m_caption = Title() + QStringLiteral(" - ") + QString::number(remaining) + QStringLiteral(" emails remaining");
    emit captionChanged(m_caption);
    m_current = next;

    // The page holds the buyer's address and message: the seller's eyes only.
    QSaveFile page(pagePath());
    if (!page.open(QIODevice::WriteOnly) || !page.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        page.write(MailFormPage::Fill(m_template, m_current).toUtf8()) < 0 || !page.commit()) {
        replyFailed(QStringLiteral("The page %1 could not be written: %2").arg(QDir::toNativeSeparators(pagePath()), page.errorString()));
        return;
    }
    LoadPage(1, pagePath());
}

void OutboxSender::LoadPage(int pageState, const QString& path)
{
    m_pageState = pageState;
    m_loadBegun = false;
    m_waiting = true;
    // A page or a reply that never comes is a failed send, not a wait for ever.
    m_timer.start(m_replyTimeoutMs);
    if (m_browser) m_browser->Navigate(path);
}

bool OutboxSender::isFormPage(const QString& address) const
{
    const QString path = WebBrowser::localPath(address);
    return !path.isEmpty() && QDir::cleanPath(path) == QDir::cleanPath(pagePath());
}

void OutboxSender::onDocumentComplete(const QString& address)
{
    if (!m_waiting || !m_loadBegun || !m_browser) return;
    const QString text = m_browser->BodyText();
    // An empty body: the page has not finished; the next event tells.
    if (text.trimmed().isEmpty()) return;
    if (isFormPage(address)) {
        // The filled form has loaded and submits itself.
        if (m_pageState == 1) m_pageState = 2;
        return;
    }
    // Any other page is the service's reply, also when the form page itself
    // was reported without its text (it had already gone on).
    if (m_pageState != 1 && m_pageState != 2) return;
    m_waiting = false;
    m_timer.stop();
    if (text.contains(QLatin1String("[success]"))) removeAndContinue();
    else replyFailed(text);
}

void OutboxSender::onReplyTimeout()
{
    if (!m_waiting || m_finished) return;
    m_waiting = false;
    if (m_browser) m_browser->Stop();
    const int seconds = qMax(1, (m_replyTimeoutMs + 999) / 1000);
    replyFailed(QStringLiteral("No reply came from the mail service within %1 seconds.").arg(seconds));
}

void OutboxSender::replyFailed(const QString& text)
{
    m_waiting = false;
    m_timer.stop();
    const int answer = MsgBox(QStringLiteral("Email not sent. Error message received:") + CrLf + CrLf + text + CrLf + CrLf +
                                  QStringLiteral("FROM: ") + m_current.From + CrLf + QStringLiteral("TO: ") + m_current.To + CrLf +
                                  QStringLiteral("CC: ") + m_current.CC + CrLf + QStringLiteral("SUBJECT: ") + m_current.Subject +
                                  CrLf + QStringLiteral("MESSAGE: ") + m_current.TextBody + CrLf + CrLf + QStringLiteral("Try again?"),
                              vbmsg::Critical + vbmsg::YesNo + vbmsg::DefaultButton1, Title());
    if (m_finished) return;  // ended while the seller was asked
    if (answer == vbmsg::Yes) {
        continueLater();  // the row is still queued: the same e-mail again
        return;
    }
    const bool remove =
        MsgBox(QStringLiteral("Do you want to remove this message from the outbox?"), vbmsg::YesNo + vbmsg::DefaultButton1, Title()) == vbmsg::Yes;
    if (m_finished) return;
    if (remove) {
        removeAndContinue();
        return;
    }
    End();  // the e-mail stays queued for the next start
}

void OutboxSender::removeAndContinue()
{
    if (!m_store.Remove(m_current.AutoId)) {
        // Going on would send the same e-mail again and again.
        MsgBox(QStringLiteral("The email to %1 was sent, but it could not be removed from the outbox, so it will be sent again "
                              "next time:")
                       .arg(m_current.To) +
                   CrLf + CrLf + m_store.lastError(),
               vbmsg::Critical, Title());
        End();
        return;
    }
    continueLater();
}

void OutboxSender::continueLater()
{
    // Out of the browser's event: the next page is loaded from the event loop.
    QMetaObject::invokeMethod(this, &OutboxSender::SendNextMessage, Qt::QueuedConnection);
}

void OutboxSender::End()
{
    if (m_finished) return;
    cleanUp();
    emit finished();
}

void OutboxSender::cleanUp()
{
    m_finished = true;
    m_waiting = false;
    m_timer.stop();
    if (m_browser) m_browser->Stop();
    // Only the copy that holds the lock owns the page file.
    if (m_instance.held()) QFile::remove(pagePath());
    m_store.Close();
    m_instance.Release();
}
