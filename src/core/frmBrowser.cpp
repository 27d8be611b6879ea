#include "frmBrowser.h"

#include "ProgramContext.h"
#include "clsLinks.h"
#include "modWebProcessing.h"
#include "platform/AppSettings.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/WindowCascade.h"
#include "platform/browser/WebBrowser.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Section = QStringLiteral("Settings\\frmBrowser");
const char* const navigateTags[] = {"Back", "Next", "Refresh", "Search", "Home", "Stop", "Go", "TradeMe", "Login"};
enum Button { Back, Next, RefreshButton, Search, Home, StopButton, Go, TradeMe, LoginButton };

QString loginPagePath() { return modWebProcessing::SubmitPagePath(QStringLiteral("VNTMLI")); }

// The least size of the normal look.
QSize normalMinimum() { return {vb::twipsToPixels(10000), vb::twipsToPixels(6000)}; }

// The browser window placed last in its normal look: the next one goes beside it.
QPointer<frmBrowser> lastPlaced;
}  // namespace

frmBrowser::frmBrowser(QWidget* parent) : QDialog(parent), web(WebBrowser::create(this)), loginTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmBrowser"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(true);

    picControls = new QWidget(this);
    picControls->setObjectName(QStringLiteral("picControls"));
    picControls->installEventFilter(this);  // lays its controls out when resized
    txtAddress = new QLineEdit(picControls);
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    txtAddress->installEventFilter(this);
    // The page buttons show pictures (the desktop's, else the style's), the site's two their captions.
    const std::pair<const char*, QStyle::StandardPixmap> icons[] = {
        {"go-previous", QStyle::SP_ArrowBack}, {"go-next", QStyle::SP_ArrowForward},
        {"view-refresh", QStyle::SP_BrowserReload}, {"edit-find", QStyle::SP_FileDialogContentsView},
        {"go-home", QStyle::SP_DirHomeIcon}, {"process-stop", QStyle::SP_BrowserStop}, {"go-jump", QStyle::SP_CommandLink}};
    for (int i = 0; i < 9; ++i) {
        auto* b = new QToolButton(picControls);
        b->setObjectName(QStringLiteral("cmdNavigate(%1)").arg(i));
        b->setProperty("Tag", QString::fromLatin1(navigateTags[i]));
        b->setToolTip(i == LoginButton ? QStringLiteral("Login to TradeMe") : QString::fromLatin1(navigateTags[i]));
        b->setText(QString::fromLatin1(navigateTags[i]));
        if (i < TradeMe) {
            b->setIcon(QIcon::fromTheme(QLatin1String(icons[i].first), style()->standardIcon(icons[i].second)));
            b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        }
        connect(b, &QToolButton::clicked, this, [this, i] { cmdNavigate_Click(i); });
        cmdNavigate << b;
    }
    prgLoading = new QProgressBar(picControls);
    prgLoading->setObjectName(QStringLiteral("prgLoading"));
    prgLoading->setRange(0, 100);
    prgLoading->setFormat(QStringLiteral("Loading..."));
    prgLoading->setAlignment(Qt::AlignCenter);
    prgLoading->hide();
    picControls->setFixedHeight(vb::twipsToPixels(60) + txtAddress->sizeHint().height() + vb::twipsToPixels(120));
    lblMessage = new QLabel(QStringLiteral("TradeMe login...please wait"), this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picControls);
    layout->addWidget(lblMessage, 1);
    if (QWidget* view = web->widget()) {
        view->setObjectName(QStringLiteral("web"));
        layout->addWidget(view, 1);
    }

    connect(txtAddress, &QLineEdit::textChanged, this, [this] { updateAddressButtons(); });
    connect(txtAddress, &QLineEdit::returnPressed, this, [this] { navigate(txtAddress->text()); });
    connect(web, &WebBrowser::DocumentComplete, this, &frmBrowser::web_DocumentComplete);
    connect(web, &WebBrowser::DownloadBegin, this, [this] {
        prgLoading->setValue(0);
        updateAddressButtons();
    });
    connect(web, &WebBrowser::ProgressChange, prgLoading, &QProgressBar::setValue);
    loginTimer->setSingleShot(true);
    loginTimer->setInterval(DefaultLoginTimeoutMs);
    connect(loginTimer, &QTimer::timeout, this, &frmBrowser::loginTimedOut);
    updateAddressButtons();
}

void frmBrowser::setLoginTimeout(int ms) { loginTimer->setInterval(ms); }

int frmBrowser::loginTimeout() const { return loginTimer->interval(); }

frmBrowser::~frmBrowser() { DeleteLoginPage(); }

void frmBrowser::DeleteLoginPage() { QFile::remove(loginPagePath()); }

