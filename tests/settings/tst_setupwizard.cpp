// The first-run setup wizard: its way through the pages, its checks, the
// login test and what it saves.

#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/modDatabase.h"
#include "core/modStart.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/db/Connection.h"
#include "settings/SetupFlow.h"
#include "settings/frmWizardSetup.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>
#include <optional>

using Links = QList<SetupFlow::Link>;
using Typed = QList<QPair<int, QString>>;  // page, text typed there
Q_DECLARE_METATYPE(Links)
Q_DECLARE_METATYPE(Typed)
Q_DECLARE_METATYPE(SetupAnswers)

namespace {
const QString Success = QStringLiteral("TradeMe log in successful!");

SetupAnswers allYes()
{
    SetupAnswers a;
    for (int page = 1; page <= SetupFlow::PageCount; ++page)
        if (bool* answer = SetupFlow::Answer(a, page)) *answer = true;
    a.Reminder[1] = 2;
    a.Reminder[2] = 4;
    a.Reminder[3] = 7;
    a.RequestRefund = 3;
    a.NegativeFeedbackDays = 5;
    a.FeedbackDays = 1;
    a.ThankyouDays = 2;
    return a;
}
SetupAnswers allNo()
{
    SetupAnswers a;
    a.CustomiseTasks = true;
    return a;
}
}  // namespace

class tst_setupwizard : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QString file;
    QStringList loginsSeen;  // user id / e-mail / password at each login

    ProgramContext& ctx() { return ProgramContext::current(); }

    // The browser window answered without a site: the login succeeds (and
    // the member id is learnt) or fails.
    void fakeLogin(bool ok, const QString& member = "1234567")
    {
        FormsRegistry::instance().overrideForm("frmBrowser", [this, ok, member](QWidget* parent) {
            auto* d = new QDialog(parent);
            d->setProperty("LoginOK", false);
            QTimer::singleShot(0, d, [this, d, ok, member] {
                Configuration& c = ProgramContext::current().gConfiguration;
                loginsSeen << c.TradeMeUserId + "/" + c.TradeMeEmail + "/" + c.TradeMePassword;
                if (ok) c.TradeMeMemberId = member;
                d->setProperty("LoginOK", ok);
                d->accept();
            });
            return d;
        });
    }
    std::unique_ptr<frmWizardSetup> wizard(bool firstRun = true)
    {
        auto w = std::make_unique<frmWizardSetup>();
        w->FirstRun = firstRun;
        w->Form_Activate();
        return w;
    }
    // Page 1 filled and logged in: the wizard stands on page 2.
    std::unique_ptr<frmWizardSetup> loggedIn(bool firstRun = true)
    {
        auto w = wizard(firstRun);
        w->txtTradeMeUserId->setText("kiwi_seller");
        w->txtTradeMeEmail->setText("seller@example.co.nz");
        w->txtTradeMePassword->setText("pass");
        fakeLogin(true);
        env->messages().answer(vbmsg::OK, Success);
        w->cmdNext_Click();
        return w;
    }
    QString chainInTable()
    {
        QStringList rows;
        Connection c;
        if (!c.Open(file)) return "<cannot open>";
        for (int id = 1; id <= 14; ++id)
            rows << QStringLiteral("%1>%2:%3").arg(id).arg(c.Scalar("SELECT NextActionId FROM [Action] WHERE ActionId=?", {id}).toInt())
                        .arg(c.Scalar("SELECT Days FROM [Action] WHERE ActionId=?", {id}).toInt());
        return rows.join(' ');
    }
    QVariant stored(const QString& column)
    {
        Connection c;
        if (!c.Open(file)) return "<cannot open>";
        return c.Scalar("SELECT " + column + " FROM Configuration");
    }
    // Works the wizard with a list of buttons: "next", "yes", "no", "back".
    void press(frmWizardSetup& w, const QStringList& buttons)
    {
        for (const QString& b : buttons) {
            if (b == "next") w.cmdNext_Click();
            else if (b == "yes") w.cmdYes_Click();
            else if (b == "no") w.cmdNo_Click();
            else if (b == "back") w.cmdBack_Click();
        }
    }

