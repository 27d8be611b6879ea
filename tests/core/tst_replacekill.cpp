#include "ReplaceKillRun.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"

#include <QDir>

#include <optional>

// New database and Save As killed at random moments: whatever moment, the
// target is the old database or the whole new one. (bench_replace_kill runs
// the same for longer.)
class tst_replacekill : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

private slots:
    void init() { env.emplace(); }
    void cleanup() { env.reset(); }

    void killedAtAnyMomentTheTargetIsWhole_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<bool>("oldTarget");
        QTest::newRow("new database over an old one") << int(ReplaceKillRun::Operation::NewDatabase) << true;
        QTest::newRow("new database where there was none") << int(ReplaceKillRun::Operation::NewDatabase) << false;
        QTest::newRow("save as over an old database") << int(ReplaceKillRun::Operation::SaveAs) << true;
    }
    void killedAtAnyMomentTheTargetIsWhole()
    {
        QFETCH(int, operation);
        QFETCH(bool, oldTarget);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        ReplaceKillRun kills(ReplaceKillRun::Operation(operation), oldTarget, env->programFolder(), work.path());
        const ReplaceKillRun::Outcome outcome = kills.run(12);
        qInfo().noquote() << outcome.summary();
        QVERIFY2(outcome.faults.isEmpty(), qPrintable(outcome.faults.join(QStringLiteral("\n"))));
        QCOMPARE(outcome.runs, 12);
        QVERIFY(outcome.killed > 0);
    }
};

VENDARO_TEST_MAIN(tst_replacekill)
#include "tst_replacekill.moc"
