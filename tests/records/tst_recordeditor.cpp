// The record editor pattern on its two simplest editors, the payment methods
// and the buyers: the code box and its keys, the lookup list, the modes, the
// checks, load, save, delete and their failures.

#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "platform/MessageService.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "records/CodeBox.h"
#include "records/FieldTag.h"
#include "records/LookupModel.h"
#include "records/RecordsForms.h"
#include "platform/FormsRegistry.h"
#include "records/frmCustomer.h"
#include "records/frmPayMethod.h"

#include <QCheckBox>
#include <QDialog>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
}

class tst_recordeditor : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }
    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    // A sale of a buyer or payment method at a task step, with a delivery address (Null for none).
    void sale(const QString& id, const QString& buyer, const QString& payId, int step, const QVariant& address = QVariant())
    {
        QVERIFY(conn().Execute("INSERT INTO Auction (AuctionId, CustomerId, PayId, ActionId, DeliveryAddress) VALUES (?,?,?,?,?)",
                               {id, buyer, payId, step, address}));
    }
    void buyer(const QString& id, const QString& name, const QString& address = QString())
    {
        QVERIFY(conn().Execute("INSERT INTO Customer (CustomerId, Name, Email, Address) VALUES (?,?,?,?)",
                               {id, name, id + "@example.co.nz", address.isEmpty() ? QVariant() : QVariant(address)}));
    }

    template <class Editor>
    std::unique_ptr<Editor> open()
    {
        auto w = std::make_unique<Editor>();
        w->show();
        w->Form_Activate();
        return w;
    }
    static void type(RecordEditor& w, const QString& code)
    {
        w.codeBox()->setText(QString());
        w.codeBox()->setFocus();
        // QTest types ASCII only; other letters go in as a paste would.
        bool ascii = true;
        for (QChar c : code) ascii = ascii && c.unicode() < 128;
        if (ascii) QTest::keyClicks(w.codeBox()->lineEdit(), code);
        else w.codeBox()->setEditText(code);
    }
    static QStringList lookupRows(RecordEditor& w)
    {
        QStringList rows;
        for (int r = 0; r < w.lookup().rowCount(); ++r) rows << w.lookup().code(r);
        return rows;
    }
    static QString selectedLookup(RecordEditor& w)
    {
        const QModelIndex i = w.lookupList()->currentIndex();
        return i.isValid() && w.lookupList()->selectionModel()->isSelected(i) ? w.lookup().code(i.row()) : QString();
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup() { env.reset(); }

    void fieldTags_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("caption");
        QTest::newRow("mandatory") << "M  Customer Code" << "M" << "Customer Code";
        QTest::newRow("two flags") << "MD Email address" << "MD" << "Email address";
        QTest::newRow("order free") << "DM Next action" << "MD" << "Next action";
        QTest::newRow("flag only") << "D" << "D" << "";
        QTest::newRow("locked") << "L" << "L" << "";
        QTest::newRow("shown while editing") << "DV" << "DV" << "";
        QTest::newRow("none") << "abc" << "" << "";
        QTest::newRow("flag after the third place") << "   M" << "" << "M";
        QTest::newRow("empty") << "" << "" << "";
    }
    void fieldTags()
    {
        QFETCH(QString, tag);
        QFETCH(QString, flags);
        QFETCH(QString, caption);
        const FieldTag t = FieldTag::parse(tag);
        QString got;
        if (t.mandatory) got += 'M';
        if (t.editOnly) got += 'D';
        if (t.locked) got += 'L';
        if (t.visibleEditOnly) got += 'V';
        QCOMPARE(got, flags);
        QCOMPARE(t.caption, caption);
    }

    // Add, edit and delete a payment method; the modes show in the buttons and fields.
    void addEditDelete()
    {
        auto w = open<frmPayMethod>();
        QCOMPARE(lookupRows(*w), (QStringList{"BANK", "CARD", "CASH"}));
        QVERIFY(!w->description()->isEnabled());
        QVERIFY(w->button("cmdAdd")->isVisible() && !w->button("cmdUpdate")->isVisible());

        w->cmdAdd_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QVERIFY(w->description()->isEnabled());
        QVERIFY(w->button("cmdUpdate")->isVisible() && w->button("cmdCancel")->isVisible() && !w->button("cmdAdd")->isVisible());
        type(*w, "CHQ");
        w->description()->setText("Cheque");
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(table("SELECT PayId, Description FROM PayMethod WHERE PayId='CHQ'"), QStringList{"CHQ|Cheque"});
        QCOMPARE(w->codeBox()->text(), QStringLiteral("CHQ"));
        QCOMPARE(w->description()->text(), QStringLiteral("Cheque"));
        QCOMPARE(selectedLookup(*w), QStringLiteral("CHQ"));

        w->cmdEdit_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        w->description()->setText("Personal cheque");
        w->cmdUpdate_Click();
        QCOMPARE(scalar("SELECT Description FROM PayMethod WHERE PayId='CHQ'").toString(), QStringLiteral("Personal cheque"));

        messages().answer(vbmsg::No, "Are you sure you want to delete this record?");
        w->cmdDelete_Click();
        QCOMPARE(scalar("SELECT COUNT(*) FROM PayMethod WHERE PayId='CHQ'").toInt(), 1);
        messages().answer(vbmsg::Yes, "Are you sure you want to delete this record?");
        w->cmdDelete_Click();
        QCOMPARE(scalar("SELECT COUNT(*) FROM PayMethod WHERE PayId='CHQ'").toInt(), 0);
        QCOMPARE(w->codeBox()->text(), QString());
        QVERIFY(!lookupRows(*w).contains("CHQ"));
    }

    // The messages of the buttons and the mandatory check.
    void buttonMessages()
    {
        auto w = open<frmCustomer>();
        messages().answer(vbmsg::OK, "Select a record to edit.");
        w->cmdEdit_Click();
        messages().answer(vbmsg::OK, "No record selected to delete.");
        w->cmdDelete_Click();
        w->cmdAdd_Click();
        messages().answer(vbmsg::OK, "Please set the Customer Code");
        w->cmdUpdate_Click();
        type(*w, "kiri");
        messages().answer(vbmsg::OK, "Please set the Email address");
        w->cmdUpdate_Click();
        QCOMPARE(w->focusWidget(), w->email());
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        messages().answer(vbmsg::OK, "Buyer Id 'nobody' not found.  Click Add to create a new record.");
        w->cmdCancel_Click();
        type(*w, "nobody");
        w->codeKey(Qt::Key_Return);
        QCOMPARE(w->codeBox()->text(), QString());
        auto p = open<frmPayMethod>();
        type(*p, "NONE");
        messages().answer(vbmsg::OK, "Record not found.  Click Add to create a new record.");
        p->codeKey(Qt::Key_Return);
        // F10 while adding or editing.
        p->cmdAdd_Click();
        messages().answer(vbmsg::OK, "Update or Cancel this record first.");
        p->codeKey(Qt::Key_F10);
    }

    // Codes compare without regard to case: "abc" finds "ABC" and shows it as stored; adding "cash" is a duplicate.
    void codesIgnoreCase()
    {
        auto w = open<frmPayMethod>();
        type(*w, "cash");
        w->codeKey(Qt::Key_Return);
        QCOMPARE(w->codeBox()->text(), QStringLiteral("CASH"));
        QCOMPARE(w->description()->text(), QStringLiteral("Cash on pick up"));
        w->cmdAdd_Click();
        type(*w, "cash");
        messages().answer(vbmsg::OK, "Code already exists.");
        w->cboId_LostFocus();
        QCOMPARE(w->codeBox()->text(), QString());  // nothing edited or saved yet
        // Straight to Update without leaving the box: the save refuses it.
        type(*w, "Cash");
        w->description()->setText("Again");
        messages().answer(vbmsg::OK, "Cannot add record.  Code already exists in this table.");
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(w->description()->text(), QStringLiteral("Again"));
        QCOMPARE(scalar("SELECT COUNT(*) FROM PayMethod").toInt(), 3);
    }

    // F10 copies the record shown into a new one.
    void copyKey()
    {
        auto w = open<frmPayMethod>();
        w->codeKey(Qt::Key_F10);  // nothing shown: an empty add
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(w->description()->text(), QString());
        w->cmdCancel_Click();
        type(*w, "BANK");
        w->codeKey(Qt::Key_Return);
        w->codeKey(Qt::Key_F10);
        QCOMPARE(w->editMode(), int(RecordEditor::Adding));
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(w->description()->text(), QStringLiteral("Bank deposit"));
        QVERIFY(w->description()->isEnabled());
        type(*w, "BANK2");
        w->cmdUpdate_Click();
        QCOMPARE(scalar("SELECT Description FROM PayMethod WHERE PayId='BANK2'").toString(), QStringLiteral("Bank deposit"));
    }

    // Up and Down step through the codes in the lookup's order, staying at the ends.
    void upAndDown_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("shown");
        QTest::newRow("down") << "BANK" << int(Qt::Key_Down) << "CARD";
        QTest::newRow("up") << "CASH" << int(Qt::Key_Up) << "CARD";
        QTest::newRow("down at the end") << "CASH" << int(Qt::Key_Down) << "CASH";
        QTest::newRow("up at the start") << "BANK" << int(Qt::Key_Up) << "BANK";
        QTest::newRow("no match: the first") << "ZZZ" << int(Qt::Key_Down) << "BANK";
        QTest::newRow("typed in other case") << "card" << int(Qt::Key_Down) << "CASH";
    }
    void upAndDown()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(QString, shown);
        auto w = open<frmPayMethod>();
        type(*w, start);
        w->codeKey(key);
        QCOMPARE(w->codeBox()->text(), shown);
        QCOMPARE(w->description()->text(), scalar("SELECT Description FROM PayMethod WHERE PayId=?", {shown}).toString());
        QCOMPARE(selectedLookup(*w), shown);
    }
    void upAndDownOnAnEmptyList()
    {
        QVERIFY(conn().Execute("DELETE FROM PayMethod", {}));
        auto w = open<frmPayMethod>();
        w->codeKey(Qt::Key_Down);
        w->codeKey(Qt::Key_Up);
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(w->description()->text(), QString());
    }

    // Cancel and Esc: an add leaves an empty form, an edit the record as stored; Esc twice closes.
    void cancelAndEscape()
    {
        auto w = open<frmPayMethod>();
        w->cmdAdd_Click();
        type(*w, "NEW");
        w->description()->setText("typed");
        w->cmdCancel_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(w->codeBox()->text(), QString());
        QCOMPARE(w->description()->text(), QString());

        type(*w, "CARD");
        w->cmdEdit_Click();
        w->description()->setText("typed over");
        QTest::keyClick(w->description(), Qt::Key_Escape);
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(w->codeBox()->text(), QStringLiteral("CARD"));
        QCOMPARE(w->description()->text(), QStringLiteral("Credit card"));
        QVERIFY(w->isVisible());
        QTest::keyClick(w->codeBox(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCOMPARE(scalar("SELECT Description FROM PayMethod WHERE PayId='CARD'").toString(), QStringLiteral("Credit card"));
    }

    // Code lengths: a payment method's 11th character goes at once with a beep and a trailing blank is kept;
    // a buyer's code is cut to 50 when the box is left and stored without trailing blanks.
    void codeLengths()
    {
        auto p = open<frmPayMethod>();
        p->cmdAdd_Click();
        type(*p, "ABCDEFGHIJK");
        QCOMPARE(p->codeBox()->text(), QStringLiteral("ABCDEFGHIJ"));
        QCOMPARE(p->codeBox()->lineEdit()->cursorPosition(), 10);
        type(*p, "CHQ ");
        p->description()->setText("Cheque");
        p->cmdUpdate_Click();
        QCOMPARE(scalar("SELECT '[' || PayId || ']' FROM PayMethod WHERE Description='Cheque'").toString(), QStringLiteral("[CHQ ]"));
        // A quote in a code is a character like any other.
        p->cmdAdd_Click();
        type(*p, "O'PAY");
        p->description()->setText("Owner's pay");
        p->cmdUpdate_Click();
        p->cmdAdd_Click();
        p->cmdCancel_Click();
        type(*p, "o'pay");
        p->codeKey(Qt::Key_Return);
        QCOMPARE(p->description()->text(), QStringLiteral("Owner's pay"));
        messages().answer(vbmsg::Yes, "Are you sure you want to delete this record?");
        p->cmdDelete_Click();
        QCOMPARE(scalar("SELECT COUNT(*) FROM PayMethod WHERE PayId LIKE '%''%'").toInt(), 0);

        auto b = open<frmCustomer>();
        b->cmdAdd_Click();
        const QString sixty = QString(55, u'k') + QStringLiteral("12345");
        type(*b, sixty);
        QCOMPARE(b->codeBox()->text().size(), 60);
        b->cboId_LostFocus();
        QCOMPARE(b->codeBox()->text(), sixty.left(50));
        type(*b, "tui ");
        b->email()->setText("tui@example.co.nz");
        b->cmdUpdate_Click();
        QCOMPARE(scalar("SELECT '[' || CustomerId || ']' FROM Customer").toString(), QStringLiteral("[tui]"));
        QCOMPARE(b->codeBox()->text(), QStringLiteral("tui"));
    }

    // A header click sorts the lookup once; the next fill is in key order with the saved code selected.
    void lookupSortAndRefill()
    {
        auto w = open<frmPayMethod>();
        w->listLookup_ColumnClick(1);  // by description
        QCOMPARE(lookupRows(*w), (QStringList{"BANK", "CASH", "CARD"}));
        w->listLookup_ColumnClick(1);  // again: the other way
        QCOMPARE(lookupRows(*w), (QStringList{"CARD", "CASH", "BANK"}));
        w->listLookup_ColumnClick(0);
        QCOMPARE(lookupRows(*w), (QStringList{"BANK", "CARD", "CASH"}));
        w->listLookup_ColumnClick(1);
        w->cmdAdd_Click();
        type(*w, "AAA");
        w->description()->setText("Zebra");
        w->cmdUpdate_Click();
        QCOMPARE(lookupRows(*w), (QStringList{"AAA", "BANK", "CARD", "CASH"}));
        QCOMPARE(selectedLookup(*w), QStringLiteral("AAA"));
        // A click beside the rows selects nothing and changes nothing; a click on a row loads it.
        w->listLookup_Click(-1);
        QCOMPARE(w->codeBox()->text(), QStringLiteral("AAA"));
        w->listLookup_Click(2);
        QCOMPARE(w->codeBox()->text(), QStringLiteral("CARD"));
        QCOMPARE(w->description()->text(), QStringLiteral("Credit card"));
        QVERIFY(!w->lookupList()->isVisible());
        w->cboId_DropDown();
        QVERIFY(w->lookupList()->isVisible());
    }

    // Sales keep their buyer and payment method: neither is deleted nor recoded while one uses it.
    void inUseRefusals_data()
    {
        QTest::addColumn<bool>("buyerEditor");
        QTest::addColumn<int>("step");
        QTest::newRow("payment method, running sale") << false << 3;
        QTest::newRow("payment method, completed sale") << false << 15;
        QTest::newRow("buyer, running sale") << true << 3;
        QTest::newRow("buyer, completed sale") << true << 15;
    }
    void inUseRefusals()
    {
        QFETCH(bool, buyerEditor);
        QFETCH(int, step);
        buyer("o'neill", "Pat O'Neill");
        sale("4101", "o'neill", "CASH", step);
        std::unique_ptr<RecordEditor> w;
        if (buyerEditor) w = open<frmCustomer>();
        else w = open<frmPayMethod>();
        const QString code = buyerEditor ? "o'neill" : "CASH";
        const QString table = buyerEditor ? "Customer" : "PayMethod";
        const QString key = buyerEditor ? "CustomerId" : "PayId";
        type(*w, code);
        messages().answer(vbmsg::OK, buyerEditor ? "Cannot delete - still in use by auctions\r\n\r\nDelete all auctions assigned to this buyer first."
                                                 : "Cannot delete - still in use by auctions\r\n\r\nDelete/Change all auctions assigned to this record first.");
        w->cmdDelete_Click();
        QCOMPARE(scalar(QString("SELECT COUNT(*) FROM %1 WHERE %2=?").arg(table, key), {code}).toInt(), 1);

        w->cmdEdit_Click();
        type(*w, buyerEditor ? "oneill" : "CSH");
        messages().answer(vbmsg::OK, "Cannot change code - still in use by auctions");
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(scalar(QString("SELECT COUNT(*) FROM %1 WHERE %2=?").arg(table, key), {code}).toInt(), 1);
        // Another case of the same code is the same code.
        type(*w, code.toUpper());
        w->cmdUpdate_Click();
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
        QCOMPARE(scalar(QString("SELECT %2 FROM %1 WHERE %2=?").arg(table, key), {code}).toString(), code.toUpper());
    }

    // A code no sale uses may change: the record keeps its data under the new code.
    void codeChangeOfAFreeRecord()
    {
        auto w = open<frmPayMethod>();
        type(*w, "CARD");
        w->cmdEdit_Click();
        type(*w, "CREDIT");
        w->cboId_LostFocus();
        w->cmdUpdate_Click();
        QCOMPARE(table("SELECT PayId, Description FROM PayMethod WHERE Description='Credit card'"), QStringList{"CREDIT|Credit card"});
        QCOMPARE(w->heldCode(), QStringLiteral("CREDIT"));
        // Another record's code while editing: refused, the held code comes back.
        w->cmdEdit_Click();
        type(*w, "BANK");
        messages().answer(vbmsg::OK, "Code already exists.");
        w->cboId_LostFocus();
        QCOMPARE(w->codeBox()->text(), QStringLiteral("CREDIT"));
    }

    // A write the database refuses (another program holds the file) is reported; the mode and what was typed stay.
    void failedSaveKeepsTheTyping()
    {
        auto w = open<frmPayMethod>();
        type(*w, "CARD");
        w->cmdEdit_Click();
        w->description()->setText("Visa or Mastercard");
        ReadLock lock(conn().path());
        QVERIFY(lock.held());
        ReadLock::shortenWait(conn());
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->description()->text(), QStringLiteral("Visa or Mastercard"));
        lock.release();
        QCOMPARE(scalar("SELECT Description FROM PayMethod WHERE PayId='CARD'").toString(), QStringLiteral("Credit card"));
        w->cmdUpdate_Click();
        QCOMPARE(scalar("SELECT Description FROM PayMethod WHERE PayId='CARD'").toString(), QStringLiteral("Visa or Mastercard"));
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
    }

    // The payment-method editor refills its lookup at every activation; an opener's code opens for editing once.
    void activation()
    {
        auto w = std::make_unique<frmPayMethod>();
        w->mRemoteId = "bank";
        w->show();
        w->Form_Activate();
        QCOMPARE(w->editMode(), int(RecordEditor::Editing));
        QCOMPARE(w->codeBox()->text(), QStringLiteral("BANK"));
        QVERIFY(w->mRemoteId.isEmpty());
        w->cmdCancel_Click();
        QVERIFY(conn().Execute("INSERT INTO PayMethod (PayId, Description) VALUES ('EFT', 'Internet banking')", {}));
        w->Form_Activate();
        QVERIFY(lookupRows(*w).contains("EFT"));
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));

        // The buyer editor fills once; an unknown remote code is said and stays browsing.
        auto b = std::make_unique<frmCustomer>();
        b->mRemoteId = "ghost";
        b->show();
        messages().answer(vbmsg::OK, "Buyer Id 'ghost' not found.");
        b->Form_Activate();
        QCOMPARE(b->editMode(), int(RecordEditor::Browse));
        buyer("late", "Late Buyer");
        b->Form_Activate();
        QVERIFY(!lookupRows(*b).contains("late"));
    }

    // Leaving the code box for real (the seller tabs or clicks away) runs the loader and the cut.
    void leavingTheCodeBox()
    {
        auto w = open<frmCustomer>();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        buyer("kiri", "Kiri Ngata");
        w->codeBox()->setFocus();
        QTest::keyClicks(w->codeBox(), "KIRI");
        w->button("cmdEdit")->setFocus();
        QCOMPARE(w->codeBox()->text(), QStringLiteral("kiri"));
        QCOMPARE(w->name()->text(), QStringLiteral("Kiri Ngata"));
        w->cmdAdd_Click();
        w->codeBox()->setFocus();
        QTest::keyClicks(w->codeBox(), QString(60, u'x'));
        w->email()->setFocus();
        QCOMPARE(w->codeBox()->text().size(), 50);
        w->codeBox()->setFocus();
        w->codeBox()->setText(QString());
        QTest::keyClicks(w->codeBox(), "kiri");
        messages().answer(vbmsg::OK, "Code already exists.");
        w->email()->setFocus();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->codeBox()->text(), QString());
    }

    // Codes the database cannot hold apart or hold at all are refused before anything is written.
    void codesTheDatabaseRefuses()
    {
        // Blanks alone are no code.
        auto b = open<frmCustomer>();
        b->cmdAdd_Click();
        type(*b, "   ");
        b->email()->setText("x@example.co.nz");
        messages().answer(vbmsg::OK, "Please set the Customer Code");
        b->cmdUpdate_Click();
        QCOMPARE(b->editMode(), int(RecordEditor::Adding));
        QCOMPARE(scalar("SELECT COUNT(*) FROM Customer").toInt(), 0);

        // The keys fold A-Z only: "émile" to "Émile" is another code, and sales use it.
        buyer(QString::fromUtf8("émile"), "Emile");
        sale("4101", QString::fromUtf8("émile"), "BANK", 3);
        type(*b, QString());
        b->cmdCancel_Click();
        type(*b, QString::fromUtf8("émile"));
        b->cmdEdit_Click();
        type(*b, QString::fromUtf8("Émile"));
        messages().answer(vbmsg::OK, "Cannot change code - still in use by auctions");
        b->cmdUpdate_Click();
        QCOMPARE(scalar("SELECT COUNT(*) FROM Auction JOIN Customer USING (CustomerId)").toInt(), 1);

        // Another record's code typed while editing, saved without leaving the box.
        auto p = open<frmPayMethod>();
        type(*p, "CARD");
        p->cmdEdit_Click();
        type(*p, "BANK");
        messages().answer(vbmsg::OK, "Code already exists.");
        p->cmdUpdate_Click();
        QCOMPARE(p->editMode(), int(RecordEditor::Editing));
        QCOMPARE(p->codeBox()->text(), QStringLiteral("CARD"));
        QCOMPARE(table("SELECT PayId FROM PayMethod ORDER BY PayId"), (QStringList{"BANK", "CARD", "CASH"}));
    }

    // A message of the editor's own does not count as leaving it: the list is not refilled, the focus stays.
    void ownDialogIsNoActivation()
    {
        auto w = open<frmPayMethod>();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->cmdAdd_Click();
        w->description()->setFocus();
        QVERIFY(conn().Execute("INSERT INTO PayMethod (PayId, Description) VALUES ('EFT', 'Internet banking')", {}));
        {
            QDialog own(w.get());
            own.setModal(true);
            own.show();
            QApplication::setActiveWindow(&own);
            QVERIFY(QTest::qWaitForWindowActive(&own));
        }
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::qWait(20);
        QVERIFY(!lookupRows(*w).contains("EFT"));
        QCOMPARE(w->focusWidget(), w->description());
        // Another window of the program is leaving it: coming back refills.
        w->cmdCancel_Click();
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTRY_VERIFY(lookupRows(*w).contains("EFT"));
    }

    // The main window opens the editors by name, a buyer's code set as the popup sets it.
    void openedByName()
    {
        RecordsForms::Register();
        buyer("sean1", "Sean O'Brien", "Sean O'Brien\r\n2 Main Road\r\nWellington");
        std::unique_ptr<QWidget> w(FormsRegistry::instance().create("frmCustomer", {{"mRemoteId", "sean1"}}));
        auto* editor = qobject_cast<frmCustomer*>(w.get());
        QVERIFY(editor);
        editor->show();
        editor->Form_Activate();
        QCOMPARE(editor->editMode(), int(RecordEditor::Editing));
        QCOMPARE(editor->name()->text(), QStringLiteral("Sean O'Brien"));
        editor->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("frmCustomer.png"));
        std::unique_ptr<QWidget> p(FormsRegistry::instance().create("frmPayMethod"));
        QVERIFY(qobject_cast<frmPayMethod*>(p.get()));
        p->show();
        static_cast<frmPayMethod*>(p.get())->Form_Activate();
        static_cast<frmPayMethod*>(p.get())->cboId_DropDown();
        p->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("frmPayMethod.png"));
    }

    // A buyer's fields round trip: empty optional text is stored as Null, the address with CR LF.
    void buyerFields()
    {
        auto w = open<frmCustomer>();
        w->cmdAdd_Click();
        type(*w, "o'brien_fan");
        w->name()->setText("Mere O'Brien");
        w->email()->setText("mere@example.co.nz");
        w->dontEmail()->setChecked(true);
        w->address()->setPlainText("Mere O'Brien\n3 Main Road\nChristchurch");
        w->cmdUpdate_Click();
        QCOMPARE(table("SELECT CustomerId, Name, Email, EmailCC, DontEmail, Address, Comment FROM Customer"),
                 QStringList{"o'brien_fan|Mere O'Brien|mere@example.co.nz|<Null>|1|Mere O'Brien\r\n3 Main Road\r\nChristchurch|<Null>"});
        // Shown as stored; a stored empty name stays empty when the record loads.
        QVERIFY(conn().Execute("UPDATE Customer SET Name=NULL", {}));
        w->cmdCancel_Click();
        type(*w, "O'BRIEN_FAN");
        w->codeKey(Qt::Key_Return);
        QCOMPARE(w->codeBox()->text(), QStringLiteral("o'brien_fan"));
        QCOMPARE(w->name()->text(), QString());
        QCOMPARE(w->addressText(), QStringLiteral("Mere O'Brien\r\n3 Main Road\r\nChristchurch"));
        QVERIFY(w->dontEmail()->isChecked());
        messages().answer(vbmsg::Yes, "Are you sure you want to delete this record?");
        w->cmdDelete_Click();
        QCOMPARE(scalar("SELECT COUNT(*) FROM Customer").toInt(), 0);
    }

    // Typed and pasted e-mail addresses lose "mailto:" and a name around them.
    void emailAddressesAreReduced_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::newRow("name and brackets") << "Mere O'Brien <mere@example.co.nz>" << "mere@example.co.nz";
        QTest::newRow("mailto") << "mailto:mere@example.co.nz" << "mere@example.co.nz";
        QTest::newRow("plain") << "mere@example.co.nz" << "mere@example.co.nz";
    }
    void emailAddressesAreReduced()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, kept);
        auto w = open<frmCustomer>();
        w->cmdAdd_Click();
        for (QLineEdit* box : {w->email(), w->emailCC()}) {
            QApplication::clipboard()->setText(pasted);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(box->text(), kept);
        }
    }

    // After a buyer is saved with an address, the active sales with another address may take it.
    void addressFollowUp_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("answer");  // 0: no question
        QTest::addColumn<QStringList>("after");
        const QString typed = "Pat\r\n1 New Road\r\nNelson";
        QTest::newRow("yes") << typed << int(vbmsg::Yes)
                             << QStringList{"4101|" + typed, "4102|<Null>", "4103|" + typed, "4104|Old place", "4105|" + typed};
        QTest::newRow("no") << typed << int(vbmsg::No)
                            << QStringList{"4101|Old place", "4102|<Null>", "4103|old place", "4104|Old place", "4105|" + typed};
        QTest::newRow("empty address: no question") << "" << 0
                                                     << QStringList{"4101|Old place", "4102|<Null>", "4103|old place", "4104|Old place", "4105|" + typed};
    }
    void addressFollowUp()
    {
        QFETCH(QString, address);
        QFETCH(int, answer);
        QFETCH(QStringList, after);
        const QString typed = "Pat\r\n1 New Road\r\nNelson";
        buyer("pat", "Pat");
        sale("4101", "pat", "BANK", 3, "Old place");
        sale("4102", "pat", "BANK", 5);              // no address: not counted
        sale("4103", "pat", "BANK", 11, "old place");  // case counts
        sale("4104", "pat", "BANK", 12, "Old place");  // step 12 on: kept
        sale("4105", "pat", "BANK", 2, typed);       // the same already
        auto w = open<frmCustomer>();
        type(*w, "pat");
        w->cmdEdit_Click();
        w->address()->setPlainText(QString(address).replace("\r\n", "\n"));
        if (answer)
            messages().answer(answer, "There are 2 active auctions for this buyer where the delivery address is different to the buyers address on file.  "
                                      "\r\n\r\nDo you want to update the auction delivery address on all active auctions?");
        w->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT AuctionId, DeliveryAddress FROM Auction ORDER BY AuctionId"), after);
        QCOMPARE(w->editMode(), int(RecordEditor::Browse));
    }

    // The first-line rule follows the seller's typing in the buyer editor.
    void nameFromTheAddressAsTyped()
    {
        auto w = open<frmCustomer>();
        w->cmdAdd_Click();
        w->address()->setFocus();
        QTest::keyClicks(w->address(), "Hemi Walker");
        QCOMPARE(w->name()->text(), QString());
        QTest::keyClick(w->address(), Qt::Key_Return);
        QCOMPARE(w->name()->text(), QStringLiteral("Hemi Walker"));
        QTest::keyClicks(w->address(), "22 Beach Road");
        QCOMPARE(w->name()->text(), QStringLiteral("Hemi Walker"));
    }

    // Values longer than the boxes take (the synchronisation stores the
    // site's) show whole and are saved whole when another field changes; the
    // boxes' lengths limit typing.
    void storedTextKeptWhole()
    {
        const QString name = QStringLiteral("Aroha Te Whare-Ngata of Kauri Crafts & Antiques");
        const QString email = QStringLiteral("accounts.aroha-te-whare.nz1@wellington-harbour.co.nz");
        const QString cc = QStringLiteral("orders.and.deliveries.aroha-te-whare@wellington-harbour.co.nz");
        const QString comment = QStringLiteral("Prefers courier to the depot on Quay Street, never the house door");
        QVERIFY(name.size() > 45);
        QCOMPARE(email.size(), 52);
        QVERIFY(cc.size() > 50 && comment.size() > 50);
        QVERIFY(conn().Execute("INSERT INTO Customer (CustomerId, Name, Email, EmailCC, Comment) VALUES ('aroha', ?, ?, ?, ?)",
                               {name, email, cc, comment}));
        auto b = open<frmCustomer>();
        type(*b, "aroha");
        b->cmdEdit_Click();
        QCOMPARE(b->name()->text(), name);
        QCOMPARE(b->email()->text(), email);
        b->dontEmail()->click();
        b->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(table("SELECT Name, Email, EmailCC, DontEmail, Comment FROM Customer"),
                 QStringList{name + "|" + email + "|" + cc + "|1|" + comment});

        b->cmdAdd_Click();
        const QList<std::pair<QLineEdit*, int>> limits{{b->name(), 45}, {b->email(), 50}, {b->emailCC(), 50}, {b->comment(), 50}};
        for (const auto& [box, limit] : limits) {
            box->setFocus();
            QTest::keyClicks(box, QString(60, u'x'));
            QCOMPARE(box->text().size(), limit);
        }
        b->cmdCancel_Click();

        const QString description = QStringLiteral("Direct credit to the business account, reference the auction number");
        QVERIFY(description.size() > 50);
        QVERIFY(conn().Execute("INSERT INTO PayMethod (PayId, Description) VALUES ('DC', ?)", {description}));
        auto p = open<frmPayMethod>();
        type(*p, "DC");
        p->cmdEdit_Click();
        QCOMPARE(p->description()->text(), description);
        p->cmdUpdate_Click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(scalar("SELECT Description FROM PayMethod WHERE PayId='DC'").toString(), description);
    }
};

VENDARO_TEST_MAIN(tst_recordeditor)
#include "tst_recordeditor.moc"
