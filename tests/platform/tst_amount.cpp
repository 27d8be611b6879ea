// Amounts as the windows show and read them: one reader for every use, so a
// grouped display reads back as itself.

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

    // Leaving the field shows two decimals, or "0" for what is not an amount.
    void fieldTidiesOnLeaving_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("amount") << "12.5" << "12.50";
        QTest::newRow("grouped") << "2500" << "2,500.00";
        QTest::newRow("text") << "abc" << "0";
        QTest::newRow("empty") << "" << "0";
    }
    void fieldTidiesOnLeaving()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
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
        QCOMPARE(field->value(), AmountText::parse(shown));
    }
};

VENDARO_TEST_MAIN(tst_amount)
#include "tst_amount.moc"
