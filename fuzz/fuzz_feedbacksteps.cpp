// Leaving feedback reads the member number out of the address the site sends
// the browser to, and the outcome out of the page text: whatever they hold,
// each step ends in a known state.
#include "FuzzInput.h"
#include "core/ProgramContext.h"
#include "core/modWebProcessing.h"
#include "platform/MessageService.h"
#include "platform/browser/WebBrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
class SilentMessages : public MessageService {
public:
    int MsgBox(const QString&, int, const QString&) override { return vbmsg::OK; }
    bool InputBox(const QString&, const QString&, const QString&, QString*) override { return false; }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QColor ChooseColor(const QColor& initial, const QString&) override { return initial; }
};

// A browser that shows whatever page the input names.
class PageBrowser : public WebBrowser {
public:
    QString url, text;
    QWidget* widget() override { return nullptr; }
    void Navigate(const QString&) override {}
    QString LocationURL() const override { return url; }
    QString LocationName() const override { return {}; }
    QString BodyText() const override { return text; }
    QString DocumentHtml() const override { return {}; }
    bool Busy() const override { return false; }
    void GoBack() override {}
    void GoForward() override {}
    void Refresh() override {}
    void Stop() override {}
};
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir folder;
    static SilentMessages messages;
    MessageService::install(&messages);
    for (const char* page : {"VNTMFB.frm", "VNTM.sub"})
        QFile::copy(QStringLiteral(VENDARO_DATA_DIR "/") + QLatin1String(page), QDir(folder.path()).filePath(QLatin1String(page)));
    ProgramContext::current().gAppFolder = folder.path();
    qputenv("VENDARO_SITE_URL", "http://127.0.0.1:8765");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QString> f = fuzz::fields(data, size, 4);
    PageBrowser browser;
    int step = 1;
    for (int page = 0; page < 2; ++page) {
        browser.url = f[2 * page];
        browser.text = f[2 * page + 1];
        const int outcome = modWebProcessing::PlaceFeedback(nullptr, &browser, step, QStringLiteral("2150001"),
                                                            QStringLiteral("sean1"), QStringLiteral("Great buyer"), QStringLiteral("A"));
        if (outcome < -1 || outcome > 1 || step < 0 || step > 4) std::abort();
        if (outcome != 0 && step != 0) std::abort();  // a finished walk starts again
        if (step == 2) step = 3;                       // the filled page was loaded
    }
    return 0;
}
