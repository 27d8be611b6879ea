// installchild: one unpacking of a package into a folder, as the installer
// does it, for a parent that kills it. Clears what an earlier run left (as a
// run's start does), prints "ready", unpacks and puts the files in place, and
// prints "done". Given an item, it prints "renaming" just before that file is
// put in place and waits there to be killed.
//
//   installchild FOLDER ZIP [ITEM]

#include "installer/PackageInstaller.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {
void say(const char* line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || args.size() > 4) {
        std::fputs("usage: installchild FOLDER ZIP [ITEM]\n", stderr);
        return 2;
    }
    const QString folder = args[1];
    PackageInstaller::ClearLeftovers(folder);
    PackageInstaller package;
    if (args.size() == 4) {
        const QString stop = args[3];
        package.beforeRename = [stop](const QString& item) {
            if (item != stop) return;
            say("renaming");
            for (;;) ::pause();
        };
    }
    say("ready");
    if (!package.Prepare(args[2], folder)) {
        std::fprintf(stderr, "%s %s\n", qPrintable(package.reason()), qPrintable(package.detail()));
        return 3;
    }
    while (!package.allExtracted())
        if (!package.ExtractNext()) return 4;
    if (!package.Commit()) return 5;
    say("done");
    return 0;
}
