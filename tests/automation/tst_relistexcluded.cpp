// The excluded items window offscreen: the rows and public variables through
// the forms registry, forcing items back into the queue, the popup only on
// the selected row, the item editor and the newest auction of a title on the
// site (none, several, titles with quotes), and the column widths kept.

#include "DatabaseFixture.h"
#include "ModalDriver.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "automation/frmRelistExcluded.h"
#include "core/ProgramContext.h"
#include "core/clsLinks.h"
#include "core/modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTimer>
#include <QTreeView>

#include <memory>
#include <optional>

namespace {
RelistExclusions sampleRows()
{
    return {{"W1", "Blue widget", 3, "Too many current listings"},
            {"W2", "Bob's \"best\" widget", 1, "Listed today"},
            {"W3", "Green widget", 0, "Not enough stock"}};
}
}  // namespace

class tst_relistexcluded : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    QStringList opened;  // "form:variable=value;..." of each window the window opened

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    void exec(const QString& sql, const QVariantList& binds = {})
    {
        QVERIFY2(ctx().gConnection->Execute(sql, binds), qPrintable(ctx().gConnection->lastError()));
    }
    void auction(const QString& id, const QString& item, const QString& title, double daysAgo)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart) VALUES (?, ?, ?, 1, ?)",
             {id, item, title, vb::now() - daysAgo});
    }
    std::unique_ptr<frmRelistExcluded> open(const RelistExclusions& rows = sampleRows())
    {
        auto w = std::make_unique<frmRelistExcluded>();
        w->rstExcluded = rows;
        w->show();
        return w;
    }
    static void select(frmRelistExcluded& w, int row)
    {
        w.list()->setCurrentIndex(w.model()->index(row, 0));
        QCOMPARE(w.selectedRow(), row);
    }
    static QAction* action(frmRelistExcluded& w, const char* name) { return w.popup()->findChild<QAction*>(name); }
    static QStringList codes(const frmRelistExcluded& w)
    {
        QStringList c;
        for (int r = 0; r < w.model()->rowCount(); ++r) c << w.model()->item(r, 0)->text();
        return c;
    }
    static QPoint middleOf(frmRelistExcluded& w, int row) { return w.list()->visualRect(w.model()->index(row, 1)).center(); }
    // Stand-ins for the item editor and the browser that note how they were opened.
    void recordOpened(const QString& form, const QStringList& variables)
    {
        FormsRegistry::instance().overrideForm(form, [this, form, variables](QWidget* parent) {
            auto* d = new QDialog(parent);
            QTimer::singleShot(0, d, [this, d, form, variables] {
                QStringList vars;
                for (const QString& v : variables) vars << v + "=" + d->property(v.toUtf8().constData()).toString();
                opened << form + ":" + vars.join(';');
                d->accept();
            });
            return d;
        });
    }

