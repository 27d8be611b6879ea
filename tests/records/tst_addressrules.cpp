// The address rules: the first-line rule (pure and on real boxes) and the
// buyer-address rule of a save, with its question and a write that cannot be kept.

#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"
#include "records/AddressRules.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Null = QStringLiteral("<Null>");
// A buyer no save in these tests touches.
const QString Neighbour = QStringLiteral("zed|Zed Brown|zed@example.co.nz|<Null>|5 Side Street|regular|0");
}  // namespace

class tst_addressrules : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    ScriptedMessages& messages() { return env->messages(); }

    QStringList table(const QString& sql, const QVariantList& binds = {}) { return DatabaseFixture::rows(sql, binds); }
    QStringList buyers(bool withNeighbour = false)
    {
        return table(QStringLiteral("SELECT CustomerId, Name, Email, EmailCC, Address, Comment, DontEmail FROM Customer") +
                     (withNeighbour ? QString() : QStringLiteral(" WHERE CustomerId <> 'zed'")) + QStringLiteral(" ORDER BY CustomerId"));
    }
    // A Customer row from "CustomerId|Name|Email|EmailCC|Address|Comment|DontEmail" ("<Null>" for Null).
    void insertBuyer(const QString& row)
    {
        const QStringList cells = row.split(u'|');
        QVariantList values;
        for (const QString& cell : cells) values << (cell == Null ? QVariant() : QVariant(cell));
        QVERIFY2(conn().Execute(QStringLiteral("INSERT INTO Customer (CustomerId, Name, Email, EmailCC, Address, Comment, DontEmail) "
                                               "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                                values),
                 qPrintable(conn().lastError()));
    }
    // The whole rule as a window's save runs it, with the caller's transaction.
    bool save(const QString& id, const QString& name, const QString& address, const QString& email, bool creates)
    {
        const AddressRules::BuyerPlan plan = AddressRules::PlanBuyerAddress(id, name, address, email, creates);
        Transaction tx(ctx().gConnection);
        return tx.isActive() && AddressRules::WriteBuyerAddress(plan) && tx.Commit();
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        insertBuyer(Neighbour);
    }
    void cleanup() { env.reset(); }

    // ---- the first-line rule ----

    void firstLineName_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first line into an empty name") << "Sean Smith\r\n1 Main Road\r\nHamilton" << "" << "Sean Smith";
        QTest::newRow("as soon as the line break is there") << "Sean Smith\r\n" << "" << "Sean Smith";
        QTest::newRow("no line break yet") << "Sean Smith" << "" << "";
        QTest::newRow("a name is never replaced") << "Sean Smith\r\n1 Main Road" << "Mrs Smith" << "Mrs Smith";
        QTest::newRow("blanks count as a name") << "Sean Smith\r\n1 Main Road" << "  " << "  ";
        QTest::newRow("leading line break leaves it empty") << "\r\n1 Main Road" << "" << "";
        QTest::newRow("blanks of the first line are kept") << " Sean Smith \r\n1 Main Road" << "" << " Sean Smith ";
        QTest::newRow("a lone LF is not a line break") << "Sean Smith\n1 Main Road" << "" << "";
        QTest::newRow("a lone CR is not a line break") << "Sean Smith\r1 Main Road" << "" << "";
        QTest::newRow("the line before the first CR LF") << "Sean\r1 Main\r\nHamilton" << "" << "Sean\r1 Main";
    }
    void firstLineName()
    {
        QFETCH(QString, address);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(AddressRules::FirstLineName(address, name), expected);
    }

    // The hook on real boxes. Each step: text typed key by key ("\n" is Enter),
    // "<load>" text the program puts in the box, or "<top>" text inserted
    // at the start in one change (a paste). The name box is read after each step.
    void follow_data()
    {
        QTest::addColumn<QString>("presetName");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("names");
        const QStringList typing{"Sean Smith", "\n", "1 Main Road", "\n", "Hamilton"};
        QTest::newRow("typing fills the name at the line break")
            << "" << typing << QStringList{"", "Sean Smith", "Sean Smith", "Sean Smith", "Sean Smith"};
        QTest::newRow("a name already there stays") << "Mrs Smith" << typing << QStringList(5, "Mrs Smith");
        QTest::newRow("blanks in the name box stay") << " " << typing << QStringList(5, " ");
        QTest::newRow("leading line break: filled by a later change")
            << "" << QStringList{"\n", "1 Main Road", "<top>Sean Smith"} << QStringList{"", "", "Sean Smith"};
        QTest::newRow("a loaded address fills an empty name")
            << "" << QStringList{"<load>Sean Smith\r\n1 Main Road\r\nHamilton"} << QStringList{"Sean Smith"};
        QTest::newRow("loaded with LF line ends too") << "" << QStringList{"<load>Sean Smith\n1 Main Road"} << QStringList{"Sean Smith"};
        QTest::newRow("loading leaves a loaded name")
            << "Sean" << QStringList{"<load>Sean Smith\r\n1 Main Road"} << QStringList{"Sean"};
    }
    void follow()
    {
        QFETCH(QString, presetName);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, names);
        QWidget window;
        auto* address = new QPlainTextEdit(&window);
        auto* name = new QLineEdit(presetName, &window);
        AddressRules::Follow(address, name);
        window.show();
        for (int i = 0; i < steps.size(); ++i) {
            const QString& step = steps[i];
            if (step.startsWith("<load>")) {
                address->setPlainText(step.mid(6));
            } else if (step.startsWith("<top>")) {
                address->moveCursor(QTextCursor::Start);
                address->insertPlainText(step.mid(5));
            } else if (step == "\n") {
                QTest::keyClick(address, Qt::Key_Return);
            } else {
                QTest::keyClicks(address, step);
            }
            QVERIFY2(name->text() == names[i], qPrintable(QString("after step %1: \"%2\"").arg(i).arg(name->text())));
        }
    }

    // ---- the buyer-address rule ----

    void buyerRule_data()
    {
        QTest::addColumn<QString>("onFile");  // the buyer's row before the save; "" = none
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("email");
        QTest::addColumn<bool>("creates");
        QTest::addColumn<int>("answer");  // the question's answer; 0 = no question
        QTest::addColumn<QStringList>("expected");

        const QString sean = "sean1|Sean|old@example.co.nz|cc@example.co.nz|PO Box 1\r\nHamilton|pays late|1";
        const QString typed = "Sean Smith\r\n1 Main Road\r\nHamilton";
        for (const bool creates : {true, false}) {
            const char* kind = creates ? "create: " : "update: ";
            const QString email = creates ? "sean@example.co.nz" : "old@example.co.nz";
            const auto row = [&](const QString& name, const QString& address) {
                return QStringList{"sean1|" + name + "|" + email + "|cc@example.co.nz|" + address + "|pays late|1"};
            };
            QTest::newRow(QByteArray(kind) + "differs, Yes takes the address")
                << sean << "sean1" << "Sean Smith" << typed << "sean@example.co.nz" << creates << int(vbmsg::Yes) << row("Sean Smith", typed);
            QTest::newRow(QByteArray(kind) + "differs, No keeps the address on file")
                << sean << "sean1" << "Sean Smith" << typed << "sean@example.co.nz" << creates << int(vbmsg::No)
                << row("Sean Smith", "PO Box 1\r\nHamilton");
            QTest::newRow(QByteArray(kind) + "differs only in case: asked")
                << sean << "sean1" << "Sean" << "po box 1\r\nHamilton" << "sean@example.co.nz" << creates << int(vbmsg::Yes)
                << row("Sean", "po box 1\r\nHamilton");
            QTest::newRow(QByteArray(kind) + "the same address: nothing asked")
                << sean << "sean1" << "Sean" << "PO Box 1\r\nHamilton" << "sean@example.co.nz" << creates << 0
                << row("Sean", "PO Box 1\r\nHamilton");
            QTest::newRow(QByteArray(kind) + "Null on file: taken without a question")
                << QString(sean).replace("PO Box 1\r\nHamilton", Null) << "sean1" << "Sean" << typed << "sean@example.co.nz" << creates << 0
                << row("Sean", typed);
            QTest::newRow(QByteArray(kind) + "empty text on file: taken without a question")
                << QString(sean).replace("PO Box 1\r\nHamilton", "") << "sean1" << "Sean" << typed << "sean@example.co.nz" << creates << 0
                << row("Sean", typed);
            QTest::newRow(QByteArray(kind) + "empty delivery address keeps the address on file")
                << sean << "sean1" << "Sean" << "" << "sean@example.co.nz" << creates << 0 << row("Sean", "PO Box 1\r\nHamilton");
            QTest::newRow(QByteArray(kind) + "empty delivery address keeps Null")
                << QString(sean).replace("PO Box 1\r\nHamilton", Null) << "sean1" << "Sean" << "" << "sean@example.co.nz" << creates << 0
                << row("Sean", Null);
            QTest::newRow(QByteArray(kind) + "empty name becomes Null")
                << sean << "sean1" << "" << "PO Box 1\r\nHamilton" << "sean@example.co.nz" << creates << 0
                << row(Null, "PO Box 1\r\nHamilton");
            QTest::newRow(QByteArray(kind) + "an apostrophe in the buyer id")
                << "o'brien|Pat|pat@example.co.nz|<Null>|<Null>|<Null>|0" << "o'brien" << "Pat O'Brien" << "1 Quay St\r\nNapier"
                << "pat@example.co.nz" << creates << 0 << QStringList{"o'brien|Pat O'Brien|pat@example.co.nz|<Null>|1 Quay St\r\nNapier|<Null>|0"};
            QTest::newRow(QByteArray(kind) + "no buyer id: nothing written")
                << sean << "" << "Sean Smith" << typed << "sean@example.co.nz" << creates << 0 << QStringList{sean};
        }

        // Only the auction-ended dialog and the sale editor create a buyer and write its id and e-mail.
        QTest::newRow("create: a missing buyer is added with the address")
            << "" << "newbie" << "Nina New" << "Nina New\r\n2 Hill Road" << "nina@example.co.nz" << true << 0
            << QStringList{"newbie|Nina New|nina@example.co.nz|<Null>|Nina New\r\n2 Hill Road|<Null>|0"};
        QTest::newRow("create: a new buyer without address, name or e-mail")
            << "" << "newbie" << "" << "" << "" << true << 0 << QStringList{"newbie|<Null>||<Null>|<Null>|<Null>|0"};
        QTest::newRow("create: a new buyer with an apostrophe in the id")
            << "" << "o'neill" << "Sam" << "3 Bay Road" << "sam@example.co.nz" << true << 0
            << QStringList{"o'neill|Sam|sam@example.co.nz|<Null>|3 Bay Road|<Null>|0"};
        QTest::newRow("create: an empty e-mail box stores an empty text")
            << "sean1|Sean|old@example.co.nz|<Null>|<Null>|<Null>|0" << "sean1" << "Sean" << "" << "" << true << 0
            << QStringList{"sean1|Sean||<Null>|<Null>|<Null>|0"};
        QTest::newRow("create: the id is written as typed")
            << "sean1|Sean|old@example.co.nz|<Null>|<Null>|<Null>|0" << "SEAN1" << "Sean" << "" << "old@example.co.nz" << true << 0
            << QStringList{"SEAN1|Sean|old@example.co.nz|<Null>|<Null>|<Null>|0"};
        QTest::newRow("create: trailing blanks are not part of the id")
            << "" << "newbie  " << "Nina" << "" << "nina@example.co.nz" << true << 0
            << QStringList{"newbie|Nina|nina@example.co.nz|<Null>|<Null>|<Null>|0"};
        QTest::newRow("create: trailing blanks find the buyer on file")
            << "sean1|Sean|old@example.co.nz|<Null>|PO Box 1|<Null>|0" << "sean1 " << "Sean" << "PO Box 1" << "new@example.co.nz" << true
            << 0 << QStringList{"sean1|Sean|new@example.co.nz|<Null>|PO Box 1|<Null>|0"};
        const QString longId = QString(50, u'a');
        QTest::newRow("create: an id cut to 50 characters")
            << "" << longId + "bcd" << "Al" << "" << "al@example.co.nz" << true << 0
            << QStringList{longId + "|Al|al@example.co.nz|<Null>|<Null>|<Null>|0"};
        QTest::newRow("create: a long id finds the buyer it is cut to")
            << longId + "|Al|al@example.co.nz|<Null>|<Null>|<Null>|0" << longId + "bcd" << "Al Long" << "" << "al@example.co.nz" << true << 0
            << QStringList{longId + "|Al Long|al@example.co.nz|<Null>|<Null>|<Null>|0"};
        QTest::newRow("create: blanks alone are no buyer id")
            << "" << "   " << "Nina" << "2 Hill Road" << "nina@example.co.nz" << true << 0 << QStringList{};

        QTest::newRow("update: a missing buyer changes nothing")
            << "" << "newbie" << "Nina New" << "Nina New\r\n2 Hill Road" << "nina@example.co.nz" << false << 0 << QStringList{};
        QTest::newRow("update: the e-mail and the id stay as on file")
            << "sean1|Sean|old@example.co.nz|<Null>|<Null>|<Null>|0" << "SEAN1" << "Sean" << "" << "" << false << 0
            << QStringList{"sean1|Sean|old@example.co.nz|<Null>|<Null>|<Null>|0"};
    }
    void buyerRule()
    {
        QFETCH(QString, onFile);
        QFETCH(QString, id);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, email);
        QFETCH(bool, creates);
        QFETCH(int, answer);
        QFETCH(QStringList, expected);
        if (!onFile.isEmpty()) insertBuyer(onFile);
        if (answer) messages().answer(answer, "is different to the delivery address");
        QVERIFY(save(id, name, address, email, creates));
        QCOMPARE(buyers(), expected);
        QCOMPARE(buyers(true).filter("zed|"), QStringList{Neighbour});
    }

    // The question: its text, icon, buttons and title; asked before the caller's transaction.
    void question()
    {
        insertBuyer("sean1|Sean|<Null>|<Null>|PO Box 1\r\nHamilton|<Null>|0");
        messages().answer(vbmsg::No);
        const AddressRules::BuyerPlan plan =
            AddressRules::PlanBuyerAddress("sean1", "Sean", "Sean Smith\r\n1 Main Road", "", false);
        QVERIFY(!ReadLock::inTransaction(conn()));
        QCOMPARE(messages().prompts().size(), 1);
        const ScriptedMessages::Prompt asked = messages().prompts().first();
        QCOMPARE(asked.kind, QString("MsgBox"));
        QCOMPARE(asked.text, QString("The customer address on file is different to the delivery address.\r\n"
                                     "Do you want to update the customer address?\r\n\r\n"
                                     "Current customer address:\r\nPO Box 1\r\nHamilton\r\n\r\n"
                                     "Update to:\r\nSean Smith\r\n1 Main Road"));
        QCOMPARE(asked.text, AddressRules::AddressQuestion("PO Box 1\r\nHamilton", "Sean Smith\r\n1 Main Road"));
        QCOMPARE(asked.style, vbmsg::YesNo + vbmsg::Question);
        QCOMPARE(vbmsg::defaultButtonOf(asked.style), 0);  // Yes
        QCOMPARE(asked.title, ctx().gAppTitle);
        QVERIFY(!plan.skip);
        QVERIFY(plan.exists);
        QVERIFY(!plan.takeAddress);
    }

    // A lookup that fails is reported and skips the buyer step; the save goes on.
    void lookupFails()
    {
        QVERIFY(conn().Execute("ALTER TABLE Customer RENAME TO Buyers"));
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        const AddressRules::BuyerPlan plan = AddressRules::PlanBuyerAddress("sean1", "Sean", "1 Main Road", "s@example.co.nz", true);
        QVERIFY(plan.skip);
        QCOMPARE(messages().prompts().first().style, int(vbmsg::Critical));
        QVERIFY(AddressRules::WriteBuyerAddress(plan));
        QCOMPARE(table("SELECT COUNT(*) FROM Buyers"), QStringList{"1"});
    }

    // A write the file refuses (another program reads it) leaves the buyer as
    // it was: alone the statement fails and is reported; inside the caller's
    // transaction the commit fails and the whole transaction is undone.
    void writeRefused_data()
    {
        QTest::addColumn<bool>("inTransaction");
        QTest::newRow("the statement refused") << false;
        QTest::newRow("the caller's commit refused") << true;
    }
    void writeRefused()
    {
        QFETCH(bool, inTransaction);
        insertBuyer("sean1|Sean|old@example.co.nz|<Null>|<Null>|<Null>|0");
        const QStringList before = buyers(true);
        const AddressRules::BuyerPlan plan =
            AddressRules::PlanBuyerAddress("sean1", "Sean Smith", "Sean Smith\r\n1 Main Road", "sean@example.co.nz", true);
        QVERIFY(plan.takeAddress);
        ReadLock::shortenWait(conn());
        ReadLock reader(conn().path());
        QVERIFY(reader.held());
        if (inTransaction) {
            Transaction tx(ctx().gConnection);
            QVERIFY(AddressRules::WriteBuyerAddress(plan));
            QVERIFY(!tx.Commit());
            QVERIFY2(tx.lastError().contains("locked"), qPrintable(tx.lastError()));
        } else {
            messages().answer(vbmsg::OK, "An error occurred opening database.");
            QVERIFY(!AddressRules::WriteBuyerAddress(plan));
            const ScriptedMessages::Prompt told = messages().prompts().last();
            QCOMPARE(told.style, int(vbmsg::Critical));
            QVERIFY2(told.text.contains("locked"), qPrintable(told.text));
            QVERIFY2(!told.text.contains("Sean Smith"), qPrintable(told.text));  // values are bound, not in the SQL
        }
        QVERIFY(!ReadLock::inTransaction(conn()));
        reader.release();
        QCOMPARE(buyers(true), before);
    }
};

VENDARO_TEST_MAIN(tst_addressrules)
#include "tst_addressrules.moc"
