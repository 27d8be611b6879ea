// The e-mail template editor offscreen: its lists, the one-template-per-item-
// and-kind rule of an add, the protected standard templates, codes put in at
// the caret, the preview for a sample sale, its remembered size and state, and
// the seller's way in from the main window to the e-mail button's menu.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ReadLock.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "email/EmailForms.h"
#include "email/EmailTemplateRules.h"
#include "email/clsEmails.h"
#include "email/frmEmail.h"
#include "mainwindow/frmMain.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "records/CodeBox.h"
#include "records/LookupModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <memory>
#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Duplicate = QStringLiteral("A record already exists for this Item code and Action.");

// Counts the custom-menu rebuilds the editor asks for.
struct CountingMainWindow : RecordingMainWindow {
    int toolBarUpdates = 0;
    void UpdateEmailToolBar() override { ++toolBarUpdates; }
};
}  // namespace

class tst_frmemail : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    CountingMainWindow mainWindow;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    void item(const QString& id) { exec("INSERT INTO Item (ItemId, Description) VALUES (?, ?)", {id, id + " items"}); }
    void emailTemplate(const QString& id, const QString& item, int kind, const QString& subject = "S", const QString& message = "M")
    {
        exec("INSERT INTO Email (EmailId, ItemId, ActionId, Subject, Message) VALUES (?,?,?,?,?)", {id, item, kind, subject, message});
    }

    std::unique_ptr<frmEmail> open()
    {
        auto w = std::make_unique<frmEmail>();
        w->show();
        w->Form_Activate();
        return w;
    }
    // The code box's text as typed and left, so the loader runs.
    static void show(frmEmail& w, const QString& code)
    {
        w.codeBox()->setText(code);
        w.codeKey(Qt::Key_Return);
    }
    static void fill(frmEmail& w, const QString& code, const QString& item, int kind, const QString& subject = "Hello",
                     const QString& message = "Hi [BUYERNAME]")
    {
        w.codeBox()->setText(code);
        w.items()->setCurrentIndex(w.items()->findText(item));
        w.setKind(kind);
        w.subject()->setText(subject);
        w.message()->setPlainText(message);
    }
    static bool deleteEnabled(frmEmail& w) { return w.button("cmdDelete")->isEnabled(); }
    static QStringList lookupRows(frmEmail& w)
    {
        QStringList rows;
        const LookupModel& m = w.lookup();
        for (int r = 0; r < m.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m.columnCount(); ++c) cells << m.data(m.index(r, c)).toString();
            rows << cells.join(u'|');
        }
        return rows;
    }
    static void focus(QWidget* w)
    {
        w->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), w);
    }

