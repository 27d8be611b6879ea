// Makes a demo database: a copy of the template data.mdb filled with
// realistic data. Usage: mkdemo TEMPLATE OUTPUT [SALES]

#include "DemoData.h"
#include "platform/db/Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() < 3) {
        err << "usage: mkdemo TEMPLATE OUTPUT [SALES]\n";
        return 2;
    }
    const QString output = args[2];
    QFile::remove(output);
    if (!QFile::copy(args[1], output)) {
        err << "mkdemo: cannot copy " << args[1] << " to " << output << "\n";
        return 1;
    }
    QFile::setPermissions(output, QFile::ReadOwner | QFile::WriteOwner);
    Connection connection;
    DemoDataOptions options;
    if (args.size() > 3) options.sales = args[3].toInt();
    QString error;
    if (!connection.Open(output) || !DemoData::Fill(connection, options, &error) ||
        !connection.Execute(QStringLiteral("UPDATE Configuration SET DatabaseDesc='Demo shop', DateSystemStart=?"), {0.0})) {
        err << "mkdemo: " << (error.isEmpty() ? connection.lastError() : error) << "\n";
        return 1;
    }
    return 0;
}