void frmBrowser::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (mLoaded) return;
    mLoaded = true;
    QTimer::singleShot(0, this, &frmBrowser::Form_Load);
}

void frmBrowser::Form_Load()
{
    mLoginState = Browsing;
    LoginOK = false;
    LoadWindowPosition();
    if (AutoLogin) {
        Login();
        return;
    }
    navigate(StartingAddress.isEmpty() ? ProgramContext::current().gLinks->Link(ProgramContext::current().gLinkIdHome, false)
                                       : StartingAddress);
}

void frmBrowser::done(int result)
{
    loginTimer->stop();
    SaveWindowPosition();
    DeleteLoginPage();
    QDialog::done(result);
}

void frmBrowser::navigate(const QString& address)
{
    web->Navigate(address);
    updateAddressButtons();
}

void frmBrowser::Login()
{
    ProgramContext& ctx = ProgramContext::current();
    SaveWindowPosition();
    setWindowTitle(QStringLiteral("Log in"));
    AutoLogin = true;
    setLoginLook(true);
    mLoginState = CheckRequested;
    loginTimer->start();  // the whole login, check and post, within one time-out
    navigate(ctx.gLinks->Link(ctx.gLinkIdLoginCheck));
}

bool frmBrowser::ReadLoginPage(const QString& text, const QString& userId, const QString& email, QString* memberId)
{
    // Found and cut in the same text: lower-casing can change a text's length
    // ("İ" becomes two characters), so positions found in a lower-cased copy
    // would cut the member number short.
    if (text.contains(QLatin1String("you need to login to view this page"), Qt::CaseInsensitive)) return false;
    const QLatin1String marker("you are member ");
    const qsizetype p = text.indexOf(marker, 0, Qt::CaseInsensitive);
    if (p < 0) return false;
    if (!text.contains(userId + QStringLiteral(" ("), Qt::CaseInsensitive)) return false;
    if (!text.contains(email, Qt::CaseInsensitive)) return false;
    const qsizetype q = text.indexOf(CrLf, p);
    if (q < 0) return false;
    *memberId = text.mid(p + marker.size(), q - p - marker.size());
    return true;
}

int frmBrowser::CheckLoginStatus()
{
    ProgramContext& ctx = ProgramContext::current();
    Configuration& config = ctx.gConfiguration;
    QString id;
    if (!ReadLoginPage(web->BodyText(), config.TradeMeUserId, config.TradeMeEmail, &id)) return 0;
    if (GetTradeMeMemberId) {
        config.TradeMeMemberId = id;
        return 1;
    }
    if (id != config.TradeMeMemberId) {
        MsgBox(QStringLiteral("Could not login to TradeMe.") + CrLf + CrLf +
                   QStringLiteral("Please check your TradeMe login details are correct under tools/options on the main menu.  "
                                  "You cannot log into a different account with this database.  If you are using a different "
                                  "TradeMe account you will first need to setup a new database for that account."),
               vbmsg::Critical, ctx.gAppTitle);
        return -1;
    }
    return 1;
}

bool frmBrowser::CreateLoginFile(const QString& Name)
{
    const Configuration& config = ProgramContext::current().gConfiguration;
    // The filled page holds the password: readable by the seller alone.
    return modWebProcessing::FillTemplate(Name,
                                          {{QStringLiteral("[USERID]"), config.TradeMeEmail},
                                           {QStringLiteral("[PASSWORD]"), config.TradeMePassword}},
                                          true);
}

void frmBrowser::web_DocumentComplete(const QString& address)
{
    ProgramContext& ctx = ProgramContext::current();
    txtAddress->setProperty("Tag", address);
    txtAddress->setText(address);
    updateAddressButtons();

    switch (mLoginState) {
    case Browsing: setCaptionFromPage(); break;
    case CheckRequested:
    case FormPosted:
        if (SiteConfig::isOnSite(address)) settleLoginCheck(mLoginState == FormPosted ? 2 : 1);
        break;
    case FilledPageRequested:
        if (address.toUpper().contains(QLatin1String("VNTMLI"))) {
            mLoginState = FormPosted;
        } else if (SiteConfig::isOnSite(address)) {
            // The local page submitted itself before its own load was reported.
            settleLoginCheck(2);
        }
        break;
    case ManualLogin:
        if (address.toLower().contains(QLatin1String("login.aspx"))) break;
        mLoginState = Browsing;
        if (address.toLower().contains(ctx.gLinks->Link(ctx.gLinkIdLoginCheck).toLower())) {
            if (CheckLoginStatus() == 1) {
                LoginOK = true;
                close();
                return;
            }
            mLoginState = ManualLogin;
            navigate(ctx.gLinks->Link(ctx.gLinkIdLogin));
        } else if (MsgBox(QStringLiteral("Cancel login?"), vbmsg::YesNo + vbmsg::Question, ctx.gAppTitle) == vbmsg::Yes) {
            close();
        } else {
            mLoginState = ManualLogin;
            navigate(ctx.gLinks->Link(ctx.gLinkIdLogin));
        }
        break;
    }
}

