#include "TestEnvironment.h"
#include "platform/Vb.h"

#include <QPalette>

class tst_vb : public QObject {
    Q_OBJECT
private:
    // 2024-03-05 (a Tuesday) 14:07:09
    static double sample() { return 45356 + (14 * 3600 + 7 * 60 + 9) / 86400.0; }

private slots:
    void oleDates_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<QDateTime>("dateTime");
        QTest::newRow("day 0") << 0.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
        QTest::newRow("day 2") << 2.0 << QDateTime(QDate(1900, 1, 1), QTime(0, 0));
        QTest::newRow("2000") << 36526.0 << QDateTime(QDate(2000, 1, 1), QTime(0, 0));
        QTest::newRow("noon") << 45000.5 << QDateTime(QDate(2023, 3, 15), QTime(12, 0));
        QTest::newRow("quarter day") << 45356.25 << QDateTime(QDate(2024, 3, 5), QTime(6, 0));
        QTest::newRow("before day 0") << -1.25 << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
    }
    void oleDates()
    {
        QFETCH(double, serial);
        QFETCH(QDateTime, dateTime);
        QCOMPARE(vb::fromOleDate(serial), dateTime);
        QCOMPARE(vb::toOleDate(dateTime), serial);
    }

    void oleDateRoundTripKeepsSeconds()
    {
        const QDateTime dt(QDate(2025, 11, 30), QTime(23, 59, 59));
        QCOMPARE(vb::fromOleDate(vb::toOleDate(dt)), dt);
        // One second as the program writes it: 0.0000115 day.
        QCOMPARE(vb::dateText(45356 + 0.0000115), QStringLiteral("5/03/2024 12:00:01 AM"));
        QCOMPARE(vb::today(), vb::Int(vb::now()));
    }

    void intFixAndRounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<double>("rounded");
        QTest::newRow("half to even 0") << 0.5 << 0 << 0.0;
        QTest::newRow("half to even 2") << 1.5 << 0 << 2.0;
        QTest::newRow("half to even 2 from 2.5") << 2.5 << 0 << 2.0;
        QTest::newRow("negative half") << -2.5 << 0 << -2.0;
        QTest::newRow("below half") << 2.4 << 0 << 2.0;
        QTest::newRow("above half") << 2.6 << 0 << 3.0;
        QTest::newRow("two places, even") << 0.125 << 2 << 0.12;
        QTest::newRow("two places, odd") << 0.375 << 2 << 0.38;
    }
    void intFixAndRounding()
    {
        QFETCH(double, value);
        QFETCH(int, digits);
        QFETCH(double, rounded);
        QCOMPARE(vb::roundHalfEven(value, digits), rounded);
        QCOMPARE(vb::Int(value), std::floor(value));
        QCOMPARE(vb::Fix(value), std::trunc(value));
        QCOMPARE(vb::Int(-1.5), -2.0);
        QCOMPARE(vb::Fix(-1.5), -1.0);
    }

    void val_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("isNumber");
        QTest::newRow("leading number") << "123abc" << 123.0 << true;
        QTest::newRow("blanks ignored") << "  12 34" << 1234.0 << true;
        QTest::newRow("negative decimal") << "-5.5kg" << -5.5 << true;
        QTest::newRow("plus sign") << "+7" << 7.0 << true;
        QTest::newRow("currency sign") << "$5" << 0.0 << false;
        QTest::newRow("empty") << "" << 0.0 << false;
        QTest::newRow("exponent") << "1e3" << 1000.0 << true;
        QTest::newRow("bare exponent") << "1e" << 1.0 << true;
        QTest::newRow("hex") << "&HFF" << 255.0 << true;
        QTest::newRow("octal") << "&O17" << 15.0 << true;
        QTest::newRow("leading point") << ".5" << 0.5 << true;
        QTest::newRow("second point stops") << "1.2.3" << 1.2 << true;
        QTest::newRow("stops at CR") << "12\r\n3" << 12.0 << true;
        QTest::newRow("text") << "abc" << 0.0 << false;
        QTest::newRow("hex beyond any number") << "&H" + QString(300, u'F') << 0.0 << false;
        QTest::newRow("exponent beyond any number") << "1e400" << 0.0 << false;
    }
    void val()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, isNumber);
        bool found = !isNumber;
        QCOMPARE(vb::Val(text, &found), value);
        QCOMPARE(found, isNumber);
    }

    void formatNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::newRow("money") << 5.0 << "$0.00" << "$5.00";
        QTest::newRow("negative money") << -5.0 << "$0.00" << "-$5.00";
        QTest::newRow("zero money") << 0.0 << "$0.00" << "$0.00";
        QTest::newRow("no grouping") << 1234.5 << "$0.00" << "$1234.50";
        QTest::newRow("decimal half up") << 2.675 << "0.00" << "2.68";
        QTest::newRow("exact half up") << 0.125 << "0.00" << "0.13";
        QTest::newRow("carry") << 99.995 << "0.00" << "100.00";
        QTest::newRow("tiny") << 0.004 << "0.00" << "0.00";
        QTest::newRow("tiny negative loses sign") << -0.004 << "0.00" << "0.00";
        QTest::newRow("one place") << 0.05 << "0.0" << "0.1";
        QTest::newRow("suffix") << 12.3 << "0.00 cm" << "12.30 cm";
        QTest::newRow("grouping") << 1234567.891 << "#,##0.00" << "1,234,567.89";
        QTest::newRow("whole, half away from zero") << 2.5 << "0" << "3";
        QTest::newRow("large") << 1e20 << "0" << "100000000000000000000";
    }
    void formatNumber()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(vb::formatNumber(value, pattern), text);
    }

    void formatDate_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        const double s = sample();
        QTest::newRow("history date") << s << "d/mm/yyyy" << "5/03/2024";
        QTest::newRow("history time") << s << "h:mm ampm" << "2:07 PM";
        QTest::newRow("list date") << s << "ddd d mmm h:mm ampm" << "Tue 5 Mar 2:07 PM";
        QTest::newRow("day month year") << s << "d mmm yyyy" << "5 Mar 2024";
        QTest::newRow("month first") << s << "mmm d yyyy h:mm ampm" << "Mar 5 2024 2:07 PM";
        QTest::newRow("month first numeric") << s << "m/d/yyyy hh:mm:ss" << "3/5/2024 14:07:09";
        QTest::newRow("padded") << s << "dd/mm/yyyy" << "05/03/2024";
        QTest::newRow("unpadded month, minutes after hour") << s << "d/m/yyyy h:mm ampm" << "5/3/2024 2:07 PM";
        QTest::newRow("long names") << s << "dddd, mmmm d" << "Tuesday, March 5";
        QTest::newRow("day and month") << s << "ddd d mmm" << "Tue 5 Mar";
        QTest::newRow("midnight hour") << 45356 + 5 / 1440.0 << "h:mm AM/PM" << "12:05 AM";
        QTest::newRow("lower-case marker") << 45356 + 5 / 1440.0 << "h:mm am/pm" << "12:05 am";
        QTest::newRow("noon") << 45356.5 << "h:mm ampm" << "12:00 PM";
        QTest::newRow("minutes before seconds") << s << "mm:ss" << "07:09";
        // Before day 0 the time still counts forward from the day's start.
        QTest::newRow("before 1899, rounds up to midnight") << -5.9999999 << "d/mm/yyyy h:mm:ss" << "26/12/1899 0:00:00";
        QTest::newRow("before 1899, late evening") << -5.9999 << "d/mm/yyyy h:mm:ss" << "25/12/1899 23:59:51";
        QTest::newRow("day 0, rounds up to midnight") << -0.9999999 << "d/mm/yyyy" << "31/12/1899";
        // No such date: no text, never a name from outside the tables.
        QTest::newRow("far future") << 1e15 << "d mmm yyyy" << "";
        QTest::newRow("far past") << -1e15 << "dddd mmmm yyyy" << "";
        QTest::newRow("just past the last day") << vb::maxDate + 1 << "d mmm yyyy" << "";
        QTest::newRow("last second of the last day") << vb::maxDate + 86399 / 86400.0 << "d mmm yyyy" << "31 Dec 9999";
        QTest::newRow("rounds past the last day") << vb::maxDate + 0.9999999 << "d mmm yyyy" << "";
        QTest::newRow("not a number") << std::nan("") << "d mmm yyyy" << "";
        QTest::newRow("infinite") << HUGE_VAL << "d mmm yyyy" << "";
    }
    void formatDate()
    {
        QFETCH(double, serial);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(vb::formatDate(serial, pattern), text);
    }

    void dateText_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<QString>("text");
        QTest::newRow("date only") << 45356.0 << "5/03/2024";
        QTest::newRow("date and time") << 45356.5 << "5/03/2024 12:00:00 PM";
        QTest::newRow("afternoon") << sample() << "5/03/2024 2:07:09 PM";
        QTest::newRow("time only") << 0.25 << "6:00:00 AM";
        QTest::newRow("zero") << 0.0 << "12:00:00 AM";
        QTest::newRow("year before 1000") << vb::toOleDate(QDate(999, 3, 4)) << "4/03/999";
        QTest::newRow("first day there is") << vb::minDate << "1/01/100";
    }
    void dateText()
    {
        QFETCH(double, serial);
        QFETCH(QString, text);
        QCOMPARE(vb::dateText(serial), text);
        double parsed = -1;
        QVERIFY(vb::parseDateText(text, &parsed));
        QVERIFY(std::fabs(parsed - serial) < 0.5 / 86400);
    }

    void parseDateText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("serial");
        QTest::newRow("24-hour time") << "13:30" << true << 0.5625;
        QTest::newRow("midnight marker") << "12:00 AM" << true << 0.0;
        QTest::newRow("two-digit year") << "5/03/24" << true << 45356.0;
        QTest::newRow("no such month") << "17/13/2024" << false << 0.0;
        QTest::newRow("hour 13 with marker") << "13:00 PM" << false << 0.0;
        QTest::newRow("not a date") << "abc" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("before the first day") << "31/12/99" << true << 36525.0;
        QTest::newRow("year 99 written in full") << "31/12/0099" << false << 0.0;
    }
    void parseDateText()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, serial);
        double parsed = -1;
        QCOMPARE(vb::parseDateText(text, &parsed), ok);
        if (ok) QCOMPARE(parsed, serial);
    }

    void twips_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("one pixel") << 15.0 << 1;
        QTest::newRow("rounds down") << 7.0 << 0;
        QTest::newRow("rounds up") << 8.0 << 1;
        QTest::newRow("message width") << 6500.0 << 433;
        QTest::newRow("window width") << 11500.0 << 767;
    }
    void twips()
    {
        QFETCH(double, twips);
        QFETCH(int, pixels);
        QCOMPARE(vb::twipsToPixels(twips), pixels);
        QCOMPARE(vb::pixelsToTwips(pixels), pixels * 15.0);
    }

    void colours_data()
    {
        QTest::addColumn<qint64>("vbColor");
        QTest::addColumn<QColor>("color");
        const QPalette pal = QGuiApplication::palette();
        QTest::newRow("red is the low byte") << qint64(0x0000FF) << QColor(255, 0, 0);
        QTest::newRow("blue is the high byte") << qint64(0xFF0000) << QColor(0, 0, 255);
        QTest::newRow("yellow") << qint64(0x00FFFF) << QColor(255, 255, 0);
        QTest::newRow("light green") << qint64(0x80FF80) << QColor(0x80, 0xFF, 0x80);
        QTest::newRow("window background") << qint64(0x80000005) << pal.color(QPalette::Base);
        QTest::newRow("window text") << qint64(0x80000008) << pal.color(QPalette::Text);
        QTest::newRow("highlight") << qint64(0x8000000D) << pal.color(QPalette::Highlight);
        QTest::newRow("button face as a negative Long") << qint64(qint32(0x8000000F)) << pal.color(QPalette::Button);
    }
    void colours()
    {
        QFETCH(qint64, vbColor);
        QFETCH(QColor, color);
        QCOMPARE(vb::color(vbColor), color);
    }
};

VENDARO_TEST_MAIN(tst_vb)
#include "tst_vb.moc"
