// An update killed at any moment (the installer child, killed from here):
// every listed file is wholly old or wholly new, a new main program means
// every file is new (it is put in place last, so a kill before it leaves the
// old program, which offers the update again), and the next run's start
// leaves no temporary file or second name behind.

#include "ChildLines.h"
#include "TestEnvironment.h"
#include "ZipFixture.h"
#include "installer/PackageInstaller.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <thread>

namespace {
struct Listed {
    QString name;
    int size;  // bytes of the new version
};
// The main program listed first, as a package may list it.
const QList<Listed> Files{{QStringLiteral("vendaro"), 3 << 20},
                          {QStringLiteral("Emailer"), 2 << 20},
                          {QStringLiteral("data.mdb"), 1 << 20},
                          {QStringLiteral("lib/libvendaro.so"), 2 << 20}};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
// Bytes that do not squeeze, so unpacking takes a while.
QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}
}  // namespace

class tst_installkill : public QObject {
    Q_OBJECT
    QTemporaryDir work;
    QString folder;
    QString zip;
    QMap<QString, QByteArray> oldFiles, newFiles;

    // The installation before the update: the old version of every file.
    void resetFolder()
    {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (auto it = oldFiles.cbegin(); it != oldFiles.cend(); ++it) QVERIFY(writeFile(QDir(folder).filePath(it.key()), it.value()));
    }
    QProcess* start(const QStringList& extra = {})
    {
        auto* child = new QProcess;
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(QStringLiteral(VENDARO_INSTALL_CHILD), QStringList{folder, zip} + extra);
        return child;
    }
    // What the folder holds now: "" when every file is whole and the versions
    // are not mixed the wrong way, else what is wrong. *allNew tells which.
    QString judge(bool* allNew)
    {
        int fresh = 0;
        for (const Listed& f : Files) {
            const QByteArray now = readFile(QDir(folder).filePath(f.name));
            if (now == newFiles[f.name]) ++fresh;
            else if (now != oldFiles[f.name]) return f.name + QStringLiteral(" is neither version (%1 bytes)").arg(now.size());
        }
        *allNew = fresh == Files.size();
        if (readFile(QDir(folder).filePath(PackageInstaller::MainProgramName)) == newFiles[PackageInstaller::MainProgramName] && !*allNew)
            return QStringLiteral("the new main program with %1 of %2 files new").arg(fresh).arg(Files.size());
        return QString();
    }
    // Every file below the folder whose name starts with a dot.
    QStringList hidden() const
    {
        QStringList out;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (it.fileName().startsWith(u'.')) out << QDir(folder).relativeFilePath(path);
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(work.isValid());
        folder = work.filePath(QStringLiteral("program"));
        zip = work.filePath(QStringLiteral("vendaro.zip"));
        QList<ZipItem> items;
        QStringList info;
        quint32 seed = 1;
        for (const Listed& f : Files) {
            oldFiles[f.name] = "old " + f.name.toUtf8() + '\n' + noise(4096, seed++);
            newFiles[f.name] = "new " + f.name.toUtf8() + '\n' + noise(f.size, seed++);
            items << ZipItem{f.name, newFiles[f.name]};
            info << f.name;
        }
        items.prepend(ZipItem{QStringLiteral("files.info"), info.join(QStringLiteral("\r\n")).toUtf8()});
        QVERIFY(MakeZip(zip, items));
    }

    // Killed just before each file is put in place: never the new main
    // program with an old file; the next run's start clears what was left and
    // that run installs the update whole.
    void killedWhilePuttingFilesInPlace_data()
    {
        QTest::addColumn<QString>("item");
        for (const Listed& f : Files) QTest::newRow(qPrintable(f.name)) << f.name;
    }
    void killedWhilePuttingFilesInPlace()
    {
        QFETCH(QString, item);
        resetFolder();
        std::unique_ptr<QProcess> child(start({item}));
        QVERIFY2(ChildLines::WaitFor(*child, "renaming"), "the child never got to put the file in place");
        child->kill();
        QVERIFY(child->waitForFinished(60000));
        bool allNew = false;
        const QString fault = judge(&allNew);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY(!allNew);
        QCOMPARE(readFile(QDir(folder).filePath(PackageInstaller::MainProgramName)), oldFiles[PackageInstaller::MainProgramName]);
        QVERIFY(!hidden().isEmpty());  // what the killed run left

        std::unique_ptr<QProcess> next(start());
        QVERIFY(ChildLines::WaitFor(*next, "done"));
        QVERIFY(next->waitForFinished(60000));
        QVERIFY2(judge(&allNew).isEmpty() && allNew, "the next run did not install the update");
        QCOMPARE(hidden(), QStringList{});
    }

    // Killed at random moments, most where the files are written: each kill
    // leaves either version whole (or the old main program), and the next
    // start leaves nothing hidden behind. Installed files get the modes of
    // what they are.
    void killedAtRandomMoments()
    {
        // How long an unhindered run takes, from ready to done.
        qint64 span = 0;
        for (int i = 0; i < 2; ++i) {
            resetFolder();
            std::unique_ptr<QProcess> child(start());
            QVERIFY(ChildLines::WaitFor(*child, "ready"));
            QElapsedTimer clock;
            clock.start();
            QVERIFY(ChildLines::WaitFor(*child, "done"));
            span = std::max(span, clock.nsecsElapsed() / 1000);
            QVERIFY(child->waitForFinished(60000));
        }
        bool allNew = false;
        QVERIFY(judge(&allNew).isEmpty() && allNew);
        for (const Listed& f : Files) {
            struct stat st = {};
            QCOMPARE(::stat(QFile::encodeName(QDir(folder).filePath(f.name)).constData(), &st), 0);
            const bool program = f.name == QLatin1String("vendaro") || f.name == QLatin1String("Emailer");
            QCOMPARE(int(st.st_mode & 07777), program ? 0755 : 0644);
        }

        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        QStringList faults;
        int killedMidway = 0;
        for (int run = 0; run < 30; ++run) {
            resetFolder();
            const double u = random.generateDouble();
            const qint64 delay = qint64(u * u * double(span) * 1.1);
            std::unique_ptr<QProcess> child(start());
            QVERIFY(ChildLines::WaitFor(*child, "ready"));
            std::this_thread::sleep_for(std::chrono::microseconds(delay));
            child->kill();
            QVERIFY(child->waitForFinished(60000));
            if (!child->readAllStandardOutput().contains("done")) ++killedMidway;
            QString fault = judge(&allNew);
            PackageInstaller::ClearLeftovers(folder);  // the next run's start
            if (fault.isEmpty() && !hidden().isEmpty()) fault = QStringLiteral("left behind: ") + hidden().join(u' ');
            if (fault.isEmpty() && QFileInfo::exists(QDir(folder).filePath(PackageInstaller::UnfinishedName))) fault = QStringLiteral("the list stays");
            if (!fault.isEmpty()) faults << QStringLiteral("run %1, killed after %2 us: %3").arg(run).arg(delay).arg(fault);
        }
        qInfo("%d runs, %d killed mid-way (seed %u)", 30, killedMidway, seed);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

VENDARO_TEST_MAIN(tst_installkill)
#include "tst_installkill.moc"
