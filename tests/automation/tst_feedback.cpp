// Leaving feedback offscreen, against a scripted site in the fake browser:
// the standard comments as the windows offer and deal them, the single
// feedback dialog (leave and change-comment modes), the bulk window's list,
// batch, failures, cancels and comment changes, and the main window's entries.

#include "DatabaseFixture.h"
#include "MainWindowDriver.h"
#include "ModalDriver.h"
#include "TestEnvironment.h"
#include "ViewedBrowser.h"
#include "automation/AutomationForms.h"
#include "automation/FeedbackRules.h"
#include "automation/frmFeedback.h"
#include "automation/frmFeedbackSingle.h"
#include "core/ProgramContext.h"
#include "core/modDatabase.h"
#include "mainwindow/frmMain.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/browser/FakeBrowser.h"
#include "platform/db/Connection.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QStandardItem>
#include <QTimer>
#include <QTreeView>
#include <QUrlQuery>

#include <functional>
#include <memory>
#include <optional>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QString Placed = QStringLiteral("Your feedback has been placed. Thank you.");
const QString Once = QStringLiteral("You may only place feedback once on an auction.");
const QString AlreadyPlacedSaid = QStringLiteral("Feedback has already been placed for this member.");
const QString Confirm = QStringLiteral("feedback comments.\r\n\r\nAre you sure you want to continue?");

QString unescape(QString s)
{
    s.replace("&quot;", "\"").replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&");
    return s;
}
QString fieldValue(const QString& page, const QString& name)
{
    const auto m = QRegularExpression("name=\"" + name + "\" value=\"([^\"]*)\"").match(page);
    return m.hasMatch() ? unescape(m.captured(1)) : QStringLiteral("<missing>");
}
}  // namespace

// The site as the feedback windows see it: the member search, the filled
// feedback page posting itself, the site's answer (placed once per auction)
// and the blank page that ends a placement.
struct ScriptedSite {
    struct Post {
        QString auction, member, feedback, role;
    };
    QMap<QString, QString> members = {{"kiri", "3001"}, {"mere", "3002"}, {"tama", "3003"}};
    QSet<QString> silent;    // buyers whose search page never loads
    QSet<QString> placed;    // auctions with feedback on the site
    QStringList searches;    // buyers searched for, in order
    QList<Post> posts;
    std::function<void(const QString& buyer)> onSearch;  // runs as a search page is asked for
    QString answer;

    FakeBrowser::Page load(const QString& address, const QString& content)
    {
        const QString site = SiteConfig::siteUrl();
        if (address.endsWith(QLatin1String("VNTMFB.sub"))) {
            const Post p{fieldValue(content, "auctionid"), fieldValue(content, "memberid"), fieldValue(content, "feedback"),
                         fieldValue(content, "role")};
            posts << p;
            answer = placed.contains(p.auction) ? Once : Placed;
            placed.insert(p.auction);
            return {QString(), "VNTMFB", "Placing feedback on TradeMe...", content, site + "/MyTradeMe/Feedback/Place.aspx"};
        }
        if (address.endsWith(QLatin1String("VNTM.sub"))) return {QString(), "VNTM", "", content};
        if (address.startsWith(site + "/Browse/SearchResults.aspx")) {
            const QString name = QUrlQuery(QUrl(address)).queryItemValue("searchstring", QUrl::FullyDecoded);
            searches << name;
            if (onSearch) onSearch(name);
            if (silent.contains(name)) return {.neverLoads = true};
            if (members.contains(name.toLower()))
                return {site + "/Members/Listings.aspx?member=" + members.value(name.toLower()), "Member - TradeMe", name, ""};
            return {address, "Search results - TradeMe", "No members found for " + name + ".", ""};
        }
        if (address.startsWith(site + "/MyTradeMe/Feedback/Place.aspx")) return {address, "Feedback - TradeMe", answer, ""};
        return {address, "Somewhere", "Another page", ""};
    }
};

