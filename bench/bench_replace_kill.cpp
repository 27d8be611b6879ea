// bench_replace_kill: New database and Save As killed at random moments, many
// times each (200 unless told otherwise); every kill must leave the target the
// old database or the whole new one. Run by hand:
//
//   build/bench/bench_replace_kill [RUNS] [SEED]
//
// Prints one line per case and each fault; exits 1 when there was any.

#include "ReplaceKillRun.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    TestEnvironment::prepareProcess();
    if (qEnvironmentVariableIsEmpty("VENDARO_PROGRAM_DIR")) qputenv("VENDARO_PROGRAM_DIR", VENDARO_PROGRAM_DIR);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? args[1].toInt() : 200;
    const quint32 seed = args.size() > 2 ? args[2].toUInt() : 0;
    if (runs <= 0) {
        std::fputs("usage: bench_replace_kill [RUNS] [SEED]\n", stderr);
        return 2;
    }
    const struct {
        const char* name;
        ReplaceKillRun::Operation operation;
        bool oldTarget;
    } cases[] = {{"new database over an old one", ReplaceKillRun::Operation::NewDatabase, true},
                 {"new database where there was none", ReplaceKillRun::Operation::NewDatabase, false},
                 {"save as over an old database", ReplaceKillRun::Operation::SaveAs, true}};
    int faults = 0;
    for (const auto& c : cases) {
        TestEnvironment env;
        QTemporaryDir work;
        const ReplaceKillRun::Outcome outcome = ReplaceKillRun(c.operation, c.oldTarget, env.programFolder(), work.path()).run(runs, seed);
        std::printf("%-36s %s\n", c.name, qPrintable(outcome.summary()));
        for (const QString& fault : outcome.faults) std::printf("    %s\n", qPrintable(fault));
        std::fflush(stdout);
        faults += int(outcome.faults.size());
    }
    return faults == 0 ? 0 : 1;
}
