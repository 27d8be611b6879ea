#include "frmWizardSetup.h"

#include "SettingsRules.h"
#include "SettingsStore.h"
#include "SetupFlow.h"
#include "core/Mascot.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/modCommon.h"
#include "core/modDatabase.h"
#include "core/modWebProcessing.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString CrLf = QStringLiteral("\r\n");

QString toEditor(const QString& stored) { return QString(stored).replace(CrLf, QStringLiteral("\n")); }
QString toStored(const QString& edited) { return QString(edited).replace(CrLf, QStringLiteral("\n")).replace(u'\n', CrLf); }

struct PageText {
    const char* heading;
    const char* text;
};

// Headings and questions (or prompts) of pages 1-24.
const PageText pageTexts[] = {
    {"TradeMe Details",
     "Your TradeMe information is required to interact with the TradeMe website.  If you would like Vendaro to login to TradeMe "
     "automatically then enter your password, otherwise leave it blank (you will need to login manually)."},
    {"Email",
     "Vendaro can send email to your customers.  This includes custom winning bidder notifications, payment received email, shipped "
     "confirmation emails etc.  If you would like a carbon copy sent to you then enter an email address below"},
    {"Custom Tasks", "Do you want to customise your task list now?"},
    {"Winning bidder notification email",
     "When an auction ends successfully, do you want the option to send the winning bidder a custom email with payment instructions?"},
    {"Payment reminder email",
     "After how many days after the auction has ended would you want the option to send the first payment reminder email? "},
    {"Payment reminder email 2",
     "After how many days would you send the SECOND payment reminder email after sending the first reminder ?"},
    {"Payment reminder email 3",
     "After how many days would you send the THIRD and FINAL payment reminder email after sending the second reminder?"},
    {"Payment details",
     "Please specify the bank account you would like payment made to - this will be included with any payment instructions email "
     "sent to the buyer."},
    {"Request a refund from TradeMe",
     "How many days after the last payment email was sent to your buyer or the auction ended (which ever is latter) would you send a "
     "refund request to TradeMe?"},
    {"Place feedback for non paying bidder", "Do you want the option to place feedback for a non paying bidder?"},
    {"Place feedback for non paying bidder",
     "How many days after the last task was completed would you want the option to place feedback?"},
    {"Relist unpaid auctions", "When a buyer does not pay, set the final task to relist?"},
    {"Payment received email",
     "When you have received payment, would you like the option to send a payment received email?"},
    {"Shipped confirmation email",
     "When you have shipped the item, would you like the option to send a shipped confirmation email?"},
    {"Positive feedback",
     "Vendaro can save you time by handling all your feedback tasks.  You can submit feedback to a single buyer or to multiple buyers "
     "all at one time.  Do you want the option to send feedback?"},
    {"When to post feedback",
     "How many days after the last task was performed do you want to post feedback?  For example, if you want to post feedback the "
     "same day item was shipped enter 0 days, the next day enter 1 day etc."},
    {"Positive feedback comments",
     "You can customise your own personal feedback comments.  For multiple feedback submission, Vendaro will randomly select a "
     "comment from your list.  You will still have the option to enter a unique comment if required.  Enter each comment below "
     "seperated by a new line."},
    {"Thank you email",
     "Its great to let your customers know they are appreciated.  Would you like the option to send a custom thank you email? "},
    {"Thank you email", "How many days after the last task was performed do you want to send a thank you email?"},
    {"Relist auctions that did not sell", "When an auction is unsold, do you want to set the next action to relist?"},
    {"Fixed price offer for unsold items", "Do you want the option to make a fixed price offer to items that did not sell?"},
    {"Fixed price offer for sold items",
     "TradeMe allows fixed price offers to be made for both unsold and sold items.  For items you have more than one of (i.e. a "
     "stocked item), do you want the option to make a fixed price offer?"},
    {"Fixed price offer duration",
     "When you make a fixed price offer, what is the default days you would make your offer for (this can be changed at the time of "
     "making an offer).  TradeMe allows an offer duration of 1, 3 or 7 days."},
    {"Thank you!",
     "Setup is now complete.  You can modify any of these settings under tools/options on the main menu or by running this setup "
     "utility again."},
};

