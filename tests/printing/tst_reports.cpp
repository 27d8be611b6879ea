// The stock on hand and picking list reports' rows on a real database, the
// banded report's pages, and every report rendered to PDF and turned into a
// picture (build/screenshots) to look at.

#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "printing/LabelReportLayout.h"
#include "printing/LabelSetupRules.h"
#include "printing/PickingListReport.h"
#include "printing/StockOnHandReport.h"
#include "printing/reportPickingList.h"
#include "printing/reportStockOnHand.h"

#include <QFile>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QStandardPaths>

#include <optional>

class tst_reports : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    void item(const QString& id, const QString& title, int stock, int warning, bool useStock = true)
    {
        exec("INSERT INTO Item (ItemId, Description, UseStock, Stock, StockWarning) VALUES (?, ?, ?, ?, ?)", {id, title, useStock, stock, warning});
    }
    void sale(const QString& id, const QVariant& itemId, const QVariant& title, int step, double due = 0)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, DateNextAction) VALUES (?, ?, ?, ?, ?)",
             {id, itemId, title, step, due == 0 ? vb::today() : due});
    }
    static QStringList stockRows(const QList<StockOnHandReport::Row>& rows)
    {
        QStringList out;
        for (const auto& r : rows)
            out << QStringList{r.ItemId, r.Description, QString::number(r.Stock), QString::number(r.CurrentListings),
                               QString::number(r.SoldNotShipped), QString::number(r.Available()), r.strStockWarning(), r.Low()}
                       .join(u'|');
        return out;
    }
    static QStringList pickRows(const QList<PickingListReport::Row>& rows)
    {
        QStringList out;
        for (const auto& r : rows)
            out << QString::number(r.Qty) + "|" + (r.ItemId.isNull() ? "<Null>" : r.ItemId.toString()) + "|" +
                       (r.Description.isNull() ? "<Null>" : r.Description.toString());
        return out;
    }
    // Writes the report as a PDF and its first page as a PNG beside it.
    void picture(const BandedReport& report, const QString& name)
    {
        const QString pdf = TestEnvironment::screenshotFolder() + "/" + name + ".pdf";
        QFile::remove(pdf);
        QString error;
        QVERIFY2(report.WritePdf(pdf, &error), qPrintable(error));
        QVERIFY(QFile(pdf).size() > 1000);
        const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
        if (pdftoppm.isEmpty()) return;  // scripts/install-deps --dev brings it
        const QString png = TestEnvironment::screenshotFolder() + "/" + name;
        QCOMPARE(QProcess::execute(pdftoppm, {"-png", "-r", "60", "-f", "1", "-l", "1", "-singlefile", pdf, png}), 0);
        QVERIFY(QFile::exists(png + ".png"));
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup() { env.reset(); }

    void stockOnHand()
    {
        item("MUG", "Red mug", 5, 3);
        sale("1", "MUG", "Red mug", 1);
        sale("2", "mug", "RED MUG", 1);       // case does not count
        sale("3", "MUG", "Red mug", 11);
        sale("4", "MUG", "Red mugs", 1);      // another title is not the item's
        sale("5", "MUG", "Red mug", 15);      // sent
        item("BOWL", "Rimu bowl", 5, 0);
        sale("6", "BOWL", "Rimu bowl", 1);
        item("CUP", "Cup", 3, 3);             // available = warning: not low
        item("TRAY", "Tray", 1, 0);
        sale("7", "TRAY", "Tray", 1);
        sale("8", "TRAY", "Tray", 7);         // more listed and sold than in stock
        item("FREE", "Free", 0, 0, false);    // stock not tracked

        QList<StockOnHandReport::Row> rows;
        QVERIFY(StockOnHandReport::Read(false, &rows));
        QCOMPARE(stockRows(rows), (QStringList{"BOWL|Rimu bowl|5|1|0|4||", "CUP|Cup|3|0|0|3|3|", "MUG|Red mug|5|2|1|2|3|X",
                                               "TRAY|Tray|1|1|1|-1||X"}));
        QVERIFY(StockOnHandReport::Read(true, &rows));
        QCOMPARE(stockRows(rows), (QStringList{"MUG|Red mug|5|2|1|2|3|X", "TRAY|Tray|1|1|1|-1||X"}));

        AppSettings::SaveSetting("Settings\\reportStockOnHand", "LowStockOnly", "True");
        reportStockOnHand low;
        QCOMPARE(low.windowTitle(), QStringLiteral("Low stock report"));
        QCOMPARE(low.rows().size(), 2);
        QCOMPARE(low.report().reportHeader.items.at(0).text, QStringLiteral("Low stock report"));
        picture(low.report(), "report-lowstock");
        AppSettings::SaveSetting("Settings\\reportStockOnHand", "LowStockOnly", "False");
        reportStockOnHand all;
        QCOMPARE(all.windowTitle(), QStringLiteral("Stock on hand"));
        QCOMPARE(all.rows().size(), 4);
        QCOMPARE(all.report().reportHeader.items.at(2).text, vb::formatDate(vb::today(), "d mmm yyyy"));
        picture(all.report(), "report-stockonhand");
    }

    void noTrackedItems()
    {
        QList<StockOnHandReport::Row> rows;
        QVERIFY(StockOnHandReport::Read(false, &rows));
        QVERIFY(rows.isEmpty());
        const BandedReport report = StockOnHandReport::Build(rows, false, vb::today());
        QCOMPARE(report.PageCount(), 1);
        QCOMPARE(report.Paginate().at(0).size(), 2);  // title and headings
    }

    void pickingList()
    {
        const double today = vb::today();
        for (const char* id : {"1", "2", "3"}) sale(id, "A", "Red mug", 11, today - 1);
        sale("4", "A", "Blue mug", 11);
        sale("5", "B", "Green jug", 11, today + 0.5);  // noon today: due dates are whole days, so due tomorrow
        sale("6", "B", "Green jug", 11);
        sale("7", "B", "Green jug", 11, today + 1);    // tomorrow
        sale("8", "B", "Green jug", 10, today - 5);    // another task
        QList<PickingListReport::Row> rows;
        QVERIFY(PickingListReport::Read(today, &rows));
        QCOMPARE(pickRows(rows), (QStringList{"1|A|Blue mug", "3|A|Red mug", "1|B|Green jug"}));
        reportPickingList report;
        QCOMPARE(report.windowTitle(), QStringLiteral("Picking List"));
        QCOMPARE(report.rows().size(), 3);
        picture(report.report(), "report-pickinglist");
    }

    void pickingGroups()
    {
        using Sale = PickingListReport::Sale;
        // A missing title is no difference: one group showing the later title.
        QCOMPARE(pickRows(PickingListReport::Group({Sale{"A", QVariant()}, Sale{"A", "Mug"}})), QStringList{"2|A|Mug"});
        // Case counts here, though the sort ignores it.
        QCOMPARE(pickRows(PickingListReport::Group({Sale{"A", "Mug"}, Sale{"A", "mug"}, Sale{"A", "Mug"}})),
                 (QStringList{"1|A|Mug", "1|A|mug", "1|A|Mug"}));
        QVERIFY(PickingListReport::Group({}).isEmpty());
    }

    void pickingListQueryFails()
    {
        exec("ALTER TABLE Auction RENAME TO Sales");
        env->messages().answer(vbmsg::OK, "An error occurred opening database.");
        reportPickingList report;
        QVERIFY(!report.built());
        QCOMPARE(report.exec(), int(QDialog::Rejected));
    }

    // The page header repeats on every page, the title only on the first.
    void pages()
    {
        QList<StockOnHandReport::Row> rows;
        for (int i = 0; i < 130; ++i) rows.append({QStringLiteral("ITEM%1").arg(i, 3, 10, QChar(u'0')), "Thing", 5, 0, 1, 1});
        const BandedReport report = StockOnHandReport::Build(rows, false, vb::today());
        const auto pages = report.Paginate();
        QVERIFY(pages.size() >= 3);
        QCOMPARE(pages.at(0).at(0).band, &report.reportHeader);
        QCOMPARE(pages.at(0).at(1).band, &report.pageHeader);
        QCOMPARE(pages.at(1).at(0).band, &report.pageHeader);
        int printed = 0;
        for (const auto& page : pages) {
            for (const auto& placed : page) {
                if (placed.band != &report.detail) continue;
                QCOMPARE(placed.row, printed++);
                QVERIFY(placed.top + report.detail.height <= report.pageHeight - report.bottomMargin);
            }
        }
        QCOMPARE(printed, 130);
        picture(report, "report-stockonhand-long");
    }

    // The default sheet (3 x 8 of 7.0 x 3.5 cm) and the test print, as they print.
    void labelSheets()
    {
        LabelLayout layout;
        QVERIFY(LabelLayout::Read(&layout));
        const LabelReportLayout lay = LabelReportLayout::Lay(layout);
        LabelRows rows;
        rows << labelrows::EmptyRow() << QStringList{"", "Ann Smith\r\n1 Main Road\r\nNelson 7010", "Bob Jones\r\n22 Kauri Street\r\nRD 2\r\nWhangarei 0172", ""};
        for (int i = 0; i < 9; ++i) rows << QStringList{QStringLiteral("Buyer %1\r\n%1 Beach Road\r\nTakaka").arg(3 * i + 1),
                                                        QStringLiteral("Buyer %1\r\n%1 Beach Road\r\nTakaka").arg(3 * i + 2),
                                                        QStringLiteral("Buyer %1\r\n%1 Beach Road\r\nTakaka").arg(3 * i + 3), ""};
        const BandedReport sheet = lay.Report(rows);
        QCOMPARE(sheet.PageCount(), 2);
        picture(sheet, "labels-sheet");
        picture(lay.Report(LabelSetupRules::TestRows(3, 8)), "labels-testprint");
    }

    // The preview shows the pages; its size is kept, and only its state when maximised.
    void previewWindow()
    {
        sale("1", "A", "Red mug", 11);
        const QString section = "Settings\\reportPickingList";
        {
            reportPickingList report;
            report.show();
            report.resize(700, 800);
            QVERIFY(QTest::qWaitForWindowExposed(&report));
            QCOMPARE(report.preview()->pageCount(), 1);
            report.grab().save(TestEnvironment::screenshotFolder() + "/report-preview.png");
            report.reject();
        }
        QCOMPARE(AppSettings::GetSetting(section, "Width"), QString::number(vb::pixelsToTwips(700)));
        QCOMPARE(AppSettings::GetSetting(section, "Height"), QString::number(vb::pixelsToTwips(800)));
        QCOMPARE(AppSettings::GetSetting(section, "WindowState"), QStringLiteral("0"));
        {
            reportPickingList report;
            QCOMPARE(report.size(), QSize(700, 800));
            report.showMaximized();
            report.reject();
        }
        QCOMPARE(AppSettings::GetSetting(section, "WindowState"), QStringLiteral("2"));
        QCOMPARE(AppSettings::GetSetting(section, "Width"), QString::number(vb::pixelsToTwips(700)));
        reportPickingList again;
        QVERIFY(again.windowState() & Qt::WindowMaximized);
    }

    void pdfThatCannotBeWritten()
    {
        BandedReport report;
        QString error;
        QVERIFY(!report.WritePdf(env->programFolder() + "/no/such/folder/x.pdf", &error));
        QVERIFY(!error.isEmpty());
    }
};

VENDARO_TEST_MAIN(tst_reports)
#include "tst_reports.moc"
