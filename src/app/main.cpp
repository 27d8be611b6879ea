// vendaro: the main program.

#include "core/CoreForms.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "core/modStart.h"
#include "email/clsEmails.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    // WebEngine needs this before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vendaro"));
    QApplication::setApplicationName(QStringLiteral("Vendaro"));

    ProgramContext& ctx = ProgramContext::current();
    ctx.gAppFolder = QApplication::applicationDirPath();
    MessageService::setDefaultTitle(ctx.gAppTitle);
    CoreForms::Register();
    clsEmails::Register();
    // Until the main window is built: a plain window with the program and database titles.
    FormsRegistry::instance().registerForm(QStringLiteral("frmMain"), [](QWidget*) {
        auto* window = new QMainWindow;
        const ProgramContext& c = ProgramContext::current();
        window->setWindowTitle(c.gAppTitle + QStringLiteral(" - ") + c.gDatabaseTitle);
        auto* label = new QLabel(c.gAppTitle + QStringLiteral("\n\n") + c.gConfiguration.DatabaseDesc, window);
        label->setAlignment(Qt::AlignCenter);
        window->setCentralWidget(label);
        window->resize(800, 600);
        return window;
    });
    // A filled login page left by an earlier run holds the password.
    frmBrowser::DeleteLoginPage();

    if (!modStart::IsInstalled(ctx.gAppFolder)) {
        modStart::Main();
        return 0;
    }
    modStart::NormalRun();
    const int result = app.exec();
    ctx.ReleaseObjects();
    return result;
}
