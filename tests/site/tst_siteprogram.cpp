// The stand-in site as the demo starts it: a port of its own even when the
// usual one is taken, and the port it serves written for the run command.
#include "StandInSite.h"
#include "TestEnvironment.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

class tst_siteprogram : public QObject {
    Q_OBJECT

    static QString program() { return QStringLiteral(VENDARO_SITE_PROGRAM); }

    static QString portIn(const QString& portFile)
    {
        QFile file(portFile);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
    }

    // Starts the program and waits for its port file (or its end).
    static bool start(QProcess& site, const QStringList& arguments, const QString& portFile)
    {
        site.start(program(), arguments + QStringList{"--port-file", portFile});
        if (!site.waitForStarted(60000)) return false;
        const QDeadlineTimer patience(60000);
        while (!QFileInfo(portFile).size() && site.state() == QProcess::Running && !patience.hasExpired()) site.waitForFinished(50);
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

    // The program's test switch: the login's session cookie is SameSite=Strict
    // with --samesite-strict, Lax without it.
    void sameSiteSwitch_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("attribute");
        QTest::newRow("as usual") << QStringList{} << QByteArray("; HttpOnly; SameSite=Lax");
        QTest::newRow("strict") << QStringList{"--samesite-strict"} << QByteArray("; SameSite=Strict");
    }
    void sameSiteSwitch()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, attribute);
        QTemporaryDir dir;
        QFile fixture(dir.filePath("site.json"));
        QVERIFY(fixture.open(QIODevice::WriteOnly));
        fixture.write(R"({ "accounts": [ { "userId": "kiwi_seller", "email": "k@example.co.nz", "password": "p", "member": "1" } ] })");
        fixture.close();
        QProcess site;
        QVERIFY(start(site, arguments + QStringList{"--port", "0", "--fixture", fixture.fileName()}, dir.filePath("site.port")));
        QNetworkAccessManager nam;
        QNetworkRequest login(QUrl(QStringLiteral("http://127.0.0.1:%1/Members/Login.aspx").arg(portIn(dir.filePath("site.port")))));
        login.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        login.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        std::unique_ptr<QNetworkReply> reply(nam.post(login, QByteArrayLiteral("email=k%40example.co.nz&password=p")));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        QVERIFY(reply->isFinished() || finished.wait(60000));
        QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 302);
        const QByteArray cookie = reply->rawHeader("Set-Cookie");
        QVERIFY2(cookie.startsWith("vsession=") && cookie.endsWith(attribute), cookie.constData());
        site.kill();
        site.waitForFinished();
    }
};

VENDARO_TEST_MAIN(tst_siteprogram)
#include "tst_siteprogram.moc"
