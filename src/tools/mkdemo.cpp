// Makes a demo database: a copy of the template data.mdb filled with
// realistic data, set up for a seller account of the stand-in site.
// Usage: mkdemo TEMPLATE OUTPUT [SALES [USERID EMAIL PASSWORD MEMBER]]
//        mkdemo --site-fixture BASE [SALES]
// The second form writes the stand-in's demo fixture: the hand-written
// fixture BASE with the demo database's buyers and sales added, for the
// demo's number of sales unless given:
//   build/tools/mkdemo --site-fixture site/fixtures/demo-base.json > site/fixtures/demo.json

#include "DemoData.h"
#include "DemoSiteFixture.h"
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
    if (args.value(1) == QLatin1String("--site-fixture") && args.size() > 2) {
        QFile base(args[2]);
        QJsonParseError parse;
        const QJsonDocument doc = base.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(base.readAll(), &parse) : QJsonDocument();
        if (!doc.isObject()) {
            const QString why = !base.isOpen() ? base.errorString()
                                : parse.error != QJsonParseError::NoError ? parse.errorString()
                                                                          : QStringLiteral("not a JSON object");
            err << "mkdemo: " << args[2] << ": " << why << "\n";
            return 1;
        }
        DemoDataOptions options;
        options.sales = args.size() > 3 ? args[3].toInt() : DemoData::DemoSales;
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(DemoSiteFixture::Text(DemoSiteFixture::Fixture(doc.object(), options))) < 0) {
            err << "mkdemo: cannot write the fixture\n";
            return 1;
        }
        return 0;
    }
    if (args.size() < 3) {
        err << "usage: mkdemo TEMPLATE OUTPUT [SALES [USERID EMAIL PASSWORD MEMBER]]\n"
               "       mkdemo --site-fixture BASE [SALES]\n";
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