private slots:
    void init()
    {
        env.emplace();
        file = DatabaseFixture::create(env->programFolder());
        QVERIFY(modDatabase::OpenDatabase(file, "shop.mdb", true, false));
        loginsSeen.clear();
    }
    void cleanup() { env.reset(); }

    // ---- the pages and chains without a window ----

    void pageNavigation_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("winningEmail");
        QTest::addColumn<double>("firstReminder");
        QTest::addColumn<double>("secondReminder");
        QTest::addColumn<int>("to");
        QTest::newRow("next 5, no first reminder, no winner e-mail") << "next" << 5 << false << 0.0 << 3.0 << 9;
        QTest::newRow("next 5, no first reminder, winner e-mail") << "next" << 5 << true << 0.0 << 3.0 << 8;
        QTest::newRow("next 5, a negative reminder goes on") << "next" << 5 << false << -1.0 << 3.0 << 6;
        QTest::newRow("next 5, a first reminder") << "next" << 5 << false << 2.0 << 3.0 << 6;
        QTest::newRow("next 6, no second reminder") << "next" << 6 << false << 2.0 << 0.0 << 8;
        QTest::newRow("next 6, a second reminder") << "next" << 6 << false << 2.0 << 1.0 << 7;
        QTest::newRow("next 23") << "next" << 23 << false << 0.0 << 0.0 << 24;
        QTest::newRow("back 8") << "back" << 8 << false << 0.0 << 0.0 << 5;
        QTest::newRow("back 9") << "back" << 9 << true << 2.0 << 2.0 << 5;
        QTest::newRow("back 12") << "back" << 12 << false << 0.0 << 0.0 << 10;
        QTest::newRow("back 18") << "back" << 18 << false << 0.0 << 0.0 << 15;
        QTest::newRow("back 7") << "back" << 7 << false << 0.0 << 0.0 << 6;
        QTest::newRow("no 3") << "no" << 3 << false << 0.0 << 0.0 << 20;
        QTest::newRow("no 4") << "no" << 4 << false << 0.0 << 0.0 << 5;
        QTest::newRow("no 10") << "no" << 10 << false << 0.0 << 0.0 << 12;
        QTest::newRow("no 12") << "no" << 12 << false << 0.0 << 0.0 << 13;
        QTest::newRow("no 15") << "no" << 15 << false << 0.0 << 0.0 << 18;
        QTest::newRow("no 18") << "no" << 18 << false << 0.0 << 0.0 << 20;
        QTest::newRow("no 20") << "no" << 20 << false << 0.0 << 0.0 << 21;
        QTest::newRow("no 21") << "no" << 21 << false << 0.0 << 0.0 << 22;
    }
    void pageNavigation()
    {
        QFETCH(QString, button);
        QFETCH(int, from);
        QFETCH(bool, winningEmail);
        QFETCH(double, firstReminder);
        QFETCH(double, secondReminder);
        QFETCH(int, to);
        SetupAnswers a;
        a.WinningBidderEmail = winningEmail;
        a.Reminder[1] = firstReminder;
        a.Reminder[2] = secondReminder;
        const int page = button == "next" ? SetupFlow::NextPage(from, a) : button == "back" ? SetupFlow::BackPage(from, a) : SetupFlow::NoPage(from, a);
        QCOMPARE(page, to);
    }

    void backFromTwentyFollowsTheFirstAnswer()
    {
        SetupAnswers a;
        QCOMPARE(SetupFlow::BackPage(20, a), 3);
        a.CustomiseTasks = true;
        QCOMPARE(SetupFlow::BackPage(20, a), 18);
        a.FPOunsold = true;
        QCOMPARE(SetupFlow::NoPage(22, a), 23);
        a.FPOunsold = false;
        QCOMPARE(SetupFlow::NoPage(22, a), 24);
    }

    void pageChecks_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QList<double>>("days");  // R1, R2, R3, refund, offer
        QTest::addColumn<bool>("passes");
        QTest::newRow("reminder 1 and refund 1") << 9 << QList<double>{1, 0, 0, 1, 3} << false;
        QTest::newRow("no reminders, refund 3") << 9 << QList<double>{0, 0, 0, 3, 3} << true;
        QTest::newRow("2.5 days in all") << 9 << QList<double>{1.5, 0, 0, 1, 3} << false;
        QTest::newRow("offer 2") << 23 << QList<double>{0, 0, 0, 3, 2} << false;
        QTest::newRow("offer 1") << 23 << QList<double>{0, 0, 0, 3, 1} << true;
        QTest::newRow("offer 3") << 23 << QList<double>{0, 0, 0, 3, 3} << true;
        QTest::newRow("offer 7") << 23 << QList<double>{0, 0, 0, 3, 7} << true;
        QTest::newRow("offer 0") << 23 << QList<double>{0, 0, 0, 3, 0} << false;
        QTest::newRow("other pages pass") << 8 << QList<double>{0, 0, 0, 0, 0} << true;
    }
    void pageChecks()
    {
        QFETCH(int, page);
        QFETCH(QList<double>, days);
        QFETCH(bool, passes);
        SetupAnswers a;
        for (int n = 1; n <= 3; ++n) a.Reminder[n] = days[n - 1];
        a.RequestRefund = days[3];
        a.OfferLength = days[4];
        QCOMPARE(SetupFlow::Check(page, a).isEmpty(), passes);
    }

    void chains_data()
    {
        QTest::addColumn<SetupAnswers>("answers");
        QTest::addColumn<Links>("pre");
        QTest::addColumn<Links>("post");
        QTest::newRow("every answer No") << allNo() << Links{{1, 8, 3}, {8, 15, 0}} << Links{{7, 11, 0}, {11, 15, 0}};
        QTest::newRow("every answer Yes") << allYes()
                                          << Links{{1, 2, 0}, {2, 4, 2}, {4, 5, 4}, {5, 6, 7}, {6, 8, 3}, {8, 9, 5}, {9, 16, 0}}
                                          << Links{{7, 10, 0}, {10, 11, 0}, {11, 12, 0}, {12, 13, 1}, {13, 14, 2}, {14, 15, 0}};
        SetupAnswers halves = allNo();
        halves.Reminder[1] = 2.5;
        halves.Reminder[2] = -1;
        halves.RequestRefund = 3.5;
        halves.RelistUnpaid = true;
        halves.ThankYouEmail = true;
        halves.ThankyouDays = 4;
        QTest::newRow("halves to even; a negative reminder is none")
            << halves << Links{{1, 4, 2}, {4, 8, 4}, {8, 16, 0}} << Links{{7, 11, 0}, {11, 14, 4}, {14, 15, 0}};
    }
    void chains()
    {
        QFETCH(SetupAnswers, answers);
        QFETCH(Links, pre);
        QFETCH(Links, post);
        QCOMPARE(SetupFlow::PrePaymentChain(answers), pre);
        QCOMPARE(SetupFlow::PostPaymentChain(answers), post);
    }

    // ---- the window ----

    void firstPageChecks_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no at sign") << "kiwi" << "seller.example.nz" << "Please enter a valid email address" << "txtTradeMeEmail";
        QTest::newRow("at sign first") << "kiwi" << "@example.nz" << "Please enter a valid email address" << "txtTradeMeEmail";
        QTest::newRow("no point after it") << "kiwi" << "seller@example" << "Please enter a valid email address" << "txtTradeMeEmail";
        QTest::newRow("no e-mail") << "kiwi" << "" << "Please enter your TradeMe email address" << "txtTradeMeEmail";
        QTest::newRow("no user id wins") << "" << "seller.example.nz" << "Please enter your TradeMe UserId" << "txtTradeMeUserId";
    }
    void firstPageChecks()
    {
        QFETCH(QString, user);
        QFETCH(QString, email);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        auto w = wizard();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->txtTradeMeUserId->setText(user);
        w->txtTradeMeEmail->setText(email);
        env->messages().answer(vbmsg::OK, message);
        w->cmdNext_Click();
        QCOMPARE(env->messages().prompts()[0].text, message);
        QCOMPARE(env->messages().prompts()[0].title, QStringLiteral("Vendaro Setup"));
        QCOMPARE(w->CurrentStep, 1);
        QVERIFY(loginsSeen.isEmpty());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    }

    void firstPageLooks()
    {
        auto w = wizard();
        QCOMPARE(w->windowTitle(), QStringLiteral("Vendaro Database Setup"));
        QCOMPARE(w->lblVendaro->text(), QStringLiteral("Step 1 of 24"));
        QCOMPARE(w->cmdNext->text(), QStringLiteral("Login"));
        QVERIFY(w->cmdBack->isHidden());
        QCOMPARE(w->txtRequestRefund->text(), QStringLiteral("3"));
        QCOMPARE(w->txtOfferLength->text(), QStringLiteral("3"));
        QCOMPARE(w->txtEmailSignature->toPlainText(), QString(frmWizardSetup::DefaultSignature()).replace("\r\n", "\n"));
    }

    void loginTestLearnsTheMemberId()
    {
        auto w = loggedIn();
        QCOMPARE(w->CurrentStep, 2);
        QCOMPARE(loginsSeen, QStringList{"kiwi_seller/seller@example.co.nz/pass"});
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("1234567"));
        QCOMPARE(env->messages().prompts()[0].title, QStringLiteral("Vendaro"));
        QCOMPARE(w->cmdNext->text(), QStringLiteral("Next"));
        QVERIFY(w->cmdBack->isHidden());
        // Nothing is written yet.
        QCOMPARE(stored("TradeMeMemberId").toString(), QStringLiteral("0"));
    }

    void failedLoginStaysOnThePage_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("with a password") << "pass"
                                         << "Login failed.\r\n\r\nCheck your TradeMe UserId, Password and Email are correct.\r\nCheck your Internet connection is active.";
        QTest::newRow("without") << "" << "Login failed.\r\n\r\nCheck your TradeMe UserId and Email are correct.\r\nCheck your Internet connection is active.";
    }
    void failedLoginStaysOnThePage()
    {
        QFETCH(QString, password);
        QFETCH(QString, message);
        auto w = wizard();
        w->txtTradeMeUserId->setText("kiwi_seller");
        w->txtTradeMeEmail->setText("seller@example.co.nz");
        w->txtTradeMePassword->setText(password);
        fakeLogin(false);
        env->messages().answer(vbmsg::OK, message);
        w->cmdNext_Click();
        QCOMPARE(env->messages().prompts()[0].text, message);
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Critical));
        QCOMPARE(w->CurrentStep, 1);
    }

    // The login test changes the program's login values; leaving the wizard
    // gives the old ones back.
    void exitRestoresTheLoginValues()
    {
        ctx().gConfiguration.TradeMeUserId = "before";
        auto w = loggedIn(false);
        QCOMPARE(ctx().gConfiguration.TradeMeUserId, QStringLiteral("kiwi_seller"));
        env->messages().answer(vbmsg::No, "You will lose any changes you have made.\r\n\r\nDo you want to cancel setup?");
        w->cmdExit_Click();
        QCOMPARE(ctx().gConfiguration.TradeMeUserId, QStringLiteral("kiwi_seller"));
        QCOMPARE(w->CurrentStep, 2);
        env->messages().answer(vbmsg::Yes, "Do you want to cancel setup?");
        w->cmdExit_Click();
        QCOMPARE(env->messages().prompts().last().style, vbmsg::YesNo + vbmsg::Information);
        QCOMPARE(ctx().gConfiguration.TradeMeUserId, QStringLiteral("before"));
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("0"));
        QCOMPARE(ctx().gConfiguration.TradeMePassword, QString());
        QCOMPARE(stored("TradeMeUserId").toString(), QString());
        QVERIFY(FormsRegistry::instance().stubCalls().isEmpty());
    }

    void closeBoxAsksLikeExit()
    {
        auto w = loggedIn(true);
        w->show();
        env->messages().answer(vbmsg::No, "You must complete the setup process before you can run Vendaro.\r\n\r\nAre you sure you want to cancel setup?");
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        env->messages().answer(vbmsg::Yes, "Are you sure you want to cancel setup?");
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCOMPARE(ctx().gConfiguration.TradeMeMemberId, QStringLiteral("0"));
    }

    void keepingTheTasksWritesOnlyTheSettings()
    {
        const QString chain = chainInTable();
        auto w = loggedIn();
        w->txtEmailCC->setText("copy@example.co.nz");
        press(*w, {"next", "no"});
        QCOMPARE(w->CurrentStep, 20);
        press(*w, {"back"});
        QCOMPARE(w->CurrentStep, 3);
        press(*w, {"no", "yes", "no", "yes"});
        QCOMPARE(w->CurrentStep, 23);
        w->txtOfferLength->setText("7");
        press(*w, {"next"});
        QCOMPARE(w->CurrentStep, 24);
        QCOMPARE(w->cmdNext->text(), QStringLiteral("Finished"));
        QVERIFY(w->cmdBack->isHidden() && w->cmdExit->isHidden());
        QCOMPARE(chainInTable(), chain);
        QCOMPARE(stored("TradeMeMemberId").toString(), QStringLiteral("1234567"));
        QCOMPARE(stored("EmailFrom").toString(), QStringLiteral("seller@example.co.nz"));
        QCOMPARE(stored("EmailCC").toString(), QStringLiteral("copy@example.co.nz"));
        QCOMPARE(stored("TradeMePassword").toString(), QStringLiteral("pass"));
        QCOMPARE(stored("DefaultFPOdays").toInt(), 7);
        QCOMPARE(stored("RelistUnsold").toInt(), 1);
        QCOMPARE(stored("FPOunsold").toInt(), 0);
        QCOMPARE(stored("FPOsold").toInt(), 1);
        QCOMPARE(stored("EmailSignature").toString(), QString());  // the placeholder is not kept
        // Reopened: the settings are the database's.
        QVERIFY(ctx().gConfiguration.IsSetUp());
        QCOMPARE(ctx().gConfiguration.TradeMeEmail, QStringLiteral("seller@example.co.nz"));
        // Finished shows the main window on a first run.
        int mainWindows = 0;
        FormsRegistry::instance().overrideForm("frmMain", [&mainWindows](QWidget*) {
            ++mainWindows;
            return new QWidget;
        });
        w->show();
        w->cmdNext_Click();
        QCOMPARE(mainWindows, 1);
        QVERIFY(!w->isVisible());
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top != w.get()) top->close();
    }

    void everyAnswerBuildsTheChains_data()
    {
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<Typed>("days");
        QTest::addColumn<QString>("chain");
        QTest::newRow("all No") << QStringList{"next", "yes", "no", "next", "next", "no", "no", "no", "no", "no", "no", "no", "no", "no", "no"}
                                << Typed{}
                                << "1>8:3 2>4:3 3>15:0 4>5:4 5>6:7 6>8:3 7>11:0 8>15:0 9>16:0 10>11:0 11>15:0 12>13:1 13>14:2 14>15:0";
        QTest::newRow("all Yes") << QStringList{"next", "yes", "yes", "next", "next", "next", "next", "next", "yes", "next", "yes", "yes",
                                                "yes", "yes", "next", "next", "yes", "next", "yes", "yes", "yes", "next"}
                                 << Typed{{5, "2"}, {6, "4"}, {7, "7"}, {9, "3"}, {11, "5"}, {16, "1"}, {19, "2"}}
                                 << "1>2:0 2>4:2 3>15:0 4>5:4 5>6:7 6>8:3 7>10:0 8>9:5 9>16:0 10>11:0 11>12:0 12>13:1 13>14:2 14>15:0";
    }
    void everyAnswerBuildsTheChains()
    {
        QFETCH(QStringList, buttons);
        QFETCH(Typed, days);
        QFETCH(QString, chain);
        QVERIFY(ctx().gConnection->Execute("UPDATE [Action] SET NextActionId=16, Days=9 WHERE ActionId IN (1, 7)"));
        auto w = loggedIn();
        for (const QString& b : buttons) {
            for (const auto& [page, text] : days) {
                if (w->CurrentStep != page) continue;
                QLineEdit* field = w->pages[page]->findChild<QLineEdit*>();
                QVERIFY(field);
                field->setText(text);
            }
            press(*w, {b});
        }
        QCOMPARE(w->CurrentStep, 24);
        QCOMPARE(chainInTable(), chain);
        QCOMPARE(ctx().gActions->NextActionId(1), chain.startsWith("1>2") ? 2 : 8);
    }

    // A No on page 22 that skips the duration page still checks its field.
    void skippedDurationIsStillChecked()
    {
        auto w = loggedIn();
        press(*w, {"next", "no", "no", "no"});
        QCOMPARE(w->CurrentStep, 22);
        w->txtOfferLength->setText("5");
        env->messages().answer(vbmsg::OK, "TradeMe allows an offer to be made for 1, 3 or 7 days only");
        press(*w, {"no"});
        QCOMPARE(w->CurrentStep, 22);
        QCOMPARE(stored("TradeMeMemberId").toString(), QStringLiteral("0"));
        w->txtOfferLength->setText("3");
        press(*w, {"no"});
        QCOMPARE(w->CurrentStep, 24);
    }

    void refundCheckOnPageNine()
    {
        auto w = loggedIn();
        press(*w, {"next", "yes", "no"});
        w->txtReminder[1]->setText("1");
        press(*w, {"next", "next", "next"});  // 5 > 6 > (no second reminder) 8 > 9
        QCOMPARE(w->CurrentStep, 9);
        w->txtRequestRefund->setText("1");
        env->messages().answer(vbmsg::OK, "TradeMe allows a refund request after a minimum of 3 days");
        press(*w, {"next"});
        QCOMPARE(w->CurrentStep, 9);
        press(*w, {"back"});
        QCOMPARE(w->CurrentStep, 5);
    }

    void feedbackCommentsAreCleaned()
    {
        auto w = wizard();
        w->txtFeedbackComments->setPlainText("  Great buyer   \n\n");
        w->txtFeedbackComments_LostFocus();
        QCOMPARE(w->txtFeedbackComments->toPlainText(), QStringLiteral("Great buyer"));
        w->txtFeedbackComments->setPlainText("One\n\nTwo");
        w->txtFeedbackComments_LostFocus();
        QCOMPARE(w->txtFeedbackComments->toPlainText(), QStringLiteral("One\n\nTwo"));
    }

    void aSavedSignatureShowsNextTime()
    {
        QVERIFY(ctx().gConnection->Execute("UPDATE Configuration SET EmailSignature='Kiwi' || char(13, 10) || 'Shop'"));
        QVERIFY(modDatabase::OpenDatabase(file, "shop.mdb", true, false));
        QCOMPARE(wizard()->txtEmailSignature->toPlainText(), QStringLiteral("Kiwi\nShop"));
    }

    // The save is all or nothing: a file another program holds keeps the
    // wizard on its page, nothing written.
    void aFailedSaveStaysBeforeTheLastPage()
    {
        auto w = loggedIn();
        press(*w, {"next", "no", "no", "no", "yes"});
        QCOMPARE(w->CurrentStep, 23);
        Connection other;
        QVERIFY(other.Open(file));
        QVERIFY(other.Execute("BEGIN"));
        QVERIFY(other.Scalar("SELECT COUNT(*) FROM Configuration").isValid());
        env->messages().answer(vbmsg::OK, "Your settings could not be saved.");
        press(*w, {"next"});
        QVERIFY(other.Execute("COMMIT"));
        QCOMPARE(w->CurrentStep, 23);
        QCOMPARE(stored("TradeMeMemberId").toString(), QStringLiteral("0"));
        press(*w, {"next"});
        QCOMPARE(w->CurrentStep, 24);
        QCOMPARE(stored("TradeMeMemberId").toString(), QStringLiteral("1234567"));
    }

    // Saved, but the database will not open again: the seller is given the
    // database wizard, not a main window without a database.
    void aFailedReopenGoesBackToTheDatabaseWizard()
    {
        QStringList opened;
        FormsRegistry::instance().overrideForm("frmWizardDatabase", [&opened](QWidget* parent) {
            opened << "frmWizardDatabase";
            return new QDialog(parent);
        });
        auto w = loggedIn();
        w->show();
        press(*w, {"next", "no", "no", "no", "yes"});
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
        env->messages().answer(vbmsg::OK, "An error occurred trying to open database:");
        press(*w, {"next"});
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(opened, QStringList{"frmWizardDatabase"});
        QVERIFY(!w->isVisible());
        QCOMPARE(w->CurrentStep, 23);
        QCOMPARE(stored("TradeMeMemberId").toString(), QStringLiteral("1234567"));
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->property("FirstRun").isValid() && top != w.get()) top->close();
    }

    // One test of "set up" for the start and the database wizard alike.
    void startGoesWhereTheMemberIdSays_data()
    {
        QTest::addColumn<QVariant>("member");
        QTest::addColumn<QString>("form");
        QTest::newRow("0") << QVariant("0") << "frmWizardSetup";
        QTest::newRow("none") << QVariant() << "frmWizardSetup";
        QTest::newRow("empty") << QVariant("") << "frmWizardSetup";
        QTest::newRow("00") << QVariant("00") << "frmWizardSetup";
        QTest::newRow("a member") << QVariant("1234567") << "frmMain";
    }
    void startGoesWhereTheMemberIdSays()
    {
        QFETCH(QVariant, member);
        QFETCH(QString, form);
        modDatabase::CloseDatabase();
        QVERIFY(DatabaseFixture::execute(file, {member.isValid() ? "UPDATE Configuration SET TradeMeMemberId='" + member.toString() + "'"
                                                                 : QStringLiteral("UPDATE Configuration SET TradeMeMemberId=NULL")}));
        AppSettings::SaveSettings("Database", {{"LastFileName", file}, {"LastFileTitle", "shop.mdb"}});
        QStringList opened;
        for (const char* name : {"frmWizardSetup", "frmMain"})
            FormsRegistry::instance().overrideForm(name, [&opened, name](QWidget*) {
                opened << QLatin1String(name);
                return new QWidget;
            });
        QVERIFY(modStart::NormalRun());
        QCOMPARE(opened, QStringList{form});
        QCOMPARE(ctx().gConfiguration.IsSetUp(), form == "frmMain");
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible()) top->close();
    }

    void screenshotsOfEveryPage()
    {
        auto w = wizard();
        w->txtTradeMeUserId->setText("kiwi_seller");
        w->txtTradeMeEmail->setText("seller@example.co.nz");
        w->txtTradeMePassword->setText("secret");
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QString shots = TestEnvironment::screenshotFolder();
        for (int page = 1; page <= SetupFlow::PageCount; ++page) {
            w->ShowStep(page);
            QTest::qWait(20);
            QVERIFY(w->grab().save(QDir(shots).filePath(QStringLiteral("setup-wizard-%1.png").arg(page, 2, 10, QLatin1Char('0')))));
        }
        w->ShowStep(1);
    }
};

VENDARO_TEST_MAIN(tst_setupwizard)
#include "tst_setupwizard.moc"
