// The label sheet's numbers without a window: twips, where the label fields
// stand, the rows of labels from a start position, where the next sheet
// starts, combining addresses, typed measures and counts, the spinners, the
// fit check and the measures a sheet can have.

#include "TestEnvironment.h"
#include "printing/AddressLabels.h"
#include "printing/CmToTwips.h"
#include "printing/LabelReportLayout.h"
#include "printing/LabelSetupRules.h"

using Rules = LabelSetupRules;

namespace {
LabelLayout layout(int cols, double width, double left, double right, int rows = 8, double top = 0.8, double height = 3.5)
{
    LabelLayout l;
    l.LabelCols = cols;
    l.LabelRows = rows;
    l.LabelWidth = width;
    l.LabelLeft = left;
    l.LabelRight = right;
    l.LabelTop = top;
    l.LabelBottom = top;
    l.LabelHeight = height;
    l.LabelFontSize = 10;
    l.LabelFont = QStringLiteral("Arial");
    return l;
}
QStringList labels(int n)
{
    QStringList list;
    for (int i = 1; i <= n; ++i) list << QStringLiteral("label %1").arg(i);
    return list;
}
}  // namespace

class tst_labelrules : public QObject {
    Q_OBJECT
private slots:
    void cmToTwips_data()
    {
        QTest::addColumn<double>("cm");
        QTest::addColumn<int>("twips");
        QTest::newRow("page height") << 29.7 << 16837;
        QTest::newRow("page width") << 21.0 << 11905;
        QTest::newRow("one") << 1.0 << 567;
        QTest::newRow("half") << 0.5 << 283;
        QTest::newRow("half twip goes to even") << 5.0 << 2834;
        QTest::newRow("label") << 7.0 << 3968;
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("negative") << -1.0 << -567;
        QTest::newRow("beyond 32 bits") << 1e12 << std::numeric_limits<int>::max();
        QTest::newRow("no number") << std::nan("") << 0;
    }
    void cmToTwips()
    {
        QFETCH(double, cm);
        QFETCH(int, twips);
        QCOMPARE(CmToTwips(cm), twips);
    }

    // Left (from the page's edge) and width of the four fields.
    void labelFields_data()
    {
        QTest::addColumn<int>("cols");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("margin");
        QTest::addColumn<QList<int>>("lefts");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<bool>("tooWide");
        // 3 x 3968 + 283 + 283 > 11905: the third column ends at the right margin.
        QTest::newRow("three of 7 cm") << 3 << 7.0 << 0.5 << QList<int>{283, 4251, 8219, 283} << QList<int>{3968, 3968, 3403, 3403} << false;
        // 11905 - 567 - 567 - 3 x 3968 = -1133.
        QTest::newRow("four of 7 cm") << 4 << 7.0 << 1.0 << QList<int>{567, 4535, 8503, 12471} << QList<int>{3968, 3968, 3968, 0} << true;
        QTest::newRow("fits") << 3 << 6.0 << 0.5 << QList<int>{283, 3684, 7085, 283} << QList<int>{3401, 3401, 3401, 3401} << false;
        // 11905 - 2 x 0.5 cm = 11339 = 2 x 5669.5 cm widths... one column of the whole page
        QTest::newRow("one column narrowed") << 1 << 20.5 << 0.5 << QList<int>{283, 283, 283, 283} << QList<int>{11339, 11339, 11339, 11339} << false;
        QTest::newRow("no columns reads as one") << 0 << 7.0 << 0.0 << QList<int>{0, 0, 0, 0} << QList<int>{3968, 3968, 3968, 3968} << false;
        QTest::newRow("more than four reads as four") << 9 << 2.0 << 0.0 << QList<int>{0, 1134, 2268, 3402} << QList<int>{1134, 1134, 1134, 1134} << false;
    }
    void labelFields()
    {
        QFETCH(int, cols);
        QFETCH(double, width);
        QFETCH(double, margin);
        QFETCH(QList<int>, lefts);
        QFETCH(QList<int>, widths);
        QFETCH(bool, tooWide);
        const LabelReportLayout l = LabelReportLayout::Lay(layout(cols, width, margin, margin));
        QList<int> gotLefts, gotWidths;
        for (const LabelReportLayout::Field& f : l.fields) {
            gotLefts << l.leftMargin + f.left;
            gotWidths << f.width;
        }
        QCOMPARE(gotLefts, lefts);
        QCOMPARE(gotWidths, widths);
        QCOMPARE(l.tooWide, tooWide);
    }