// The login window: confirms (or not) at once.
class LoginStandIn : public QDialog {
public:
    LoginStandIn(QWidget* parent, bool ok, int* logins, QStringList* pages) : QDialog(parent)
    {
        QTimer::singleShot(0, this, [this, ok, logins, pages] {
            if (!property("AutoLogin").toBool()) {
                *pages << property("StartingAddress").toString();
                return accept();
            }
            ++*logins;
            setProperty("LoginOK", ok);
            accept();
        });
    }
};

class tst_feedback : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ScriptedSite site;
    bool loginOK = true;
    int logins = 0;
    QStringList pages;  // pages opened in the browser window

    ProgramContext& ctx() { return ProgramContext::current(); }
    ScriptedMessages& messages() { return env->messages(); }
    Connection& conn() { return *ctx().gConnection; }
    void exec(const QString& sql, const QVariantList& binds = {}) { QVERIFY2(conn().Execute(sql, binds), qPrintable(conn().lastError())); }
    int stepOf(const QString& id) { return conn().Scalar("SELECT ActionId FROM Auction WHERE AuctionId=?", {id}).toInt(); }

    void sale(const QString& id, int step, const QString& buyer, const QString& type = "A", double due = vb::today(), bool highlight = false)
    {
        exec("INSERT INTO Auction (AuctionId, AuctionType, Description, ItemId, ActionId, dateStart, dateNextAction, CustomerId, "
             "Winningbid, Highlight) VALUES (?, ?, ?, 'MISC', ?, ?, ?, ?, 20, ?)",
             {id, type, "Sale " + id, step, vb::now() - 9, due, buyer, highlight});
    }
    QStringList listed(const frmFeedback& w)
    {
        QStringList rows;
        for (int r = 0; r < w.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 4; ++c) cells << w.cell(r, c)->text();
            rows << cells.join(u'|');
        }
        return rows;
    }
    QStringList posted() const
    {
        QStringList out;
        for (const auto& p : site.posts) out << p.auction + "|" + p.member + "|" + p.feedback + "|" + p.role;
        return out;
    }
    std::unique_ptr<frmFeedbackSingle> single(const QString& id, bool changeComment = false)
    {
        auto d = std::make_unique<frmFeedbackSingle>();
        d->mRemoteId = id;
        d->mRemoteFeedbackMultiple = changeComment;
        d->show();
        return d;
    }
    std::unique_ptr<frmFeedback> bulk()
    {
        auto w = std::make_unique<frmFeedback>();
        w->show();
        return w;
    }
    // Runs until the window has closed.
    static bool closes(QWidget& w) { return QTest::qWaitFor([&] { return !w.isVisible(); }, 5000); }