// Texts shown before the page's question.
QString introOf(int page)
{
    switch (page) {
    case 3:
        return QStringLiteral("Vendaro works with a selection of tasks to complete for each auction that has sold (or not sold).  You can "
                              "customise Vendaro to work how you work.  This includes the order in which tasks are done, when they are  "
                              "done or if they are even done at all.  The default task order can always be modified later (under "
                              "tools/options on the main menu).");
    case 5: return QStringLiteral("Vendaro can send up to three custom payment reminder emails.");
    case 12:
        return QStringLiteral("Vendaro has a built in relist feature.  The relist feature is optional (you may wish to relist manually or "
                              "you may be using other relist software).  When all tasks are complete, regardless of how you relist, you "
                              "have the option of flagging the auction as 'Relist' or 'Complete'.");
    case 20:
        return QStringLiteral("Vendaro has a built in relist feature for UNSOLD auctions. The relist feature is optional (you may wish to "
                              "relist manually or you may be using other relist software).  When all tasks are complete, regardless of "
                              "how you relist, you have the option of flagging the auction as 'Relist' or 'Complete'.");
    default: return {};
    }
}

QLabel* wrapped(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLineEdit* field(const char* name, QWidget* parent, int width = 0)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (width) e->setMaximumWidth(width);
    return e;
}
}  // namespace

QString frmWizardSetup::DefaultSignature()
{
    return QStringList{QStringLiteral("Regards,"), QString(), QStringLiteral("Your Name"), QStringLiteral("Your business name"),
                       QStringLiteral("www.yourbusiness.co.nz")}
        .join(CrLf);
}

