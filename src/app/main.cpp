// vendaro: the main program.

#include "core/CoreForms.h"
#include "core/ProgramContext.h"
#include "core/frmBrowser.h"
#include "email/clsEmails.h"
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
    // A filled login page left by an earlier run holds the password.
    frmBrowser::DeleteLoginPage();

    QMainWindow window;
    window.setObjectName(QStringLiteral("frmMain"));
    window.setWindowTitle(ctx.gAppTitle);
    auto* label = new QLabel(ctx.gAppTitle, &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(800, 600);
    window.show();
    return app.exec();
}
