// VendaroInstaller: installs and updates the program.

#include "platform/MessageService.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString text = QStringLiteral("The Vendaro installer is not yet available in this version.");
    QTextStream(stderr) << text << '\n';
    MsgBox(text, vbmsg::Information, QStringLiteral("Vendaro Installer"));
    return 1;
}