frmWizardSetup::frmWizardSetup(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmWizardSetup"));
    setWindowTitle(QStringLiteral("Vendaro Database Setup"));
    resize(680, 440);

    picVendaro = new QLabel(this);
    picVendaro->setObjectName(QStringLiteral("picVendaro"));
    picVendaro->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    const QList<QPixmap> images = Mascot::frames();
    picVendaro->setPixmap(images.first());
    Timer1 = new QTimer(this);
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, [this, images] { modCommon::AnimatePicture(picVendaro, images); });
    lblVendaro = new QLabel(this);
    lblVendaro->setObjectName(QStringLiteral("lblVendaro"));
    lblVendaro->setAlignment(Qt::AlignHCenter);

    picStep = new QStackedWidget(this);
    buildPages();

    picNav = new QWidget(this);
    picNav->setObjectName(QStringLiteral("picNav"));
    cmdBack = new QPushButton(QStringLiteral("Back"), picNav);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdNext = new QPushButton(QStringLiteral("Next"), picNav);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    picYesNo = new QWidget(picNav);
    picYesNo->setObjectName(QStringLiteral("picYesNo"));
    cmdYes = new QPushButton(QStringLiteral("Yes"), picYesNo);
    cmdYes->setObjectName(QStringLiteral("cmdYes"));
    cmdNo = new QPushButton(QStringLiteral("No"), picYesNo);
    cmdNo->setObjectName(QStringLiteral("cmdNo"));
    auto* yesNo = new QHBoxLayout(picYesNo);
    yesNo->setContentsMargins(0, 0, 0, 0);
    yesNo->addWidget(cmdYes);
    yesNo->addWidget(cmdNo);
    cmdExit = new QPushButton(QStringLiteral("Exit setup"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    auto* nav = new QHBoxLayout(picNav);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->addWidget(cmdBack);
    nav->addWidget(cmdNext);
    nav->addWidget(picYesNo);
    nav->addStretch();

    auto* side = new QVBoxLayout;
    side->addWidget(picVendaro);
    side->addWidget(lblVendaro);
    side->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(picStep, 1);
    right->addSpacing(12);
    right->addWidget(picNav);
    auto* top = new QHBoxLayout;
    top->addLayout(side);
    top->addSpacing(12);
    top->addLayout(right, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    for (QPushButton* b : {cmdBack, cmdNext, cmdYes, cmdNo, cmdExit}) b->setAutoDefault(false);
    connect(cmdBack, &QPushButton::clicked, this, &frmWizardSetup::cmdBack_Click);
    connect(cmdNext, &QPushButton::clicked, this, &frmWizardSetup::cmdNext_Click);
    connect(cmdYes, &QPushButton::clicked, this, &frmWizardSetup::cmdYes_Click);
    connect(cmdNo, &QPushButton::clicked, this, &frmWizardSetup::cmdNo_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmWizardSetup::cmdExit_Click);
    txtFeedbackComments->installEventFilter(this);
    Form_Load();
}

void frmWizardSetup::buildPages()
{
    picStep->addWidget(pages[0] = new QWidget(picStep));  // never shown
    for (int i = 1; i <= SetupFlow::PageCount; ++i) {
        auto* page = new QWidget(picStep);
        page->setObjectName(QStringLiteral("picStep(%1)").arg(i));
        auto* v = new QVBoxLayout(page);
        v->setContentsMargins(0, 0, 0, 0);
        auto* heading = new QLabel(QString::fromUtf8(pageTexts[i - 1].heading), page);
        heading->setObjectName(i == 2 ? QStringLiteral("lblHeading(3)") : QStringLiteral("llbHeading(%1)").arg(i));
        QFont f = heading->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.3);
        heading->setFont(f);
        v->addWidget(heading);
        v->addSpacing(6);
        if (const QString intro = introOf(i); !intro.isEmpty()) v->addWidget(wrapped(intro, page));
        QLabel* question = wrapped(QString::fromUtf8(pageTexts[i - 1].text), page);
        if (SetupFlow::IsQuestionPage(i)) {
            QFont qf = question->font();
            qf.setBold(true);
            question->setFont(qf);
        }
        v->addWidget(question);
        pages[i] = page;
        picStep->addWidget(page);
    }
    auto form = [this](int i) {
        auto* f = new QFormLayout;
        static_cast<QVBoxLayout*>(pages[i]->layout())->addLayout(f);
        return f;
    };
    auto days = [&](int i, QLineEdit* e) {
        form(i)->addRow(QStringLiteral("Days"), e);
    };

    QFormLayout* f1 = form(1);
    txtTradeMeUserId = field("txtTradeMeUserId", pages[1]);
    txtTradeMeEmail = field("txtTradeMeEmail", pages[1]);
    txtTradeMePassword = field("txtTradeMePassword", pages[1]);
    txtTradeMePassword->setEchoMode(QLineEdit::Password);
    f1->addRow(QStringLiteral("TradeMe UserId"), txtTradeMeUserId);
    f1->addRow(QStringLiteral("TradeMe Email"), txtTradeMeEmail);
    f1->addRow(QStringLiteral("TradeMe Password"), txtTradeMePassword);

    QFormLayout* f2 = form(2);
    txtEmailCC = field("txtEmailCC", pages[2]);
    f2->addRow(QStringLiteral("Send email copy to"), txtEmailCC);
    static_cast<QVBoxLayout*>(pages[2]->layout())
        ->addWidget(wrapped(QStringLiteral("Enter your email signature - this will appear at the bottom of any email you send.  This "
                                           "should be your name and/or company contact details."),
                            pages[2]));
    txtEmailSignature = new QPlainTextEdit(pages[2]);
    txtEmailSignature->setObjectName(QStringLiteral("txtEmailSignature"));
    txtEmailSignature->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    form(2)->addRow(QStringLiteral("Email signature"), txtEmailSignature);

    for (int n = 1; n <= 3; ++n) {
        txtReminder[n] = field("", pages[4 + n], 60);
        txtReminder[n]->setObjectName(QStringLiteral("txtReminder(%1)").arg(n));
        static_cast<QVBoxLayout*>(pages[4 + n]->layout())->addWidget(wrapped(QStringLiteral("(enter 0 if you do not want to send this email)"), pages[4 + n]));
        days(4 + n, txtReminder[n]);
    }
    QFormLayout* f8 = form(8);
    txtBankName = field("txtBankName", pages[8]);
    txtBankNumber = field("txtBankNumber", pages[8]);
    f8->addRow(QStringLiteral("Bank account name"), txtBankName);
    f8->addRow(QStringLiteral("Bank account number"), txtBankNumber);
    days(9, txtRequestRefund = field("txtRequestRefund", pages[9], 60));
    days(11, txtNegativeFeedback = field("txtNegativeFeedback", pages[11], 60));
    days(16, txtFeedbackDays = field("txtFeedbackDays", pages[16], 60));
    txtFeedbackComments = new QPlainTextEdit(pages[17]);
    txtFeedbackComments->setObjectName(QStringLiteral("txtFeedbackComments"));
    txtFeedbackComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    static_cast<QVBoxLayout*>(pages[17]->layout())->addWidget(txtFeedbackComments, 1);
    static_cast<QVBoxLayout*>(pages[17]->layout())
        ->addWidget(wrapped(QStringLiteral("You can always edit your list later under tools/options on the main menu."), pages[17]));
    days(19, txtThankyouDays = field("txtThankyouDays", pages[19], 60));
    days(23, txtOfferLength = field("txtOfferLength", pages[23], 60));
    for (int i = 1; i <= SetupFlow::PageCount; ++i)
        if (i != 2 && i != 17) static_cast<QVBoxLayout*>(pages[i]->layout())->addStretch();
}

void frmWizardSetup::Form_Load() { LoadSetupDefaults(); }

void frmWizardSetup::LoadSetupDefaults()
{
    const Configuration& c = ProgramContext::current().gConfiguration;
    mUserId = c.TradeMeUserId;
    mEmail = c.TradeMeEmail;
    mPassword = c.TradeMePassword;
    mMemberId = c.TradeMeMemberId;
    txtTradeMeUserId->setText(c.TradeMeUserId);
    txtTradeMeEmail->setText(c.TradeMeEmail);
    txtTradeMePassword->setText(c.TradeMePassword);
    txtEmailCC->setText(c.EmailCC);
    txtEmailSignature->setPlainText(toEditor(c.EmailSignature.isEmpty() ? DefaultSignature() : c.EmailSignature));
    for (int n = 1; n <= 3; ++n) txtReminder[n]->setText(QStringLiteral("0"));
    txtBankName->setText(c.BankAccountName);
    txtBankNumber->setText(c.BankAccountNumber);
    txtRequestRefund->setText(QStringLiteral("3"));
    txtNegativeFeedback->setText(QStringLiteral("0"));
    txtFeedbackDays->setText(QStringLiteral("0"));
    txtFeedbackComments->setPlainText(toEditor(c.Feedback));
    txtThankyouDays->setText(QStringLiteral("0"));
    txtOfferLength->setText(QStringLiteral("3"));
}

void frmWizardSetup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (mActivated) return;
    mActivated = true;
    QTimer::singleShot(0, this, &frmWizardSetup::Form_Activate);
}

