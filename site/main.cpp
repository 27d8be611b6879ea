// vendaro-site: the stand-in auction site for the demo.
// Usage: vendaro-site [--port N] [--any-port] [--port-file FILE] [--fixture FILE]
//                     [--downloads FOLDER] [--required-version V] [--samesite-strict]
// --any-port takes a free port when N is taken; --port-file receives the port
// actually served, written only once the site listens. --downloads serves a
// folder's files as the maker's downloads; --required-version is the version
// the maker's site asks every seller to have. --samesite-strict sets the
// session cookie SameSite=Strict (a test switch: a post or a link from another
// site then never carries the session).

#include "StandInSite.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    quint16 port = 8765;
    bool anyPort = false;
    bool sameSiteStrict = false;
    QString fixture;
    QString portFile;
    QString downloads;
    QString requiredVersion;
    for (int i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == QLatin1String("--any-port")) anyPort = true;
        else if (args[i] == QLatin1String("--samesite-strict")) sameSiteStrict = true;
        else if (args[i] == QLatin1String("--port") && hasValue) port = quint16(args[++i].toUInt());
        else if (args[i] == QLatin1String("--fixture") && hasValue) fixture = args[++i];
        else if (args[i] == QLatin1String("--port-file") && hasValue) portFile = args[++i];
        else if (args[i] == QLatin1String("--downloads") && hasValue) downloads = args[++i];
        else if (args[i] == QLatin1String("--required-version") && hasValue) requiredVersion = args[++i];
    }
    QTextStream out(stdout);
    StandInSite site;
    QString error;
    if (!fixture.isEmpty() && !site.loadFixture(fixture, &error)) {
        out << "vendaro-site: " << error << "\n";
        return 1;
    }
    if (!downloads.isEmpty()) site.setDownloadsFolder(downloads);
    if (!requiredVersion.isEmpty()) site.setRequiredVersion(requiredVersion);
    if (sameSiteStrict) site.setCookieSameSite(StandInSite::SameSite::Strict);
    if (!site.start(port) && !(anyPort && site.start(0))) {
        out << "vendaro-site: cannot listen on 127.0.0.1:" << port << " (is another program using it?)\n";
        return 1;
    }
    if (!portFile.isEmpty()) {
        QSaveFile file(portFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(site.port()) + '\n') < 0 || !file.commit()) {
            out << "vendaro-site: cannot write " << portFile << "\n";
            return 1;
        }
    }
    out << "vendaro-site: serving " << site.baseUrl() << "\n";
    out.flush();
    return app.exec();
}
