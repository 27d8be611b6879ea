// The options dialog and its task chain rows, on a real database.

#include "DatabaseFixture.h"
#include "ModalDriver.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/modDatabase.h"
#include "platform/FormsRegistry.h"
#include "platform/db/Connection.h"
#include "settings/SettingsForms.h"
#include "settings/SettingsRules.h"
#include "settings/TaskChain.h"
#include "settings/frmAbout.h"
#include "settings/frmConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>

#include <memory>
#include <optional>

namespace {
class WatchingMainWindow : public RecordingMainWindow {
public:
    void SettingsChanged() override { ++changes; }
    int changes = 0;
};

// The template's chain: 1>2>4>5>6>8>9>16 and 7>10>11>12>13>14>15, 3>15.
TaskChain::Choices templateChain()
{
    TaskChain::Choices c{};
    const int next[] = {0, 2, 4, 15, 5, 6, 8, 10, 9, 16, 11, 12, 13, 14, 15};
    for (int i = 1; i <= TaskChain::RowCount; ++i) c[i] = next[i];
    return c;
}
}  // namespace

using Changes = QList<QPair<int, int>>;  // (row, next step)
Q_DECLARE_METATYPE(Changes)

class tst_options : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    WatchingMainWindow mainWindow;
    QString file;

    ProgramContext& ctx() { return ProgramContext::current(); }
    QVariant stored(const QString& column) { return ctx().gConnection->Scalar("SELECT " + column + " FROM Configuration"); }
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
    QString configurationInFile()
    {
        Connection c;
        if (!c.Open(file)) return "<cannot open>";
        QStringList values;
        for (const char* column : {"DatabaseDesc", "NextAuctionNumber", "TradeMeUserId", "TradeMeEmail", "EmailWrap", "Feedback", "Notes"})
            values << c.Scalar(QStringLiteral("SELECT %1 FROM Configuration").arg(QLatin1String(column))).toString();
        return values.join('|');
    }
    std::unique_ptr<frmConfig> dialog()
    {
        auto d = std::make_unique<frmConfig>();
        d->txtTradeMeUserId->setText("kiwi_seller");
        d->txtTradeMeEmail->setText("seller@example.co.nz");
        return d;
    }
    void choose(frmConfig& d, int row, int next)
    {
        QComboBox* list = d.cboNextAction[row];
        const int i = list->findText(ctx().gActions->Description(next));
        QVERIFY2(i >= 0, qPrintable(QStringLiteral("step %1 may not follow %2").arg(next).arg(row)));
        list->setCurrentIndex(i);
    }

