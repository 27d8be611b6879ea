// vendaro: the main program.

#include "core/ProgramContext.h"
#include "platform/MessageService.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vendaro"));
    QApplication::setApplicationName(QStringLiteral("Vendaro"));

    ProgramContext& ctx = ProgramContext::current();
    ctx.gAppFolder = QApplication::applicationDirPath();
    MessageService::setDefaultTitle(ctx.gAppTitle);

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
