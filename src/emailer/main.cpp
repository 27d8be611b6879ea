// Emailer: the outbox sender.

#include "platform/MessageService.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString text = QStringLiteral("The Vendaro outbox sender is not yet available in this version.");
    QTextStream(stderr) << text << '\n';
    MsgBox(text, vbmsg::Information, QStringLiteral("Vendaro Emailer"));
    return 1;
}