void frmBrowser::settleLoginCheck(int attempt)
{
    ProgramContext& ctx = ProgramContext::current();
    const Configuration& config = ctx.gConfiguration;
    mLoginState = Browsing;
    DeleteLoginPage();
    const int status = CheckLoginStatus();
    if (status == 1) {
        LoginOK = true;
        if (!RemoteForm) {
            leaveLoginLook();
        } else if (ExitAfterLogin) {
            close();
        }
        return;
    }
    if (status == -1) {
        giveUp();
        return;
    }
    if (attempt == 1) {
        if (!config.TradeMePassword.isEmpty() && !config.TradeMeEmail.isEmpty()) {
            if (!CreateLoginFile(QStringLiteral("VNTMLI"))) {
                giveUp();  // without the page there is no login: the caller hears so
                return;
            }
            mLoginState = FilledPageRequested;
            navigate(loginPagePath());
            DeleteLoginPage();  // the browser has its content
            return;
        }
        // No stored login: the seller logs in by hand.
        if (ExitAfterLogin) mLoginState = ManualLogin;
        leaveLoginLook();
        navigate(ctx.gLinks->Link(ctx.gLinkIdLogin));
        return;
    }
    loginFailed();
}

void frmBrowser::loginFailed()
{
    ProgramContext& ctx = ProgramContext::current();
    RemoteForm = nullptr;
    leaveLoginLook();
    QCoreApplication::processEvents();
    if (GetTradeMeMemberId) {
        close();
        return;
    }
    MsgBox(QStringLiteral("Could not login to TradeMe.") + CrLf + CrLf + QStringLiteral("Possible cause:") + CrLf +
               QStringLiteral("1. Check your TradeMe UserId and Password (under Options).") + CrLf +
               QStringLiteral("2. Check you are using the latest software (update).") + CrLf +
               QStringLiteral("3. Check your connection to the internet is active.") + CrLf +
               QStringLiteral("4. TradeMe could be temporarily down (try again later)."),
           vbmsg::Critical, ctx.gAppTitle);
    navigate(ctx.gLinks->Link(ctx.gLinkIdLogin));
}

void frmBrowser::loginTimedOut()
{
    if (mLoginState != CheckRequested && mLoginState != FilledPageRequested && mLoginState != FormPosted) return;
    mLoginState = Browsing;
    web->Stop();
    DeleteLoginPage();
    loginFailed();
}

void frmBrowser::leaveLoginLook()
{
    AutoLogin = false;
    LoadWindowPosition();
}

void frmBrowser::giveUp()
{
    if (ExitAfterLogin) {
        close();
        return;
    }
    leaveLoginLook();
}

void frmBrowser::setCaptionFromPage()
{
    setWindowTitle(web->LocationName() + ProgramContext::current().gBrowserCaptionSuffix);
}

void frmBrowser::cmdNavigate_Click(int index)
{
    ProgramContext& ctx = ProgramContext::current();
    switch (index) {
    case Back: web->GoBack(); break;
    case Next: web->GoForward(); break;
    case RefreshButton: web->Refresh(); break;
    case Search: navigate(SiteConfig::siteUrl() + QStringLiteral("/Browse/SearchResults.aspx")); break;
    case Home: navigate(ctx.gLinks->Link(ctx.gLinkIdHome, false)); break;
    case StopButton:
        web->Stop();
        setCaptionFromPage();
        updateAddressButtons();
        break;
    case Go: navigate(txtAddress->text()); break;
    case TradeMe: navigate(ctx.gLinks->Link(ctx.gLinkIdHome)); break;
    case LoginButton: Login(); break;
    }
    txtAddress->setFocus();
}

bool frmBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtAddress && event->type() == QEvent::FocusIn) QTimer::singleShot(0, txtAddress, &QLineEdit::selectAll);
    if (watched == picControls && event->type() == QEvent::Resize) layoutControls();
    return QDialog::eventFilter(watched, event);
}

void frmBrowser::updateAddressButtons()
{
    const bool loaded = txtAddress->text() == txtAddress->property("Tag").toString();
    const bool busy = web->Busy();
    cmdNavigate[RefreshButton]->setVisible(loaded && !busy);
    cmdNavigate[Go]->setVisible(!loaded);
    cmdNavigate[StopButton]->setVisible(loaded && busy);
    prgLoading->setVisible(busy);
}

