// Form extraction benchmark: a listing form of many fields, each with an
// event handler to strip, followed by a long stretch of page, cut out as the
// relist does. The walk must grow with the page: doubling the fields may no
// more than about double the time. Target: 20,000 fields under 2,000 ms and
// a doubling ratio under 3. Each measure is the median of several runs.
// Usage: bench_extractform [FIELDS]   (default 20000)

#include "BenchSupport.h"
#include "core/modWebProcessing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <vector>

namespace {

QTextStream out(stdout);
const QString CrLf = QStringLiteral("\r\n");

QString page(int fields)
{
    QString html = QStringLiteral("<form name=\"newlisting_form\" method=\"post\" action=\"/Sell/List.aspx\">") + CrLf;
    for (int i = 0; i < fields; ++i) html += QStringLiteral("<p><input name=\"f%1\" onclick=\"x()\"></p>\r\n").arg(i);
    return html + QStringLiteral("</form>") + QString(10 * fields, u'z');
}

// The median time of a cut, in ms; -1 when a field went missing.
double timed(int fields)
{
    const QString html = page(fields);
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        const QString form = modWebProcessing::ExtractForm(html, QStringLiteral("newlisting_form"), false);
        times.push_back(t.nsecsElapsed() / 1e6);
        if (form.count(CrLf) != fields + 1) return -1;
    }
    return bench::median(times);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int fields = argc > 1 ? std::atoi(argv[1]) : 20000;
    const double once = timed(fields), twice = timed(2 * fields);
    if (once < 0 || twice < 0) {
        out << "fields went missing from the form\n";
        return 1;
    }
    const double ratio = twice / std::max(once, 0.001);
    out << QStringLiteral("%1 fields: %2 ms; %3 fields: %4 ms; ratio %5 (target: under 2000 ms and a ratio under 3: %6)\n")
               .arg(fields)
               .arg(once, 0, 'f', 1)
               .arg(2 * fields)
               .arg(twice, 0, 'f', 1)
               .arg(ratio, 0, 'f', 2)
               .arg(once < 2000 && ratio < 3 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    return 0;
}
