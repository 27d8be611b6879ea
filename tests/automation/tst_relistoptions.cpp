// The relist options list (the seller's edits of queued listings) and the
// rules of one listing's values: features read from the sync, the ten-day cut,
// the duration and end time an entry opens with, the options dialog's checks.

#include "TestEnvironment.h"
#include "automation/RelistOptionRules.h"
#include "automation/clsRelistOptions.h"
#include "platform/Vb.h"

namespace {
const QString CrLf = QStringLiteral("\r\n");
// Tuesday 14 April 2026, 10:30 in the morning.
const double Now = vb::toOleDate(QDateTime(QDate(2026, 4, 14), QTime(10, 30)));
const double HalfPastEight = 20.5 / 24;

QString entry(const clsRelistOptions& list, int i)
{
    return QStringList{list.AuctionId(i),
                       list.ItemId(i),
                       list.Title(i),
                       QString::number(list.StartPrice(i)),
                       QString::number(list.ReservePrice(i)),
                       list.BuyNowPrice(i).isNull() ? QStringLiteral("<Null>") : list.BuyNowPrice(i).toString(),
                       list.DurationFixed(i),
                       QString::number(list.DurationDays(i)),
                       QString::number(list.DurationTime(i)),
                       list.ExtraFeatures(i),
                       QString::number(list.RelistIndex(i))}
        .join('|');
}
void addSample(clsRelistOptions& list, const QString& auction, qint16 index, const QString& title = QStringLiteral("Widget"))
{
    list.Add(auction, "W1", title, 5, 10, QVariant(), true, 7, 0, ",Gallery,", index);
}
}  // namespace

class tst_relistoptions : public QObject {
    Q_OBJECT

private slots:
    // The edit cycle: an entry added and dropped again leaves the list as it was.
    void addThenRemoveRestores()
    {
        clsRelistOptions list;
        addSample(list, "100", 1);
        addSample(list, "200", 2);
        const QString before = entry(list, 1) + entry(list, 2);
        list.Add("300", "W3", "Other", 1, 2, 3.5, false, 9, HalfPastEight, ",", 1);
        QCOMPARE(list.Count(), 3);
        QVERIFY(list.Remove(list.Count()));
        QCOMPARE(list.Count(), 2);
        QCOMPARE(entry(list, 1) + entry(list, 2), before);
        // A middle entry goes and the later ones move up.
        QVERIFY(list.Remove(1));
        QCOMPARE(list.AuctionId(1), QStringLiteral("200"));
    }

    // Update writes the last entry's listing values, never its identity.
    void updateTouchesOnlyTheLastEntry()
    {
        clsRelistOptions list;
        addSample(list, "100", 1);
        addSample(list, "100", 2);
        const QString first = entry(list, 1);
        QVERIFY(list.Update("New title", 7.5, 20, 30, false, 10, HalfPastEight, ",Bold title,"));
        QCOMPARE(entry(list, 1), first);
        QCOMPARE(entry(list, 2), QStringLiteral("100|W1|New title|7.5|20|30|False|10|%1|,Bold title,|2").arg(HalfPastEight));
    }

    // A missing buy-now price stays missing; 0 is a value.
    void nullBuyNowStaysNull()
    {
        clsRelistOptions list;
        list.Add("100", "W1", "T", 1, 1, QVariant(), true, 7, 0, ",", 1);
        QVERIFY(list.BuyNowPrice(1).isNull());
        QVERIFY(list.Update("T", 1, 1, QVariant(), true, 7, 0, ","));
        QVERIFY(list.BuyNowPrice(1).isNull());
        QVERIFY(list.Update("T", 1, 1, 0.0, true, 7, 0, ","));
        QVERIFY(!list.BuyNowPrice(1).isNull());
        QCOMPARE(list.BuyNowPrice(1).toDouble(), 0.0);
    }

    void durationFixedText_data()
    {
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<QString>("text");
        QTest::newRow("fixed") << true << "True";
        QTest::newRow("scheduled") << false << "False";
    }
    void durationFixedText()
    {
        QFETCH(bool, fixed);
        QFETCH(QString, text);
        clsRelistOptions list;
        list.Add("100", "W1", "T", 1, 1, QVariant(), fixed, 7, 0, ",", 1);
        QCOMPARE(list.DurationFixed(1), text);
        QCOMPARE(QVariant(list.DurationFixed(1)).toBool(), fixed);
    }

    // Of several entries for one queue record the last added decides; an entry
    // of the same auction with another relist index is another record's.
    void latestEntryDecides()
    {
        clsRelistOptions list;
        addSample(list, "100", 1, "first");
        addSample(list, "100", 2, "copy two");
        addSample(list, "100", 1, "second");
        addSample(list, "200", 1, "other auction");
        QCOMPARE(list.Latest("100", 1)->Title, QStringLiteral("second"));
        QCOMPARE(list.Latest("100", 2)->Title, QStringLiteral("copy two"));
        QVERIFY(!list.Latest("100", 3));
        QVERIFY(!list.Latest("300", 1));
    }