void frmWizardSetup::Form_Activate()
{
    if (CurrentStep == 0) ShowStep(1);
    Timer1->start();
}

void frmWizardSetup::ShowStep(int step)
{
    CurrentStep = step;
    lblVendaro->setText(QStringLiteral("Step %1 of %2").arg(step).arg(SetupFlow::PageCount));
    picStep->setCurrentIndex(step);
    const bool question = SetupFlow::IsQuestionPage(step);
    cmdBack->setVisible(step >= 3 && step < SetupFlow::PageCount);
    cmdExit->setVisible(step < SetupFlow::PageCount);
    cmdNext->setVisible(!question);
    picYesNo->setVisible(question);
    cmdNext->setText(step == 1 ? QStringLiteral("Login") : step == SetupFlow::PageCount ? QStringLiteral("Finished") : QStringLiteral("Next"));
    if (step == 1) txtTradeMeUserId->setFocus();
    else if (step == 2) txtEmailCC->setFocus();
    else if (question) cmdYes->setFocus();
    else cmdNext->setFocus();
}

void frmWizardSetup::ReadFields()
{
    for (int n = 1; n <= 3; ++n) Answers.Reminder[n] = SettingsRules::Number(txtReminder[n]->text());
    Answers.RequestRefund = SettingsRules::Number(txtRequestRefund->text());
    Answers.NegativeFeedbackDays = SettingsRules::Number(txtNegativeFeedback->text());
    Answers.FeedbackDays = SettingsRules::Number(txtFeedbackDays->text());
    Answers.ThankyouDays = SettingsRules::Number(txtThankyouDays->text());
    Answers.OfferLength = SettingsRules::Number(txtOfferLength->text());
}

