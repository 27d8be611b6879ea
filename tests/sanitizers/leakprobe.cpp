// Leaks on purpose where WebEngine calls us back, to show that a sanitized
// test run still reports our leaks there while it hides WebEngine's own: the
// run passes only when exactly this one leak is reported.

#include "TestEnvironment.h"
#include "platform/browser/WebEngineBrowser.h"

#include <QApplication>
#include <QTimer>

namespace {
[[gnu::noinline]] void leakOnPurpose()
{
    int* volatile lost = new int[7];
    lost[0] = 1;
}
}  // namespace

int main(int argc, char** argv)
{
    TestEnvironment::prepareProcess();
    QApplication app(argc, argv);
    int loads = 0;
    {
        WebEngineBrowser browser;
        QObject::connect(&browser, &WebBrowser::DocumentComplete, &app, [&] {
            ++loads;
            leakOnPurpose();
            app.quit();
        });
        QTimer::singleShot(60000, &app, [&] { app.exit(2); });
        browser.widget()->show();
        browser.Navigate(QStringLiteral("data:text/html,<p>probe</p>"));
        if (app.exec() != 0) return 2;
    }
    return loads == 1 ? 0 : 3;
}