private slots:
    void initTestCase() { AutomationForms::Register(); }

    void init()
    {
        env.emplace();
        opened.clear();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        recordOpened("frmItem", {"mRemoteId", "mRemoteDesc"});
        recordOpened("frmBrowser", {"StartingAddress"});
    }

    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        env.reset();
    }

    // As the relist window uses it: the rows and forced codes go in as
    // properties, the forced codes come back with the ones added.
    void throughRegistry()
    {
        QVariantMap result;
        QVERIFY(ModalDriver::OnModal<frmRelistExcluded>(
            [&] {
                result = FormsRegistry::instance().showModal(
                    "frmRelistExcluded", {{"rstExcluded", QVariant::fromValue(sampleRows())}, {"IgnoreExcluded", "[X9]"}});
            },
            [this](frmRelistExcluded* w) {
                QCOMPARE(w->windowTitle(), QStringLiteral("Relist Exclusions"));
                QCOMPARE(codes(*w), (QStringList{"W1", "W2", "W3"}));
                QStringList headers, second;
                for (int c = 0; c < 4; ++c) {
                    headers << w->model()->horizontalHeaderItem(c)->text();
                    second << w->model()->item(1, c)->text();
                }
                QCOMPARE(headers, (QStringList{"Item Code", "Title", "Currrent listings", "Reason excluded"}));
                QCOMPARE(second, (QStringList{"W2", "Bob's \"best\" widget", "1", "Listed today"}));
                select(*w, 2);
                action(*w, "mnuRelist")->trigger();
                w->findChild<QPushButton*>("cmdOK")->click();
            }));
        QCOMPARE(result.value("IgnoreExcluded").toString(), QStringLiteral("[X9][W3]"));
        QCOMPARE(result.value("rstExcluded").value<RelistExclusions>().size(), 3);  // only read
        QCOMPARE(result.value("result").toInt(), int(QDialog::Accepted));
    }

    // Forcing every item empties the list; then no popup opens and a double
    // click does nothing.
    void forcingEveryItem()
    {
        auto w = open();
        w->IgnoreExcluded = "[X9]";
        select(*w, 1);
        action(*w, "mnuRelist")->trigger();
        QCOMPARE(codes(*w), (QStringList{"W1", "W3"}));
        QCOMPARE(w->selectedRow(), -1);
        action(*w, "mnuRelist")->trigger();  // nothing selected: nothing forced
        QCOMPARE(w->IgnoreExcluded, QStringLiteral("[X9][W2]"));
        for (int row : {1, 0}) {
            select(*w, row);
            action(*w, "mnuRelist")->trigger();
        }
        QCOMPARE(w->model()->rowCount(), 0);
        QCOMPARE(w->IgnoreExcluded, QStringLiteral("[X9][W2][W3][W1]"));
        QCOMPARE(w->rstExcluded.size(), 3);
        QVERIFY(!w->list_MouseUp(QPoint(5, 5)));
        QTest::mouseClick(w->list()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!w->popup()->isVisible());
        QTest::mouseDClick(w->list()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        action(*w, "mnuPopupItem")->trigger();
        QVERIFY(opened.isEmpty());
    }

    // The popup opens on a right-button release over the selected row only.
    void popupOnSelectedRow()
    {
        auto w = open();
        w->list()->selectionModel()->clearSelection();
        QVERIFY(!w->list_MouseUp(middleOf(*w, 0)));
        select(*w, 1);
        QVERIFY(!w->list_MouseUp(middleOf(*w, 0)));
        QVERIFY(!w->list_MouseUp(middleOf(*w, 2)));
        QVERIFY(w->list_MouseUp(middleOf(*w, 1)));
        QVERIFY(w->popup()->isVisible());
        w->popup()->close();
        QStringList items;
        for (QAction* a : w->popup()->actions()) items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items, (QStringList{"View item details", "-", "View this listing title on TradeMe", "-",
                                     "Relist this item (ignore exclusion restriction)"}));
        // With the mouse: the right button takes the row under it, and its release shows the popup.
        QTest::mouseClick(w->list()->viewport(), Qt::RightButton, {}, middleOf(*w, 2));
        QCOMPARE(w->selectedRow(), 2);
        QVERIFY(w->popup()->isVisible());
        w->popup()->close();
    }

    // The item editor opens on the selected item, from the popup or a double click.
    void viewItemDetails()
    {
        auto w = open();
        select(*w, 1);
        action(*w, "mnuPopupItem")->trigger();
        QTest::mouseClick(w->list()->viewport(), Qt::LeftButton, {}, middleOf(*w, 2));
        QCOMPARE(w->selectedRow(), 2);
        QTest::mouseDClick(w->list()->viewport(), Qt::LeftButton, {}, middleOf(*w, 2));
        QCOMPARE(opened, (QStringList{"frmItem:mRemoteId=W2;mRemoteDesc=Bob's \"best\" widget",
                                      "frmItem:mRemoteId=W3;mRemoteDesc=Green widget"}));
    }

    // The newest auction of the item under the row's title opens in the
    // browser; a title without one says so.
    void viewOnSite_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("auction");  // the auction number in the address; "" for the message
        QTest::newRow("no auction with the title") << 2 << "";
        QTest::newRow("newest of several") << 0 << "5002";
        QTest::newRow("title with quotes") << 1 << "6001";
    }
    void viewOnSite()
    {
        QFETCH(int, row);
        QFETCH(QString, auction);
        this->auction("5001", "W1", "Blue widget", 30);
        this->auction("5002", "W1", "blue widget", 2);  // titles match regardless of case
        this->auction("5003", "W1", "Blue widget", 10);
        this->auction("5004", "W9", "Blue widget", 1);      // another item
        this->auction("5005", "W1", "Blue widget XL", 1);   // another title
        this->auction("5006", "W1", "Blue widget", 5);
        exec("UPDATE Auction SET dateStart=NULL WHERE AuctionId='5006'");  // never started: not the newest
        this->auction("6001", "W2", "Bob's \"best\" widget", 3);
        this->auction("6002", "W2", "Bob's best widget", 1);
        this->auction("7001", "W3", "Green widget.", 1);
        this->auction("7002", "W4", "Green widget", 1);

        auto w = open();
        select(*w, row);
        if (auction.isEmpty()) messages().answer(vbmsg::OK, "An auction using this title is not currently in the database.");
        action(*w, "mnuPopupBrowser")->trigger();
        if (auction.isEmpty()) {
            QCOMPARE(messages().prompts().last().style, int(vbmsg::Information));
            QCOMPARE(messages().prompts().last().title, ctx().gAppTitle);
            QVERIFY(opened.isEmpty());
            return;
        }
        QCOMPARE(messages().prompts().size(), 0);
        const QString address = ctx().gLinks->Link(ctx().gLinkIdViewAuction).replace("[AUCTIONNUMBER]", auction);
        QVERIFY2(address.contains(auction), qPrintable(address));
        QCOMPARE(opened, QStringList{"frmBrowser:StartingAddress=" + address});
    }

    // A further sale of a listing ("...A") shows the listing's own page.
    void furtherSaleShowsListing()
    {
        auction("8001", "W1", "Blue widget", 4);
        auction("8001A", "W1", "Blue widget", 1);
        auto w = open();
        select(*w, 0);
        action(*w, "mnuPopupBrowser")->trigger();
        QCOMPARE(opened, QStringList{"frmBrowser:StartingAddress=" + ctx().gLinks->Link(ctx().gLinkIdViewAuction).replace("[AUCTIONNUMBER]", "8001")});
    }

    // Column widths: designed ones at first, the seller's ones kept by OK
    // and by the close box.
    void columnWidths_data()
    {
        QTest::addColumn<bool>("viaOK");
        QTest::newRow("OK") << true;
        QTest::newRow("close box") << false;
    }
    void columnWidths()
    {
        QFETCH(bool, viaOK);
        const QString section = "Settings\\frmRelistExcluded";
        {
            auto w = open();
            for (int c = 0; c < 4; ++c) QCOMPARE(w->list()->columnWidth(c), vb::twipsToPixels(frmRelistExcluded::DesignedWidths[c]));
            w->list()->setColumnWidth(0, vb::twipsToPixels(2000));
            w->list()->setColumnWidth(3, vb::twipsToPixels(1000));
            if (viaOK) w->findChild<QPushButton*>("cmdOK")->click();
            else QVERIFY(w->close());
        }
        QCOMPARE(AppSettings::GetSetting(section, "listColumn1").toInt(), vb::pixelsToTwips(vb::twipsToPixels(2000)));
        QCOMPARE(AppSettings::GetSetting(section, "listColumn2").toInt(), vb::pixelsToTwips(vb::twipsToPixels(3800)));
        QCOMPARE(AppSettings::GetSetting(section, "listColumn4").toInt(), vb::pixelsToTwips(vb::twipsToPixels(1000)));
        QVERIFY(!AppSettings::HasSetting(section, "Width"));  // the window's own size is not kept
        auto w = open();
        QCOMPARE(w->list()->columnWidth(0), vb::twipsToPixels(2000));
        QCOMPARE(w->list()->columnWidth(1), vb::twipsToPixels(3800));
        QCOMPARE(w->list()->columnWidth(3), vb::twipsToPixels(1000));
    }

    // A picture of the window, to look at.
    void screenshot()
    {
        auto w = open();
        select(*w, 1);
        QVERIFY(w->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("frmRelistExcluded.png")));
    }
};

VENDARO_TEST_MAIN(tst_relistexcluded)
#include "tst_relistexcluded.moc"
