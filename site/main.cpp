// vendaro-site: the stand-in auction site for the demo.
// Usage: vendaro-site [--port N] [--fixture FILE]

#include "StandInSite.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    quint16 port = 8765;
    QString fixture;
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--port")) port = quint16(args[++i].toUInt());
        else if (args[i] == QLatin1String("--fixture")) fixture = args[++i];
    }
    QTextStream out(stdout);
    StandInSite site;
    QString error;
    if (!fixture.isEmpty() && !site.loadFixture(fixture, &error)) {
        out << "vendaro-site: " << error << "\n";
        return 1;
    }
    if (!site.start(port)) {
        out << "vendaro-site: cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    out << "vendaro-site: serving " << site.baseUrl() << "\n";
    out.flush();
    return app.exec();
}
