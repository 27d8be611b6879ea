#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/frmUndo.h"
#include "core/modDatabase.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <optional>

namespace {
// Rejects the first modal window that opens and counts it, so a dialog that
// should never have shown cannot hang the run.
class ModalWatch {
public:
    ModalWatch()
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ++opened;
                d->reject();
            }
        });
        m_timer.start();
    }
    int opened = 0;

private:
    QTimer m_timer;
};
}  // namespace

class tst_undodialog : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }
    Connection& conn() { return *ctx().gConnection; }

    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    QVariant scalar(const QString& sql, const QVariantList& binds = {}) { return conn().Scalar(sql, binds); }

    // A sale waiting to be sent: step 7, due 45000.
    void addSale(const QString& id, const QString& title)
    {
        exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, DateNextAction) VALUES (?, 'MISC', ?, 7, 45000)", {id, title});
    }
    qint64 addHistory(const QString& id, double date, const QString& description, const QString& changed)
    {
        if (!conn().Execute("INSERT INTO History (AuctionId, \"Date\", Description, Changed) VALUES (?, ?, ?, ?)",
                            {id, date, description, changed})) {
            QTest::qFail(qPrintable(conn().lastError()), __FILE__, __LINE__);
            return -1;
        }
        return scalar("SELECT last_insert_rowid()").toLongLong();
    }
    // Step and due date of a sale, as "7/45000".
    QString saleState(const QString& id)
    {
        return scalar("SELECT ActionId || '/' || CAST(DateNextAction AS INTEGER) FROM Auction WHERE AuctionId=?", {id}).toString();
    }
    QList<qint64> historyRows()
    {
        QList<qint64> rows;
        const QVariant all = scalar("SELECT group_concat(Autonumber) FROM (SELECT Autonumber FROM History ORDER BY Autonumber)");
        for (const QString& n : all.toString().split(u',', Qt::SkipEmptyParts)) rows << n.toLongLong();
        return rows;
    }

    // Two sales with history: B2's row is the newest of all, A1 has two rows.
    struct Rows {
        qint64 a1Old, a1New, b2New, b2AutoComplete;
    };
    Rows addTwoSales()
    {
        addSale("A1", "Blue widget, as new");
        addSale("B2", "Red widget");
        Rows r;
        r.a1Old = addHistory("A1", 45000.5, "Auction ended successfully", "ActionId=1,DateNextAction=44990");
        r.a1New = addHistory("A1", 45001.5, "Payment received", "ActionId=4,DateNextAction=46000");
        r.b2New = addHistory("B2", 45002.5, "Sent invoice email", "ActionId=3,DateNextAction=46001");
        r.b2AutoComplete = addHistory("B2", 45003.5, "Completed", "[AUTOCOMPLETE]");  // never offered
        return r;
    }

