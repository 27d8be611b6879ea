// Windows on a 1920 x 1080 screen at the scale ctest gives (1, and 2 as a
// high-density desktop sets it): messages, hints, Options and the batch
// windows open within the screen, their buttons in reach, and the batch
// windows wide enough for their columns where the screen has the room.

#include "BoxLook.h"
#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "automation/BatchQueueWindow.h"
#include "core/CoreForms.h"
#include "core/ProgramContext.h"
#include "core/frmMessageBox.h"
#include "core/modDatabase.h"
#include "email/clsEmails.h"
#include "email/frmEmailMultiple.h"
#include "platform/MessageDialog.h"
#include "platform/QtMessageService.h"
#include "platform/Vb.h"
#include "platform/db/Connection.h"
#include "settings/frmConfig.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QStandardItem>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <memory>
#include <optional>

namespace {
QString scale() { return qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") ? QStringLiteral("1") : qEnvironmentVariable("QT_SCALE_FACTOR"); }
QString shot(const QString& name) { return QDir(TestEnvironment::screenshotFolder()).filePath(QStringLiteral("fit-x%1-%2.png").arg(scale(), name)); }

// A widget's place in its window.
QRect inWindow(const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

// A batch window with the columns of one of the four, and a row of the texts they hold.
class Queue : public BatchQueueWindow {
public:
    Queue(const QString& name, const QStringList& headers, const QStringList& row) : BatchQueueWindow(setup(name, headers), nullptr), m_row(row) {}

protected:
    bool fillList() override
    {
        for (int i = 0; i < 8; ++i) addRow(m_row, true);
        return true;
    }
    RowOutcome startRow(int) override { return RowOutcome::Succeeded; }
    QString buyerOf(int) const override { return {}; }
    QString itemOf(int) const override { return {}; }

private:
    static Setup setup(const QString& name, const QStringList& headers)
    {
        Setup s;
        s.formName = name;
        s.caption = name;
        s.headers = headers;
        return s;
    }
    QStringList m_row;
};
}  // namespace

class tst_screenfit : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }
    QRect area() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    void verifyOnScreen(const QWidget& w)
    {
        QVERIFY2(area().contains(w.frameGeometry()), qPrintable(QStringLiteral("%1: %2x%3 at %4,%5 on %6x%7")
                                                                      .arg(w.objectName())
                                                                      .arg(w.frameGeometry().width())
                                                                      .arg(w.frameGeometry().height())
                                                                      .arg(w.frameGeometry().x())
                                                                      .arg(w.frameGeometry().y())
                                                                      .arg(area().width())
                                                                      .arg(area().height())));
    }
    // Every column in view, or the window as wide as the screen lets it be.
    void verifyWideEnough(const BatchQueueWindow& w)
    {
        QTreeView* list = w.list();
        int columns = 0;
        for (int c = 0; c < list->model()->columnCount(); ++c) columns += c + 1 < list->model()->columnCount() ? list->columnWidth(c) : static_cast<const QAbstractItemView*>(list)->sizeHintForColumn(c);
        const bool allShown = columns <= list->viewport()->width();
        const bool screenWide = w.frameGeometry().width() >= area().width() - 40;
        QVERIFY2(allShown || screenWide, qPrintable(QStringLiteral("%1: columns %2, list %3, window %4 of %5")
                                                        .arg(w.objectName())
                                                        .arg(columns)
                                                        .arg(list->viewport()->width())
                                                        .arg(w.width())
                                                        .arg(area().width())));
    }

private slots:
    void initTestCase()
    {
        CoreForms::Register();
        clsEmails::Register();
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size() * scale().toDouble(), QSize(1920, 1080));
    }
    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup() { env.reset(); }

    // A question quoting a whole e-mail: the text scrolls, Yes and No stay on the screen.
    void longQuestionFits()
    {
        QString email;
        for (int i = 0; email.size() < 100 * 1024; ++i) email += QStringLiteral("Line %1: your parcel left today by courier.\r\n").arg(i);
        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QVERIFY(QTest::qWaitForWindowExposed(box));
            verifyOnScreen(*box);
            for (QAbstractButton* b : box->buttons()) QVERIFY(box->rect().contains(inWindow(b)));
            QVERIFY(box->textScrolls());
            box->grab().save(shot("message"));
            checked = true;
            box->button(QDialogButtonBox::Yes)->click();
        });
        QtMessageService real;
        QCOMPARE(real.MsgBox("Email not sent.\r\n\r\n" + email + "\r\n\r\nTry again?", vbmsg::YesNo + vbmsg::Critical, "Vendaro email outbox"),
                 int(vbmsg::Yes));
        QVERIFY(checked);
    }

    void longHintFits()
    {
        QStringList words;
        for (int i = 0; i < 4000; ++i) words << QStringLiteral("word%1").arg(i);
        frmMessageBox box;
        box.Message = words.join(' ');
        box.MessageType = vbmsg::Information;
        box.ShowAgainVisible = true;
        box.formTitle = "Vendaro";
        QVERIFY(box.Form_Load());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        verifyOnScreen(box);
        QVERIFY(box.rect().contains(inWindow(box.cmdOK)));
    }

    // Options: within the screen on every tab, its buttons in reach; a page
    // taller than the room scrolls.
    void optionsFit()
    {
        frmConfig d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        for (int tab = 0; tab < d.tabDetails->count(); ++tab) {
            d.tabDetails->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            verifyOnScreen(d);
            for (QPushButton* b : d.findChildren<QPushButton*>(QRegularExpression("^cmd(Update|Apply|Cancel)$")))
                QVERIFY2(d.rect().contains(inWindow(b)), qPrintable(b->objectName()));
            auto* page = qobject_cast<QScrollArea*>(d.tabDetails->currentWidget());
            QVERIFY(page);
            QVERIFY2(page->widget()->height() >= page->widget()->minimumSizeHint().height(), qPrintable(QString::number(tab)));
        }
        d.tabDetails->setCurrentIndex(frmConfig::TasksPre);
        d.grab().save(shot("options-tasks"));
    }

    // The batch windows: wide enough for their columns, within the screen.
    void batchWindowsFit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("row");
        QTest::newRow("relist") << "frmRelist"
                                << QStringList{"Auction #", "Item", "Title", "Currrent listings", "Action", "Start price", "Reserve",
                                               "Buy Now", "Top bid", "Duration", "Days", "End time", "Extra features"}
                                << QStringList{"2871040204A", "TEAPOT-BLUE", "Blue teapot with matching cups", "2", "Relist", "$10.00",
                                               "$15.00", "$45.00", "$0.00", "Fixed", "7", "8:30 pm", "Bold, Gallery"};
        QTest::newRow("fixed price offers") << "frmFixedPriceOffer"
                                            << QStringList{"Auction#", "Item", "Title", "Date", "Sold/Unsold", "Start price", "Reserve",
                                                           "Top Bid", "Buy Now", "Fixed Price Offer", "Days valid for"}
                                            << QStringList{"2871040204A", "TEAPOT-BLUE", "Blue teapot with matching cups", "12/03/2024",
                                                           "Unsold", "$10.00", "$15.00", "$12.50", "$45.00", "$14.00", "3"};
        QTest::newRow("feedback") << "frmFeedback" << QStringList{"Auction#", "Title", "BuyerId", "Comment"}
                                  << QStringList{"2871040204A", "Blue teapot with matching cups", "o'brien_fan",
                                                 "Great buyer, fast payment, a pleasure to deal with. Thank you!"};
    }
    void batchWindowsFit()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, headers);
        QFETCH(QStringList, row);
        Queue w(name, headers, row);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        verifyOnScreen(w);
        verifyWideEnough(w);
        QVERIFY(w.rect().contains(inWindow(w.startButton())));
        QVERIFY(w.rect().contains(inWindow(w.cancelButton())));
        w.grab().save(shot(name));
        w.reject();
    }

    // The same windows on a dark desktop, for the eye (build/screenshots).
    void darkDesktopPictures()
    {
        const QPalette light = QApplication::palette();
        QApplication::setPalette(BoxLook::dark());
        const auto restore = qScopeGuard([light] { QApplication::setPalette(light); });

        QString lines;
        for (int i = 1; i <= 120; ++i) lines += QStringLiteral("Listing %1 could not be read.\n").arg(i);
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QVERIFY(QTest::qWaitForWindowExposed(box));
            verifyOnScreen(*box);
            box->grab().save(shot("dark-message"));
            box->button(QDialogButtonBox::Ok)->click();
        });
        QtMessageService real;
        QCOMPARE(real.MsgBox(lines, vbmsg::Exclamation, ""), int(vbmsg::OK));

        frmConfig d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.tabDetails->setCurrentIndex(frmConfig::Email);
        QCoreApplication::processEvents();
        d.grab().save(shot("dark-options-email"));
        d.reject();

        Queue w("frmFixedPriceOffer", {"Auction#", "Item", "Title", "Date", "Sold/Unsold", "Start price", "Reserve", "Top Bid", "Buy Now",
                                       "Fixed Price Offer", "Days valid for"},
                {"2871040204A", "TEAPOT-BLUE", "Blue teapot with matching cups", "12/03/2024", "Unsold", "$10.00", "$15.00", "$12.50",
                 "$45.00", "$14.00", "3"});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        verifyOnScreen(w);
        w.grab().save(shot("dark-offers"));
        w.reject();
    }

    // The bulk e-mail window, opened as the program opens it.
    void bulkEmailFits()
    {
        Connection& c = *ctx().gConnection;
        QVERIFY(c.Execute("INSERT INTO Customer (CustomerId, Name, Email) VALUES ('kiri', 'Kiri Ngata', 'kiri.ngata.family@example.co.nz')"));
        for (int i = 0; i < 5; ++i)
            QVERIFY(c.Execute("INSERT INTO Auction (AuctionId, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId) "
                              "VALUES (?, 'Blue teapot with matching cups and saucers', 'MISC', 2, ?, ?, 'kiri')",
                              {QStringLiteral("287104020%1").arg(i), vb::now() - 9, vb::today()}));
        frmEmailMultiple w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.rowCount(), 5);
        verifyOnScreen(w);
        verifyWideEnough(w);
        w.reject();
    }
};

int main(int argc, char** argv)
{
    // The screen: 1920 x 1080 device pixels, the scale from the environment.
    QTemporaryDir dir;
    const QString config = QDir(dir.path()).filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return 2;
    file.write(R"({"screens": [{"name": "FullHD", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toUtf8());
    TestEnvironment::prepareProcess();
    QApplication app(argc, argv);
    tst_screenfit tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_screenfit.moc"