private slots:
    void initTestCase() { clsEmails::Register(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        ctx().gConfiguration.EmailWrap = 0;
        ctx().gConfiguration.EmailSignature = "Kauri Crafts";
        ctx().gConfiguration.BankAccountName = "Kauri Crafts Ltd";
        ctx().gConfiguration.BankAccountNumber = "12-3456-7890123-00";
        ctx().gConfiguration.TradeMeUserId = "kauricrafts";
        mainWindow = CountingMainWindow();
        ctx().gMainWindow = &mainWindow;
    }
    void cleanup()
    {
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    // What the window offers: the nine kinds by their step descriptions, the
    // items in code order, the eighteen rows of codes, a three-column lookup.
    void lists()
    {
        item("TOYS");
        item("BOOKS");
        emailTemplate("ODD", "TOYS", 3);
        emailTemplate("LOST", "TOYS", 99);  // a kind with no Action row
        auto w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Email templates"));
        QStringList kinds;
        for (int i = 0; i < w->actions()->count(); ++i)
            kinds << w->actions()->itemData(i).toString() + "=" + w->actions()->itemText(i);
        QCOMPARE(kinds, (QStringList{"2=Email winning bidder", "4=Payment reminder email (1)", "5=Payment reminder email (2)",
                                     "6=Payment reminder email (3)", "10=Payment received email", "12=Shipped confirmation email",
                                     "14=Send thank you email", "17=General email", "18=Custom email"}));
        QStringList items;
        for (int i = 0; i < w->items()->count(); ++i) items << w->items()->itemText(i);
        QCOMPARE(items, (QStringList{"BOOKS", "MISC", "TOYS"}));
        QCOMPARE(w->items()->currentIndex(), -1);
        QCOMPARE(w->actions()->currentIndex(), -1);

        QCOMPARE(w->codeList()->count(), 18);
        QCOMPARE(w->codeList()->item(0)->text(), QStringLiteral("<< Auction ref number"));
        QCOMPARE(w->codeList()->item(4)->text(), QStringLiteral(" "));
        QCOMPARE(w->codeList()->item(13)->text(), QStringLiteral("<< My TradeMe UserId"));
        QCOMPARE(EmailTemplateRules::CodeRows().at(16).code, QStringLiteral("[BANKNUMBER]"));

        QCOMPARE(w->lookup().headerData(2, Qt::Horizontal).toString(), QStringLiteral("Description"));
        const QStringList rows = lookupRows(*w);
        QCOMPARE(rows.first(), QStringLiteral("GENERAL|MISC|General email"));
        QVERIFY(rows.contains("LOST|TOYS|"));
        QVERIFY(rows.contains("ODD|TOYS|Send 3 day reminder"));
        QCOMPARE(w->lookupList()->width(), vb::twipsToPixels(5800));
        // A click on the kinds' header sorts by kind; the next fill is in code order again.
        w->listLookup_ColumnClick(2);
        QCOMPARE(lookupRows(*w).first(), QStringLiteral("LOST|TOYS|"));
        QCOMPARE(lookupRows(*w).at(1), QStringLiteral("WIN|MISC|Email winning bidder"));
        w->FillLookup();
        QCOMPARE(lookupRows(*w), rows);

        show(*w, "WIN");
        QVERIFY(QDir().mkpath(TestEnvironment::screenshotFolder()));
        QVERIFY(w->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("frmEmail.png")));
    }

    // The add rule: one template per item and kind, custom e-mails apart;
    // codes and texts are bound, so a quote is only a character.
    void addRule_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("refusal");  // empty: saved
        QTest::addColumn<QString>("stored");   // the code as stored
        QTest::newRow("second winner e-mail for MISC") << "WIN2" << "MISC" << 2 << Duplicate << "";
        QTest::newRow("second custom e-mail for MISC") << "XMAS2" << "MISC" << 18 << "" << "XMAS2";
        QTest::newRow("winner e-mail of another item") << "TOYWIN" << "TOYS" << 2 << "" << "TOYWIN";
        QTest::newRow("a quote in the code") << "O'NEIL" << "MISC" << 17 << Duplicate << "";
        QTest::newRow("a quote in a free code") << "O'NEIL" << "TOYS" << 17 << "" << "O'NEIL";
        QTest::newRow("code of another template")
            << "XMAS" << "TOYS" << 4 << "Cannot add record.  Code already exists in this table." << "";
        QTest::newRow("trailing blanks dropped") << "NEW   " << "TOYS" << 5 << "" << "NEW";
    }
    void addRule()
    {
        QFETCH(QString, code);
        QFETCH(QString, item);
        QFETCH(int, kind);
        QFETCH(QString, refusal);
        QFETCH(QString, stored);
        this->item("TOYS");
        emailTemplate("XMAS", "MISC", 18);
        const int before = scalar("SELECT COUNT(*) FROM Email").toInt();
        auto w = open();
        w->cmdAdd_Click();
        fill(*w, code, item, kind);
        if (!refusal.isEmpty()) messages().answer(vbmsg::OK, refusal);
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        if (refusal.isEmpty()) {
            QCOMPARE(w->editMode(), int(RecordEditor::Browse));
            QCOMPARE(table("SELECT ItemId, ActionId, Subject, Message FROM Email WHERE EmailId=?", {stored}),
                     QStringList{item + "|" + QString::number(kind) + "|Hello|Hi [BUYERNAME]"});
            QCOMPARE(scalar("SELECT EmailId FROM Email WHERE EmailId=?", {stored}).toString(), stored);
            QCOMPARE(mainWindow.toolBarUpdates, 1);
        } else {
            QCOMPARE(w->editMode(), int(RecordEditor::Adding));
            QCOMPARE(scalar("SELECT COUNT(*) FROM Email").toInt(), before);
            QCOMPARE(mainWindow.toolBarUpdates, 0);
        }
    }

    // A copy (F10) is an add: the shown template's item and kind are taken.
    void copyIsAnAdd()
    {
        auto w = open();
        show(*w, "PAID");
        w->codeKey(Qt::Key_F10);
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        w->codeBox()->setText("PAID2");
        fill(*w, "PAID2", "MISC", 10);
        messages().answer(vbmsg::OK, Duplicate);
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(scalar("SELECT COUNT(*) FROM Email WHERE ActionId=10").toInt(), 1);
    }

    // Editing may give a template the item and kind of another: the rule is the add's.
    void editMayShareItemAndKind()
    {
        item("TOYS");
        emailTemplate("TOYWIN", "TOYS", 2);
        auto w = open();
        show(*w, "TOYWIN");
        w->cmdEdit_Click();
        QVERIFY(w->items()->isEnabled());
        w->items()->setCurrentText("MISC");
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(scalar("SELECT COUNT(*) FROM Email WHERE ItemId='MISC' AND ActionId=2").toInt(), 2);
        QCOMPARE(mainWindow.toolBarUpdates, 1);
    }

    // The mandatory fields in the window's order, the code first as in every editor.
    void mandatory_data()
    {
        QTest::addColumn<QStringList>("fields");  // code, item, kind, subject, message
        QTest::addColumn<QString>("caption");
        QTest::newRow("nothing") << QStringList{"", "", "", "", ""} << "Email Code";
        QTest::newRow("no kind") << QStringList{"NEW", "MISC", "", "S", "M"} << "Action";
        QTest::newRow("no item") << QStringList{"NEW", "", "18", "S", "M"} << "Item Code";
        QTest::newRow("no subject") << QStringList{"NEW", "MISC", "18", "", "M"} << "Subject";
        QTest::newRow("no message") << QStringList{"NEW", "MISC", "18", "S", ""} << "Message";
    }
    void mandatory()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, caption);
        auto w = open();
        w->cmdAdd_Click();
        fill(*w, fields[0], fields[1], fields[2].toInt(), fields[3], fields[4]);
        messages().answer(vbmsg::OK, "Please set the " + caption);
        QVERIFY(!w->ValidateEmailTemplate());
        QVERIFY(messages().verifyDone());
        QCOMPARE(messages().prompts().last().text, "Please set the " + caption);
    }

    // The standard templates of MISC: Delete disabled, item and kind fixed
    // while editing, the texts editable; Delete comes back with a template
    // that may go.
    void protectedTemplates()
    {
        emailTemplate("XMAS", "MISC", 18);
        auto w = open();
        show(*w, "WIN");
        QCOMPARE(w->items()->currentText(), QStringLiteral("MISC"));
        QCOMPARE(w->chosenKind(), 2);
        QVERIFY(!deleteEnabled(*w));
        w->cmdEdit_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QVERIFY(!w->items()->isEnabled());
        QVERIFY(!w->actions()->isEnabled());
        QVERIFY(w->subject()->isEnabled());
        QVERIFY(w->message()->isEnabled());
        w->subject()->setText("Sold to you: [AUCTIONTITLE]");
        w->cmdUpdate_Click();
        QCOMPARE(scalar("SELECT Subject FROM Email WHERE EmailId='WIN'").toString(), QStringLiteral("Sold to you: [AUCTIONTITLE]"));
        QVERIFY(!deleteEnabled(*w));

        // An add and its Cancel leave Delete as the last template shown left it.
        w->cmdAdd_Click();
        QVERIFY(w->items()->isEnabled());
        w->cmdCancel_Click();
        QVERIFY(!deleteEnabled(*w));
        show(*w, "XMAS");
        QVERIFY(deleteEnabled(*w));
        w->cmdEdit_Click();
        QVERIFY(w->items()->isEnabled());
        QVERIFY(w->actions()->isEnabled());
    }

    // Delete reads the template again: a standard one typed in and never
    // shown is refused all the same.
    void protectedNeverDeleted_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("as stored") << "WIN";
        QTest::newRow("another case") << "win";
    }
    void protectedNeverDeleted()
    {
        QFETCH(QString, code);
        emailTemplate("XMAS", "MISC", 18);
        auto w = open();
        show(*w, "XMAS");
        QVERIFY(deleteEnabled(*w));
        w->codeBox()->setText(code);
        messages().answer(vbmsg::OK, "The standard templates of item MISC cannot be deleted.");
        w->cmdDelete_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(scalar("SELECT COUNT(*) FROM Email WHERE EmailId='WIN'").toInt(), 1);
        QCOMPARE(mainWindow.toolBarUpdates, 0);
    }

    // Delete asks; Yes removes the template, keeps its texts on screen under
    // an empty code and rebuilds the menu; No changes nothing.
    void deleteAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(vbmsg::Yes);
        QTest::newRow("no") << int(vbmsg::No);
    }
    void deleteAsks()
    {
        QFETCH(int, answer);
        emailTemplate("O'XMAS", "MISC", 18, "Merry [BUYERNAME]", "Line 1" + CrLf + "Line 2");
        auto w = open();
        show(*w, "O'XMAS");
        messages().answer(answer, "Are you sure you want to delete this record?");
        w->cmdDelete_Click();
        QVERIFY(messages().verifyDone());
        const bool yes = answer == vbmsg::Yes;
        QCOMPARE(scalar("SELECT COUNT(*) FROM Email WHERE EmailId=?", {"O'XMAS"}).toInt(), yes ? 0 : 1);
        QCOMPARE(w->codeBox()->text(), yes ? QString() : QStringLiteral("O'XMAS"));
        QCOMPARE(w->subject()->text(), QStringLiteral("Merry [BUYERNAME]"));
        QCOMPARE(w->message()->toPlainText(), QStringLiteral("Line 1\nLine 2"));
        QCOMPARE(mainWindow.toolBarUpdates, yes ? 1 : 0);
        QCOMPARE(w->lookup().find("O'XMAS") >= 0, !yes);
        if (yes) QCOMPARE(w->items()->currentIndex(), -1);
    }

    // Add empties the code and both lists and keeps the texts shown.
    void addKeepsTheTexts()
    {
        auto w = open();
        show(*w, "THANKS");
        const QString subject = w->subject()->text();
        const QString message = w->message()->toPlainText();
        QVERIFY(!message.isEmpty());
        w->cmdAdd_Click();
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(w->items()->currentIndex(), -1);
        QCOMPARE(w->actions()->currentIndex(), -1);
        QCOMPARE(w->subject()->text(), subject);
        QCOMPARE(w->message()->toPlainText(), message);
        QVERIFY(w->previewButton()->isEnabled());
    }

    // A template whose item has gone, or whose kind the list does not offer,
    // shows no choice; Update then asks for one, and the stored row stays.
    void unknownItemOrKind()
    {
        emailTemplate("OLD", "GONE", 7);
        auto w = open();
        show(*w, "OLD");
        QCOMPARE(w->items()->currentIndex(), -1);
        QCOMPARE(w->actions()->currentIndex(), -1);
        QCOMPARE(w->subject()->text(), QStringLiteral("S"));
        w->cmdEdit_Click();
        messages().answer(vbmsg::OK, "Please set the Action");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT ItemId, ActionId FROM Email WHERE EmailId='OLD'"), QStringList{"GONE|7"});
    }

    // A double-click puts the row's code at the caret of the box that last
    // had the focus; a selection stays, after the code; a blank row or no
    // row changes nothing.
    void codeInsertion_data()
    {
        QTest::addColumn<bool>("intoMessage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("caret");
        QTest::newRow("message, middle") << true << "Hi , thanks" << 3 << 0 << 6 << "Hi [BUYERNAME], thanks" << 14;
        QTest::newRow("message, selection stays") << true << "Dear Sir" << 5 << 3 << 6 << "Dear [BUYERNAME]Sir" << 16;
        QTest::newRow("message, second line") << true << "Hi\nTotal $" << 10 << 0 << 11 << "Hi\nTotal $[TOTALVALUE]" << 22;
        QTest::newRow("message, blank row") << true << "Hi there" << 2 << 0 << 4 << "Hi there" << 2;
        QTest::newRow("message, no row") << true << "Hi there" << 2 << 0 << -1 << "Hi there" << 2;
        QTest::newRow("subject, start") << false << "won" << 0 << 0 << 0 << "[AUCTIONNUMBER]won" << 15;
        QTest::newRow("subject, end") << false << "Auction " << 8 << 0 << 1 << "Auction [AUCTIONTITLE]" << 22;
        QTest::newRow("subject, selection stays") << false << "Auction X" << 8 << 1 << 0 << "Auction [AUCTIONNUMBER]X" << 23;
        QTest::newRow("subject, blank row") << false << "Auction" << 3 << 0 << 17 << "Auction" << 3;
    }
    void codeInsertion()
    {
        QFETCH(bool, intoMessage);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, selected);
        QFETCH(int, row);
        QFETCH(QString, expected);
        QFETCH(int, caret);
        auto w = open();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->cmdAdd_Click();
        if (intoMessage) {
            w->message()->setPlainText(text);
            focus(w->message());
            QTextCursor c = w->message()->textCursor();
            c.setPosition(start);
            c.setPosition(start + selected, QTextCursor::KeepAnchor);
            w->message()->setTextCursor(c);
        } else {
            w->subject()->setText(text);
            focus(w->subject());
            w->subject()->setSelection(start, selected);
            if (!selected) w->subject()->setCursorPosition(start);
        }
        // The click into the list takes the focus; the target stays.
        focus(w->codeList());
        w->listCode_DblClick(row);
        QWidget* target = intoMessage ? static_cast<QWidget*>(w->message()) : static_cast<QWidget*>(w->subject());
        QCOMPARE(w->insertionTarget(), target);
        QCOMPARE(QApplication::focusWidget(), row < 0 ? static_cast<QWidget*>(w->codeList()) : target);
        if (intoMessage) {
            QCOMPARE(w->message()->toPlainText(), expected);
            QCOMPARE(w->message()->textCursor().position(), caret);
            QCOMPARE(w->subject()->text(), QString());
        } else {
            QCOMPARE(w->subject()->text(), expected);
            QCOMPARE(w->subject()->cursorPosition(), caret);
        }
    }

    // The subject is the target when the window opens; while browsing the
    // boxes are disabled and take no code.
    void insertionTargetAtOpenAndWhileBrowsing()
    {
        auto w = open();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QCOMPARE(w->insertionTarget(), static_cast<QWidget*>(w->subject()));
        show(*w, "WIN");
        const QString subject = w->subject()->text();
        w->listCode_DblClick(0);
        QCOMPARE(w->subject()->text(), subject);
        w->cmdEdit_Click();
        focus(w->subject());
        w->subject()->setCursorPosition(0);
        w->listCode_DblClick(0);
        QCOMPARE(w->subject()->text(), "[AUCTIONNUMBER]" + subject);
    }

    // Preview follows the message alone, in every mode.
    void previewFollowsTheMessage()
    {
        auto w = open();
        QVERIFY(!w->previewButton()->isEnabled());
        w->cmdAdd_Click();
        w->subject()->setText("Subject only");
        QVERIFY(!w->previewButton()->isEnabled());
        QTest::keyClicks(w->message(), "x");
        QVERIFY(w->previewButton()->isEnabled());
        w->message()->clear();
        QVERIFY(!w->previewButton()->isEnabled());
        w->cmdCancel_Click();
        show(*w, "WIN");
        QVERIFY(w->previewButton()->isEnabled());
    }

    // The preview makes the e-mail from the texts on screen for a sample
    // sale: includes in the message only, codes in both, wrapped; what is
    // missing is said and the preview still shows. Nothing is stored.
    void preview_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("wrap");
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QStringList>("before");  // messages before the preview
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("codes in both, include in the message only")
            << "Re [AUCTIONNUMBER] [insert:SIG]" << "Hi [BUYERNAME],\n[insert:SIG]" << 0 << "Kauri Crafts" << QStringList{}
            << "Re 1234567890 [insert:SIG]" << "Hi Aroha," + CrLf + "Cheers, Kauri Crafts";
        QTest::newRow("amounts and address")
            << "[AUCTIONTITLE]" << "$[BIDVALUE] + $[SHIPVALUE] = $[TOTALVALUE] to [DELIVERYADDRESS]" << 0 << "Kauri Crafts" << QStringList{}
            << "Carved rimu fruit bowl"
            << "$45.50 + $8.00 = $53.50 to Aroha Smith" + CrLf + "12 Kowhai Street" + CrLf + "Takapuna" + CrLf + "Auckland 0622";
        QTest::newRow("wrapped") << "W" << "one two three four five six" << 10 << "Kauri Crafts" << QStringList{} << "W"
                                 << "one two" + CrLf + "three four" + CrLf + "five six" + CrLf;
        QTest::newRow("missing signature") << "S [MYSIGNATURE]" << "From [MYSIGNATURE]" << 0 << ""
                                           << QStringList{"'[MYSIGNATURE]' is missing - set your 'Email Signature'",
                                                          "'[MYSIGNATURE]' is missing - set your 'Email Signature'"}
                                           << "S [MYSIGNATURE]" << "From [MYSIGNATURE]";
        QTest::newRow("missing include") << "S" << "A [insert:NONE] B" << 0 << "Kauri Crafts"
                                         << QStringList{"the template required for 'NONE' is missing?"} << "S" << "A [insert:NONE] B";
    }
    void preview()
    {
        QFETCH(QString, subject);
        QFETCH(QString, message);
        QFETCH(int, wrap);
        QFETCH(QString, signature);
        QFETCH(QStringList, before);
        QFETCH(QString, title);
        QFETCH(QString, shown);
        emailTemplate("SIG", "MISC", 18, "unused", "Cheers, [MYSIGNATURE]");
        ctx().gConfiguration.EmailWrap = wrap;
        ctx().gConfiguration.EmailSignature = signature;
        auto w = open();
        w->cmdAdd_Click();
        w->subject()->setText(subject);
        w->message()->setPlainText(message);
        for (const QString& text : before) messages().answer(vbmsg::OK, text);
        messages().answer(vbmsg::OK);
        w->cmdPreview_Click();
        QVERIFY(messages().verifyDone());
        const ScriptedMessages::Prompt p = messages().prompts().last();
        QCOMPARE(p.title, title);
        QCOMPARE(p.text, shown);
        QCOMPARE(p.style, int(vbmsg::OKOnly));
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction").toInt(), 0);
        QCOMPARE(scalar("SELECT COUNT(*) FROM Customer").toInt(), 0);
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(w->message()->toPlainText(), message);
    }

    // A write or delete the database refuses (another program holds the
    // file) is reported; the mode, the typing and the template stay, and the
    // menu is not rebuilt for a change that did not happen.
    void refusedWrites()
    {
        emailTemplate("XMAS", "MISC", 18, "Merry", "Old text");
        auto w = open();
        show(*w, "XMAS");
        w->cmdEdit_Click();
        w->message()->setPlainText("New text");
        ReadLock lock(conn().path());
        QVERIFY(lock.held());
        ReadLock::shortenWait(conn());
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->message()->toPlainText(), QStringLiteral("New text"));
        QCOMPARE(mainWindow.toolBarUpdates, 0);
        w->cmdCancel_Click();
        QCOMPARE(w->message()->toPlainText(), QStringLiteral("Old text"));

        messages().answer(vbmsg::Yes, "Are you sure you want to delete this record?");
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        w->cmdDelete_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->codeBox()->text(), QStringLiteral("XMAS"));
        QCOMPARE(mainWindow.toolBarUpdates, 0);
        lock.release();
        QCOMPARE(scalar("SELECT Message FROM Email WHERE EmailId='XMAS'").toString(), QStringLiteral("Old text"));
    }

    // The item list cannot be read: said, the list empty, the rest works.
    void itemQueryFails()
    {
        exec("ALTER TABLE Item RENAME TO ItemGone");
        messages().answer(vbmsg::OK, "no such table: Item");  // the window opens
        messages().answer(vbmsg::OK, "no such table: Item");  // its first activation
        auto w = open();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->items()->count(), 0);
        QCOMPARE(w->actions()->count(), 9);
        messages().answer(vbmsg::OK, "no such table: Item");  // Add refills the lists
        w->cmdAdd_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
    }

    // The window-free rules: which templates are the protected ones, and
    // where a code goes when the caret lies outside the text.
    void rules_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("isProtected");
        QTest::newRow("MISC winner e-mail") << "MISC" << 2 << true;
        QTest::newRow("MISC general e-mail") << "MISC" << 17 << true;
        QTest::newRow("MISC custom e-mail") << "MISC" << 18 << false;
        QTest::newRow("another item") << "TOYS" << 2 << false;
        QTest::newRow("MISC, a kind not offered") << "MISC" << 7 << true;
    }
    void rules()
    {
        QFETCH(QString, item);
        QFETCH(int, kind);
        QFETCH(bool, isProtected);
        QCOMPARE(EmailTemplateRules::IsProtected(item, kind), isProtected);
        QString text = "abc";
        QCOMPARE(EmailTemplateRules::InsertCode(text, 10, "[X]"), 6);
        QCOMPARE(text, QStringLiteral("abc[X]"));
        QCOMPARE(EmailTemplateRules::InsertCode(text, -1, "[Y]"), 3);
        QCOMPARE(text, QStringLiteral("[Y]abc[X]"));
    }

    // The ">>" button opens the item editor at the item shown.
    void itemButton()
    {
        QString opened;
        FormsRegistry::instance().overrideForm("frmItem", [&opened](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [d, &opened] {
                opened = d->property("mRemoteId").toString();
                d->accept();
            });
            return d;
        });
        auto w = open();
        show(*w, "WIN");
        w->cmdForm_Click();
        QCOMPARE(opened, QStringLiteral("MISC"));
    }

    // Never smaller than 7000 by 7000 twips; the size is kept while normal,
    // the state while not minimised; a maximised window reopens maximised
    // over its last normal size.
    void sizeAndState()
    {
        const int minimum = vb::twipsToPixels(7000);
        {
            auto w = open();
            w->resize(100, 100);
            QCOMPARE(w->size(), QSize(minimum, minimum));
            w->resize(minimum + 150, minimum + 30);
            w->close();
        }
        QCOMPARE(AppSettings::GetSetting(frmEmail::Section(), "Width"), QString::number(vb::pixelsToTwips(minimum + 150)));
        QCOMPARE(AppSettings::GetSetting(frmEmail::Section(), "Height"), QString::number(vb::pixelsToTwips(minimum + 30)));
        QCOMPARE(AppSettings::GetSetting(frmEmail::Section(), "WindowState"), QStringLiteral("0"));
        {
            auto w = open();
            QCOMPARE(w->size(), QSize(minimum + 150, minimum + 30));
            w->setWindowState(Qt::WindowMaximized);
            QTRY_VERIFY(w->isMaximized());
            w->close();
        }
        QCOMPARE(AppSettings::GetSetting(frmEmail::Section(), "WindowState"), QStringLiteral("2"));
        QCOMPARE(AppSettings::GetSetting(frmEmail::Section(), "Width"), QString::number(vb::pixelsToTwips(minimum + 150)));
        {
            auto w = open();
            QVERIFY(w->isMaximized());
            w->setWindowState(Qt::WindowNoState);
            QTRY_COMPARE(w->size(), QSize(minimum + 150, minimum + 30));
        }
        // Sizes below the minimum in the settings come back at the minimum.
        AppSettings::SaveSettings(frmEmail::Section(), {{"Width", "900"}, {"Height", "900"}, {"WindowState", "1"}});
        auto w = open();
        QVERIFY(!w->isMinimized());
        QCOMPARE(w->size(), QSize(minimum, minimum));
    }

    // The seller's way: Tools > Email templates, a custom template added,
    // and the e-mail button's menu offers it at once.
    void addedFromTheMainWindowReachesTheMenu()
    {
        EmailForms::Register();
        ctx().gConfiguration.DefaultList = false;
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        ctx().gMainWindow = main.get();
        auto customEntries = [&] {
            QStringList out;
            for (QAction* a : main->action("Email")->menu()->actions())
                if (a->objectName().startsWith("EmailCustom")) out << MainWindowDriver::shownText(a->text());
            return out;
        };
        QCOMPARE(customEntries(), QStringList{});
        bool saved = false;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* w = qobject_cast<frmEmail*>(QApplication::activeModalWidget());
            if (!w || saved || !w->isVisible()) return;
            saved = true;
            w->cmdAdd_Click();
            w->codeBox()->setText("XMAS");
            w->items()->setCurrentText("MISC");
            w->setKind(clsEmails::CustomKind);
            w->subject()->setText("Merry Christmas [BUYERNAME]");
            w->message()->setPlainText("Thanks for a great year.");
            w->cmdUpdate_Click();
            w->close();
        });
        poll.start();
        QTimer::singleShot(20000, &poll, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        main->action("mnuToolsEmail")->trigger();
        poll.stop();
        QVERIFY(saved);
        QCOMPARE(table("SELECT ItemId, ActionId, Subject FROM Email WHERE EmailId='XMAS'"), QStringList{"MISC|18|Merry Christmas [BUYERNAME]"});
        QCOMPARE(customEntries(), QStringList{"Custom email: XMAS"});
        ctx().gMainWindow = &mainWindow;
        main->close();
    }
};

VENDARO_TEST_MAIN(tst_frmemail)
#include "tst_frmemail.moc"
