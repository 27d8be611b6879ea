#include "ReplaceKillRun.h"

#include "ChildLines.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "platform/db/DatabaseCopy.h"
#include "tools/DemoData.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <thread>

namespace {
const QString OldBuyer = QStringLiteral("old buyer");
const QString NewBuyer = QStringLiteral("new buyer");

// A copy of the template holding one marked buyer (and, with sales, a filled shop).
bool makeDatabase(const QString& programFolder, const QString& path, const QString& buyer, int sales, QString* error)
{
    QFile::remove(path);
    if (!QFile::copy(QDir(programFolder).filePath(QStringLiteral("data.mdb")), path)) {
        *error = QStringLiteral("cannot copy the template to ") + path;
        return false;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    Connection c;
    if (!c.Open(path)) {
        *error = c.lastError();
        return false;
    }
    if (sales > 0) {
        DemoDataOptions options;
        options.sales = sales;
        if (!DemoData::Fill(c, options, error)) return false;
    }
    if (!c.Execute(QStringLiteral("INSERT INTO Customer (CustomerId) VALUES (?)"), {buyer})) {
        *error = c.lastError();
        return false;
    }
    return true;
}

}  // namespace

QString ReplaceKillRun::Outcome::summary() const
{
    return QStringLiteral("%1 runs, %2 killed mid-way: %3 left the target as it was, %4 have the new database, %5 faults (seed %6)")
        .arg(runs)
        .arg(killed)
        .arg(keptOld)
        .arg(gotNew)
        .arg(faults.size())
        .arg(seed);
}

ReplaceKillRun::ReplaceKillRun(Operation operation, bool oldTargetExists, const QString& programFolder, const QString& workFolder)
    : m_operation(operation),
      m_oldExists(oldTargetExists),
      m_programFolder(programFolder),
      m_work(workFolder),
      m_target(QDir(workFolder).filePath(QStringLiteral("target.mdb"))),
      m_old(QDir(workFolder).filePath(QStringLiteral("old.mdb"))),
      m_source(QDir(workFolder).filePath(QStringLiteral("source.mdb"))),
      m_description(QStringLiteral("Killed at random"))
{
}

bool ReplaceKillRun::makeFixtures(QString* error)
{
    QDir().mkpath(QDir(m_work).filePath(QStringLiteral("settings")));
    if (!makeDatabase(m_programFolder, m_old, OldBuyer, 0, error)) return false;
    if (m_operation == Operation::SaveAs) {
        // Large enough that copying it takes a while.
        m_sourceSales = 3000;
        if (!makeDatabase(m_programFolder, m_source, NewBuyer, m_sourceSales, error)) return false;
    }
    return true;
}

void ReplaceKillRun::resetTarget()
{
    // What a judged run leaves is the target alone; an unfinished copy beside
    // it stays for the next run to clear away.
    for (const QString& journal : DatabaseCopy::journalPaths(m_target)) QFile::remove(journal);
    QFile::remove(m_target);
    if (m_oldExists) QFile::copy(m_old, m_target);
}

qint64 ReplaceKillRun::once(qint64 delayUs, bool* killed, QString* error)
{
    const QString settings = QDir(m_work).filePath(QStringLiteral("settings"));
    QStringList args;
    if (m_operation == Operation::NewDatabase)
        args << QStringLiteral("new") << m_programFolder << settings << m_work << QStringLiteral("target") << m_description;
    else
        args << QStringLiteral("saveas") << m_programFolder << settings << m_source << m_target;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QStringLiteral(VENDARO_REPLACE_CHILD), args);
    *killed = false;
    // Generous: a loaded two-core machine starts a Qt program slowly.
    if (!child.waitForStarted(60000) || !ChildLines::WaitFor(child, "ready")) {
        *error = QStringLiteral("the child never got ready (exit %1): ").arg(child.exitCode()) + QString::fromLocal8Bit(child.readAllStandardError());
        child.kill();
        child.waitForFinished(60000);
        return -1;
    }
    QElapsedTimer clock;
    clock.start();
    qint64 took = -1;
    if (delayUs >= 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
        child.kill();
        child.waitForFinished(60000);
        *killed = !child.readAllStandardOutput().contains("done");
    } else {
        if (!ChildLines::WaitFor(child, "done", 2 * ChildLines::GenerousMs)) {
            *error = QStringLiteral("the replacement failed: ") + QString::fromLocal8Bit(child.readAllStandardError());
            child.waitForFinished(60000);
            return -1;
        }
        took = clock.nsecsElapsed() / 1000;
        child.waitForFinished(60000);
    }
    return took;
}

