// The sale editor's window-free rules: the save's checks in their order, the
// capitals of a name and the site's address labels.

#include "TestEnvironment.h"
#include "records/SaleRules.h"

Q_DECLARE_METATYPE(SaleRules::Check)

namespace {
// A sale that passes every rule: step 2 due, a buyer with e-mail, a winning bid.
SaleRules::Check good()
{
    SaleRules::Check c;
    c.step = 2;
    c.stepText = "Send winning bidder email";
    c.nextActionDate = true;
    c.customerId = "o'brien_fan";
    c.email = "mere@example.co.nz";
    c.name = "Mere O'Brien";
    c.address = "3 Main Road";
    c.winningBid = 25;
    return c;
}
}  // namespace

class tst_salerules : public QObject {
    Q_OBJECT
private slots:
    void validate_data()
    {
        QTest::addColumn<SaleRules::Check>("check");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("ask");
        SaleRules::Check c = good();
        QTest::newRow("all good") << c << "" << false;

        c = good(); c.nextActionDate = false;
        QTest::newRow("no next-action date") << c << "Please set the next action date." << false;
        c = good(); c.step = 15; c.stepText = "Completed"; c.nextActionDate = false;
        QTest::newRow("completed needs no date") << c << "" << false;

        c = good(); c.customerId.clear();
        QTest::newRow("name without buyer id") << c << "Please set the Buyer Id." << false;
        c = good(); c.email.clear();
        QTest::newRow("name without e-mail") << c << "Please set the buyer email address." << false;
        c = good(); c.name.clear(); c.address.clear(); c.email.clear();
        QTest::newRow("buyer id without e-mail") << c << "Please set the buyer email address." << false;
        c = good(); c.name.clear(); c.address.clear(); c.customerId.clear();
        QTest::newRow("e-mail without buyer id") << c << "Please set the Buyer Id." << false;
        c = good(); c.name.clear(); c.address.clear(); c.customerId.clear(); c.email.clear(); c.step = 1; c.winningBid = 0;
        QTest::newRow("no buyer at all") << c << "" << false;

        c = good(); c.step = 3; c.stepText.clear();
        QTest::newRow("step without an entry") << c << "Please set the next action." << false;
        c = good(); c.datePaid = true;
        QTest::newRow("paid without method") << c << "Please set the payment method." << false;
        c = good(); c.step = 12; c.stepText = "Send shipped email";
        QTest::newRow("step 12 unpaid") << c
                                        << "Cannot have a next action of Send shipped email when date paid is not set.\r\n\r\nSet the payment date or change the next action."
                                        << false;
        c = good(); c.step = 10; c.stepText = "Payment received email"; c.datePaid = true; c.payId = "BANK";
        QTest::newRow("step 10 paid") << c << "" << false;
        c = good(); c.name.clear(); c.address.clear(); c.customerId.clear(); c.email.clear(); c.dateSent = true;
        QTest::newRow("shipped without buyer") << c << "Please set the buyer details." << false;
        c = good(); c.name.clear(); c.address.clear(); c.customerId.clear(); c.email.clear(); c.step = 1; c.winningBid = 0;
        c.nonAuction = true; c.adding = true;
        QTest::newRow("outside the site, added without buyer") << c << "Please set the buyer details." << false;
        c.adding = false;
        QTest::newRow("outside the site, edited without buyer") << c << "" << false;
        c = good(); c.winningBid = 0;
        QTest::newRow("zero bid asks") << c << "Please set the winning bid amount." << true;
        c = good(); c.winningBid = 0; c.step = 15; c.stepText = "Completed";
        QTest::newRow("zero bid completed") << c << "" << false;
        c = good(); c.winningBid = 0; c.step = 1; c.stepText = "Auction running";
        QTest::newRow("zero bid running") << c << "" << false;
        // The first failing rule decides.
        c = good(); c.nextActionDate = false; c.customerId.clear(); c.winningBid = 0;
        QTest::newRow("order") << c << "Please set the next action date." << false;
    }
    void validate()
    {
        QFETCH(SaleRules::Check, check);
        QFETCH(QString, message);
        QFETCH(bool, ask);
        const SaleRules::Verdict v = SaleRules::Validate(check);
        QCOMPARE(v.message, message);
        QCOMPARE(v.askZeroBid, ask);
    }

    void properCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("capitals") << "MERE O'BRIEN" << "Mere O'brien";
        QTest::newRow("lower case") << "hemi walker" << "Hemi Walker";
        QTest::newRow("one word keeps its case") << "mCdONALD" << "mCdONALD";
        QTest::newRow("two blanks") << "ana  lee" << "Ana  Lee";
        QTest::newRow("trailing blank") << "ana lee " << "Ana Lee ";
        QTest::newRow("leading blank") << " ana lee" << " Ana Lee";
        QTest::newRow("empty") << "" << "";
    }
    void properCase()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(SaleRules::ProperCaseName(name), expected);
    }

    void siteAddressLabels_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::newRow("all labels") << "ADDRESS : 12 Kauri St\r\nCITY : Auckland\r\nSTATE : Auckland\r\nZIP :1010\r\nCOUNTRY : New Zealand"
                                    << "12 Kauri St\r\nAuckland\r\nAuckland1010\r\nNew Zealand";
        QTest::newRow("no country: nothing cut") << "ADDRESS : 12 Kauri St\r\nCITY : Auckland" << "ADDRESS : 12 Kauri St\r\nCITY : Auckland";
        QTest::newRow("first of each only") << "CITY : A\r\nCITY : B\r\nCOUNTRY : NZ" << "A\r\nCITY : B\r\nNZ";
        QTest::newRow("lower case is not a label") << "city : A\r\nCOUNTRY : NZ" << "city : A\r\nNZ";
    }
    void siteAddressLabels()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, kept);
        QCOMPARE(SaleRules::StripSiteAddressLabels(pasted), kept);
    }
};

VENDARO_TEST_MAIN(tst_salerules)
#include "tst_salerules.moc"
