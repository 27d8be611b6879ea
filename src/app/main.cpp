// vendaro: the main program.

#include "automation/AutomationForms.h"
#include "catalogue/CatalogueForms.h"
#include "core/CoreForms.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/modStart.h"
#include "email/EmailForms.h"
#include "email/clsEmails.h"
#include "mainwindow/frmMain.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "printing/PrintingForms.h"
#include "records/RecordsForms.h"
#include "settings/SettingsForms.h"
#include "sync/SyncForms.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <unistd.h>

int main(int argc, char* argv[])
{
    // Chromium will not start as root with its sandbox on (the usual case in a
    // container); without this the first web page would end the program.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // WebEngine needs this before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vendaro"));
    QApplication::setApplicationName(QStringLiteral("Vendaro"));

    ProgramContext& ctx = ProgramContext::current();
    ctx.gAppFolder = QApplication::applicationDirPath();
    QApplication::setWindowIcon(QIcon(QDir(ctx.gAppFolder).filePath(QStringLiteral("vendaro.svg"))));
    MessageService::setDefaultTitle(ctx.gAppTitle);
    CoreForms::Register();
    clsEmails::Register();
    EmailForms::Register();
    AutomationForms::Register();
    SettingsForms::Register();
    SyncForms::Register();
    RecordsForms::Register();
    PrintingForms::Register();
    CatalogueForms::Register();
    FormsRegistry::instance().registerForm(QStringLiteral("frmMain"), [](QWidget* parent) { return new frmMain(parent); });
    // A filled login page left by an earlier run holds the password.
    frmBrowser::DeleteLoginPage();

    if (!modStart::IsInstalled(ctx.gAppFolder)) {
        modStart::Main();
        return 0;
    }
    // No window (one not built yet said so): nothing to wait for.
    if (!modStart::NormalRun()) return 0;
    const int result = app.exec();
    ctx.ReleaseObjects();
    return result;
}
