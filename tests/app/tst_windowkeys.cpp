// Every window the program registers, as the keyboard meets it: it opens with
// the focus in a field (not on a button), and Tab from its first field goes
// through its fields before it reaches a button. Then the record editors:
// Tab from the code box goes to the first field, and what is typed lands there.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "RecordingMainWindow.h"
#include "TestEnvironment.h"
#include "automation/AutomationForms.h"
#include "catalogue/CatalogueForms.h"
#include "core/CoreForms.h"
#include "core/Configuration.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "email/EmailForms.h"
#include "email/clsEmails.h"
#include "mainwindow/frmMain.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/Vb.h"
#include "platform/browser/FakeBrowser.h"
#include "platform/browser/WebBrowser.h"
#include "platform/db/Connection.h"
#include "printing/PrintingForms.h"
#include "records/CodeBox.h"
#include "records/RecordEditor.h"
#include "records/RecordsForms.h"
#include "settings/SettingsForms.h"
#include "sync/SyncForms.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>
#include <optional>
#include <tuple>

namespace {

const QString CrLf = QStringLiteral("\r\n");

bool isButton(const QWidget* w) { return qobject_cast<const QPushButton*>(w) || qobject_cast<const QToolButton*>(w); }
// Neither a field nor a button: the strip of a window's tabs.
bool isTabStrip(const QWidget* w) { return qobject_cast<const QTabBar*>(w); }
bool isField(const QWidget* w) { return w && !isButton(w) && !isTabStrip(w); }

// A control Tab stops at, as Qt decides it: one that takes Tab, shown and
// enabled, and not standing in for another.
bool isTabStop(const QWidget* w, const QWidget* window)
{
    return (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isVisibleTo(window) && w->isEnabled();
}

// The control a focused part belongs to (an editable list's own box).
QWidget* controlOf(QWidget* w)
{
    if (w && w->focusProxy()) w = w->focusProxy();
    if (w && (qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget()))) w = w->parentWidget();
    return w;
}

QString nameOf(const QWidget* w)
{
    if (!w) return QStringLiteral("<nothing>");
    return QStringLiteral("%1 %2").arg(QLatin1String(w->metaObject()->className()), w->objectName());
}

// Makes the window the active one, as the seller's click does; again when a
// notice it showed as it opened took the activation with it.
bool activate(QWidget* w)
{
    for (int i = 0; i < 3; ++i) {
        w->activateWindow();
        if (QTest::qWaitForWindowActive(w)) return true;
    }
    return false;
}

// The stops Tab goes through once round, from the window's first control.
QList<QWidget*> tabStops(QWidget* window)
{
    QList<QWidget*> stops;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        if (w->window() == window && isTabStop(w, window) && !stops.contains(w)) stops << w;
    return stops;
}

}  // namespace

