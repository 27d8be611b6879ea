// The relist options dialog offscreen on a caller's options list: the OK
// checks and what OK stores, how an entry opens (prices, a duration never
// downloaded, an end time off the quarter hours, the features), the days and
// end date following each other only on the seller's change, and what Cancel,
// Escape and the close box leave in the list.

#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/clsRelistOptions.h"
#include "automation/frmRelistDetail.h"
#include "core/ProgramContext.h"
#include "ModalDriver.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <memory>
#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
// Tuesday 14 April 2026, 10:30 in the morning.
const QDateTime Now(QDate(2026, 4, 14), QTime(10, 30));
double timeOf(int h, int m) { return (h * 60 + m) / 1440.0; }

const QString Rule1 = QStringLiteral("The Start price must be at least 10% of the Reserve.");
const QString Rule2 = QStringLiteral("The Buy Now price must be equal or greater than the Reserve.");
const QString Rule3 = QStringLiteral("The Reserve price must be equal or greater than the Start Price.");
const QString Rule4 = QStringLiteral("The Start Price must be at least 50c");
const QString Rule5 = QStringLiteral("Fixed length auctions must be 1-7 days or 10 days, only scheduled end time auctions can be 8 or 9 days.");
const QString Rule6 = QStringLiteral("Your auction end time for a 10 day auction cannot be later than the current time (10:30 AM)") + CrLf + CrLf +
                      QStringLiteral("Select a time before the current time or select fewer days.");

// An entry as "title|start|reserve|buy-now|fixed|days|hh:mm|features".
QString entry(const clsRelistOptions& list, int i)
{
    const QVariant buyNow = list.BuyNowPrice(i);
    const int minutes = int(std::lround(list.DurationTime(i) * 1440));
    return QStringList{list.Title(i),
                       QString::number(list.StartPrice(i)),
                       QString::number(list.ReservePrice(i)),
                       buyNow.isNull() ? QStringLiteral("<Null>") : QString::number(buyNow.toDouble()),
                       list.DurationFixed(i),
                       QString::number(list.DurationDays(i)),
                       QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0')),
                       list.ExtraFeatures(i)}
        .join('|');
}
}  // namespace

class tst_relistdetail : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    clsRelistOptions list;

    ScriptedMessages& messages() { return env->messages(); }

    // The caller's visit: an earlier entry, then the one appended for the dialog.
    void addEntry(double start = 5, double reserve = 10, const QVariant& buyNow = QVariant(), bool fixed = true, int days = 7,
                  double time = 0, const QString& features = ",Gallery,")
    {
        list.Add("4711", "W1", "Blue widget", start, reserve, buyNow, fixed, qint16(days), time, features, 1);
    }
    std::unique_ptr<frmRelistDetail> open()
    {
        auto w = std::make_unique<frmRelistDetail>(&list);
        w->show();
        return w;
    }
    static void choose(QComboBox* combo, const QString& text)
    {
        const int i = combo->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        combo->setCurrentIndex(i);
    }
    static QStringList features(const frmRelistDetail& w)
    {
        QStringList ticked;
        for (int i = 0; i < 5; ++i)
            if (w.extraFeature(i)->isChecked()) ticked << w.extraFeature(i)->text();
        return ticked;
    }

