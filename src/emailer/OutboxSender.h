#pragma once
// The outbox sender's run, without its window: takes the single-instance lock
// and the hand-over, then posts the queued e-mails one at a time through the
// mail-form page in a hidden browser, removing each one the service accepts
// and asking the seller what to do with one it refuses.

#include "OutboxMessage.h"
#include "OutboxStore.h"
#include "SingleInstance.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class WebBrowser;

class OutboxSender : public QObject {
    Q_OBJECT
public:
    // The title of the window and of every message.
    static QString Title();
    // How long a copy waits for one that is ending, and how long a message may
    // take from loading its page to the service's reply.
    static constexpr int DefaultLockWaitMs = 5000;
    static constexpr int DefaultReplyTimeoutMs = 60000;

    // folder: the program folder, holding emailer.mdb, emailer.sub and the lock.
    explicit OutboxSender(const QString& folder, QObject* parent = nullptr);
    ~OutboxSender() override;

    void setLockWaitMs(int ms) { m_lockWaitMs = ms; }
    void setReplyTimeoutMs(int ms) { m_replyTimeoutMs = ms; }

    // The start: false when the run ends at once (another copy runs, no
    // hand-over, the outbox or its page cannot be read); then isFinished().
    bool Begin();
    // The browser the pages are loaded in (not owned).
    void setBrowser(WebBrowser* browser);
    // Sends the oldest queued e-mail, or ends the run when none is left.
    void SendNextMessage();
    // Ends the run now, as it ends by itself: the page file and the lock go,
    // the e-mail under way stays queued.
    void Stop() { End(); }

    bool isFinished() const { return m_finished; }
    QString caption() const { return m_caption; }
    QString pagePath() const;
    QString outboxPath() const;
    // The e-mail being sent (tests).
    const OutboxMessage& current() const { return m_current; }

signals:
    void captionChanged(const QString& caption);
    // The run has ended: the window unloads and the program ends.
    void finished();

private:
    void LoadPage(int pageState, const QString& path);
    void onDocumentComplete(const QString& address);
    void onReplyTimeout();
    void replyFailed(const QString& text);
    void removeAndContinue();
    void continueLater();
    bool isFormPage(const QString& address) const;
    void End();
    void cleanUp();

    QString m_folder;
    SingleInstance m_instance;
    OutboxStore m_store;
    QString m_template;
    OutboxMessage m_current;
    QPointer<WebBrowser> m_browser;
    QTimer m_timer;
    QString m_caption;
    int m_pageState = 0;     // 1: the filled form is loading; 2: waiting for the reply
    bool m_waiting = false;  // a page-loaded event is expected
    bool m_loadBegun = false;  // the load asked for has begun: earlier loads' events are stale
    bool m_finished = false;
    int m_lockWaitMs = DefaultLockWaitMs;
    int m_replyTimeoutMs = DefaultReplyTimeoutMs;
};
