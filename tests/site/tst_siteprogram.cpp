// The stand-in site as the demo starts it: a port of its own even when the
// usual one is taken, and the port it serves written for the run command.
#include "StandInSite.h"
#include "TestEnvironment.h"

#include <QProcess>
#include <QTemporaryDir>

class tst_siteprogram : public QObject {
    Q_OBJECT

    static QString program() { return QStringLiteral(VENDARO_SITE_PROGRAM); }

    // Starts the program and waits for its port file (or its end).
    static bool start(QProcess& site, const QStringList& arguments, const QString& portFile)
    {
        site.start(program(), arguments + QStringList{"--port-file", portFile});
        if (!site.waitForStarted()) return false;
        for (int i = 0; i < 100 && !QFileInfo(portFile).size() && site.state() == QProcess::Running; ++i) site.waitForFinished(50);
        return QFileInfo(portFile).size() > 0;
    }

private slots:
    void takenPortIsReportedOrReplaced()
    {
        StandInSite holder;  // holds a port, as another program would
        QVERIFY(holder.start(0));
        const QString taken = QString::number(holder.port());
        QTemporaryDir dir;

        QProcess strict;
        QVERIFY(!start(strict, {"--port", taken}, dir.filePath("strict.port")));
        QTRY_COMPARE(strict.state(), QProcess::NotRunning);
        QCOMPARE(strict.exitCode(), 1);
        QVERIFY(QString::fromUtf8(strict.readAllStandardOutput()).contains("cannot listen on 127.0.0.1:" + taken));

        QProcess flexible;
        QVERIFY(start(flexible, {"--port", taken, "--any-port"}, dir.filePath("any.port")));
        QFile portFile(dir.filePath("any.port"));
        QVERIFY(portFile.open(QIODevice::ReadOnly));
        const QString port = QString::fromUtf8(portFile.readAll()).trimmed();
        QVERIFY(port.toInt() > 0);
        QVERIFY(port != taken);
        flexible.kill();
        flexible.waitForFinished();
    }
};

VENDARO_TEST_MAIN(tst_siteprogram)
#include "tst_siteprogram.moc"
