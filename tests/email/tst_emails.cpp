#include "DatabaseFixture.h"
#include "ReadLock.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "email/clsEmails.h"
#include "platform/AppSettings.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <QFile>

#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString SendFailed = QStringLiteral("An error occurred while attempting to send email.");

QString missingTemplate(const QString& id)
{
    return QStringLiteral("the template required for '") + id + QStringLiteral("' is missing?");
}
}  // namespace

class tst_emails : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    clsEmails emails;
    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    ScriptedMessages& messages() { return env->messages(); }

    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    void addTemplate(const QString& id, const QString& item, int kind, const QString& subject, const QString& message)
    {
        exec("INSERT INTO Email (EmailId, ItemId, ActionId, Subject, Message) VALUES (?, ?, ?, ?, ?)", {id, item, kind, subject, message});
    }
    void addSale(const QString& auctionId, const QString& item, const QVariant& customerId, const QVariant& bid = 0,
                 const QVariant& shipping = 0)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, CustomerId, Winningbid, Shipping, Notes, DeliveryAddress, "
             "TrackingNumber, ActionId) VALUES (?, ?, 'Kiri''s teapot', ?, ?, ?, 'Handle with care', "
             "?, 'TRK-9', 2)",
             {auctionId, item, customerId, bid, shipping, QStringLiteral("1 Main Road") + CrLf + QStringLiteral("Nelson")});
    }
    void addBuyer(const QString& customerId, const QVariant& name)
    {
        exec("INSERT INTO Customer (CustomerId, Name) VALUES (?, ?)", {customerId, name});
    }
    // The general e-mail (kind 17, any item) of sale "S1" with this subject and message.
    QString compose(const QString& subject, const QString& message, bool* flag = nullptr)
    {
        exec("DELETE FROM Email WHERE ActionId=17");
        addTemplate("GENERAL", "MISC", 17, subject, message);
        bool ok = true;
        const QString result = emails.GetEmail("S1", 17, "WIDGET", "", ok);
        if (flag) *flag = ok;
        return result;
    }

    // The outbox rows, "AutoId|From|To|CC|Subject|TextBody" each, in AutoId order.
    QStringList outboxRows()
    {
        Connection outbox;
        if (!outbox.Open(clsEmails::OutboxPath())) return {outbox.lastError()};
        Recordset rs;
        if (!rs.Open("SELECT AutoId, \"From\", \"To\", CC, Subject, TextBody FROM outbox ORDER BY AutoId", &outbox))
            return {rs.lastError()};
        QStringList rows;
        for (; !rs.isEOF(); rs.MoveNext()) {
            QStringList row;
            for (int i = 0; i < rs.FieldCount(); ++i) row << (rs.value(i).isNull() ? QStringLiteral("<Null>") : rs.value(i).toString());
            rows << row.join(u'|');
        }
        return rows;
    }
    QStringList outboxContents()
    {
        QStringList rows = outboxRows();
        for (QString& row : rows) row = row.section(u'|', 1);
        return rows;
    }
    QString handOver() { return AppSettings::GetSetting("Settings", "emailer"); }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        exec("DELETE FROM Email");
        ctx().gConfiguration.EmailWrap = 0;
    }
    void cleanup() { env.reset(); }

    // ---- template choice ----

    void templateChoice_data()
    {
        QTest::addColumn<int>("actionId");
        QTest::addColumn<QString>("itemId");
        QTest::addColumn<QString>("emailId");
        QTest::addColumn<QString>("subject");

        QTest::newRow("the item's own") << 2 << "WIDGET" << "" << "widget win";
        QTest::newRow("item code in another case") << 2 << "widget" << "" << "widget win";
        QTest::newRow("MISC when the item has none") << 2 << "GADGET" << "" << "misc win";
        QTest::newRow("MISC when the item lacks the kind") << 10 << "WIDGET" << "" << "misc paid";
        QTest::newRow("step 3 takes the general") << 3 << "WIDGET" << "" << "widget general";
        QTest::newRow("step 7 takes the general") << 7 << "WIDGET" << "" << "widget general";
        QTest::newRow("step 15 takes the general") << 15 << "WIDGET" << "" << "widget general";
        QTest::newRow("step 1 takes the general") << 1 << "GADGET" << "" << "misc general";
        QTest::newRow("custom of the item") << 18 << "WIDGET" << "C1" << "custom one for widgets";
        QTest::newRow("custom of MISC") << 18 << "WIDGET" << "C2" << "custom two";
        QTest::newRow("custom of MISC, other item") << 18 << "GADGET" << "C1M" << "custom one for all";
        QTest::newRow("custom with an apostrophe") << 18 << "KIRI'S" << "O'NEIL" << "custom of Kiri's";
        QTest::newRow("no such custom") << 18 << "WIDGET" << "NOPE" << "";
        QTest::newRow("no template at all") << 12 << "WIDGET" << "" << "";
        QTest::newRow("item with an apostrophe") << 2 << "KIRI'S" << "" << "win of Kiri's";
    }
    void templateChoice()
    {
        QFETCH(int, actionId);
        QFETCH(QString, itemId);
        QFETCH(QString, emailId);
        QFETCH(QString, subject);
        addTemplate("W-ITEM", "WIDGET", 2, "widget win", "");
        addTemplate("W-MISC", "MISC", 2, "misc win", "");
        addTemplate("W-KIRI", "KIRI'S", 2, "win of Kiri's", "");
        addTemplate("P-MISC", "MISC", 10, "misc paid", "");
        addTemplate("G-ITEM", "WIDGET", 17, "widget general", "");
        addTemplate("G-MISC", "MISC", 17, "misc general", "");
        addTemplate("C1", "WIDGET", 18, "custom one for widgets", "");
        addTemplate("C1M", "MISC", 18, "custom one for all", "");
        addTemplate("C2", "MISC", 18, "custom two", "");
        addTemplate("O'NEIL", "KIRI'S", 18, "custom of Kiri's", "");
        addSale("S1", itemId, QVariant());
        bool flag = true;
        QCOMPARE(emails.GetEmail("S1", actionId, itemId, emailId, flag), subject + CrLf);
        QVERIFY(flag);
    }

    void templateKinds()
    {
        const QList<int> own{2, 4, 5, 6, 10, 12, 14, 18};
        for (int step = -1; step <= 20; ++step)
            QCOMPARE(clsEmails::TemplateKind(step), own.contains(step) ? step : 17);
    }

    // ---- includes ----

    void includes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expanded");
        QTest::addColumn<QString>("missing");  // the id the message names; null: no message

        QTest::newRow("lower case") << "Hi [insert:name]." << "Hi Kiri." << QString();
        QTest::newRow("capitals") << "Hi [INSERT:NAME]." << "Hi Kiri." << QString();
        QTest::newRow("mixed case") << "Hi [Insert:Name]." << "Hi Kiri." << QString();
        QTest::newRow("nested") << "[insert:SIG]" << "Regards Kiri" << QString();
        QTest::newRow("same template twice") << "[insert:PAIR]" << "Kiri and Kiri" << QString();
        QTest::newRow("tags side by side") << "[insert:NAME][insert:NAME]" << "KiriKiri" << QString();
        QTest::newRow("id with an apostrophe") << "[insert:O'NEIL]" << "Tena koe" << QString();
        QTest::newRow("no closing bracket") << "A [insert:NAME" << "A [insert:NAME" << QString();
        QTest::newRow("missing template") << "A [insert:NOPE] B [insert:NAME]" << "A [insert:NOPE] B [insert:NAME]" << "NOPE";
        QTest::newRow("missing inside an include") << "[insert:BROKEN] [insert:NAME]" << "x [insert:GONE] y [insert:NAME]" << "GONE";
        QTest::newRow("empty id") << "[insert:]" << "[insert:]" << "";
        QTest::newRow("self include") << "[insert:SELF]" << "me [insert:self] again" << "self";
        QTest::newRow("include loop") << "[insert:LOOPA]" << "A B [insert:LOOPA]" << "LOOPA";
        QTest::newRow("codes are left to ConvertCodes") << "[insert:CODE]" << "sale [AUCTIONNUMBER]" << QString();
    }
    void includes()
    {
        QFETCH(QString, text);
        QFETCH(QString, expanded);
        QFETCH(QString, missing);
        addTemplate("NAME", "MISC", 18, "", "Kiri");
        addTemplate("SIG", "MISC", 18, "", "Regards [insert:NAME]");
        addTemplate("PAIR", "MISC", 18, "", "[insert:NAME] and [insert:NAME]");
        addTemplate("O'NEIL", "MISC", 18, "", "Tena koe");
        addTemplate("BROKEN", "MISC", 18, "", "x [insert:GONE] y");
        addTemplate("SELF", "MISC", 18, "", "me [insert:self] again");
        addTemplate("LOOPA", "MISC", 18, "", "A [insert:LOOPB]");
        addTemplate("LOOPB", "MISC", 18, "", "B [insert:LOOPA]");
        addTemplate("CODE", "MISC", 18, "", "sale [AUCTIONNUMBER]");
        const bool reported = !missing.isNull();
        if (reported) messages().answer(vbmsg::OK, missingTemplate(missing));

        bool flag = true;
        emails.InsertCustom(text, flag);
        QCOMPARE(text, expanded);
        QCOMPARE(flag, !reported);
        if (reported) QCOMPARE(messages().prompts().first().style, int(vbmsg::Critical));
    }

    // Included text goes through the codes, in the message only.
    void includesInGetEmail()
    {
        addTemplate("SIG", "MISC", 18, "", "From [MYTRADEMEUSERID] about [AUCTIONNUMBER]");
        addSale("S1", "WIDGET", QVariant());
        ctx().gConfiguration.TradeMeUserId = "kiwi_seller";
        QCOMPARE(compose("[insert:SIG]", "Hello" + CrLf + "[insert:sig]"), "[insert:SIG]" + CrLf + "Hello" + CrLf + "From kiwi_seller about S1");
    }

    // ---- codes ----

    void everyCode()
    {
        addBuyer("mere_nz", "Mere O'Brien");
        addSale("S'1", "WIDGET", "mere_nz", 5, 2.5);
        Configuration& config = ctx().gConfiguration;
        config.TradeMeUserId = "kiwi_seller";
        config.EmailSignature = "Kiri's Teapots";
        config.BankAccountName = "K O'Neil";
        config.BankAccountNumber = "12-3456-7890123-00";
        addTemplate("GENERAL", "MISC", 17, "[AUCTIONNUMBER]: [AUCTIONTITLE]",
                    "[BUYERNAME] ([BUYERID])|[AUCTIONNOTES]|[TRACKINGNUMBER]|[DELIVERYADDRESS]|[BIDVALUE]+[SHIPVALUE]=[TOTALVALUE]|"
                    "[MYTRADEMEUSERID]|[MYSIGNATURE]|[BANKNAME]|[BANKNUMBER]|[buyername]|[AUCTIONNUMBER] again");
        bool flag = true;
        QCOMPARE(emails.GetEmail("S'1", 3, "WIDGET", "", flag),
                 "S'1: Kiri's teapot" + CrLf + "Mere (mere_nz)|Handle with care|TRK-9|1 Main Road" + CrLf +
                     "Nelson|5.00+2.50=7.50|kiwi_seller|Kiri's Teapots|K O'Neil|12-3456-7890123-00|[buyername]|S'1 again");
        QVERIFY(flag);
    }

    // A value with line breaks keeps the subject one line, so the split after it holds.
    void subjectStaysOneLine()
    {
        addSale("S1", "WIDGET", QVariant());
        exec("UPDATE Auction SET Notes=? WHERE AuctionId='S1'", {QStringLiteral("a\rb\nc")});
        QCOMPARE(compose("To [DELIVERYADDRESS] [AUCTIONNOTES]", "[DELIVERYADDRESS]"),
                 "To 1 Main Road Nelson a b c" + CrLf + "1 Main Road" + CrLf + "Nelson");
    }

    void money_data()
    {
        QTest::addColumn<QVariant>("bid");
        QTest::addColumn<QVariant>("shipping");
        QTest::addColumn<QString>("expected");
        QTest::newRow("5 and 2.5") << QVariant(5) << QVariant(2.5) << "5.00 2.50 7.50";
        QTest::newRow("thousands") << QVariant(1234.5) << QVariant(0) << "1234.50 0.00 1234.50";
        QTest::newRow("cents add up") << QVariant(0.1) << QVariant(0.2) << "0.10 0.20 0.30";
        QTest::newRow("no amounts") << QVariant() << QVariant() << "0.00 0.00 0.00";
    }
    void money()
    {
        QFETCH(QVariant, bid);
        QFETCH(QVariant, shipping);
        QFETCH(QString, expected);
        addSale("S1", "WIDGET", QVariant(), bid, shipping);
        QCOMPARE(compose("", "[BIDVALUE] [SHIPVALUE] [TOTALVALUE]"), CrLf + expected);
    }

    // A value holding a code: earlier codes' values are searched for later
    // codes; nothing is replaced twice and nothing loops.
    void dataHoldingCodes_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("its own code") << "see [AUCTIONNOTES]" << "see [AUCTIONNOTES]";
        QTest::newRow("twice its own code") << "[AUCTIONNOTES][AUCTIONNOTES]" << "[AUCTIONNOTES][AUCTIONNOTES]";
        QTest::newRow("a later code") << "for [BUYERNAME]" << "for Mere";
        QTest::newRow("an earlier code") << "sale [AUCTIONNUMBER]" << "sale [AUCTIONNUMBER]";
        QTest::newRow("an include tag") << "[insert:NAME]" << "[insert:NAME]";
    }
    void dataHoldingCodes()
    {
        QFETCH(QString, notes);
        QFETCH(QString, expected);
        addTemplate("NAME", "MISC", 18, "", "Kiri");
        addBuyer("mere_nz", "Mere Smith");
        addSale("S1", "WIDGET", "mere_nz");
        exec("UPDATE Auction SET Notes=? WHERE AuctionId='S1'", {notes});
        QCOMPARE(compose("", "[AUCTIONNOTES]"), CrLf + expected);
    }

    void buyerNames_data()
    {
        QTest::addColumn<QVariant>("customerId");  // Null: the sale has no buyer
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first name") << QVariant("mere_nz") << QVariant("Mere Smith") << "Mere";
        QTest::newRow("one word") << QVariant("mere_nz") << QVariant("Mereana") << "Mereana";
        QTest::newRow("case kept") << QVariant("mere_nz") << QVariant("mEREANA smith") << "mEREANA";
        QTest::newRow("title with a dot") << QVariant("mere_nz") << QVariant("Mr. Smith") << "mere_nz";
        QTest::newRow("title without a dot") << QVariant("mere_nz") << QVariant("Dr Who") << "mere_nz";
        QTest::newRow("title in capitals") << QVariant("mere_nz") << QVariant("MRS. Jones") << "mere_nz";
        QTest::newRow("title joined by a dot") << QVariant("mere_nz") << QVariant("Miss.Marple") << "mere_nz";
        QTest::newRow("title alone") << QVariant("mere_nz") << QVariant("ms") << "mere_nz";
        QTest::newRow("two words joined by a dot") << QVariant("mere_nz") << QVariant("Anna.Kowalski") << "Anna";
        QTest::newRow("one letter") << QVariant("mere_nz") << QVariant("J Smith") << "mere_nz";
        QTest::newRow("leading blank") << QVariant("mere_nz") << QVariant(" Mere") << "mere_nz";
        QTest::newRow("empty name") << QVariant("mere_nz") << QVariant("") << "mere_nz";
        QTest::newRow("Null name") << QVariant("mere_nz") << QVariant() << "mere_nz";
        QTest::newRow("apostrophe") << QVariant("o'brien") << QVariant("O'Brien") << "O'Brien";
        QTest::newRow("no buyer") << QVariant() << QVariant() << "";
    }
    void buyerNames()
    {
        QFETCH(QVariant, customerId);
        QFETCH(QVariant, name);
        QFETCH(QString, expected);
        if (!customerId.isNull()) addBuyer(customerId.toString(), name);
        addSale("S1", "WIDGET", customerId);
        QCOMPARE(compose("", "[BUYERNAME]"), CrLf + expected);
    }

    void requiredCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("description");
        QTest::newRow("user id") << "[MYTRADEMEUSERID]" << "TradeMe UserId";
        QTest::newRow("signature") << "[MYSIGNATURE]" << "Email Signature";
        QTest::newRow("bank name") << "[BANKNAME]" << "Bank Account Name";
        QTest::newRow("bank number") << "[BANKNUMBER]" << "Bank Account Number";
    }
    void requiredCodes()
    {
        QFETCH(QString, code);
        QFETCH(QString, description);
        addSale("S1", "WIDGET", QVariant());
        const QString message = "An email cannot be sent because the information for a required field '" + code +
                                "' is missing - set your '" + description + "' under tools/options to fix this problem.";

        // Used while empty: said once for each text using it, and left in place.
        messages().answer(vbmsg::OK, message).answer(vbmsg::OK, message);
        bool flag = true;
        QCOMPARE(compose("About " + code, "Hi [AUCTIONNUMBER] " + code, &flag), "About " + code + CrLf + "Hi S1 " + code);
        QVERIFY(!flag);
        QCOMPARE(messages().prompts().size(), 2);
        QCOMPARE(messages().prompts().first().text, message);
        QCOMPARE(messages().prompts().first().style, int(vbmsg::Critical));

        // Not used: no message, even while empty.
        QCOMPARE(compose("About", "Hi", &flag), "About" + CrLf + "Hi");
        QVERIFY(flag);
        QCOMPARE(messages().prompts().size(), 2);
    }

    // A sale gone, or a template table that cannot be read: said, the flag false.
    void failures()
    {
        addTemplate("GENERAL", "MISC", 17, "[AUCTIONNUMBER]", "Hi");
        messages().answer(vbmsg::OK, "An error occurred trying to build the email - the auction 'GONE' is missing?");
        bool flag = true;
        QCOMPARE(emails.GetEmail("GONE", 17, "WIDGET", "", flag), "[AUCTIONNUMBER]" + CrLf + "Hi");
        QVERIFY(!flag);

        addSale("S1", "WIDGET", QVariant());
        exec("DROP TABLE Email");
        messages().answer(vbmsg::OK, "An error occurred opening database.");
        flag = true;
        QCOMPARE(emails.GetEmail("S1", 17, "WIDGET", "", flag), CrLf);
        QVERIFY(!flag);
    }

    // ---- wrapping ----

    void wrapText_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("wrapped");
        QTest::newRow("off") << 0 << "one two three four five six" << "one two three four five six";
        QTest::newRow("negative is off") << -5 << "one two three" << "one two three";
        QTest::newRow("short text gains CR LF") << 20 << "short" << "short\r\n";
        QTest::newRow("exactly the width") << 5 << "abcde\r\n" << "abcde\r\n";
        QTest::newRow("45 characters of short words") << 20 << "one two three four five six seven eight nine"
                                                       << "one two three four\r\nfive six seven eight\r\nnine\r\n";
        QTest::newRow("30-character word") << 20 << "abcdefghijklmnopqrstuvwxyz1234" << "abcdefghijklmnopqrstuvwxyz1234\r\n";
        QTest::newRow("second blank begins the next line") << 5 << "abcde  fgh" << "abcde\r\n fgh\r\n";
        QTest::newRow("each line on its own") << 10 << "short\r\nthis is a long line\r\n" << "short\r\nthis is a\r\nlong line\r\n";
        QTest::newRow("empty") << 10 << "" << "\r\n";
    }
    void wrapText()
    {
        QFETCH(int, width);
        QFETCH(QString, text);
        QFETCH(QString, wrapped);
        clsEmails::WrapText(text, width);
        QCOMPARE(text, wrapped);
    }

    // The configured width wraps the message after its codes; the subject never.
    void getEmailWraps()
    {
        addSale("S1", "WIDGET", QVariant());
        ctx().gConfiguration.EmailWrap = 10;
        QCOMPARE(compose("a subject longer than ten", "Your teapot [AUCTIONNUMBER] is on its way"),
                 "a subject longer than ten" + CrLf + "Your\r\nteapot S1\r\nis on its\r\nway\r\n");
    }

    // ---- addresses ----

    void getAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");
        QTest::newRow("plain") << "mere@example.co.nz" << "mere@example.co.nz";
        QTest::newRow("mailto") << "mailto:mere@example.co.nz" << "mere@example.co.nz";
        QTest::newRow("name and brackets") << "Mere O'Brien <mere@example.co.nz>" << "mere@example.co.nz";
        QTest::newRow("mailto with brackets") << "mailto:Mere <mere@example.co.nz>" << "mere@example.co.nz";
        QTest::newRow("no at sign") << "Mere <nobody>" << "Mere <nobody>";
        QTest::newRow("no at sign after mailto") << "mailto:nobody" << "nobody";
        QTest::newRow("> before <") << "a>b <c@example.co.nz" << "a>b <c@example.co.nz";
        QTest::newRow("> before < after mailto") << "mailto:x@y.nz> <z" << "mailto:x@y.nz> <z";
        QTest::newRow("< without >") << "Mere <mere@example.co.nz" << "Mere <mere@example.co.nz";
        QTest::newRow("first < and first >") << "A <a@x.nz> B <b@x.nz>" << "a@x.nz";
        QTest::newRow("empty brackets") << "mere@x.nz <>" << "";
        QTest::newRow("empty") << "" << "";
    }
    void getAddress()
    {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QCOMPARE(clsEmails::GetAddress(text), address);
    }

    // ---- the outbox ----

    void sendQueuesAndStartsTheSender()
    {
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        const QString body = "Hi Mere," + CrLf + CrLf + "Kiri's teapot is on its way.";
        QVERIFY(emails.Send("seller@example.co.nz", "mere@example.co.nz, o'brien@example.co.nz", "", "Kiri's teapot", body));
        QCOMPARE(outboxContents(),
                 QStringList{"seller@example.co.nz|mere@example.co.nz, o'brien@example.co.nz||Kiri's teapot|" + body});
        QCOMPARE(handOver(), QStringLiteral("Valid"));
        QCOMPARE(env->startedPrograms(), QStringList{clsEmails::EmailerPath()});
    }

    void ccMerge_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("cc");
        QTest::newRow("configured alone") << "" << "me@example.co.nz" << "me@example.co.nz";
        QTest::newRow("both") << "mum@example.co.nz" << "me@example.co.nz" << "mum@example.co.nz, me@example.co.nz";
        QTest::newRow("given alone") << "mum@example.co.nz" << "" << "mum@example.co.nz";
        QTest::newRow("neither") << "" << "" << "";
    }
    void ccMerge()
    {
        QFETCH(QString, given);
        QFETCH(QString, configured);
        QFETCH(QString, cc);
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        ctx().gConfiguration.EmailCC = configured;
        QVERIFY(emails.Send("seller@example.co.nz", "mere@example.co.nz", given, "Subject", "Body"));
        QCOMPARE(outboxRows().size(), 1);
        QCOMPARE(outboxRows().first().section(u'|', 3, 3), cc);
    }

    void twoSendsTwoRows()
    {
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        QVERIFY(emails.Send("s@x.nz", "a@x.nz", "", "One", "First"));
        QVERIFY(emails.Send("s@x.nz", "b@x.nz", "", "Two", "Second"));
        QCOMPARE(outboxContents(), (QStringList{"s@x.nz|a@x.nz||One|First", "s@x.nz|b@x.nz||Two|Second"}));
        QCOMPARE(env->startedPrograms().size(), 2);
    }

    // A line break in a header would let the text add headers of its own.
    void headerInjectionRefused_data()
    {
        QTest::addColumn<int>("field");  // 0 From, 1 To, 2 CC, 3 Subject, 4 configured CC
        QTest::addColumn<QString>("breakText");
        QTest::newRow("From CR LF") << 0 << "\r\n";
        QTest::newRow("To LF") << 1 << "\n";
        QTest::newRow("CC CR") << 2 << "\r";
        QTest::newRow("Subject CR LF") << 3 << "\r\nBcc: victim@example.com";
        QTest::newRow("configured CC LF") << 4 << "\n";
    }
    void headerInjectionRefused()
    {
        QFETCH(int, field);
        QFETCH(QString, breakText);
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        QStringList values{"s@x.nz", "a@x.nz", "c@x.nz", "Subject", "me@x.nz"};
        values[field] += breakText;
        ctx().gConfiguration.EmailCC = values[4];
        messages().answer(vbmsg::OK, SendFailed);
        QVERIFY(!emails.Send(values[0], values[1], values[2], values[3], "Body" + CrLf + "lines are fine here"));
        QVERIFY(messages().prompts().first().text.contains("line break"));
        QCOMPARE(outboxRows(), QStringList());
        QCOMPARE(env->startedPrograms(), QStringList());
        QCOMPARE(handOver(), QString());

        // Quietly when asked.
        QVERIFY(!emails.Send(values[0], values[1], values[2], values[3], "Body", true));
        QCOMPARE(messages().prompts().size(), 1);
    }

    void missingOutbox_data()
    {
        QTest::addColumn<bool>("noErrorMessage");
        QTest::newRow("said") << false;
        QTest::newRow("quiet") << true;
    }
    void missingOutbox()
    {
        QFETCH(bool, noErrorMessage);
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        QVERIFY(QFile::remove(clsEmails::OutboxPath()));
        if (!noErrorMessage) messages().answer(vbmsg::OK, SendFailed);
        QVERIFY(!emails.Send("s@x.nz", "a@x.nz", "", "Subject", "Body", noErrorMessage));
        if (!noErrorMessage) {
            QCOMPARE(messages().prompts().first().style, int(vbmsg::Critical));
            QVERIFY(messages().prompts().first().text.startsWith(
                SendFailed + CrLf + CrLf + "Check you are connected to the internet and your email set-up is correct." + CrLf + CrLf +
                "Error message received:" + CrLf));
        }
        QCOMPARE(env->startedPrograms(), QStringList());
        QCOMPARE(handOver(), QString());
        QVERIFY(!QFile::exists(clsEmails::OutboxPath()));
    }

    // The sender holds the outbox: nothing is queued and nothing started.
    void lockedOutbox()
    {
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        ReadLock lock(clsEmails::OutboxPath());
        QVERIFY(lock.held());
        messages().answer(vbmsg::OK, SendFailed);
        QVERIFY(!emails.Send("s@x.nz", "a@x.nz", "", "Subject", "Body"));
        QVERIFY(messages().prompts().first().text.contains("locked"));
        lock.release();
        QCOMPARE(outboxRows(), QStringList());
        QCOMPARE(env->startedPrograms(), QStringList());
    }

    // A sender that does not start: the e-mail just queued is taken back out,
    // so false means nothing was queued; the ones queued before stay.
    void senderStartFails_data()
    {
        QTest::addColumn<bool>("programMissing");
        QTest::newRow("program missing") << true;
        QTest::newRow("start refused") << false;
    }
    void senderStartFails()
    {
        QFETCH(bool, programMissing);
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        QVERIFY(emails.Send("s@x.nz", "a@x.nz", "", "Earlier", "Queued"));
        if (programMissing) QVERIFY(QFile::remove(clsEmails::EmailerPath()));
        else env->setProgramStartSucceeds(false);
        messages().answer(vbmsg::OK, "could not be started");
        QVERIFY(!emails.Send("s@x.nz", "b@x.nz", "", "Later", "Not queued"));
        QCOMPARE(outboxContents(), QStringList{"s@x.nz|a@x.nz||Earlier|Queued"});
        QCOMPARE(env->startedPrograms().size(), 2);

        // The next e-mail that starts the sender queues normally.
        env->setProgramStartSucceeds(true);
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        QVERIFY(emails.Send("s@x.nz", "b@x.nz", "", "Again", "Queued"));
        QCOMPARE(outboxRows().size(), 2);
    }

    // The shipped outbox: both tables, an empty outbox, empty text accepted.
    void shippedOutbox()
    {
        Connection outbox;
        QVERIFY2(outbox.Open(clsEmails::OutboxPath()), qPrintable(outbox.lastError()));
        QCOMPARE(outbox.TableColumns("outbox"), (QStringList{"AutoId", "From", "To", "CC", "Subject", "TextBody"}));
        QCOMPARE(outbox.TableColumns("emailForm"), QStringList{"FormHTML"});
        QCOMPARE(outbox.Scalar("SELECT COUNT(*) FROM outbox").toInt(), 0);
        outbox.Close();
        QVERIFY(TestEnvironment::placeProgram(clsEmails::EmailerPath()));
        QVERIFY(emails.Send("", "", "", "", ""));
        QCOMPARE(outboxContents(), QStringList{"||||"});
    }
};

VENDARO_TEST_MAIN(tst_emails)
#include "tst_emails.moc"