private slots:
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup() { env.reset(); }

    void nothingToUndoClosesTheDialog_data()
    {
        QTest::addColumn<bool>("autoCompleteRow");
        QTest::newRow("no history") << false;
        QTest::newRow("only an [AUTOCOMPLETE] row") << true;
    }
    void nothingToUndoClosesTheDialog()
    {
        QFETCH(bool, autoCompleteRow);
        addSale("A1", "Blue widget");
        if (autoCompleteRow) addHistory("A1", 45003.5, "Completed", "[AUTOCOMPLETE]");

        frmUndo dialog;
        env->messages().answer(vbmsg::OK, "Nothing to undo!");
        QVERIFY(!dialog.Form_Activate());
        QCOMPARE(env->messages().prompts().at(0).style, int(vbmsg::Information));

        env->messages().answer(vbmsg::OK, "Nothing to undo!");
        ModalWatch watch;
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(watch.opened, 0);
    }

    void offersTheNewestTaskOfAllSales()
    {
        addTwoSales();
        frmUndo dialog;
        QVERIFY(dialog.Form_Activate());
        QCOMPARE(dialog.lblUndoLast->text(), QStringLiteral("Undo task: 'Sent invoice email\r\nFor auction # B2\r\nRed widget"));
        QCOMPARE(dialog.lblUndoSelected->text(), QStringLiteral("No auction selected\r\n"));
        QVERIFY(!dialog.cmdUndoSelected->isEnabled());
        QVERIFY(dialog.cmdUndoLast->isEnabled());
    }

    void offersTheSelectedSalesTaskToo()
    {
        addTwoSales();
        ctx().gUndoSelectedAuctionId = "A1";
        frmUndo dialog;
        QVERIFY(dialog.Form_Activate());
        QCOMPARE(dialog.lblUndoLast->text(), QStringLiteral("Undo task: 'Sent invoice email\r\nFor auction # B2\r\nRed widget"));
        QCOMPARE(dialog.lblUndoSelected->text(), QStringLiteral("Undo task: 'Payment received\r\nFor auction # A1\r\nBlue widget, as new"));
        QVERIFY(dialog.cmdUndoSelected->isEnabled());
        QVERIFY(dialog.cmdUndoLast->isEnabled());
        QCOMPARE(ctx().gUndoSelectedAuctionId, QString());
    }

    void selectedSaleWithoutHistoryClosesTheDialog()
    {
        addTwoSales();
        addSale("C3", "Green widget");
        addHistory("C3", 45004.5, "Completed", "[AUTOCOMPLETE]");
        ctx().gUndoSelectedAuctionId = "C3";
        frmUndo dialog;
        env->messages().answer(vbmsg::OK, "Nothing to undo!");
        QVERIFY(!dialog.Form_Activate());
        QCOMPARE(env->messages().prompts().size(), 1);
        // The selection stays for the caller.
        QCOMPARE(ctx().gUndoSelectedAuctionId, QStringLiteral("C3"));
    }

    void undoButtons_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("undoneSale");  // empty: nothing undone
        QTest::newRow("last task, nothing selected") << "" << "cmdUndoLast" << "B2";
        QTest::newRow("last task, another sale selected") << "A1" << "cmdUndoLast" << "B2";
        QTest::newRow("selected sale") << "A1" << "cmdUndoSelected" << "A1";
        QTest::newRow("selected sale holds the last task, last") << "B2" << "cmdUndoLast" << "B2";
        QTest::newRow("selected sale holds the last task, selected") << "B2" << "cmdUndoSelected" << "B2";
        QTest::newRow("cancel") << "A1" << "cmdCancel" << "";
    }
    void undoButtons()
    {
        QFETCH(QString, selected);
        QFETCH(QString, button);
        QFETCH(QString, undoneSale);
        const Rows rows = addTwoSales();
        const QList<qint64> before = historyRows();
        ctx().gUndoSelectedAuctionId = selected;

        frmUndo dialog;
        QVERIFY(dialog.Form_Activate());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* clicked = dialog.findChild<QPushButton*>(button);
        QVERIFY(clicked);
        QTest::mouseClick(clicked, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());

        QList<qint64> remaining = before;
        if (undoneSale.isEmpty()) {
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        } else {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            // An undo takes the sale's [AUTOCOMPLETE] rows along with the row undone.
            if (undoneSale == "A1") {
                remaining.removeOne(rows.a1New);
            } else {
                remaining.removeOne(rows.b2New);
                remaining.removeOne(rows.b2AutoComplete);
            }
        }
        QCOMPARE(historyRows(), remaining);
        QCOMPARE(saleState("A1"), QString(undoneSale == "A1" ? "4/46000" : "7/45000"));
        QCOMPARE(saleState("B2"), QString(undoneSale == "B2" ? "3/46001" : "7/45000"));
    }

    void looksLikeAFinishedWindow()
    {
        addTwoSales();
        ctx().gUndoSelectedAuctionId = "A1";
        frmUndo dialog;
        QVERIFY(dialog.Form_Activate());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(50);
        const QString shots = TestEnvironment::screenshotFolder();
        QVERIFY(dialog.grab().save(QDir(shots).filePath("undo.png")));
    }
};

VENDARO_TEST_MAIN(tst_undodialog)
#include "tst_undodialog.moc"