private slots:
    void initTestCase() { AutomationForms::Register(); }

    void init()
    {
        env.emplace();
        vb::setClock(Now);
        list = clsRelistOptions();
        list.Add("100", "OLD", "Earlier entry", 1, 1, QVariant(), true, 3, 0, ",", 1);
    }

    void cleanup()
    {
        vb::setClock(QDateTime());
        env.reset();
    }

    // OK through the real dialog: only the last failing rule's message, or
    // the values stored in the entry.
    void okChecks_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("reserve");
        QTest::addColumn<QString>("buyNow");
        QTest::addColumn<bool>("scheduled");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("endTime");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("stored");  // start|reserve|buy-now|fixed|days|hh:mm

        QTest::newRow("start a tenth of the reserve") << "1" << "10" << "" << false << 7 << "" << "" << "1|10|0|True|7|00:00";
        QTest::newRow("start below a tenth") << "0.99" << "10" << "" << false << 7 << "" << Rule1 << "";
        QTest::newRow("buy-now below the reserve") << "5" << "10" << "8" << false << 7 << "" << Rule2 << "";
        QTest::newRow("reserve empty") << "1" << "" << "" << false << 7 << "" << Rule3 << "";
        QTest::newRow("start of 40c") << "0.4" << "0.4" << "" << false << 7 << "" << Rule4 << "";
        // 0.4 of 10 fails rules 1, 2 and 4: the last one speaks.
        QTest::newRow("several failing, last is 4") << "0.4" << "10" << "5" << false << 7 << "" << Rule4 << "";
        QTest::newRow("several failing, last is 5") << "0.4" << "10" << "5" << false << 8 << "" << Rule5 << "";
        QTest::newRow("buy-now 0 is none") << "5" << "10" << "0" << false << 7 << "" << "" << "5|10|0|True|7|00:00";
        QTest::newRow("buy-now 0.00 is none") << "5" << "10" << "0.00" << false << 7 << "" << "" << "5|10|0|True|7|00:00";
        QTest::newRow("buy-now equal to the reserve") << "5" << "10" << "10" << false << 7 << "" << "" << "5|10|10|True|7|00:00";
        QTest::newRow("fixed 8 days") << "5" << "10" << "" << false << 8 << "" << Rule5 << "";
        QTest::newRow("fixed 9 days") << "5" << "10" << "" << false << 9 << "" << Rule5 << "";
        QTest::newRow("fixed 10 days") << "5" << "10" << "" << false << 10 << "" << "" << "5|10|0|True|10|00:00";
        QTest::newRow("scheduled 8 days") << "5" << "10" << "" << true << 8 << "11:45 PM" << "" << "5|10|0|False|8|23:45";
        QTest::newRow("scheduled 9 days") << "5" << "10" << "" << true << 9 << "6:00 AM" << "" << "5|10|0|False|9|06:00";
        QTest::newRow("10 days ending before now") << "5" << "10" << "" << true << 10 << "10:15 AM" << "" << "5|10|0|False|10|10:15";
        QTest::newRow("10 days ending now") << "5" << "10" << "" << true << 10 << "10:30 AM" << "" << "5|10|0|False|10|10:30";
        QTest::newRow("10 days ending after now") << "5" << "10" << "" << true << 10 << "10:45 AM" << Rule6 << "";
        QTest::newRow("9 days ending after now") << "5" << "10" << "" << true << 9 << "10:45 AM" << "" << "5|10|0|False|9|10:45";
        // Amounts as the windows write them, and a leading number.
        QTest::newRow("grouped reserve") << "150" << "1,500.00" << "$2,000" << false << 7 << "" << "" << "150|1500|2000|True|7|00:00";
        QTest::newRow("leading number") << "15 dollars" << "20" << "" << false << 7 << "" << "" << "15|20|0|True|7|00:00";
        QTest::newRow("thousands") << "1,500" << "2,000" << "" << false << 7 << "" << "" << "1500|2000|0|True|7|00:00";
        // A text that holds no amount is refused, never read as 0.
        QTest::newRow("no number") << "abc" << "" << "" << false << 7 << ""
                                   << "The start price \"abc\" is not an amount.  Type a number such as 1,250.00." << "";
        QTest::newRow("decimal comma") << "5" << "10,5" << "" << false << 7 << ""
                                       << "The reserve \"10,5\" is not an amount.  Type a number such as 1,250.00." << "";
        QTest::newRow("buy-now not an amount") << "5" << "10" << "lots" << false << 7 << ""
                                               << "The Buy It Now price \"lots\" is not an amount.  Type a number such as 1,250.00."
                                               << "";
        // A start of exactly a tenth of the reserve passes, counted in cents.
        QTest::newRow("0.70 of 7") << "0.70" << "7" << "" << false << 7 << "" << "" << "0.7|7|0|True|7|00:00";
        QTest::newRow("0.60 of 6") << "0.60" << "6" << "" << false << 7 << "" << "" << "0.6|6|0|True|7|00:00";
        QTest::newRow("1.20 of 12") << "1.20" << "12" << "" << false << 7 << "" << "" << "1.2|12|0|True|7|00:00";
        QTest::newRow("0.69 of 7") << "0.69" << "7" << "" << false << 7 << "" << Rule1 << "";
    }
    void okChecks()
    {
        QFETCH(QString, start);
        QFETCH(QString, reserve);
        QFETCH(QString, buyNow);
        QFETCH(bool, scheduled);
        QFETCH(int, days);
        QFETCH(QString, endTime);
        QFETCH(QString, message);
        QFETCH(QString, stored);

        addEntry();
        const QString before = entry(list, 2);
        auto w = open();
        w->startPrice()->setText(start);
        w->reservePrice()->setText(reserve);
        w->buyNowPrice()->setText(buyNow);
        if (scheduled) w->duration(1)->click();
        w->days()->setCurrentIndex(days - 1);
        if (!endTime.isEmpty()) choose(w->endTime(), endTime);

        if (!message.isEmpty()) messages().answer(vbmsg::OK);
        w->cmdOK_Click();
        QCOMPARE(list.Count(), 2);
        if (!message.isEmpty()) {
            QCOMPARE(messages().prompts().size(), 1);
            QCOMPARE(messages().prompts().last().text, message);
            QCOMPARE(messages().prompts().last().style, int(vbmsg::Exclamation));
            QCOMPARE(messages().prompts().last().title, ProgramContext::current().gAppTitle);
            QVERIFY(w->isVisible());  // the seller's input stays to be mended
            QCOMPARE(w->startPrice()->text(), start);
            QCOMPARE(entry(list, 2), before);
            return;
        }
        QVERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(entry(list, 2), "Blue widget|" + stored + "|,Gallery,");
        if (stored.section('|', 2, 2) == "0") QCOMPARE(w->buyNowPrice()->text(), QString());  // cleared before the checks
        QCOMPARE(list.Title(1), QStringLiteral("Earlier entry"));
    }

    // How an entry opens: prices, the duration and its end time, the features.
    void load_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("reserve");
        QTest::addColumn<QVariant>("buyNow");
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("time");
        QTest::addColumn<QString>("storedFeatures");
        QTest::addColumn<QString>("prices");      // start|reserve|buy-now boxes
        QTest::addColumn<QString>("duration");    // Fixed/Scheduled|days text|end date|end time ("" none)
        QTest::addColumn<int>("endTimes");        // entries in the end time list
        QTest::addColumn<QStringList>("ticked");

        const QString wed = QStringLiteral("Wed 15 Apr"), fri = QStringLiteral("Fri 17 Apr"), tue21 = QStringLiteral("Tue 21 Apr");
        QTest::newRow("fixed 7 days") << 5.0 << 12.5 << QVariant(30.0) << true << 7 << 0.0 << ",Gallery,Bold title,"
                                      << "5|12.5|30" << "Fixed|7 days|" + tue21 + "|" << 96 << QStringList{"Gallery", "Bold title"};
        QTest::newRow("never downloaded") << 0.0 << 0.0 << QVariant() << false << 0 << timeOf(9, 0) << ","
                                          << "||" << "Fixed|7 days|" + tue21 + "|" << 96 << QStringList{};
        QTest::newRow("more than 10 days") << -1.0 << 10.0 << QVariant(0.0) << true << 11 << 0.0 << ""
                                           << "|10|" << "Fixed|7 days|" + tue21 + "|" << 96 << QStringList{};
        QTest::newRow("scheduled on a quarter hour") << 1.0 << 1.0 << QVariant(-2.0) << false << 3 << timeOf(20, 30) << ",Feature combo,"
                                                     << "1|1|" << "Scheduled|3 days|" + fri + "|8:30 PM" << 96 << QStringList{"Feature combo"};
        QTest::newRow("scheduled at an odd minute") << 1.0 << 1.0 << QVariant() << false << 1 << timeOf(20, 37) << ",Homepage featured,Feature,"
                                                    << "1|1|" << "Scheduled|1 day|" + wed + "|8:37 PM" << 97
                                                    << QStringList{"Feature", "Homepage feature"};
        QTest::newRow("10 days") << 1.0 << 1.0 << QVariant() << false << 10 << timeOf(6, 0) << ","
                                 << "1|1|" << "Scheduled|10 days (fee charged)|Fri 24 Apr|6:00 AM" << 96 << QStringList{};
    }
    void load()
    {
        QFETCH(double, start);
        QFETCH(double, reserve);
        QFETCH(QVariant, buyNow);
        QFETCH(bool, fixed);
        QFETCH(int, days);
        QFETCH(double, time);
        QFETCH(QString, storedFeatures);
        QFETCH(QString, prices);
        QFETCH(QString, duration);
        QFETCH(int, endTimes);
        QFETCH(QStringList, ticked);

        addEntry(start, reserve, buyNow, fixed, days, time, storedFeatures);
        auto w = open();
        QCOMPARE(w->windowTitle(), QStringLiteral("Relist options"));
        QCOMPARE(w->findChild<QLineEdit*>("txtAuction")->text(), QStringLiteral("4711"));
        QCOMPARE(w->findChild<QLineEdit*>("txtItemId")->text(), QStringLiteral("W1"));
        QCOMPARE(w->title()->text(), QStringLiteral("Blue widget"));
        QCOMPARE(QStringList({w->startPrice()->text(), w->reservePrice()->text(), w->buyNowPrice()->text()}).join('|'), prices);
        const bool scheduled = w->duration(1)->isChecked();
        QCOMPARE(w->duration(0)->isChecked(), !scheduled);
        QCOMPARE(w->endTime()->isVisible(), scheduled);
        QCOMPARE(w->findChild<QLabel*>("lblDurationEndTime")->isVisible(), scheduled);
        QCOMPARE(QStringList({scheduled ? "Scheduled" : "Fixed", w->days()->currentText(), w->endDate()->currentText(),
                              w->endTime()->currentText()})
                     .join('|'),
                 duration);
        QCOMPARE(w->endTime()->count(), endTimes);
        QCOMPARE(features(*w), ticked);
        QCOMPARE(w->endDate()->count(), 10);
        QCOMPARE(w->endDate()->itemText(0), QStringLiteral("Wed 15 Apr"));
        QCOMPARE(w->days()->count(), 10);
    }

    // The end time list: the quarter hours, and an odd stored time in its
    // place, kept by OK to the minute.
    void oddEndTimeKept()
    {
        addEntry(5, 10, QVariant(), false, 9, timeOf(20, 37) + 25.0 / 86400);
        auto w = open();
        QCOMPARE(w->endTime()->itemText(82), QStringLiteral("8:30 PM"));
        QCOMPARE(w->endTime()->itemText(83), QStringLiteral("8:37 PM"));
        QCOMPARE(w->endTime()->itemText(84), QStringLiteral("8:45 PM"));
        QCOMPARE(w->endTime()->currentIndex(), 83);
        w->cmdOK_Click();
        QCOMPARE(entry(list, 2), QStringLiteral("Blue widget|5|10|0|False|9|20:37|,Gallery,"));
    }

    // The end time shows only for a scheduled end, which starts at 8:30 PM
    // when none was chosen; a fixed length stores no end time.
    void scheduledEndTime()
    {
        addEntry();
        auto w = open();
        QVERIFY(!w->endTime()->isVisible());
        QCOMPARE(w->endTime()->currentIndex(), -1);
        w->duration(1)->click();
        QVERIFY(w->endTime()->isVisible());
        QCOMPARE(w->endTime()->currentIndex(), 82);
        QCOMPARE(w->endTime()->currentText(), QStringLiteral("8:30 PM"));
        choose(w->endTime(), "7:15 AM");
        w->duration(0)->click();
        QVERIFY(!w->endTime()->isVisible());
        w->duration(1)->click();
        QCOMPARE(w->endTime()->currentText(), QStringLiteral("7:15 AM"));  // the seller's choice stays
        w->duration(0)->click();
        w->cmdOK_Click();
        QCOMPARE(entry(list, 2), QStringLiteral("Blue widget|5|10|0|True|7|00:00|,Gallery,"));
    }

    // Days and end date follow each other when the seller changes one, and
    // a change the program makes is not echoed.
    void daysAndEndDate()
    {
        addEntry();
        auto w = open();
        QCOMPARE(w->days()->currentIndex(), 6);
        QCOMPARE(w->endDate()->currentIndex(), 6);
        QTest::keyClick(w->days(), Qt::Key_Down);
        QCOMPARE(w->days()->currentIndex(), 7);
        QCOMPARE(w->endDate()->currentIndex(), 7);
        QCOMPARE(w->endDate()->currentText(), QStringLiteral("Wed 22 Apr"));
        QTest::keyClick(w->endDate(), Qt::Key_Up);
        QTest::keyClick(w->endDate(), Qt::Key_Up);
        QCOMPARE(w->endDate()->currentIndex(), 5);
        QCOMPARE(w->days()->currentIndex(), 5);
        w->days()->setCurrentIndex(1);
        QCOMPARE(w->endDate()->currentIndex(), 5);
        w->endDate()->setCurrentIndex(9);
        QCOMPARE(w->days()->currentIndex(), 1);
        // The days are what OK stores.
        w->cmdOK_Click();
        QCOMPARE(list.DurationDays(2), qint16(2));
    }

    // The features OK writes: "," and each ticked caption followed by ",".
    void featuresStored_data()
    {
        QTest::addColumn<QList<int>>("tick");
        QTest::addColumn<QString>("stored");
        QTest::newRow("none") << QList<int>{} << ",";
        QTest::newRow("bold and homepage") << QList<int>{4, 1} << ",Bold title,Homepage feature,";
        QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4} << ",Gallery,Bold title,Feature,Feature combo,Homepage feature,";
    }
    void featuresStored()
    {
        QFETCH(QList<int>, tick);
        QFETCH(QString, stored);
        addEntry();
        auto w = open();
        for (int i = 0; i < 5; ++i) w->extraFeature(i)->setChecked(tick.contains(i));
        w->title()->setText("Red widget");
        w->cmdOK_Click();
        QCOMPARE(list.ExtraFeatures(2), stored);
        QCOMPARE(list.Title(2), QStringLiteral("Red widget"));
        QCOMPARE(list.AuctionId(2), QStringLiteral("4711"));
    }

    // Cancel drops the entry appended for this visit; Escape and the close
    // box leave it as it was given.
    void leaving_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("count");
        QTest::newRow("Cancel") << "cancel" << 1;
        QTest::newRow("close box") << "close" << 2;
        QTest::newRow("Escape") << "escape" << 2;
    }
    void leaving()
    {
        QFETCH(QString, how);
        QFETCH(int, count);
        addEntry();
        const QString first = entry(list, 1), given = entry(list, 2);
        auto w = open();
        w->title()->setText("Changed");
        w->startPrice()->setText("0.1");  // would fail the checks
        if (how == "cancel") w->findChild<QPushButton*>("cmdCancel")->click();
        else if (how == "close") QVERIFY(w->close());
        else QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Rejected));
        QCOMPARE(list.Count(), count);
        QCOMPARE(entry(list, 1), first);
        if (count == 2) QCOMPARE(entry(list, 2), given);
    }

    // A title the site gave longer than the 50 characters typed here opens
    // and is stored whole when another value changes; typing stops at 50, and
    // an edit that shortens the long title asks first.
    void longTitleKeptWhole()
    {
        const QString title = QStringLiteral("Antique kauri chest of drawers, brass handles and two keys");
        QCOMPARE(title.size(), 58);
        list.Add("4712", "W1", title, 5, 10, QVariant(), true, 7, 0, ",", 1);
        auto w = open();
        QCOMPARE(w->title()->text(), title);
        w->reservePrice()->setText("20");
        w->findChild<QPushButton*>("cmdOK")->click();
        QVERIFY(messages().verifyDone());
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(list.Title(2), title);

        list.Add("4712", "W1", title, 5, 10, QVariant(), true, 7, 0, ",", 1);
        auto again = open();
        again->title()->setFocus();
        again->title()->end(false);
        QTest::keyClick(again->title(), Qt::Key_Backspace);
        messages().answer(vbmsg::No, "The Title was stored with 58 characters and would be saved with 57");
        again->findChild<QPushButton*>("cmdOK")->click();
        QVERIFY(messages().verifyDone());
        QVERIFY(again->isVisible());
        again->title()->selectAll();
        QTest::keyClicks(again->title(), QString(60, u'x'));
        QCOMPARE(again->title()->text(), QString(58, u'x'));  // never longer than the title it replaces
        again->title()->setText(QString());
        QTest::keyClicks(again->title(), QString(60, u'y'));
        QCOMPARE(again->title()->text(), QString(50, u'y'));
    }

    // As the relist window uses it: made on its list, run modally.
    void modalVisit()
    {
        QVERIFY(FormsRegistry::instance().isBuilt("frmRelistDetail"));
        addEntry();
        frmRelistDetail dialog(&list);
        int code = -1;
        QVERIFY(ModalDriver::OnModal<frmRelistDetail>([&] { code = dialog.exec(); },
                                                      [](frmRelistDetail* d) {
                                                          d->reservePrice()->setText("20");
                                                          d->findChild<QPushButton*>("cmdOK")->click();
                                                      }));
        QCOMPARE(code, int(QDialog::Accepted));
        QCOMPARE(entry(list, 2), QStringLiteral("Blue widget|5|20|0|True|7|00:00|,Gallery,"));
    }

    // A picture of the dialog with a scheduled end, to look at.
    void screenshot()
    {
        addEntry(5, 10, 25.0, false, 9, timeOf(20, 37), ",Gallery,Feature combo,");
        auto w = open();
        w->adjustSize();
        QVERIFY(w->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("frmRelistDetail.png")));
    }
};

VENDARO_TEST_MAIN(tst_relistdetail)
#include "tst_relistdetail.moc"