QString ReplaceKillRun::judge(bool* isNew, bool* absent)
{
    *isNew = false;
    *absent = false;
    if (!QFileInfo::exists(m_target)) {
        *absent = true;
        return m_oldExists ? QStringLiteral("the target is gone") : QString();
    }
    {
        // Opened as the program opens it: a journal left beside it is played back first.
        Connection c;
        if (!c.Open(m_target)) return QStringLiteral("the target does not open: ") + c.lastError();
        const QString integrity = c.Scalar(QStringLiteral("PRAGMA integrity_check")).toString();
        if (integrity != QLatin1String("ok")) return QStringLiteral("the target is damaged: ") + integrity;
        const int buyers = c.Scalar(QStringLiteral("SELECT COUNT(*) FROM Customer")).toInt();
        const auto has = [&c](const QString& buyer) {
            return c.Scalar(QStringLiteral("SELECT COUNT(*) FROM Customer WHERE CustomerId=?"), {buyer}).toInt() == 1;
        };
        if (buyers == 1 && has(OldBuyer)) {
            // The old database, as it was.
        } else if (m_operation == Operation::NewDatabase) {
            if (buyers != 0) return QStringLiteral("the target mixes old and new: %1 buyers").arg(buyers);
            const QString desc = c.Scalar(QStringLiteral("SELECT DatabaseDesc FROM Configuration")).toString();
            const double start = c.Scalar(QStringLiteral("SELECT DateSystemStart FROM Configuration")).toDouble();
            if (desc != m_description || start < vb::today() - 1)
                return QStringLiteral("the new database is not set up: description \"%1\", start %2").arg(desc).arg(start);
            *isNew = true;
        } else {
            const int sales = c.Scalar(QStringLiteral("SELECT COUNT(*) FROM Auction")).toInt();
            if (!has(NewBuyer) || has(OldBuyer) || sales != m_sourceSales)
                return QStringLiteral("the target is neither database: %1 buyers, %2 sales").arg(buyers).arg(sales);
            *isNew = true;
        }
    }
    const bool opens = modDatabase::OpenDatabase(m_target, QFileInfo(m_target).fileName(), false, false);
    modDatabase::CloseDatabase();
    return opens ? QString() : QStringLiteral("the program does not open the target");
}

ReplaceKillRun::Outcome ReplaceKillRun::run(int runs, quint32 seed)
{
    Outcome out;
    out.seed = seed ? seed : QRandomGenerator::global()->generate();
    QString error;
    if (!makeFixtures(&error)) {
        out.faults << QStringLiteral("fixtures: ") + error;
        return out;
    }
    // How long the replacement takes, from ready to done, left alone.
    qint64 span = 0;
    for (int i = 0; i < 2; ++i) {
        resetTarget();
        bool killed = false;
        const qint64 took = once(-1, &killed, &error);
        bool isNew = false;
        bool absent = false;
        const QString fault = took < 0 ? error : judge(&isNew, &absent);
        if (!fault.isEmpty() || !isNew) {
            out.faults << QStringLiteral("unhindered run: ") + (fault.isEmpty() ? QStringLiteral("no new database") : fault);
            return out;
        }
        span = std::max(span, took);
    }
    QRandomGenerator random(out.seed);
    for (int i = 0; i < runs; ++i) {
        resetTarget();
        // Early moments, where the file work is, come more often; a few land
        // past the end, where a kill must change nothing.
        const double u = random.generateDouble();
        const qint64 delay = qint64(u * u * double(span) * 1.1);
        bool killed = false;
        error.clear();
        once(delay, &killed, &error);
        if (!error.isEmpty()) {
            out.faults << QStringLiteral("run %1: %2").arg(i).arg(error);
            return out;
        }
        ++out.runs;
        if (killed) ++out.killed;
        bool isNew = false;
        bool absent = false;
        const QString fault = judge(&isNew, &absent);
        if (!fault.isEmpty())
            out.faults << QStringLiteral("run %1, killed after %2 us: %3").arg(i).arg(delay).arg(fault);
        else if (isNew)
            ++out.gotNew;
        else
            ++out.keptOld;
    }
    return out;
}