    // Exactly the page's width: nothing is narrowed.
    void exactWidthIsNotNarrowed()
    {
        LabelLayout l = layout(3, 0, 0, 0);
        l.LabelWidth = 7.0;
        l.LabelLeft = 0;
        l.LabelRight = (11905 - 3 * 3968) / printing::TwipsPerCm;  // 1 twip
        const LabelReportLayout lay = LabelReportLayout::Lay(l);
        QCOMPARE(lay.rightMargin, 1);
        QCOMPARE(lay.fields[2].width, 3968);
    }

    // Each row of labels stands at the top margin plus whole label heights
    // (no rounding carried from row to row); the rows that do not fit go to the next sheet.
    void rowsFromTheSheetOrigin()
    {
        const LabelReportLayout lay = LabelReportLayout::Lay(layout(3, 7.0, 0, 0, 8, 0.8, 3.5));
        LabelRows rows(10, QStringList{"a", "b", "c", ""});
        const BandedReport report = lay.Report(rows);
        const auto pages = report.Paginate();
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages.at(0).size(), 8);
        for (int r = 0; r < 8; ++r) QCOMPARE(pages.at(0).at(r).top, 454 + r * 1984);
        QCOMPARE(pages.at(1).at(0).top, 454);
        QCOMPARE(pages.at(1).at(0).row, 8);
        QCOMPARE(report.FieldText(0, "Address2"), QStringLiteral("b"));
    }

    void printedRows()
    {
        // 3 across, 8 down, start 23, four labels: seven used rows, then the labels.
        int printed = 0;
        const LabelRows rows = AddressLabels::Rows(labels(4), 23, 3, &printed);
        QCOMPARE(rows.size(), 9);
        for (int r = 0; r < 7; ++r) QCOMPARE(rows.at(r), labelrows::EmptyRow());
        QCOMPARE(rows.at(7), (QStringList{"", "label 1", "label 2", ""}));
        QCOMPARE(rows.at(8), (QStringList{"label 3", "label 4", "", ""}));
        QCOMPARE(printed, 4);
        QCOMPARE(AddressLabels::NextStart(23, printed, 24), 3);
        QCOMPARE(AddressLabels::Caption(4, 23, 24), QStringLiteral("Address labels - 4 labels to print (2 label sheets required)"));

        // Start 5 with 3 across: a used row, then an empty first field and two labels.
        const LabelRows five = AddressLabels::Rows(labels(5), 5, 3, &printed);
        QCOMPARE(five.size(), 3);
        QCOMPARE(five.at(0), labelrows::EmptyRow());
        QCOMPARE(five.at(1), (QStringList{"", "label 1", "label 2", ""}));
        QCOMPARE(five.at(2), (QStringList{"label 3", "label 4", "label 5", ""}));
    }

    void nextStart_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("printed");
        QTest::addColumn<int>("perSheet");
        QTest::addColumn<int>("next");
        QTest::newRow("a full sheet from 1") << 1.0 << 24 << 24 << 1;
        QTest::newRow("into the next sheet") << 23.0 << 4 << 24 << 3;
        QTest::newRow("two sheets and one") << 1.0 << 49 << 24 << 2;
        QTest::newRow("half goes to even") << 2.5 << 0 << 24 << 3;
        QTest::newRow("within the sheet") << 3.0 << 2 << 24 << 5;
    }
    void nextStart()
    {
        QFETCH(double, start);
        QFETCH(int, printed);
        QFETCH(int, perSheet);
        QFETCH(int, next);
        QCOMPARE(AddressLabels::NextStart(start, printed, perSheet), next);
    }

    void startText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << "0" << "1";
        QTest::newRow("text") << "abc" << "1";
        QTest::newRow("empty") << "" << "1";
        QTest::newRow("in range") << "7" << "7";
        QTest::newRow("above the sheet") << "99" << "24";
        QTest::newRow("negative") << "-3" << "1";
    }
    void startText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(AddressLabels::StartText(typed, 24), shown);
    }

    void captionAndSheets()
    {
        QCOMPARE(AddressLabels::Caption(0, 1, 24), QStringLiteral("Address labels"));
        QCOMPARE(AddressLabels::Caption(7, 1, 24), QStringLiteral("Address labels - 7 labels to print (1 label sheets required)"));
        QCOMPARE(AddressLabels::SheetsRequired(24, 1, 24), 1);
        QCOMPARE(AddressLabels::SheetsRequired(25, 1, 24), 2);
    }

    void sameAddress()
    {
        const QString none = AddressLabels::LabelText("   ");
        QCOMPARE(none, QStringLiteral("No delivery address set!"));
        QCOMPARE(AddressLabels::LabelText("1 Main Rd\r\nTown"), QStringLiteral("1 Main Rd\r\nTown"));
        const QStringList list{"1 Main Rd\r\nTown", "2 Side St", "1 Main Rd\r\nTown", "1 main rd\r\nTown", none, none};
        QCOMPARE(AddressLabels::SameAddressAs(list, 0), -1);
        QCOMPARE(AddressLabels::SameAddressAs(list, 2), 0);
        QCOMPARE(AddressLabels::SameAddressAs(list, 3), -1);  // case counts
        QCOMPARE(AddressLabels::SameAddressAs(list, 5), 4);   // two without an address are one address
    }

    void parseMeasure_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("millimetres") << "12 mm" << "1.20 cm";
        QTest::newRow("upper case cm") << "3CM" << "3.00 cm";
        QTest::newRow("bare") << "2.5" << "2.50 cm";
        QTest::newRow("letters") << "abc" << "0.00 cm";
        QTest::newRow("mm alone") << "mm" << "0.00 cm";
        QTest::newRow("negative") << "-1" << "-1.00 cm";
        QTest::newRow("unknown unit") << "5in" << "5.00 cm";
        QTest::newRow("blanks inside") << " 1 . 5 c m" << "1.50 cm";
        QTest::newRow("too large to hold") << "1e999" << "0.00 cm";
    }
    void parseMeasure()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(Rules::Validate(Rules::Top, typed), shown);
    }

    void counts_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0 across") << int(Rules::Across) << "0" << "1";
        QTest::newRow("5 across") << int(Rules::Across) << "5" << "4";
        QTest::newRow("16 down") << int(Rules::Down) << "16" << "15";
        QTest::newRow("font 100") << int(Rules::FontSize) << "100" << "72";
        QTest::newRow("2.9") << int(Rules::Down) << "2.9" << "2";
        QTest::newRow("a letter") << int(Rules::Down) << "x" << "1";
    }
    void counts()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(Rules::Validate(field, typed), shown);
    }

    void spinners_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("shown");
        QTest::newRow("hundredths up") << int(Rules::Width) << "1.25 cm" << 1 << "1.26 cm";
        QTest::newRow("tenths up") << int(Rules::Width) << "1.30 cm" << 1 << "1.40 cm";
        QTest::newRow("tenths down") << int(Rules::Width) << "1.30 cm" << -1 << "1.20 cm";
        QTest::newRow("zero down") << int(Rules::Top) << "0.00 cm" << -1 << "0.00 cm";
        QTest::newRow("zero up") << int(Rules::Top) << "0.00 cm" << 1 << "0.10 cm";
        QTest::newRow("four across up") << int(Rules::Across) << "4" << 1 << "4";
        QTest::newRow("down up") << int(Rules::Down) << "7" << 1 << "8";
        QTest::newRow("one across down") << int(Rules::Across) << "1" << -1 << "1";
    }
    void spinners()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(int, step);
        QFETCH(QString, shown);
        QCOMPARE(Rules::Spin(field, text, step), shown);
    }

    void fitCheck()
    {
        // 1984 x 8 + 567 + 567 = 17006: 169 twips (0.30 cm) too long.
        const qint64 excess = Rules::HeightExcess("1.00 cm", "1.00 cm", "3.50 cm", "8");
        QCOMPARE(excess, qint64(169));
        QCOMPARE(Rules::FitMessage(excess), QStringLiteral("The total height of the report is too long for the page by 0.30 cm.\r\n"
                                                           "Try reducing the top/bottom margins or reduce the label height slightly."));
        QVERIFY(Rules::HeightExcess("1.50 cm", "1.50 cm", "3.80 cm", "7") <= 0);  // 16778 twips
        // Exactly the page's height fits: one whole-sheet label, or two of half its height.
        QCOMPARE(Rules::HeightExcess("0.00 cm", "0.00 cm", "29.70 cm", "1"), qint64(0));
        QVERIFY(Rules::HeightExcess("0.00 cm", "0.00 cm", "14.85 cm", "2") <= 0);
    }

    void measureProblems_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("cm");
        QTest::addColumn<bool>("refused");
        QTest::newRow("negative margin") << int(Rules::Top) << -0.1 << true;
        QTest::newRow("no margin") << int(Rules::Left) << 0.0 << false;
        QTest::newRow("margin across the page") << int(Rules::Right) << 21.0 << true;
        QTest::newRow("margin down most of the page") << int(Rules::Bottom) << 25.0 << false;
        QTest::newRow("page-high margin") << int(Rules::Bottom) << 29.7 << true;
        QTest::newRow("label without width") << int(Rules::Width) << 0.0 << true;
        // Full-width and whole-sheet label stock: a label as large as the page fits.
        QTest::newRow("label as wide as the page") << int(Rules::Width) << 21.0 << false;
        QTest::newRow("label as high as the page") << int(Rules::Height) << 29.7 << false;
        QTest::newRow("label as wide as the page, typed in mm") << int(Rules::Width) << Rules::ParseMeasure("210 mm") << false;
        QTest::newRow("label as high as the page, from a sum") << int(Rules::Height) << 29.69 + 0.01 << false;  // 29.700000000000003
        QTest::newRow("label a hundredth wider than the page") << int(Rules::Width) << 21.01 << true;
        QTest::newRow("label a hundredth higher than the page") << int(Rules::Height) << 29.71 << true;
        QTest::newRow("label half the page high") << int(Rules::Height) << 14.85 << false;
        QTest::newRow("label that shows as 0.00 cm") << int(Rules::Width) << 0.004 << true;
        QTest::newRow("label without height") << int(Rules::Height) << 0.0 << true;
        QTest::newRow("usual label") << int(Rules::Height) << 3.5 << false;
        QTest::newRow("too large to convert") << int(Rules::Top) << 4e6 << true;
    }
    void measureProblems()
    {
        QFETCH(int, field);
        QFETCH(double, cm);
        QFETCH(bool, refused);
        QCOMPARE(!Rules::MeasureProblem(field, cm).isEmpty(), refused);
    }

    void testPrintRows()
    {
        const LabelRows rows = Rules::TestRows(3, 7);
        QCOMPARE(rows.size(), 8);
        for (int r = 0; r < 7; ++r) QCOMPARE(rows.at(r), (QStringList{Rules::TestLabel(), Rules::TestLabel(), Rules::TestLabel(), ""}));
        QCOMPARE(rows.last(), (QStringList{Rules::MarkerText(), "", "", ""}));
        QCOMPARE(Rules::TestLabel(), QStringLiteral("Mr Test Label\r\nFlat 987 B, 123 Label Test Street\r\nTestville North\r\nLabel Land 0123"));
    }
};

VENDARO_TEST_MAIN(tst_labelrules)
#include "tst_labelrules.moc"