bool frmWizardSetup::ValidateStep()
{
    ReadFields();
    QString message;
    QWidget* focus = nullptr;
    if (CurrentStep == 1) {
        if (!modCommon::IsValidEmail(txtTradeMeEmail->text())) {
            message = QStringLiteral("Please enter a valid email address");
            focus = txtTradeMeEmail;
        }
        if (txtTradeMeEmail->text().isEmpty()) {
            message = QStringLiteral("Please enter your TradeMe email address");
            focus = txtTradeMeEmail;
        }
        if (txtTradeMeUserId->text().isEmpty()) {
            message = QStringLiteral("Please enter your TradeMe UserId");
            focus = txtTradeMeUserId;
        }
    } else {
        message = SetupFlow::Check(CurrentStep, Answers);
    }
    if (message.isEmpty()) return true;
    MsgBox(message, vbmsg::Information, WizardTitle());
    if (focus) focus->setFocus();
    return false;
}

bool frmWizardSetup::TestTradeMeLogin()
{
    ProgramContext& ctx = ProgramContext::current();
    Configuration& c = ctx.gConfiguration;
    c.TradeMeUserId = txtTradeMeUserId->text();
    c.TradeMeEmail = txtTradeMeEmail->text();
    c.TradeMePassword = txtTradeMePassword->text();
    if (modWebProcessing::ShowBrowser(this, true, true, true)) {
        QCoreApplication::processEvents();
        MsgBox(QStringLiteral("TradeMe log in successful!"), vbmsg::Information, ctx.gAppTitle);
        return true;
    }
    MsgBox(QStringLiteral("Login failed.") + CrLf + CrLf +
               (c.TradeMePassword.isEmpty() ? QStringLiteral("Check your TradeMe UserId and Email are correct.")
                                            : QStringLiteral("Check your TradeMe UserId, Password and Email are correct.")) +
               CrLf + QStringLiteral("Check your Internet connection is active."),
           vbmsg::Critical, ctx.gAppTitle);
    return false;
}

void frmWizardSetup::GoTo(int step)
{
    if (step == SetupFlow::PageCount && !mSaved) {
        if (!SaveSetup()) return;
        mSaved = true;
    }
    ShowStep(step);
}

void frmWizardSetup::cmdNext_Click()
{
    if (!ValidateStep()) return;
    if (CurrentStep == 1 && !TestTradeMeLogin()) return;
    if (CurrentStep == SetupFlow::PageCount) {
        mClosing = true;
        if (FirstRun) FormsRegistry::instance().showModeless(QStringLiteral("frmMain"));
        close();
        return;
    }
    if (CurrentStep == 5 && Answers.Reminder[1] == 0) {
        txtReminder[2]->setText(QStringLiteral("0"));
        txtReminder[3]->setText(QStringLiteral("0"));
        Answers.Reminder[2] = Answers.Reminder[3] = 0;
    } else if (CurrentStep == 6 && Answers.Reminder[2] == 0) {
        txtReminder[3]->setText(QStringLiteral("0"));
        Answers.Reminder[3] = 0;
    }
    GoTo(SetupFlow::NextPage(CurrentStep, Answers));
}

void frmWizardSetup::answer(bool yes)
{
    bool* answer = SetupFlow::Answer(Answers, CurrentStep);
    if (!answer) return;
    *answer = yes;
    if (!ValidateStep()) return;
    if (yes) {
        GoTo(SetupFlow::NextPage(CurrentStep, Answers));
        return;
    }
    const int next = SetupFlow::NoPage(CurrentStep, Answers);
    // Skipping the offer duration page still holds its field to its rule.
    if (CurrentStep == 22 && next == SetupFlow::PageCount) {
        const QString message = SetupFlow::Check(23, Answers);
        if (!message.isEmpty()) {
            MsgBox(message, vbmsg::Information, WizardTitle());
            return;
        }
    }
    GoTo(next);
}

void frmWizardSetup::cmdYes_Click() { answer(true); }
void frmWizardSetup::cmdNo_Click() { answer(false); }

void frmWizardSetup::cmdBack_Click()
{
    if (CurrentStep < 3 || CurrentStep >= SetupFlow::PageCount) return;
    ShowStep(SetupFlow::BackPage(CurrentStep, Answers));
}

void frmWizardSetup::txtFeedbackComments_LostFocus()
{
    const QString cleaned = toEditor(SettingsRules::CleanFeedback(toStored(txtFeedbackComments->toPlainText())));
    if (cleaned != txtFeedbackComments->toPlainText()) txtFeedbackComments->setPlainText(cleaned);
}