void frmBrowser::layoutControls()
{
    // Twips as the strip was designed: Back and Next, the address box, then
    // "Refresh" (with "Stop" and "Go" in its place), "Search", "Home", the
    // site's two buttons and, in what is left, the loading bar.
    auto px = [](double twips) { return vb::twipsToPixels(twips); };
    const int top = px(60);
    const int height = txtAddress->sizeHint().height();
    auto place = [&](QWidget* w, int left, int width) { w->setGeometry(left, top, std::max(width, 0), height); };
    const int icon = px(300);
    place(cmdNavigate[Back], px(60), icon);
    place(cmdNavigate[Next], px(375), icon);
    place(txtAddress, px(750), picControls->width() - px(5000));
    const int refresh = txtAddress->geometry().right() + 1 + px(60);
    for (int b : {RefreshButton, StopButton, Go}) place(cmdNavigate[b], refresh, icon);
    place(cmdNavigate[Search], refresh + px(315), icon);
    place(cmdNavigate[Home], refresh + px(630), icon);
    QAbstractButton* site = cmdNavigate[TradeMe];
    place(site, refresh + px(1005), std::max(site->sizeHint().width(), px(740)));
    QAbstractButton* login = cmdNavigate[LoginButton];
    place(login, std::max(site->x() + px(800), site->geometry().right() + 1 + px(60)), login->sizeHint().width());
    const int bar = login->geometry().right() + 1 + px(60);
    place(prgLoading, bar, picControls->width() - px(60) - bar);
}

void frmBrowser::setLoginLook(bool login)
{
    picControls->setVisible(!login);
    lblMessage->setVisible(login);
    if (QWidget* view = web->widget()) view->setVisible(!login);
    if (login) {
        setWindowState(Qt::WindowNoState);
        setMinimumSize(0, 0);
        resize(vb::twipsToPixels(6500), vb::twipsToPixels(2100));
    } else {
        setMinimumSize(normalMinimum());
    }
}

void frmBrowser::LoadWindowPosition()
{
    if (GetTradeMeMemberId) {
        const QRect screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry() : QRect(0, 0, 1024, 768);
        const int margin = vb::twipsToPixels(500);
        setGeometry(screen.left() + margin, screen.top() + margin, screen.width() - 2 * margin, screen.height() - 2 * margin);
    } else if (!AutoLogin) {
        const int state = AppSettings::GetSetting(Section, QStringLiteral("WindowState"), QStringLiteral("2")).toInt();
        if (state == 2) {
            setWindowState(Qt::WindowMaximized);
        } else {
            setWindowState(Qt::WindowNoState);
            auto twips = [&](const char* key, int pixels) {
                return vb::twipsToPixels(AppSettings::GetSetting(Section, QLatin1String(key), QString::number(vb::pixelsToTwips(pixels))).toDouble());
            };
            // Left and Top are the frame's corner, as x() and y() were saved:
            // placing the inside there would move each window up by its title
            // bar. The size is the one it keeps (no less than the least), so
            // that its place is worked out for it.
            resize(QSize(twips("Width", width()), twips("Height", height())).expandedTo(normalMinimum()));
            QPoint place(twips("Left", x()), twips("Top", y()));
            // A window opened beside another goes a title bar's height below
            // and right of the last one, not on top of it (the desktop's title
            // bar, at least the style's); one back from its login look takes
            // the saved place again.
            if (!mPlaced && lastPlaced && lastPlaced != this && lastPlaced->isVisible() &&
                !(lastPlaced->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
                const QRect last = lastPlaced->frameGeometry();
                const int titleBar = std::max(lastPlaced->geometry().top() - last.top(), style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
                const QScreen* screen = lastPlaced->screen();
                place = WindowCascade::Next(last, frameGeometry().size(), screen ? screen->availableGeometry() : last, titleBar);
            }
            move(place);
            mPlaced = true;
            lastPlaced = this;
        }
    }
    setLoginLook(AutoLogin);
}

void frmBrowser::SaveWindowPosition()
{
    if (isMinimized() || AutoLogin || GetTradeMeMemberId || !mLoaded) return;
    const bool maximised = isMaximized();
    QList<QPair<QString, QString>> values = {{QStringLiteral("WindowState"), maximised ? QStringLiteral("2") : QStringLiteral("0")}};
    if (!maximised) {
        values.append({QStringLiteral("Top"), QString::number(vb::pixelsToTwips(y()))});
        values.append({QStringLiteral("Left"), QString::number(vb::pixelsToTwips(x()))});
        values.append({QStringLiteral("Width"), QString::number(vb::pixelsToTwips(width()))});
        values.append({QStringLiteral("Height"), QString::number(vb::pixelsToTwips(height()))});
    }
    AppSettings::SaveSettings(Section, values);
}