private slots:
    void init()
    {
        env.emplace();
        file = DatabaseFixture::create(env->programFolder());
        QVERIFY(modDatabase::OpenDatabase(file, "shop.mdb", true, false));
        mainWindow.changes = 0;
        ctx().gMainWindow = &mainWindow;
    }
    void cleanup() { env.reset(); }

    // ---- the chain rules without a window ----

    void loopCheck_data()
    {
        QTest::addColumn<Changes>("changes");
        QTest::addColumn<int>("expected");
        const int none = int(TaskChain::Loop::None), pre = int(TaskChain::Loop::PrePayment), post = int(TaskChain::Loop::PostPayment);
        QTest::newRow("the template's chains end") << Changes{} << none;
        QTest::newRow("8 and 9 in a ring") << Changes{{1, 8}, {8, 9}, {9, 8}} << pre;
        QTest::newRow("10 and 11 in a ring") << Changes{{7, 10}, {10, 11}, {11, 10}} << post;
        QTest::newRow("both rings: the first is told") << Changes{{1, 8}, {8, 9}, {9, 8}, {7, 10}, {10, 11}, {11, 10}} << pre;
        QTest::newRow("a ring no chain reaches") << Changes{{7, 11}, {11, 15}, {10, 12}, {12, 10}} << none;
        QTest::newRow("a walked row without a choice") << Changes{{6, 0}} << pre;
        QTest::newRow("an unwalked row without a choice") << Changes{{1, 8}, {4, 0}} << none;
        QTest::newRow("the start without a choice") << Changes{{7, 0}} << post;
        QTest::newRow("a relist ends the post chain too") << Changes{{14, 16}} << none;
    }
    void loopCheck()
    {
        QFETCH(Changes, changes);
        QFETCH(int, expected);
        TaskChain::Choices c = templateChain();
        for (const auto& [row, next] : changes) c[row] = next;
        QCOMPARE(int(TaskChain::CheckTaskLoops(c)), expected);
    }

    void reachableRows()
    {
        TaskChain::Choices c = templateChain();
        c[1] = 2;
        c[2] = 8;
        const auto r = TaskChain::Reachable(c);
        QCOMPARE((QList<bool>{r[1], r[2], r[4], r[5], r[6], r[8], r[9]}), (QList<bool>{true, true, false, false, false, true, true}));
        QVERIFY(!r[3]);
        QVERIFY(r[7] && r[10] && r[14]);
    }

    void duplicateDescriptionsResolveToTheLowerStep()
    {
        const QStringList d{"", "A", "B", "B", "C"};
        QCOMPARE(TaskChain::IdOf(d, "B"), 2);
        QCOMPARE(TaskChain::IdOf(d, "b"), 0);
        QCOMPARE(TaskChain::IdOf(d, ""), 0);
    }

    void versionText_data()
    {
        QTest::addColumn<double>("version");
        QTest::addColumn<QString>("text");
        QTest::newRow("program") << 2.1004 << "2.1.004";
        QTest::newRow("database") << 1.0002 << "1.0.002";
        QTest::newRow("round") << 3.0 << "3.0.000";
        QTest::newRow("all digits") << 12.9999 << "12.9.999";
    }
    void versionText()
    {
        QFETCH(double, version);
        QFETCH(QString, text);
        QCOMPARE(SettingsRules::VersionText(version), text);
    }

    // ---- the dialog ----

    void loadsTheSettingsAndChains()
    {
        auto d = dialog();
        QCOMPARE(d->windowTitle(), QStringLiteral("Settings"));
        QCOMPARE(d->tabDetails->count(), 7);
        QCOMPARE(d->tabDetails->currentIndex(), 0);
        QCOMPARE(d->tabDetails->tabText(3), QStringLiteral("Tasks (pre payment)"));
        QCOMPARE(d->numNextAuctionNumber->text(), QStringLiteral("1000"));
        QCOMPARE(d->cboDefaultFPOdays->currentText(), QStringLiteral("3"));
        QStringList entries;
        for (int i = 0; i < d->cboNextAction[2]->count(); ++i) entries << d->cboNextAction[2]->itemText(i);
        QCOMPARE(entries, (QStringList{"Payment reminder email (1)", "Payment reminder email (2)", "Payment reminder email (3)",
                                       "Request a refund", "Leave negative feedback"}));
        QCOMPARE(d->cboNextAction[9]->currentText(), QStringLiteral("Relist item"));
        QCOMPARE(d->lblActions[15]->text(), QStringLiteral("Completed"));
        QVERIFY(d->lblActions[3]->isHidden() && d->cboNextAction[3]->isHidden() && d->txtDays[3]->isHidden());
        QCOMPARE(d->txtDays[5]->text(), QStringLiteral("7"));
        // Feedback lines are shown one per line.
        QVERIFY(d->txtFeedback->toPlainText().startsWith("Great buyer, fast payment, highly recommended\nExcellent"));
    }

    void loopsAreRefusedOnTheirTab_data()
    {
        QTest::addColumn<Changes>("changes");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("message");
        QTest::newRow("pre") << Changes{{1, 8}, {8, 9}, {9, 8}} << 3 << "Your PRE PAYMENT task selection would create an endless loop!  The next task selection must finally end with 'Relist item' or 'Completed'";
        QTest::newRow("post") << Changes{{7, 10}, {10, 11}, {11, 10}} << 4 << "Your POST PAYMENT task selection would create an endless loop!  The next task selection must finally end with 'Completed'";
    }
    void loopsAreRefusedOnTheirTab()
    {
        QFETCH(Changes, changes);
        QFETCH(int, tab);
        QFETCH(QString, message);
        const QString before = chainInTable();
        const QString config = configurationInFile();
        auto d = dialog();
        d->txtDatabaseDesc->setText("Changed");
        for (const auto& [row, next] : changes) choose(*d, row, next);
        env->messages().answer(vbmsg::OK, message);
        QVERIFY(!d->SaveConfiguration());
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Critical));
        QCOMPARE(d->tabDetails->currentIndex(), tab);
        QCOMPARE(chainInTable(), before);
        QCOMPARE(configurationInFile(), config);
        QCOMPARE(mainWindow.changes, 0);
    }

    // A stored step a row may not lead to: the row shows no choice, and the
    // chain through it is refused before anything is written.
    void aRowWithoutAChoiceIsRefusedNotHalfSaved()
    {
        QVERIFY(ctx().gConnection->Execute("UPDATE [Action] SET NextActionId=3 WHERE ActionId=6"));
        ctx().gActions->LoadActionsFromDatabase();
        const QString before = chainInTable();
        auto d = dialog();
        QCOMPARE(d->cboNextAction[6]->currentIndex(), -1);
        choose(*d, 2, 5);  // an edit before the broken row
        env->messages().answer(vbmsg::OK, "Your PRE PAYMENT task selection would create an endless loop!");
        QVERIFY(!d->SaveConfiguration());
        QCOMPARE(chainInTable(), before);
        QCOMPARE(ctx().gActions->NextActionId(2), 4);
        // Once chosen, it saves.
        choose(*d, 6, 8);
        QVERIFY(d->SaveConfiguration());
        QVERIFY(chainInTable().contains("2>5:3 ") && chainInTable().contains("6>8:3 "));
    }

    void requiredFields_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no user id, no e-mail: the user id first") << "" << "" << "Please set your TradeMe UserId" << "txtTradeMeUserId";
        QTest::newRow("no user id") << "" << "a@b.nz" << "Please set your TradeMe UserId" << "txtTradeMeUserId";
        QTest::newRow("no e-mail") << "kiwi" << "" << "Please set your TradeMe email" << "txtTradeMeEmail";
        QTest::newRow("a bad e-mail") << "kiwi" << "kiwi.nz" << "Please enter a valid email address" << "txtTradeMeEmail";
    }
    void requiredFields()
    {
        QFETCH(QString, user);
        QFETCH(QString, email);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        const QString config = configurationInFile();
        auto d = dialog();
        d->show();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        d->txtTradeMeUserId->setText(user);
        d->txtTradeMeEmail->setText(email);
        env->messages().answer(vbmsg::OK, message);
        d->cmdUpdate_Click();
        QCOMPARE(env->messages().prompts()[0].text, message);
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Information));
        QCOMPARE(d->tabDetails->currentIndex(), 1);
        QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focus);
        QVERIFY(d->isVisible());
        QCOMPARE(configurationInFile(), config);
    }

    void wrapWidth_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("passes");
        QTest::newRow("19") << "19" << "" << false;
        QTest::newRow("136") << "136" << "" << false;
        QTest::newRow("1") << "1" << "" << false;
        QTest::newRow("0") << "0" << "0" << true;
        QTest::newRow("20") << "20" << "20" << true;
        QTest::newRow("135") << "135" << "135" << true;
        QTest::newRow("no digits") << "wide" << "0" << true;
        QTest::newRow("cleared") << "" << "0" << true;
        QTest::newRow("digits then text") << "72 chars" << "72" << true;
    }
    void wrapWidth()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(bool, passes);
        auto d = dialog();
        d->txtEmailWrap->setText(typed);
        if (!passes) env->messages().answer(vbmsg::OK, "Please set a value between 20 and 135 characters");
        QCOMPARE(d->txtEmailWrap_Validate(), passes);
        QCOMPARE(d->txtEmailWrap->text(), after);
        // Saving holds to the same rule.
        d->txtEmailWrap->setText(typed);
        if (!passes) env->messages().answer(vbmsg::OK, "Please set a value between 20 and 135 characters");
        QCOMPARE(d->SaveConfiguration(), passes);
        if (passes) QCOMPARE(stored("EmailWrap").toInt(), after.toInt());
        else QCOMPARE(d->tabDetails->currentIndex(), 2);
    }

    void nextSaleNumber_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("saved");
        QTest::newRow("0") << "0" << "1" << 1;
        QTest::newRow("-5") << "-5" << "1" << 1;
        QTest::newRow("empty") << "" << "1" << 1;
        QTest::newRow("7 and a letter") << "7a" << "7a" << 7;
        QTest::newRow("2500") << "2500" << "2500" << 2500;
        // A number beyond what the program reads back would lock the database.
        QTest::newRow("ten nines") << "9999999999" << "2147483647" << 2147483647;
    }
    void nextSaleNumber()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(int, saved);
        auto d = dialog();
        d->numNextAuctionNumber->setText(typed);
        d->numNextAuctionNumber_Validate();
        QCOMPARE(d->numNextAuctionNumber->text(), after);
        d->numNextAuctionNumberStep->setText(typed);
        QVERIFY(d->SaveConfiguration());
        QCOMPARE(stored("NextAuctionNumber").toInt(), saved);
        QCOMPARE(stored("NextAuctionNumberStep").toInt(), saved);
        QCOMPARE(ctx().gConfiguration.NextAuctionNumber, saved);
        // The database still opens.
        modDatabase::CloseDatabase();
        QVERIFY(modDatabase::OpenDatabase(file, "shop.mdb", true, false));
    }

    void tradeMeEmail_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("valid");
        QTest::newRow("no at sign") << "seller.example.nz" << false;
        QTest::newRow("at sign first") << "@example.nz" << false;
        QTest::newRow("no point after the at sign") << "seller@example" << false;
        QTest::newRow("one letter before") << "s@example.nz" << true;
        QTest::newRow("empty passes the field") << "" << true;
    }
    void tradeMeEmail()
    {
        QFETCH(QString, typed);
        QFETCH(bool, valid);
        auto d = dialog();
        d->txtEmailFrom->setText("old@example.nz");
        d->txtTradeMeEmail->setText(typed);
        if (!valid) env->messages().answer(vbmsg::OK, "Please enter a valid email address");
        QCOMPARE(d->txtTradeMeEmail_LostFocus(), valid);
        QCOMPARE(d->txtEmailFrom->text(), valid ? typed : QStringLiteral("old@example.nz"));
    }

    // The sender field says why it is locked when the seller moves into it,
    // not again when the focus comes back from that very message.
    void senderMessageDoesNotRepeat()
    {
        auto d = dialog();
        auto focus = [&](Qt::FocusReason reason) {
            QFocusEvent in(QEvent::FocusIn, reason);
            QApplication::sendEvent(d->txtEmailFrom, &in);
        };
        env->messages().answer(vbmsg::OK, "Your email address must be set to your TradeMe email address.\r\n\r\nClick the TradeMe tab");
        focus(Qt::TabFocusReason);
        QVERIFY(d->txtEmailFrom->isReadOnly());
        focus(Qt::ActiveWindowFocusReason);
        focus(Qt::PopupFocusReason);
        QCOMPARE(env->messages().prompts().size(), 1);
        // And a field that refuses its text is not refused again on the message's way out.
        d->txtTradeMeEmail->setText("nobody");
        env->messages().answer(vbmsg::OK, "Please enter a valid email address");
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(d->txtTradeMeEmail, &out);
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(d->txtTradeMeEmail, &away);
        QCOMPARE(env->messages().prompts().size(), 2);
        // Without a TradeMe e-mail the field is open and says nothing.
        d->txtTradeMeEmail->clear();
        QTest::qWait(10);
        focus(Qt::MouseFocusReason);
        QVERIFY(!d->txtEmailFrom->isReadOnly());
        QCOMPARE(env->messages().prompts().size(), 2);
    }

    // Opening the Email tab, by the mouse or the keyboard, takes the focus
    // past the locked sender field without its message; the seller going
    // into the field gets it, each time.
    void emailTabOpensPastTheLockedSender()
    {
        auto d = dialog();
        d->show();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        for (int visit = 0; visit < 3; ++visit) {
            d->tabDetails->setCurrentIndex(frmConfig::TradeMe);
            d->txtTradeMeEmail->setFocus(Qt::MouseFocusReason);
            QCOMPARE(QApplication::focusWidget(), d->txtTradeMeEmail);
            if (visit == 2) QTest::keyClick(d->tabDetails, Qt::Key_Tab, Qt::ControlModifier);
            else d->tabDetails->setCurrentIndex(frmConfig::Email);
            QCOMPARE(d->tabDetails->currentIndex(), int(frmConfig::Email));
            QVERIFY(d->txtEmailFrom->isReadOnly());
            QCOMPARE(QApplication::focusWidget(), d->txtEmailCC);
            QCOMPARE(env->messages().prompts().size(), 0);
        }
        const QString locked = "Your email address must be set to your TradeMe email address.";
        env->messages().answer(vbmsg::OK, locked);
        QTest::mouseClick(d->txtEmailFrom, Qt::LeftButton);
        QCOMPARE(env->messages().prompts().size(), 1);
        env->messages().answer(vbmsg::OK, locked);
        d->txtEmailCC->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(d->txtEmailCC, Qt::Key_Backtab);
        QCOMPARE(env->messages().prompts().size(), 2);
        QVERIFY(env->messages().verifyDone());
    }

    // Options opens as the main window opens it, modal over the main window,
    // with the caret in its first field: what the seller types lands there.
    // Tab goes down the page as it is laid out, then to the buttons, on the
    // first page and on a page opened later.
    void opensWithTheCaretInItsFirstField()
    {
        SettingsForms::Register();
        QWidget mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        QString typed;
        QStringList general, tradeMe;
        // The names the focus goes through from where it is, one Tab each.
        auto route = [](int stops) {
            QStringList names;
            for (int i = 0; i < stops; ++i) {
                QWidget* at = QApplication::focusWidget();
                names << (at ? at->objectName() : QStringLiteral("<nothing>"));
                if (!at) break;
                QTest::keyClick(at, Qt::Key_Tab);
            }
            return names;
        };
        const bool opened = ModalDriver::OnModal<frmConfig>(
            [&] { FormsRegistry::instance().showModal("frmConfig", {}, &mainWindow); },
            [&](frmConfig* d) {
                const auto close = qScopeGuard([d] { d->cmdCancel_Click(); });
                QTRY_VERIFY(QApplication::focusWidget());
                d->txtDatabaseDesc->clear();
                QTest::keyClicks(QApplication::focusWidget(), "Winter shop");
                typed = d->txtDatabaseDesc->text();
                general = route(11);
                d->tabDetails->setCurrentIndex(frmConfig::TradeMe);
                tradeMe = route(11);
            });
        QVERIFY(opened);
        QCOMPARE(typed, QStringLiteral("Winter shop"));
        QCOMPARE(general, (QStringList{"txtDatabaseDesc", "cboDefault", "numNextAuctionNumber", "numNextAuctionNumberStep", "chkShowGrid",
                                       "chkDefaultList", "cmdColor", "cmdUpdate", "cmdApply", "qt_tabwidget_tabbar", "txtDatabaseDesc"}));
        QCOMPARE(tradeMe, (QStringList{"txtTradeMeUserId", "txtTradeMePassword", "txtTradeMeEmail", "txtBankAccountName", "txtBankAccountNumber",
                                       "chkOfferSold", "chkOfferUnsold", "cboDefaultFPOdays", "chkRelistUnsold", "cmdUpdate", "cmdApply"}));
        QVERIFY(env->messages().verifyDone());
    }

    // Enter in a box of several lines starts a new line, Enter in a one-line
    // box is OK, on Change color it chooses a colour.
    void keyboard()
    {
        auto d = dialog();
        d->show();
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));

        d->cmdColor->setFocus();
        env->messages().answerColor(QColor());
        QTest::keyClick(d->cmdColor, Qt::Key_Return);
        QVERIFY(env->messages().verifyDone());
        QVERIFY(d->isVisible());

        d->tabDetails->setCurrentIndex(5);
        d->txtFeedback->setFocus();
        d->txtFeedback->clear();
        QTest::keyClicks(d->txtFeedback, "Great buyer");
        QTest::keyClick(d->txtFeedback, Qt::Key_Return);
        QTest::keyClicks(d->txtFeedback, "Fast payment");
        QVERIFY(d->isVisible());

        d->tabDetails->setCurrentIndex(0);
        d->txtDatabaseDesc->setFocus();
        d->txtDatabaseDesc->clear();
        QTest::keyClicks(d->txtDatabaseDesc, "Winter shop");
        QTest::keyClick(d->txtDatabaseDesc, Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(stored("DatabaseDesc").toString(), QStringLiteral("Winter shop"));
        QCOMPARE(stored("Feedback").toString(), QStringLiteral("Great buyer\r\nFast payment"));
    }

    void textsAreSavedAsTheyShouldBe()
    {
        auto d = dialog();
        d->txtFeedback->setPlainText("Great buyer\n\nFast payment   \n\n");
        d->txtFeedback_LostFocus();
        QCOMPARE(d->txtFeedback->toPlainText(), QStringLiteral("Great buyer\n\nFast payment"));
        d->txtFeedback->setPlainText("  Only one   \n\n");
        d->txtNotes->setPlainText("  Note one  \n\nNote two\n\n");
        d->txtEmailSignature->setPlainText("Regards,\nKiwi");
        QVERIFY(d->SaveConfiguration());
        QCOMPARE(stored("Feedback").toString(), QStringLiteral("Only one"));
        QCOMPARE(stored("Notes").toString(), QStringLiteral("  Note one  \r\n\r\nNote two\r\n\r\n"));
        QCOMPARE(stored("EmailSignature").toString(), QStringLiteral("Regards,\r\nKiwi"));
        QCOMPARE(ctx().gConfiguration.Notes, QStringLiteral("  Note one  \r\n\r\nNote two\r\n\r\n"));
    }

    void applySavesAndTheMainWindowFollows()
    {
        auto d = dialog();
        d->txtDatabaseDesc->setText("Winter shop");
        d->chkShowGrid->setChecked(true);
        d->txtEmailSMTP->setText("typed where nobody can");  // hidden: cannot happen, but survives
        QVERIFY(!d->txtEmailSMTP->isVisibleTo(d.get()));
        env->messages().answerColor(QColor(0x12, 0x34, 0x56));
        d->cmdColor_Click();
        d->cmdApply_Click();
        QCOMPARE(mainWindow.changes, 1);
        QCOMPARE(stored("DatabaseDesc").toString(), QStringLiteral("Winter shop"));
        QCOMPARE(ctx().gConfiguration.DatabaseDesc, QStringLiteral("Winter shop"));
        QVERIFY(ctx().gConfiguration.ShowGrid);
        QCOMPARE(stored("ListColor").toDouble(), double(0x563412));
        QCOMPARE(ctx().gConfiguration.ListColor, double(0x563412));
        QCOMPARE(ctx().gConfiguration.TradeMeUserId, QStringLiteral("kiwi_seller"));
        QCOMPARE(stored("EmailFrom").toString(), QStringLiteral("seller@example.co.nz"));
        QCOMPARE(stored("LocationId").toString(), QStringLiteral("NZD"));
        // A cancelled colour choice keeps the swatch.
        env->messages().answerColor(QColor());
        d->cmdColor_Click();
        QCOMPARE(d->color(), QColor(0x12, 0x34, 0x56));
    }

    // A user id the setup wizard stored longer than the 20 characters typed
    // here shows and is saved whole; typing stops at 20.
    void longUserIdKeptWhole()
    {
        const QString user = QStringLiteral("kauri_crafts_and_antiques_nz");
        QVERIFY(user.size() > 20);
        ctx().gConfiguration.TradeMeUserId = user;
        ctx().gConfiguration.TradeMeEmail = QStringLiteral("seller@example.co.nz");
        auto d = std::make_unique<frmConfig>();
        QCOMPARE(d->txtTradeMeUserId->text(), user);
        d->txtDatabaseDesc->setText("Winter shop");
        QVERIFY(d->SaveConfiguration());
        QVERIFY(env->messages().verifyDone());
        QCOMPARE(stored("TradeMeUserId").toString(), user);
        QCOMPARE(ctx().gConfiguration.TradeMeUserId, user);
        d->txtTradeMeUserId->clear();
        d->txtTradeMeUserId->setFocus();
        QTest::keyClicks(d->txtTradeMeUserId, QString(30, u'k'));
        QCOMPARE(d->txtTradeMeUserId->text(), QString(20, u'k'));
    }

    void hiddenMailFieldsKeepTheirValues()
    {
        QVERIFY(ctx().gConnection->Execute("UPDATE Configuration SET EmailSMTP='smtp.example.nz', EmailUserId='mailer', EmailPassword='secret'"));
        QVERIFY(modDatabase::OpenDatabase(file, "shop.mdb", true, false));
        auto d = dialog();
        QVERIFY(d->SaveConfiguration());
        QCOMPARE(stored("EmailSMTP").toString(), QStringLiteral("smtp.example.nz"));
        QCOMPARE(stored("EmailUserId").toString(), QStringLiteral("mailer"));
        QCOMPARE(stored("EmailPassword").toString(), QStringLiteral("secret"));
    }

    void aDatabaseWithoutASettingsRowGetsOne()
    {
        auto d = dialog();
        QVERIFY(ctx().gConnection->Execute("DELETE FROM Configuration"));
        QVERIFY(d->SaveConfiguration());
        QCOMPARE(ctx().gConnection->Scalar("SELECT COUNT(*) FROM Configuration").toInt(), 1);
        QCOMPARE(stored("TradeMeUserId").toString(), QStringLiteral("kiwi_seller"));
        QCOMPARE(stored("DatabaseVersion").toDouble(), 1.0002);
    }

    // The default link is kept as the link's id, the number the toolbar compares.
    void defaultLinkIsTheLinkId_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("home") << 1 << "TradeMe home page";
        QTest::newRow("a later link") << 12 << "Sold items";
        QTest::newRow("a link that is gone: the first") << 99 << "TradeMe home page";
        QTest::newRow("an empty link: the first") << 7 << "TradeMe home page";
    }
    void defaultLinkIsTheLinkId()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QVERIFY(ctx().gConnection->Execute("UPDATE Links SET URL='' WHERE LinkId=7"));
        ctx().gConfiguration.DefaultLink = qint16(stored);
        auto d = dialog();
        QCOMPARE(d->cboDefault->currentText(), shown);
        QVERIFY(d->cboDefault->findText("Relist auction") < 0);
        d->cboDefault->setCurrentIndex(d->cboDefault->findText("My TradeMe"));
        QVERIFY(d->SaveConfiguration());
        QCOMPARE(this->stored("DefaultLink").toInt(), 4);
        QCOMPARE(int(ctx().gConfiguration.DefaultLink), 4);
    }

    void offerDaysOutsideTheListShowThree_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("1") << 1 << "1";
        QTest::newRow("7") << 7 << "7";
        QTest::newRow("5") << 5 << "3";
        QTest::newRow("0") << 0 << "3";
    }
    void offerDaysOutsideTheListShowThree()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        ctx().gConfiguration.DefaultFPOdays = qint16(stored);
        auto d = dialog();
        QCOMPARE(d->cboDefaultFPOdays->currentText(), shown);
        QVERIFY(d->SaveConfiguration());
        QCOMPARE(this->stored("DefaultFPOdays").toInt(), shown.toInt());
    }

    void endStepsTakeNoDays()
    {
        auto d = dialog();
        d->txtDays[10]->setText("4");
        choose(*d, 10, 15);
        QCOMPARE(d->txtDays[10]->text(), QStringLiteral("0"));
        QVERIFY(d->txtDays[10]->isHidden());
        QVERIFY(d->txtDays[14]->isHidden());
        // Rows the chain no longer reaches show greyed, without list or days.
        choose(*d, 1, 2);
        choose(*d, 2, 8);
        for (int row : {4, 5, 6}) {
            QVERIFY(!d->lblActions[row]->isEnabled());
            QVERIFY(d->cboNextAction[row]->isHidden() && d->txtDays[row]->isHidden());
        }
        QVERIFY(d->lblActions[8]->isEnabled() && !d->cboNextAction[8]->isHidden());
        QVERIFY(d->lblActions[11]->isEnabled() == false);  // 7 > 10 > 15 now leaves 11 out
        d->txtDays[2]->setText("");
        d->txtDays_LostFocus(2);
        QCOMPARE(d->txtDays[2]->text(), QStringLiteral("0"));
        QVERIFY(d->SaveConfiguration());
        QVERIFY(chainInTable().contains("10>15:0 "));
        QVERIFY(chainInTable().endsWith("14>15:0"));
        QVERIFY(chainInTable().contains("2>8:0 "));
    }

    // Another program holds the file: nothing is written, the program keeps
    // what it had, and the dialog keeps what was typed.
    void aFailedCommitLeavesEverythingAsItWas()
    {
        Connection other;
        QVERIFY(other.Open(file));
        QVERIFY(other.Execute("BEGIN"));
        QVERIFY(other.Scalar("SELECT COUNT(*) FROM Configuration").isValid());  // a read lock until it ends
        const QString before = chainInTable();
        const QString config = configurationInFile();
        auto d = dialog();
        d->txtDatabaseDesc->setText("Never saved");
        choose(*d, 2, 8);
        env->messages().answer(vbmsg::OK, "Your settings could not be saved.");
        d->cmdUpdate_Click();
        QVERIFY(other.Execute("COMMIT"));
        QCOMPARE(env->messages().prompts()[0].style, int(vbmsg::Critical));
        QCOMPARE(chainInTable(), before);
        QCOMPARE(configurationInFile(), config);
        QCOMPARE(ctx().gActions->NextActionId(2), 4);
        QCOMPARE(ctx().gConfiguration.DatabaseDesc, QStringLiteral("My auctions"));
        QCOMPARE(mainWindow.changes, 0);
        QCOMPARE(d->txtDatabaseDesc->text(), QStringLiteral("Never saved"));
        QCOMPARE(d->result(), 0);
        // Once the file is free, the same dialog saves.
        d->cmdUpdate_Click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(ctx().gActions->NextActionId(2), 8);
    }

    // A settings row the statement cannot write: the chains are not written either.
    void aFailedRowWriteWritesNoChain()
    {
        QVERIFY(ctx().gConnection->Execute("CREATE TRIGGER refuse BEFORE UPDATE ON Configuration BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        const QString before = chainInTable();
        auto d = dialog();
        choose(*d, 2, 8);
        env->messages().answer(vbmsg::OK, "An error occurred opening database.");
        QVERIFY(!d->SaveConfiguration());
        QCOMPARE(chainInTable(), before);
        QCOMPARE(ctx().gActions->NextActionId(2), 4);
    }

    void aboutBox()
    {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Vendaro"));
        QCOMPARE(about.lblTitle->text(), QStringLiteral("Vendaro - Auction Management Software"));
        QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 2.1.004"));
        QCOMPARE(about.lblDatabase->text().split("\r\n"),
                 (QStringList{"Database Ver. 1.0.002", "Database filename: shop.mdb", file, "", "Installation folder:", env->programFolder()}));
        QVERIFY(about.cmdOK->isDefault());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const QString shots = TestEnvironment::screenshotFolder();
        QVERIFY(about.grab().save(QDir(shots).filePath("about.png")));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
    }

    void screenshotsOfEveryTab()
    {
        auto d = dialog();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        const QString shots = TestEnvironment::screenshotFolder();
        for (int tab = 0; tab < d->tabDetails->count(); ++tab) {
            d->tabDetails->setCurrentIndex(tab);
            QTest::qWait(30);
            QVERIFY(d->grab().save(QDir(shots).filePath(QStringLiteral("options-%1.png").arg(tab))));
        }
    }
};

VENDARO_TEST_MAIN(tst_options)
#include "tst_options.moc"
