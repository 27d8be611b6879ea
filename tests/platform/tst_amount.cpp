// Amounts as the windows show and read them: one reader for every use, so a
// grouped display reads back as itself, "1,500" is never 1 and a text that
// holds no amount is refused rather than read as 0.

#include "TestEnvironment.h"
#include "platform/AmountEdit.h"
#include "platform/AmountText.h"

#include <QSignalSpy>

class tst_amount : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "12.5" << true << 12.5;
        QTest::newRow("grouped display") << "1,234.00" << true << 1234.0;
        QTest::newRow("millions") << "1,234,567.89" << true << 1234567.89;
        QTest::newRow("dollar sign and blanks") << " $ 45.50 " << true << 45.5;
        QTest::newRow("negative") << "-3.25" << true << -3.25;
        QTest::newRow("negative dollars") << "-$3" << true << -3.0;
        QTest::newRow("dollar then minus") << "$-3" << true << -3.0;
        QTest::newRow("whole") << "7" << true << 7.0;
        QTest::newRow("point first") << ".5" << true << 0.5;
        QTest::newRow("zero") << "0.00" << true << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("text") << "abc" << false << 0.0;
        QTest::newRow("leading digits only are not enough") << "12abc" << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("comma at the end") << "1234," << false << 0.0;
        QTest::newRow("comma after the point") << "12.3,4" << false << 0.0;
        QTest::newRow("exponent") << "1e3" << false << 0.0;
        QTest::newRow("point alone") << "." << false << 0.0;
        QTest::newRow("too large") << QString(400, u'9') << false << 0.0;
        QTest::newRow("thousands without decimals") << "1,500" << true << 1500.0;
        QTest::newRow("export with a separator") << "1,200.50" << true << 1200.5;
        QTest::newRow("point without decimals") << "12." << true << 12.0;
        QTest::newRow("blanks only") << "   " << false << 0.0;
        QTest::newRow("dollar alone") << "$" << false << 0.0;
        QTest::newRow("minus alone") << "-" << false << 0.0;
        QTest::newRow("decimal comma is no grouping") << "1,5" << false << 0.0;
        QTest::newRow("group of two") << "12,34" << false << 0.0;
        QTest::newRow("group of four") << "1,2345" << false << 0.0;
        QTest::newRow("grouping after four digits") << "1234,567" << false << 0.0;
        QTest::newRow("blank between groups") << "1 500" << false << 0.0;
        QTest::newRow("two dollar signs") << "$$5" << false << 0.0;
        QTest::newRow("digits of another script") << QString::fromUtf8("\u0661\u0662") << false << 0.0;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        bool got = !ok;
        QCOMPARE(AmountText::parse(text, &got), value);
        QCOMPARE(got, ok);
    }

    // Read by its leading number, as the windows read what a seller types:
    // words may follow the amount, a number cut short may not.
    void parseLeading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("whole amount") << "1,234.50" << true << 1234.5;
        QTest::newRow("thousands") << "1,500" << true << 1500.0;
        QTest::newRow("letters after") << "12abc" << true << 12.0;
        QTest::newRow("words after") << "15 dollars" << true << 15.0;
        QTest::newRow("dollar sign first") << "$1,500 firm" << true << 1500.0;
        QTest::newRow("comma after the decimals") << "5.50, tracked" << true << 5.5;
        QTest::newRow("negative") << "-5" << true << -5.0;
        QTest::newRow("no number") << "abc" << false << 0.0;
        QTest::newRow("words first") << "about 12" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("decimal comma") << "1,5" << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("blank between groups") << "1 500" << false << 0.0;
        QTest::newRow("digits later in the words") << "12 for 2" << false << 0.0;
        QTest::newRow("exponent") << "1e3" << false << 0.0;
    }
    void parseLeading()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        bool got = !ok;
        QCOMPARE(AmountText::parse(text, &got, AmountText::Reading::Leading), value);
        QCOMPARE(got, ok);
    }

    void formatReadsBack_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << 0.0 << "0.00";
        QTest::newRow("cents") << 12.5 << "12.50";
        QTest::newRow("grouped") << 1234.0 << "1,234.00";
        QTest::newRow("negative") << -1234.5 << "-1,234.50";
    }
    void formatReadsBack()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        QCOMPARE(AmountText::format(value), shown);
        QCOMPARE(AmountText::parse(shown), value);
    }

    // Leaving the field shows two decimals; what holds no amount stays as
    // typed, for the window to refuse, and is never shown as 0.
    void fieldTidiesOnLeaving_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("holdsAmount");
        QTest::addColumn<double>("value");
        QTest::newRow("amount") << "12.5" << "12.50" << true << 12.5;
        QTest::newRow("grouped") << "2500" << "2,500.00" << true << 2500.0;
        QTest::newRow("thousands typed") << "1,500" << "1,500.00" << true << 1500.0;
        QTest::newRow("leading number") << "12abc" << "12.00" << true << 12.0;
        QTest::newRow("text") << "abc" << "abc" << false << 0.0;
        QTest::newRow("decimal comma") << "1,5" << "1,5" << false << 0.0;
        QTest::newRow("empty") << "" << "0.00" << true << 0.0;
    }
    void fieldTidiesOnLeaving()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, holdsAmount);
        QFETCH(double, value);
        QWidget window;
        auto* field = new AmountEdit(&window);
        auto* other = new QLineEdit(&window);
        window.show();
        QSignalSpy left(field, &AmountEdit::left);
        field->setFocus();
        field->setText(typed);
        other->setFocus();
        field->clearFocus();
        if (left.isEmpty()) field->tidy();
        QCOMPARE(field->text(), shown);
        QCOMPARE(field->holdsAmount(), holdsAmount);
        QCOMPARE(field->value(), value);
    }
};

VENDARO_TEST_MAIN(tst_amount)
#include "tst_amount.moc"
