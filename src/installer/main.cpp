// VendaroInstaller: installs and updates the program in its own folder, on the
// order the main program leaves in the settings.

#include "LoggedMessages.h"
#include "frmInstall.h"

#include "platform/MessageService.h"

#include <QApplication>
#include <QDir>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    MessageService::setDefaultTitle(QStringLiteral("Vendaro"));
    std::unique_ptr<LoggedMessages> logged;
    if (!qEnvironmentVariableIsEmpty("VENDARO_MESSAGE_LOG")) {
        logged = std::make_unique<LoggedMessages>(qEnvironmentVariable("VENDARO_MESSAGE_LOG"));
        MessageService::install(logged.get());
    }
    // The program folder is the installer's own: it sits beside the files it replaces.
    const QString folder = QCoreApplication::applicationDirPath();
    QDir::setCurrent(folder);
    frmInstall window(folder);
    window.show();
    const int code = app.exec();
    MessageService::install(nullptr);
    return code;
}
