// Makes a demo database: a copy of the template data.mdb filled with
// realistic data, set up for a seller account of the stand-in site.
// Usage: mkdemo TEMPLATE OUTPUT [SALES [USERID EMAIL PASSWORD MEMBER]]
//        mkdemo --site-buyers [SALES]
// The second form writes the demo's buyers as entries of the stand-in's
// fixture "buyers" list (site/fixtures/demo.json), one a line, for the demo's
// number of sales unless given.

#include "DemoData.h"
#include "platform/db/Connection.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.value(1) == QLatin1String("--site-buyers")) {
        DemoDataOptions options;
        options.sales = args.size() > 2 ? args[2].toInt() : DemoData::DemoSales;
        QTextStream out(stdout);
        const QList<DemoBuyer> buyers = DemoData::Buyers(options);
        for (qsizetype i = 0; i < buyers.size(); ++i) {
            const QJsonObject entry{{QStringLiteral("userId"), buyers[i].customerId},
                                    {QStringLiteral("member"), buyers[i].member},
                                    {QStringLiteral("name"), buyers[i].name}};
            out << "    " << QJsonDocument(entry).toJson(QJsonDocument::Compact) << (i + 1 < buyers.size() ? ",\n" : "\n");
        }
        return 0;
    }
    if (args.size() < 3) {
        err << "usage: mkdemo TEMPLATE OUTPUT [SALES [USERID EMAIL PASSWORD MEMBER]]\n"
               "       mkdemo --site-buyers [SALES]\n";
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
    const QStringList seller = args.mid(4, 4);
    const QString setup = seller.size() == 4
                              ? QStringLiteral("UPDATE Configuration SET DatabaseDesc='Demo shop', DateSystemStart=0, TradeMeUserId=?, "
                                               "TradeMeEmail=?, TradeMePassword=?, TradeMeMemberId=?, EmailFrom=?, "
                                               "BankAccountName='Demo Shop Ltd', BankAccountNumber='12-3456-7890123-00', "
                                               "EmailSignature='Thanks from the Demo shop'")
                              : QStringLiteral("UPDATE Configuration SET DatabaseDesc='Demo shop', DateSystemStart=0");
    const QVariantList values = seller.size() == 4 ? QVariantList{seller[0], seller[1], seller[2], seller[3], seller[1]} : QVariantList{};
    if (!connection.Open(output) || !DemoData::Fill(connection, options, &error) || !connection.Execute(setup, values)) {
        err << "mkdemo: " << (error.isEmpty() ? connection.lastError() : error) << "\n";
        return 1;
    }
    return 0;
}
