#pragma once
// The embedded web browser as the program drives it: navigate, read the page
// the way the program reads it, and hear when a page has loaded.
//
// On each completed main-frame load the browser gathers the address, title,
// body text and HTML first and only then raises DocumentComplete, so handlers
// read them synchronously. Body text comes with CRLF line ends and plain
// blanks. A local ".sub" page (a filled auto-submit page) is loaded from its
// content and reported at the file's address; the site sees its post as one
// made from the site's own page.

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

class WebBrowser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~WebBrowser() override = default;

    // The view to place in a window (null for a browser without one).
    virtual QWidget* widget() = 0;

    virtual void Navigate(const QString& address) = 0;
    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;  // the page title
    virtual QString BodyText() const = 0;
    virtual QString DocumentHtml() const = 0;
    virtual bool Busy() const = 0;

    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;

    // Makes the browsers of every window: the WebEngine one unless a test set another.
    using Factory = std::function<WebBrowser*(QObject* parent)>;
    static WebBrowser* create(QObject* parent);
    static void setFactory(Factory factory);  // empty restores the WebEngine one

    // Normalises page text as the program reads it: CRLF line ends, plain blanks.
    static QString normaliseText(const QString& text);
    // Whether an address names a local auto-submit page to load from its content.
    static bool isLocalSubmitPage(const QString& address);
    static QString localPath(const QString& address);

signals:
    // A load of the main frame began (one the page started itself too).
    void DownloadBegin();
    // How far that load is, 0 to 100.
    void ProgressChange(int percent);
    // A page of the main frame has loaded; its address, title and text are ready.
    void DocumentComplete(const QString& address);
};