class tst_windowkeys : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    RecordingMainWindow recording;

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    QString firstId(const QString& sql) { return conn().Scalar(sql).toString(); }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }

    // Active: looked at open and active. Closes: it closes by itself as it
    // opens; looked at closed, its caret where the activation puts it (the first stop).
    enum Opening { Active, Closes };
    // How each window is opened; what is special about it.
    struct Case {
        QString form;
        std::function<QVariantMap(tst_windowkeys&)> vars;   // its public variables
        std::function<void(tst_windowkeys&)> before;        // answers and stand-ins it needs
        std::function<void(QWidget*)> ready;                // the seller's first step once it is open
        Opening opening = Active;
        bool noField = false;  // a window of buttons alone
    };
    static QList<Case> cases()
    {
        const auto none = [](tst_windowkeys&) { return QVariantMap{}; };
        // A notice the window gives as it opens is a window of its own (looked at here too): read and closed.
        const auto readNotices = [](tst_windowkeys&) {
            FormsRegistry::instance().overrideForm("frmMessageBox", [](QWidget* parent) {
                auto* notice = new QDialog(parent);
                QTimer::singleShot(0, notice, &QDialog::accept);
                return notice;
            });
        };
        const auto add = [](QWidget* w) { static_cast<RecordEditor*>(w)->button("cmdAdd")->click(); };
        const auto sale = [](const QString& where) {
            return [where](tst_windowkeys& t) {
                return QVariantMap{{"mAuctionId", t.firstId("SELECT AuctionId FROM Auction WHERE " + where + " ORDER BY AuctionId")}};
            };
        };
        return {
            // The record editors, adding a record: their fields enabled.
            {"frmCustomer", none, {}, add},
            {"frmPayMethod", none, {}, add},
            {"frmAuction", none, {}, add},
            {"frmItem", none, {}, add},
            {"frmItemGroup", none, {}, add},
            {"frmEmail", none, {}, add},
            {"frmItemDetails", none, {}, {}},
            // The task dialogs.
            {"frmAuctionEnded", sale("ActionId=1"), {}, {}},
            {"frmPaid", sale("ActionId=7"), {}, {}},
            {"frmSend", sale("ActionId=11"), {}, {}},
            // Dialogs on one sale.
            {"frmEmailSingle",
             [](tst_windowkeys& t) {
                 return QVariantMap{{"mRemoteAuctionId", t.firstId("SELECT AuctionId FROM Auction WHERE ActionId=2 ORDER BY AuctionId")},
                                    {"mRemoteActionId", 2},
                                    {"mRemoteItemId", "MISC"}};
             },
             {}, {}},
            {"frmFeedbackSingle",
             [](tst_windowkeys& t) {
                 return QVariantMap{{"mRemoteId", t.firstId("SELECT AuctionId FROM Auction WHERE ActionId=13 ORDER BY AuctionId")}};
             },
             {}, {}},
            {"frmFixedPriceOptions", none, {}, {}},
            {"frmRelistDetail", none, {}, {}},
            {"frmRelistExcluded", none, {}, {}},
            // The batch windows: their list is the field.
            {"frmEmailMultiple", none, {}, {}},
            {"frmFeedback", none, {}, {}},
            {"frmFixedPriceOffer", none, {}, {}},
            {"frmRelist", none, readNotices, {}},
            {"frmLabels", none, {}, {}},
            // The report previews: the page is the field.
            {"reportLabels", none, {}, {}},
            {"reportStockOnHand", none, {}, {}},
            {"reportPickingList", none, {}, {}},
            {"frmLabelsSetup", none, {}, {}},
            {"frmBrowser", none, {}, {}},
            {"frmMessageBox", [](tst_windowkeys&) { return QVariantMap{{"Message", "A note"}, {"ShowAgainVisible", true}}; }, {}, {}},
            {"frmAgreement", none, {}, {}},
            {"frmWizardDatabase", none, {}, {}},
            {"frmWizardSetup", none, {}, {}},
            {"frmConfig", none, {}, {}},
            // The choices are buttons: what to undo, or nothing.
            {"frmUndo", none, {}, {}, Active, true},
            // One button, OK: the window only informs.
            {"frmAbout", none, {}, {}, Active, true},
            // It opens straight into a run on the site, the login first: with the
            // login refused it stands as after a run, and closes.
            {"frmUpdate", none,
             [](tst_windowkeys&) {
                 FormsRegistry::instance().overrideForm("frmBrowser", [](QWidget* parent) {
                     auto* login = new QDialog(parent);
                     login->setProperty("LoginOK", false);
                     QTimer::singleShot(0, login, &QDialog::reject);
                     return login;
                 });
             },
             {}, Closes},
            {"frmMain", none, readNotices, {}},
        };
    }