bool frmWizardSetup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFeedbackComments && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) txtFeedbackComments_LostFocus();
    }
    return QDialog::eventFilter(watched, event);
}

bool frmWizardSetup::SaveSetup()
{
    ProgramContext& ctx = ProgramContext::current();
    ReadFields();
    txtFeedbackComments_LostFocus();
    const QString signature = toStored(txtEmailSignature->toPlainText());
    const SettingsStore::Columns columns = {
        {QStringLiteral("TradeMeUserId"), txtTradeMeUserId->text()},
        {QStringLiteral("TradeMeEmail"), txtTradeMeEmail->text()},
        {QStringLiteral("TradeMePassword"), txtTradeMePassword->text()},
        {QStringLiteral("BankAccountName"), txtBankName->text()},
        {QStringLiteral("BankAccountNumber"), txtBankNumber->text()},
        {QStringLiteral("DefaultFPOdays"), SettingsRules::Whole(txtOfferLength->text(), 1, 7)},
        {QStringLiteral("FPOunsold"), Answers.FPOunsold},
        {QStringLiteral("FPOsold"), Answers.FPOsold},
        {QStringLiteral("RelistUnsold"), Answers.RelistUnsold},
        {QStringLiteral("TradeMeMemberId"), ctx.gConfiguration.TradeMeMemberId},
        {QStringLiteral("EmailFrom"), txtTradeMeEmail->text()},
        {QStringLiteral("EmailCC"), txtEmailCC->text()},
        {QStringLiteral("EmailSignature"), signature == DefaultSignature() ? QString() : signature},
        {QStringLiteral("Feedback"), toStored(txtFeedbackComments->toPlainText())},
    };
    QList<SettingsStore::ChainRow> rows;
    if (Answers.CustomiseTasks)
        for (const auto& chain : {SetupFlow::PrePaymentChain(Answers), SetupFlow::PostPaymentChain(Answers)})
            for (const SetupFlow::Link& link : chain) rows.append({link.Step, ctx.gActions->Description(link.Next), link.Days});
    if (!SettingsStore::Save(columns, rows, ctx.gAppTitle)) return false;

    modDatabase::CloseDatabase();
    if (!modDatabase::OpenDatabase(ctx.gDatabaseFile, ctx.gDatabaseTitle, true, false)) {
        // No database to work with: the database wizard gives the seller one.
        mClosing = true;
        FormsRegistry::instance().showModeless(QStringLiteral("frmWizardDatabase"), {{QStringLiteral("FirstRun"), true}});
        close();
        return false;
    }
    return true;
}

void frmWizardSetup::RestoreLogin()
{
    Configuration& c = ProgramContext::current().gConfiguration;
    c.TradeMeUserId = mUserId;
    c.TradeMeEmail = mEmail;
    c.TradeMePassword = mPassword;
    c.TradeMeMemberId = mMemberId;
}

bool frmWizardSetup::ConfirmExit()
{
    const QString text = FirstRun ? QStringLiteral("You must complete the setup process before you can run Vendaro.") + CrLf + CrLf +
                                        QStringLiteral("Are you sure you want to cancel setup?")
                                  : QStringLiteral("You will lose any changes you have made.") + CrLf + CrLf +
                                        QStringLiteral("Do you want to cancel setup?");
    if (MsgBox(text, vbmsg::YesNo + vbmsg::Information, WizardTitle()) != vbmsg::Yes) return false;
    RestoreLogin();
    return true;
}

void frmWizardSetup::cmdExit_Click()
{
    if (!ConfirmExit()) return;
    mClosing = true;
    close();
}

void frmWizardSetup::closeEvent(QCloseEvent* event)
{
    if (mClosing) {
        Timer1->stop();
        QDialog::closeEvent(event);
        return;
    }
    // The frame's close box: after the save it finishes, before it it exits.
    if (mSaved) {
        mClosing = true;
        if (FirstRun) FormsRegistry::instance().showModeless(QStringLiteral("frmMain"));
    } else if (!ConfirmExit()) {
        event->ignore();
        return;
    }
    mClosing = true;
    Timer1->stop();
    QDialog::closeEvent(event);
}

void frmWizardSetup::reject()
{
    if (mClosing) QDialog::reject();
    else close();
}
