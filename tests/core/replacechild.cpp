// replacechild: creates a new database (as the database wizard does) or saves
// the database under another name (as the File menu does), for a parent that
// kills it at a random moment. Prints "ready" just before the replacement
// starts and "done" when it is over.
//
//   replacechild new    PROGRAM_FOLDER SETTINGS_FOLDER TARGET_FOLDER NAME DESCRIPTION
//   replacechild saveas PROGRAM_FOLDER SETTINGS_FOLDER SOURCE TARGET

#include "ScriptedMessages.h"
#include "core/ProgramContext.h"
#include "core/frmWizardDatabase.h"
#include "core/modDatabase.h"
#include "platform/db/DatabaseCopy.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>

#include <cstdio>

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
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool create = args.value(1) == QLatin1String("new");
    if (args.size() != (create ? 7 : 6) || (!create && args.value(1) != QLatin1String("saveas"))) {
        std::fputs("usage: replacechild new PROGRAM SETTINGS FOLDER NAME DESCRIPTION | saveas PROGRAM SETTINGS SOURCE TARGET\n", stderr);
        return 2;
    }
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, args[3]);
    // No one answers: every message is written to the error output and taken as OK.
    ScriptedMessages messages;
    messages.onFailure = [](const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); };
    MessageService::install(&messages);
    ProgramContext& ctx = ProgramContext::current();
    ctx.gAppFolder = args[2];
    ctx.CreateObjects();

    bool ok = false;
    if (create) {
        frmWizardDatabase wizard;
        wizard.txtDatabaseDesc->setText(args[6]);
        say("ready");
        ok = wizard.CreateDatabase(args[4], args[5]) && wizard.InitialiseConfiguration();
    } else {
        const QString source = args[4];
        const QString target = args[5];
        if (!modDatabase::OpenDatabase(source, QFileInfo(source).fileName(), false, false)) return 3;
        // What Save As does once the seller has chosen and confirmed.
        modDatabase::CloseDatabase();
        say("ready");
        DatabaseCopy copy(source, target);
        ok = copy.Run() && modDatabase::OpenDatabase(target, QFileInfo(target).fileName(), false, true);
        if (!copy.errorString().isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(copy.errorString()));
    }
    say(ok ? "done" : "failed");
    ctx.ReleaseObjects();
    MessageService::install(nullptr);
    return ok ? 0 : 1;
}