private slots:
    void initTestCase()
    {
        // Every window of the program, as it registers them.
        CoreForms::Register();
        clsEmails::Register();
        EmailForms::Register();
        AutomationForms::Register();
        SettingsForms::Register();
        SyncForms::Register();
        RecordsForms::Register();
        PrintingForms::Register();
        CatalogueForms::Register();
        FormsRegistry::instance().registerForm(QStringLiteral("frmMain"), [](QWidget* parent) { return new frmMain(parent); });
        WebBrowser::setFactory([](QObject* parent) { return new FakeBrowser(parent); });
    }
    void cleanupTestCase() { WebBrowser::setFactory({}); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        // A sale at each step a window works on, due today, so that no window finds nothing to do.
        exec("INSERT INTO Customer (CustomerId, Name, Email, Address) VALUES ('kiri', 'Kiri Ngata', 'kiri@example.co.nz', '2 Beach Rd')");
        exec("INSERT INTO Item (ItemId, Description, Stocked) VALUES ('PLAIN', 'Plain', 0)");
        for (const auto& [id, step, buyer] : {std::tuple{"101", 1, ""}, {"102", 2, "kiri"}, {"107", 7, "kiri"}, {"111", 11, "kiri"},
                                              {"113", 13, "kiri"}, {"116", 16, ""}})
            exec("INSERT INTO Auction (AuctionId, ItemId, Description, ActionId, dateStart, DateEnded, dateNextAction, CustomerId, "
                 "DeliveryAddress, StartPrice, ReservePrice, BuyNowPrice, MaxBidAmount, Winningbid, Shipping, DurationFixed, DurationDays, "
                 "ExtraFeatures) VALUES (?, 'PLAIN', ?, ?, ?, ?, ?, ?, ?, 20, 25, 0, 0, 0, 5, 1, 7, ',')",
                 {id, QStringLiteral("Sale %1").arg(id), step, vb::today() - 10, vb::now() - 2, vb::today(),
                  *buyer ? QVariant(buyer) : QVariant(), *buyer ? QVariant("Kiri Ngata" + CrLf + "2 Beach Rd") : QVariant()});
        Configuration& c = ctx().gConfiguration;
        c.Feedback = "Great buyer" + CrLf + "Fast payment" + CrLf;
        c.EmailFrom = c.TradeMeEmail = "shop@example.co.nz";
        c.TradeMeUserId = "kauricrafts";
        c.EmailSignature = "Kauri Crafts";
        c.BankAccountName = "Kauri Crafts Ltd";
        c.BankAccountNumber = "12-3456-7890123-00";
        c.FPOunsold = true;
        c.DateLastUpdate = vb::now();
        recording = RecordingMainWindow();
        ctx().gMainWindow = &recording;
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        ctx().gMainWindow = nullptr;
        env.reset();
    }

    // Opens with the focus in a field; Tab from the first field reaches every
    // field before a button.
    void focusAndTabOrder_data()
    {
        QTest::addColumn<int>("index");
        const QList<Case> all = cases();
        for (int i = 0; i < all.size(); ++i) QTest::newRow(qPrintable(all[i].form)) << i;
    }
    void focusAndTabOrder()
    {
        QFETCH(int, index);
        const Case c = cases()[index];
        if (c.before) c.before(*this);
        std::unique_ptr<QWidget> w(FormsRegistry::instance().create(c.form, c.vars(*this)));
        QVERIFY(w);
        QList<QWidget*> stops;
        QWidget* focus = nullptr;
        w->show();
        if (c.opening == Active) {
            QVERIFY(activate(w.get()));
            if (c.ready) c.ready(w.get());
            QTRY_VERIFY(QApplication::focusWidget());
            focus = QApplication::focusWidget();
            stops = tabStops(w.get());
        } else {
            QTRY_VERIFY(!w->isVisible());
            stops = tabStops(w.get());
            focus = stops.value(0);
        }
        QVERIFY(messages().verifyDone());
        focus = controlOf(focus);

        QStringList names;
        for (QWidget* s : std::as_const(stops)) names << nameOf(s);
        const QString seen = QStringLiteral("focus on %1; Tab: %2").arg(nameOf(focus), names.join(QStringLiteral(", ")));
        if (c.noField) {
            QVERIFY2(std::none_of(stops.begin(), stops.end(), isField), qPrintable(seen));
            return;
        }
        QVERIFY2(isField(focus), qPrintable(seen));
        const auto first = std::find_if(stops.begin(), stops.end(), isField);
        QVERIFY2(first != stops.end(), qPrintable(seen));
        std::rotate(stops.begin(), first, stops.end());
        const auto button = std::find_if(stops.begin(), stops.end(), isButton);
        QVERIFY2(std::none_of(button, stops.end(), isField), qPrintable(seen));
    }

    // Adding a record: Tab from the code box goes to the first field, and what
    // is typed there stays there (nothing is pressed).
    void recordEditorsTabFromTheCodeBox_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::newRow("buyers") << "frmCustomer" << "txtName" << "Sean O'Brien";
        QTest::newRow("payment methods") << "frmPayMethod" << "txtDescription" << "Sean O'Brien's account";
        QTest::newRow("sales") << "frmAuction" << "txtDescription" << "Rimu bowl";
        QTest::newRow("items") << "frmItem" << "txtDescription" << "Rimu bowl";
        QTest::newRow("item groups") << "frmItemGroup" << "txtDescription" << "Bowls";
        // The first field is a list of item codes to choose from.
        QTest::newRow("templates") << "frmEmail" << "cboItem" << "";
    }
    void recordEditorsTabFromTheCodeBox()
    {
        QFETCH(QString, form);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        std::unique_ptr<QWidget> w(FormsRegistry::instance().create(form));
        auto* editor = qobject_cast<RecordEditor*>(w.get());
        QVERIFY(editor);
        editor->show();
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        editor->button("cmdAdd")->click();
        QTRY_COMPARE(controlOf(QApplication::focusWidget()), static_cast<QWidget*>(editor->codeBox()));
        QTest::keyClicks(QApplication::focusWidget(), "ZZNEW");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* at = controlOf(QApplication::focusWidget());
        QVERIFY2(at, "no focus");
        QCOMPARE(at->objectName(), field);
        if (!typed.isEmpty()) {
            QTest::keyClicks(at, typed);
            QCOMPARE(qobject_cast<QLineEdit*>(at)->text(), typed);
        }
        QCOMPARE(editor->editMode(), int(RecordEditor::Adding));
        QVERIFY(messages().verifyDone());
    }
};

VENDARO_TEST_MAIN(tst_windowkeys)
#include "tst_windowkeys.moc"