private slots:
    void init()
    {
        qunsetenv("VENDARO_SITE_URL");
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
        ctx().gConfiguration.Feedback = "Great buyer" + CrLf + "Fast payment" + CrLf + "Thanks" + CrLf;
        site = ScriptedSite();
        loginOK = true;
        logins = 0;
        pages.clear();
        WebBrowser::setFactory([this](QObject* parent) {
            auto* b = new FakeBrowser(parent);
            b->setHandler([this](const QString& a, const QString& c) { return site.load(a, c); });
            return b;
        });
        FormsRegistry::instance().overrideForm("frmBrowser", [this](QWidget* parent) { return new LoginStandIn(parent, loginOK, &logins, &pages); });
    }
    void cleanup()
    {
        FormsRegistry::instance().clearOverrides();
        WebBrowser::setFactory({});
        env.reset();
    }

    // ---- the comments ----

    void tidyComments_data()
    {
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("tidied");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("trailing blank lines and blanks") << "Great  \r\nThanks \r\n\r\n  \r\n  " << "Great  \r\nThanks" << QStringList{"Great  ", "Thanks"};
        QTest::newRow("a blank line between is kept") << "Great\r\n\r\nThanks\r\n" << "Great\r\n\r\nThanks" << QStringList{"Great", "", "Thanks"};
        QTest::newRow("one comment") << "Thanks" << "Thanks" << QStringList{"Thanks"};
        QTest::newRow("blanks only") << "  \r\n \r\n" << "" << QStringList{};
        QTest::newRow("nothing") << "" << "" << QStringList{};
    }
    void tidyComments()
    {
        QFETCH(QString, loaded);
        QFETCH(QString, tidied);
        QFETCH(QStringList, lines);
        QCOMPARE(FeedbackRules::TidyComments(loaded), tidied);
        QCOMPARE(FeedbackRules::CommentLines(tidied), lines);
        ctx().gConfiguration.Feedback = loaded;
        if (lines.isEmpty()) messages().answer(vbmsg::OK, "Please set the feedback comments under tools/options on the main menu first.");
        QCOMPARE(FeedbackRules::LoadComments(), lines);
        // The loaded text ends in exactly one CR LF afterwards (none when empty).
        QCOMPARE(ctx().gConfiguration.Feedback, tidied.isEmpty() ? QString() : tidied + CrLf);
    }

    void memberSearchKeepsTheNameWhole()
    {
        const QUrl url(FeedbackRules::MemberSearchAddress("o'brien&co #1"));
        QCOMPARE(url.path(), QStringLiteral("/Browse/SearchResults.aspx"));
        const QUrlQuery query(url);
        QCOMPARE(query.queryItemValue("searchtype"), QStringLiteral("SELLER"));
        QCOMPARE(query.queryItemValue("searchstring", QUrl::FullyDecoded), QStringLiteral("o'brien&co #1"));
        QCOMPARE(query.queryItemValue("searchregion"), QStringLiteral("100"));
    }

    // ---- the single dialog ----

    // Placed feedback completes the task only for a sale at the feedback
    // step; a sale at another step keeps its step. A further sale ("...A")
    // goes to the site by its listing; an offer ("O") in its own role.
    void singleLeavesFeedback_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("post");
        QTest::newRow("due feedback") << "2150001" << 13 << "A" << 14 << "2150001|3001|Thanks :)|successful_bidder";
        QTest::newRow("a further sale, offer") << "2150001B" << 13 << "O" << 14 << "2150001|3001|Thanks :)|offer_recipient";
        QTest::newRow("at dispatch: no shipment recorded") << "2150002" << 11 << "A" << 11 << "2150002|3001|Thanks :)|successful_bidder";
        QTest::newRow("at payment: no payment recorded") << "2150003" << 7 << "A" << 7 << "2150003|3001|Thanks :)|successful_bidder";
    }
    void singleLeavesFeedback()
    {
        QFETCH(QString, id);
        QFETCH(int, step);
        QFETCH(QString, type);
        QFETCH(int, after);
        QFETCH(QString, post);
        ctx().gConfiguration.Feedback = "Thanks  \r\n\r\n";  // one comment: always the one offered
        sale(id, step, "kiri", type);
        auto d = single(id);
        QCOMPARE(d->auction()->text(), id);
        QCOMPARE(d->auction()->property("Tag").toString(), type);
        QCOMPARE(d->buyer()->text(), QStringLiteral("kiri"));
        QCOMPARE(d->description()->text(), "Sale " + id);
        QCOMPARE(d->standardComments()->count(), 1);
        QCOMPARE(d->standardComments()->currentText(), QStringLiteral("Thanks"));
        QCOMPARE(ctx().gConfiguration.Feedback, QStringLiteral("Thanks\r\n"));
        messages().answer(vbmsg::OK, "Finished leaving feedback for kiri");
        d->okButton()->click();
        QVERIFY(closes(*d));
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(posted(), QStringList{post});
        QCOMPARE(stepOf(id), after);
        QCOMPARE(DatabaseFixture::rows("SELECT Description FROM History WHERE AuctionId=?", {id}),
                 after == 14 ? QStringList{"Positive feedback placed"} : QStringList{});
        QCOMPARE(logins, 1);
    }

    // A blank standard comment sends " :)"; an empty custom one is refused.
    void singleComments()
    {
        ctx().gConfiguration.Feedback = "Great\r\n\r\nThanks";
        sale("2150001", 13, "kiri");
        auto d = single("2150001");
        d->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("feedback-single.png"));
        QCOMPARE(d->standardComments()->count(), 3);
        d->option(1)->click();
        QVERIFY(d->customComment()->isEnabled() && !d->standardComments()->isEnabled());
        d->customComment()->setPlainText("   ");
        messages().answer(vbmsg::OK, "Enter a custom comment first or select a standard comment");
        d->okButton()->click();
        QVERIFY(d->isVisible());
        QCOMPARE(logins, 0);
        d->option(0)->click();
        d->standardComments()->setCurrentIndex(1);
        messages().answer(vbmsg::OK, "Finished leaving feedback for kiri");
        d->okButton()->click();
        QVERIFY(closes(*d));
        QCOMPARE(site.posts.value(0).feedback, QStringLiteral(" :)"));
    }

    // While the steps run, OK and the comment are disabled: a second OK
    // starts nothing. A page that never loads leaves Cancel as the way out.
    void singleWhilePlacing()
    {
        site.silent << "kiri";
        sale("2150001", 13, "kiri");
        auto d = single("2150001");
        d->okButton()->click();
        QCOMPARE(d->step(), 1);
        QVERIFY(!d->okButton()->isEnabled());
        QVERIFY(!d->standardComments()->isEnabled());
        QVERIFY(!d->option(0)->isEnabled() && !d->option(1)->isEnabled());
        QVERIFY(d->cancelButton()->isEnabled());
        d->cmdOK_Click();  // as a click that slipped through
        QTest::qWait(50);
        QCOMPARE(site.searches, QStringList{"kiri"});
        QCOMPARE(logins, 1);
        d->cancelButton()->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(d->step(), 0);
        QCOMPARE(stepOf("2150001"), 13);
    }

    // The site refuses: its message, the dialog closes, the task stays.
    void singleRefused_data()
    {
        QTest::addColumn<QString>("buyer");
        QTest::addColumn<QString>("said");
        QTest::newRow("placed before") << "kiri" << AlreadyPlacedSaid;
        QTest::newRow("unknown buyer") << "nobody" << QStringLiteral("Could not retrieve member number (nobody).");
    }
    void singleRefused()
    {
        QFETCH(QString, buyer);
        QFETCH(QString, said);
        site.placed << "2150001";
        sale("2150001", 13, buyer);
        auto d = single("2150001");
        messages().answer(vbmsg::OK, said);
        d->okButton()->click();
        QVERIFY(closes(*d));
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(stepOf("2150001"), 13);
    }

    // A login that is not confirmed leaves the dialog as it was.
    void singleLoginRefused()
    {
        loginOK = false;
        sale("2150001", 13, "kiri");
        auto d = single("2150001");
        d->okButton()->click();
        QVERIFY(d->isVisible());
        QVERIFY(d->okButton()->isEnabled());
        QCOMPARE(d->step(), 0);
        QVERIFY(site.searches.isEmpty());
        d->cancelButton()->click();
    }

    void singleCannotOpen_data()
    {
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("said");
        QTest::newRow("no comments") << " \r\n" << "2150001" << "Please set the feedback comments under tools/options on the main menu first.";
        QTest::newRow("no such sale") << "Thanks" << "999" << "Cannot find auction 999.";
        QTest::newRow("no buyer") << "Thanks" << "2150002" << "Cannot leave feedback - there are no buyer details";
    }
    void singleCannotOpen()
    {
        QFETCH(QString, comments);
        QFETCH(QString, id);
        QFETCH(QString, said);
        ctx().gConfiguration.Feedback = comments;
        sale("2150001", 13, "kiri");
        sale("2150002", 13, "");
        messages().answer(vbmsg::OK, said);
        auto d = single(id);
        QVERIFY(closes(*d));
        QCOMPARE(logins, 0);
    }

    // Change-comment mode: opens on an empty custom comment, hands the
    // comment back, nothing goes to the site and the task stays.
    void singleChangesTheComment()
    {
        sale("2150001", 13, "kiri");
        auto d = single("2150001", true);
        QVERIFY(d->option(1)->isChecked());
        QVERIFY(d->customComment()->isEnabled());
        QVERIFY(d->customComment()->toPlainText().isEmpty());
        d->customComment()->setPlainText("Lovely to deal with");
        d->okButton()->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(d->Comment(), QStringLiteral("Lovely to deal with"));
        QVERIFY(!d->mRemoteFeedbackMultiple);
        QCOMPARE(logins, 0);
        QVERIFY(site.searches.isEmpty());
        QCOMPARE(stepOf("2150001"), 13);
    }

    // The caret starts at the kind of comment chosen; Enter in a custom
    // comment starts a new line, Enter elsewhere is OK.
    void singleKeyboard()
    {
        sale("2150001", 13, "kiri");
        auto d = single("2150001", true);
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        QCOMPARE(QApplication::focusWidget(), d->option(1));
        d->customComment()->setFocus();
        QTest::keyClicks(d->customComment(), "Lovely");
        QTest::keyClick(d->customComment(), Qt::Key_Return);
        QTest::keyClicks(d->customComment(), "to deal with");
        QVERIFY(d->isVisible());
        d->option(1)->setFocus();
        QTest::keyClick(d->option(1), Qt::Key_Return);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(d->Comment(), QStringLiteral("Lovely\nto deal with"));

        auto e = single("2150001", true);
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e.get()));
        e->option(0)->click();
        e->standardComments()->setCurrentIndex(1);
        e->standardComments()->setFocus();
        QTest::keyClick(e->standardComments(), Qt::Key_Return);
        QVERIFY(!e->isVisible());
        QCOMPARE(e->Comment(), QStringLiteral("Fast payment"));
    }

    // ---- the bulk window ----

    // Due sales at the feedback step, by buyer; comments dealt in turn.
    void bulkLists()
    {
        sale("105", 13, "tama");
        sale("101", 13, "mere", "O");
        sale("102", 13, "kiri", "A", vb::today() - 3, true);
        sale("104", 13, "mere");
        sale("103", 13, "kiri");
        sale("106", 13, "kiri", "A", vb::today() + 1);  // due tomorrow
        sale("107", 12, "kiri");                         // another step
        sale("108", 14, "kiri");
        auto w = bulk();
        QCOMPARE(listed(*w), (QStringList{"102|Sale 102|kiri|Great buyer", "103|Sale 103|kiri|Fast payment", "101|Sale 101|mere|Thanks",
                                          "104|Sale 104|mere|Great buyer", "105|Sale 105|tama|Fast payment"}));
        QCOMPARE(w->checkedCount(), 5);
        QCOMPARE(BatchQueueWindow::tag(w->cell(2, 0)).toString(), QStringLiteral("O"));
        QCOMPARE(BatchQueueWindow::tag(w->cell(0, 1)).toString(), QStringLiteral("MISC"));
        QVERIFY(w->cell(0, 3)->font().bold());
        QCOMPARE(w->cell(0, 3)->foreground().color(), QColor(Qt::red));
        QVERIFY(!w->cell(1, 0)->font().bold());
        QStringList names;
        for (QAction* a : w->popup()->actions()) names << a->objectName();
        QCOMPARE(names.mid(0, 3), (QStringList{"mnuPopupFeedback", "mnuPopupLine", "mnuPopupAuction"}));
        QCOMPARE(w->popup()->actions().last()->text(), QStringLiteral("View this auction on Trademe"));
        w->cancelButton()->click();
    }

    // "View this auction on Trademe" on a further sale shows its listing.
    void bulkViewsTheListing()
    {
        QVERIFY(ctx().gLinks);
        sale("2150001A", 13, "kiri");
        auto w = bulk();
        w->list()->setCurrentIndex(w->model()->index(0, 0));
        w->popup()->actions().last()->trigger();
        QCOMPARE(pages.size(), 1);
        QVERIFY2(pages[0].contains("2150001") && !pages[0].contains("2150001A"), qPrintable(pages[0]));
        QCOMPARE(logins, 0);
        w->cancelButton()->click();
    }

    void bulkCannotOpen_data()
    {
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QString>("said");
        QTest::newRow("no comments") << "" << "Please set the feedback comments under tools/options on the main menu first.";
        QTest::newRow("nothing due")
            << "Thanks" << "Nothing to do.\r\n\r\nThis feature will only leave feedback for items on the current task \r\nlist with a next action of 'leave positive feedback'.";
    }
    void bulkCannotOpen()
    {
        QFETCH(QString, comments);
        QFETCH(QString, said);
        ctx().gConfiguration.Feedback = comments;
        sale("101", 13, "kiri", "A", vb::today() + 2);
        messages().answer(vbmsg::OK, said);
        auto w = bulk();
        QVERIFY(closes(*w));
    }

    // The checked rows, each with its own member search (the same buyer
    // twice too), its comment (a blank one sends " :)") and its role; each
    // confirmed one completes its task.
    void bulkBatch()
    {
        ctx().gConfiguration.Feedback = "Great buyer\r\n\r\nThanks";
        sale("101", 13, "kiri");
        sale("102", 13, "kiri");
        sale("103", 13, "mere", "O");
        sale("104", 13, "tama");
        auto w = bulk();
        w->cell(3, 0)->setCheckState(Qt::Unchecked);
        messages().answer(vbmsg::Yes, "You are about to leave 3 " + Confirm);
        messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 3 auctions.");
        w->startButton()->click();
        QVERIFY(closes(*w));
        QVERIFY(messages().verifyDone());
        QCOMPARE(site.searches, (QStringList{"kiri", "kiri", "mere"}));
        QCOMPARE(posted(), (QStringList{"101|3001|Great buyer :)|successful_bidder", "102|3001| :)|successful_bidder",
                                        "103|3002|Thanks :)|offer_recipient"}));
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102"), stepOf("103"), stepOf("104")}), (QList<int>{14, 14, 14, 13}));
        QCOMPARE(logins, 1);
        QCOMPARE(w->progress()->maximum(), 4);
    }

    // A login that is not confirmed starts nothing; the window stays as it was.
    void bulkLoginRefused()
    {
        loginOK = false;
        sale("101", 13, "kiri");
        auto w = bulk();
        messages().answer(vbmsg::Yes, Confirm);
        w->startButton()->click();
        QVERIFY(messages().verifyDone());
        QVERIFY(w->isVisible());
        QVERIFY(w->startButton()->isEnabled() && w->list()->isEnabled());
        QVERIFY(!w->running());
        QCOMPARE(logins, 1);
        QVERIFY(site.searches.isEmpty());
        w->cancelButton()->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(stepOf("101"), 13);
    }

    // A refused row: the site's message, then the continue question; the
    // summary counts only what the site confirmed; the refused task stays.
    void bulkRefusedRow_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("done");
        QTest::newRow("go on") << int(vbmsg::Yes) << 2;
        QTest::newRow("stop") << int(vbmsg::No) << 1;
    }
    void bulkRefusedRow()
    {
        QFETCH(int, answer);
        QFETCH(int, done);
        sale("101", 13, "kiri");
        sale("102", 13, "mere");
        sale("103", 13, "tama");
        site.placed << "102";
        auto w = bulk();
        messages().answer(vbmsg::Yes, Confirm);
        messages().answer(vbmsg::OK, AlreadyPlacedSaid);
        messages().answer(answer, "Continue leaving feedback?");
        messages().answer(vbmsg::OK, QString("Feedback complete - Left feedback for %1 auctions.").arg(done));
        w->startButton()->click();
        QVERIFY(closes(*w));
        QVERIFY(messages().verifyDone());
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102"), stepOf("103")}), (QList<int>{14, 13, done == 2 ? 14 : 13}));
    }

    // While a refusal is said the site's page covers the window, at the size
    // it has once its maximise has taken effect; afterwards the window is as
    // it was and the page out of sight.
    void bulkRefusalShowsThePageOverTheWindow()
    {
        QPointer<QWidget> page;
        WebBrowser::setFactory([this, &page](QObject* parent) {
            auto* b = new ViewedBrowser(parent);
            b->setHandler([this](const QString& a, const QString& c) { return site.load(a, c); });
            page = b->widget();
            return b;
        });
        sale("101", 13, "kiri");
        site.placed << "101";
        auto w = bulk();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(page);
        const QSize normal = w->size();
        QRect pageAt, windowAt;
        messages().whileShown = [&](const ScriptedMessages::Prompt& prompt) {
            if (!prompt.text.contains(AlreadyPlacedSaid)) return;
            QTRY_VERIFY(w->isMaximized() && w->size() != normal);
            pageAt = page->geometry();
            windowAt = w->rect();
            QVERIFY(page->isVisible());
        };
        messages().answer(vbmsg::Yes, Confirm);
        messages().answer(vbmsg::OK, AlreadyPlacedSaid);
        messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 0 auctions.");
        w->startButton()->click();
        QVERIFY(closes(*w));
        messages().whileShown = nullptr;
        QVERIFY(messages().verifyDone());
        QVERIFY(!windowAt.isEmpty());
        QCOMPARE(pageAt, windowAt);
        QCOMPARE(w->windowState(), Qt::WindowNoState);
        QCOMPARE(w->size(), normal);
        QVERIFY(!page->isVisible());
    }

    // Cancel once during a row: the row finishes, the question comes before
    // the next. Cancel twice, or a close (refused once) then Cancel, while a
    // page never loads: the window goes at once, no summary, nothing moves.
    void bulkCancelOnce_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("yes") << int(vbmsg::Yes) << QList<int>{14, 13};
        QTest::newRow("no: goes on") << int(vbmsg::No) << QList<int>{14, 14};
    }
    void bulkCancelOnce()
    {
        QFETCH(int, answer);
        QFETCH(QList<int>, steps);
        sale("101", 13, "kiri");
        sale("102", 13, "mere");
        auto w = bulk();
        frmFeedback* window = w.get();
        site.onSearch = [window](const QString& buyer) {
            if (buyer == "kiri") QTimer::singleShot(0, window, [window] { window->cancelButton()->click(); });
        };
        messages().answer(vbmsg::Yes, Confirm);
        messages().answer(answer, "Cancel feedback?");
        messages().answer(vbmsg::OK, QString("Feedback complete - Left feedback for %1 auctions.").arg(steps.count(14)));
        w->startButton()->click();
        QVERIFY(closes(*w));
        QVERIFY(messages().verifyDone());
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102")}), steps);
        // Going on after all: the wait panel no longer speaks of stopping.
        const QString label = w->findChild<QLabel*>("lblWaitMessage")->text();
        QCOMPARE(label.endsWith("Cancel again to stop now."), answer == int(vbmsg::Yes));
    }

    void bulkStuckRow_data()
    {
        QTest::addColumn<bool>("closeFirst");
        QTest::newRow("cancel twice") << false;
        QTest::newRow("close refused once, then cancel") << true;
    }
    void bulkStuckRow()
    {
        QFETCH(bool, closeFirst);
        site.silent << "kiri";
        sale("101", 13, "kiri");
        sale("102", 13, "mere");
        auto w = bulk();
        messages().answer(vbmsg::Yes, Confirm);
        w->startButton()->click();
        QTest::qWait(50);
        QVERIFY(w->isVisible());
        QCOMPARE(w->step(), 1);
        auto* waitLabel = w->findChild<QLabel*>("lblWaitMessage");
        QVERIFY(waitLabel);
        QCOMPARE(waitLabel->text(), QStringLiteral("Submit feedback to Trademe"));
        if (closeFirst) {
            w->close();
            QVERIFY(w->isVisible());  // refused once: taken as a cancel
        } else {
            w->cancelButton()->click();
            QVERIFY(w->isVisible());
        }
        // The seller learns how to stop a row that waits for ever.
        QVERIFY2(waitLabel->text().endsWith("Cancel again to stop now."), qPrintable(waitLabel->text()));
        if (!closeFirst) w->grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("feedback-cancelling.png"));
        w->cancelButton()->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(w->result(), int(QDialog::Rejected));
        QCOMPARE(w->step(), 0);
        QTest::qWait(50);
        QCOMPARE(site.searches, QStringList{"kiri"});
        QCOMPARE((QList<int>{stepOf("101"), stepOf("102")}), (QList<int>{13, 13}));
        QVERIFY(messages().verifyDone());
    }

    // "Change feedback comment" (a double-click) on one row: the real dialog
    // writes into that row only, and the batch sends it for that row only.
    void bulkChangedComment()
    {
        AutomationForms::Register();
        sale("101", 13, "kiri");
        sale("102", 13, "mere");
        sale("103", 13, "tama");
        auto w = bulk();
        w->list()->setCurrentIndex(w->model()->index(1, 0));
        QVERIFY(ModalDriver::OnModal<frmFeedbackSingle>([&] { emit w->list()->doubleClicked(w->model()->index(1, 0)); },
                                           [&](frmFeedbackSingle* d) {
                                               QCOMPARE(d->auction()->text(), QStringLiteral("102"));
                                               QVERIFY(d->option(1)->isChecked());
                                               d->customComment()->setPlainText("Superb & speedy");
                                               d->okButton()->click();
                                           }));
        QCOMPARE(listed(*w), (QStringList{"101|Sale 101|kiri|Great buyer", "102|Sale 102|mere|Superb & speedy", "103|Sale 103|tama|Thanks"}));
        // Cancelled there: the row keeps its comment.
        QVERIFY(ModalDriver::OnModal<frmFeedbackSingle>([&] { w->popup()->actions().first()->trigger(); },
                                           [&](frmFeedbackSingle* d) {
                                               d->customComment()->setPlainText("Not this");
                                               d->cancelButton()->click();
                                           }));
        QCOMPARE(w->cell(1, 3)->text(), QStringLiteral("Superb & speedy"));
        messages().answer(vbmsg::Yes, Confirm);
        messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 3 auctions.");
        w->startButton()->click();
        QVERIFY(closes(*w));
        QCOMPARE(posted(), (QStringList{"101|3001|Great buyer :)|successful_bidder", "102|3002|Superb & speedy :)|successful_bidder",
                                        "103|3003|Thanks :)|successful_bidder"}));
    }

    // ---- from the main window ----

    // Task > Place feedback opens the bulk window; Do Task on a sale at the
    // feedback step opens the single dialog for it.
    void fromTheMainWindow()
    {
        AutomationForms::Register();
        ctx().gConfiguration.DefaultList = false;
        sale("101", 13, "kiri");
        sale("102", 13, "mere");
        sale("103", 11, "tama");
        std::unique_ptr<frmMain> main(MainWindowDriver::open(messages()));
        QTRY_COMPARE(MainWindowDriver::listedIds(*main).size(), 3);

        // The feedback link on a sale waiting for dispatch: placed, and no
        // dispatch recorded.
        MainWindowDriver::clickRow(*main, "103");
        messages().answer(vbmsg::OK, "Finished leaving feedback for tama");
        QVERIFY(ModalDriver::OnModal<frmFeedbackSingle>([&] { main->TradeMe_Link("[FEEDBACK]"); },
                                           [&](frmFeedbackSingle* d) { d->okButton()->click(); }));
        QCOMPARE(stepOf("103"), 11);
        QCOMPARE(conn().Scalar("SELECT COUNT(*) FROM History WHERE AuctionId='103'").toInt(), 0);
        QCOMPARE(main->action("mnuTaskFeedback")->shortcut(), QKeySequence("Ctrl+F"));

        MainWindowDriver::clickRow(*main, "101");
        QString shown;
        messages().answer(vbmsg::OK, "Finished leaving feedback for kiri");
        QVERIFY(ModalDriver::OnModal<frmFeedbackSingle>([&] { main->action("mnuTaskDo")->trigger(); },
                                           [&](frmFeedbackSingle* d) {
                                               shown = d->objectName() + ":" + d->mRemoteId;
                                               d->okButton()->click();
                                           }));
        QCOMPARE(shown, QStringLiteral("frmFeedbackSingle:101"));
        QCOMPARE(stepOf("101"), 14);

        messages().answer(vbmsg::Yes, "You are about to leave 1 " + Confirm);
        messages().answer(vbmsg::OK, "Feedback complete - Left feedback for 1 auctions.");
        int rows = -1;
        QVERIFY(ModalDriver::OnModal<frmFeedback>([&] { main->action("mnuTaskFeedback")->trigger(); },
                                     [&](frmFeedback* w) {
                                         rows = w->rowCount();
                                         w->startButton()->click();
                                     }));
        QCOMPARE(rows, 1);
        QVERIFY(messages().verifyDone());
        QCOMPARE(stepOf("102"), 14);
        main->close();
    }
};

QTEST_MAIN(tst_feedback)
#include "tst_feedback.moc"
