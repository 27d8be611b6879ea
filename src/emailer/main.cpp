// Emailer: the outbox sender. Started by the main program after it queues an
// e-mail; sends everything queued in emailer.mdb, then ends.

#include "OutboxSender.h"
#include "TerminationSignals.h"
#include "frmMain.h"
#include "platform/MessageService.h"

#include <QApplication>

#include <unistd.h>

int main(int argc, char* argv[])
{
    // Chromium will not start as root with its sandbox on.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Settings name "Vendaro" themselves; this name gives the browser a data
    // folder of its own, so the two programs never share Chromium's files.
    QApplication::setOrganizationName(QStringLiteral("Vendaro"));
    QApplication::setApplicationName(QStringLiteral("Emailer"));
    MessageService::setDefaultTitle(OutboxSender::Title());

    OutboxSender sender(QApplication::applicationDirPath());
    // Ended by log-out, shut-down or Ctrl+C: the same end as the run's own, so
    // the page holding the buyer's address and message and the lock go.
    TerminationSignals endSignals;
    QObject::connect(&endSignals, &TerminationSignals::received, &app, [&sender] {
        sender.Stop();
        QCoreApplication::exit(0);  // every event loop, a question's too
    });
    // Another copy runs, no hand-over, or an unreadable outbox: nothing to show.
    if (!sender.Begin()) return 0;

    emailer::frmMain window(sender);
    QObject::connect(&sender, &OutboxSender::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.showInBackground();
    sender.SendNextMessage();
    if (sender.isFinished()) return 0;
    return app.exec();
}
