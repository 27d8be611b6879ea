#pragma once
// The program's own browser window, and the one place where the seller is
// logged in to the site. In login mode (AutoLogin) it checks whether the site
// has the database's member logged in, posts the filled login page when not,
// and reports the result in LoginOK.

#include <QDialog>
#include <QPointer>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;
class WebBrowser;

class frmBrowser : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString StartingAddress MEMBER StartingAddress)
    Q_PROPERTY(bool AutoLogin MEMBER AutoLogin)
    Q_PROPERTY(bool LoginOK MEMBER LoginOK)
    Q_PROPERTY(bool ExitAfterLogin MEMBER ExitAfterLogin)
    Q_PROPERTY(QObject* RemoteForm MEMBER RemoteForm)
    Q_PROPERTY(bool GetTradeMeMemberId MEMBER GetTradeMeMemberId)

public:
    explicit frmBrowser(QWidget* parent = nullptr);
    ~frmBrowser() override;

    // Public variables, set before the window is shown.
    QString StartingAddress;
    bool AutoLogin = false;
    bool LoginOK = false;
    bool ExitAfterLogin = false;
    QObject* RemoteForm = nullptr;
    bool GetTradeMeMemberId = false;

    // 1 logged in as the database's member, 0 not logged in, -1 another member.
    int CheckLoginStatus();
    // Whether a page's text shows the seller (userId, email) logged in, and
    // then the member number it names.
    static bool ReadLoginPage(const QString& text, const QString& userId, const QString& email, QString* memberId);
    // Fills Name.frm of the program folder into Name.sub; false (with a
    // message) when the template cannot be read or the page not written.
    bool CreateLoginFile(const QString& Name);
    void Login();

    // What the window does when it first opens (run from the first show).
    void Form_Load();

    enum LoginState { Browsing = 0, CheckRequested = 1, FilledPageRequested = 2, FormPosted = 3, ManualLogin = 4 };
    int loginState() const { return mLoginState; }
    WebBrowser* browser() const { return web; }

    // Removes filled login pages left in the program folder (they hold the password).
    static void DeleteLoginPage();

    // An automatic login not settled within this time has failed (a silent or
    // drip-feeding site); the seller hears so as for a rejected login.
    static constexpr int DefaultLoginTimeoutMs = 60000;
    void setLoginTimeout(int ms);
    int loginTimeout() const;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void web_DocumentComplete(const QString& address);
    void settleLoginCheck(int attempt);
    // Ends a login without success: a window meant to exit closes, any other shows its normal look.
    void giveUp();
    // The posted login did not log the member in: the normal window at the login page, with a message.
    void loginFailed();
    void loginTimedOut();
    // AutoLogin off, the saved place and the normal look back.
    void leaveLoginLook();
    void cmdNavigate_Click(int index);
    void navigate(const QString& address);
    void setLoginLook(bool login);
    void LoadWindowPosition();
    void SaveWindowPosition();
    void updateAddressButtons();
    void setCaptionFromPage();
    // Places the strip's controls: the address box takes all but 5000 twips of the width.
    void layoutControls();

    WebBrowser* web;
    QWidget* picControls;
    QLineEdit* txtAddress;
    QList<QAbstractButton*> cmdNavigate;
    QProgressBar* prgLoading;  // shown while a page loads
    QLabel* lblMessage;
    QTimer* loginTimer;
    int mLoginState = Browsing;
    bool mLoaded = false;
    bool mPlaced = false;  // given its place in the normal look once
};