    // A position outside the list changes nothing and reads as empty.
    void positionOutsideTheList()
    {
        clsRelistOptions list;
        QVERIFY(!list.Update("T", 1, 1, QVariant(), true, 7, 0, ","));
        QVERIFY(!list.Remove(1));
        QCOMPARE(list.Title(1), QString());
        QCOMPARE(list.DurationFixed(1), QString());
        addSample(list, "100", 1);
        for (int i : {0, 2, -1}) {
            QVERIFY(!list.Remove(i));
            QCOMPARE(list.AuctionId(i), QString());
        }
        QCOMPARE(list.Count(), 1);
    }

    // The sync writes "Homepage featured"; the options and the extras form
    // know the feature as "Homepage feature".
    void homepageFeature_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("read");
        QTest::newRow("homepage alone") << ",Homepage featured," << ",Homepage feature,";
        QTest::newRow("after a combo") << ",Feature combo,Homepage featured," << ",Feature combo,Homepage feature,";
        QTest::newRow("already the option's name") << ",Gallery,Homepage feature," << ",Gallery,Homepage feature,";
        QTest::newRow("none") << "," << ",";
        QTest::newRow("null") << QString() << "";
    }
    void homepageFeature()
    {
        QFETCH(QString, stored);
        QFETCH(QString, read);
        QCOMPARE(RelistOptionRules::ReadExtraFeatures(stored), read);
        QVERIFY(!RelistOptionRules::ReadExtraFeatures(stored).isNull());
        clsRelistOptions list;
        list.Add("100", "W1", "T", 1, 1, QVariant(), true, 7, 0, stored, 1);
        QCOMPARE(list.ExtraFeatures(1), read);
    }

    // Only a scheduled 10-day listing ending later in the day than now is cut
    // to 9 days; a fixed 10-day listing keeps its length.
    void tenDayCut_data()
    {
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("time");
        QTest::addColumn<bool>("cut");
        QTest::newRow("scheduled, ends later in the day") << false << 10 << HalfPastEight << true;
        QTest::newRow("scheduled, ends earlier in the day") << false << 10 << 9.0 / 24 << false;
        QTest::newRow("scheduled, ends at this minute") << false << 10 << 10.5 / 24 << false;
        QTest::newRow("fixed 10 days") << true << 10 << HalfPastEight << false;
        QTest::newRow("scheduled 9 days") << false << 9 << HalfPastEight << false;
    }
    void tenDayCut()
    {
        QFETCH(bool, fixed);
        QFETCH(int, days);
        QFETCH(double, time);
        QFETCH(bool, cut);
        QCOMPARE(RelistOptionRules::TenDayCut(fixed, days, time, Now), cut);
    }

    // A stored duration the lists cannot show opens as 7 days, fixed length.
    void openedDuration_data()
    {
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<int>("days");
        QTest::addColumn<bool>("openFixed");
        QTest::addColumn<int>("openDays");
        QTest::newRow("not downloaded") << false << 0 << true << 7;
        QTest::newRow("negative") << true << -3 << true << 7;
        QTest::newRow("too long") << false << 14 << true << 7;
        QTest::newRow("one day") << true << 1 << true << 1;
        QTest::newRow("scheduled ten") << false << 10 << false << 10;
    }
    void openedDuration()
    {
        QFETCH(bool, fixed);
        QFETCH(int, days);
        QFETCH(bool, openFixed);
        QFETCH(int, openDays);
        const auto d = RelistOptionRules::OpenedDuration(fixed, days, HalfPastEight);
        QCOMPARE(d.Fixed, openFixed);
        QCOMPARE(d.Days, openDays);
        QCOMPARE(d.Time, openFixed ? 0.0 : HalfPastEight);
    }

    // The quarter hours, with a stored time off the quarter hour added in its
    // place, so that opening and saving keeps the listing's end time.
    void endTimes_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("text");
        QTest::newRow("on a quarter hour") << HalfPastEight << 96 << 82 << "8:30 PM";
        QTest::newRow("midnight") << 0.0 << 96 << 0 << "12:00 AM";
        QTest::newRow("between quarters") << (20 * 60 + 37) / 1440.0 << 97 << 83 << "8:37 PM";
        QTest::newRow("after the last quarter") << (23 * 60 + 50) / 1440.0 << 97 << 96 << "11:50 PM";
        QTest::newRow("seconds dropped") << (20 * 60 + 30 + 20 / 60.0) / 1440.0 << 96 << 82 << "8:30 PM";
    }
    void endTimes()
    {
        QFETCH(double, stored);
        QFETCH(int, count);
        QFETCH(int, selected);
        QFETCH(QString, text);
        int at = -1;
        const QList<double> times = RelistOptionRules::EndTimes(stored, &at);
        QCOMPARE(times.size(), count);
        QCOMPARE(at, selected);
        QCOMPARE(RelistOptionRules::EndTimeText(times.at(at)), text);
        QVERIFY(std::is_sorted(times.begin(), times.end()));
    }

    // A typed amount: by its leading number, an empty box 0, no amount refused.
    void readAmount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << true << 0.0;
        QTest::newRow("blanks") << "  " << true << 0.0;
        QTest::newRow("thousands") << "1,500" << true << 1500.0;
        QTest::newRow("as the windows write it") << "$2,000.00" << true << 2000.0;
        QTest::newRow("words after") << "15 dollars" << true << 15.0;
        QTest::newRow("no amount") << "abc" << false << 0.0;
        QTest::newRow("decimal comma") << "1,5" << false << 0.0;
    }
    void readAmount()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        bool got = !ok;
        QCOMPARE(RelistOptionRules::ReadAmount(text, &got), value);
        QCOMPARE(got, ok);
    }

    // The dialog's checks; the last failing one speaks.
    void checks_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("reserve");
        QTest::addColumn<bool>("buyNowEmpty");
        QTest::addColumn<double>("buyNow");
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("endTime");
        QTest::addColumn<QString>("message");
        const QString tenth = "The Start price must be at least 10% of the Reserve.";
        const QString reserveBelowStart = "The Reserve price must be equal or greater than the Start Price.";
        QTest::newRow("a tenth of the reserve") << 1.0 << 10.0 << true << 0.0 << true << 7 << 0.0 << "";
        QTest::newRow("below a tenth") << 0.99 << 10.0 << true << 0.0 << true << 7 << 0.0 << tenth;
        // Exactly a tenth passes, whatever binary fractions make of it.
        for (const auto& [start, reserve] : {std::pair{0.7, 7.0}, std::pair{0.6, 6.0}, std::pair{1.2, 12.0}, std::pair{0.9, 9.0},
                                             std::pair{1.1, 11.0}, std::pair{2.3, 23.0}, std::pair{0.51, 5.1}})
            QTest::newRow(qPrintable(QString("a tenth: %1 of %2").arg(start).arg(reserve)))
                << start << reserve << true << 0.0 << true << 7 << 0.0 << "";
        QTest::newRow("a cent below a tenth") << 0.69 << 7.0 << true << 0.0 << true << 7 << 0.0 << tenth;
        QTest::newRow("start a cent above the reserve") << 7.01 << 7.0 << true << 0.0 << true << 7 << 0.0
                                                        << "The Reserve price must be equal or greater than the Start Price.";
        QTest::newRow("reserve empty") << 1.0 << 0.0 << true << 0.0 << true << 7 << 0.0 << reserveBelowStart;
        QTest::newRow("under 50c") << 0.4 << 0.4 << true << 0.0 << true << 7 << 0.0 << "The Start Price must be at least 50c";
        QTest::newRow("buy now below reserve") << 5.0 << 10.0 << false << 8.0 << true << 7 << 0.0
                                               << "The Buy Now price must be equal or greater than the Reserve.";
        QTest::newRow("buy now empty is not checked") << 5.0 << 10.0 << true << 0.0 << true << 7 << 0.0 << "";
        QTest::newRow("several fail, the last speaks") << 0.3 << 0.2 << false << 0.1 << true << 8 << 0.0
                                                       << "Fixed length auctions must be 1-7 days or 10 days, only scheduled end "
                                                          "time auctions can be 8 or 9 days.";
        QTest::newRow("fixed 9 days") << 1.0 << 1.0 << true << 0.0 << true << 9 << 0.0
                                      << "Fixed length auctions must be 1-7 days or 10 days, only scheduled end time auctions can "
                                         "be 8 or 9 days.";
        QTest::newRow("scheduled 9 days") << 1.0 << 1.0 << true << 0.0 << false << 9 << HalfPastEight << "";
        QTest::newRow("scheduled 10, earlier in the day") << 1.0 << 1.0 << true << 0.0 << false << 10 << 9.0 / 24 << "";
        QTest::newRow("scheduled 10, later in the day")
            << 1.0 << 1.0 << true << 0.0 << false << 10 << HalfPastEight
            << "Your auction end time for a 10 day auction cannot be later than the current time (10:30 AM)" + CrLf + CrLf +
                   "Select a time before the current time or select fewer days.";
        QTest::newRow("fixed 10 days") << 1.0 << 1.0 << true << 0.0 << true << 10 << 0.0 << "";
    }
    void checks()
    {
        QFETCH(double, start);
        QFETCH(double, reserve);
        QFETCH(bool, buyNowEmpty);
        QFETCH(double, buyNow);
        QFETCH(bool, fixed);
        QFETCH(int, days);
        QFETCH(double, endTime);
        QFETCH(QString, message);
        QCOMPARE(RelistOptionRules::CheckMessage(start, reserve, buyNowEmpty, buyNow, fixed, days, endTime, Now), message);
    }
};

VENDARO_TEST_MAIN(tst_relistoptions)
#include "tst_relistoptions.moc"
