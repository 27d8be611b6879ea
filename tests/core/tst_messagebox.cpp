#include "DatabaseFixture.h"
#include "TestEnvironment.h"
#include "core/CoreForms.h"
#include "core/ProgramContext.h"
#include "core/frmMessageBox.h"
#include "core/modCommon.h"
#include "core/modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/Vb.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <functional>
#include <optional>

namespace {
int px(double twips) { return vb::twipsToPixels(twips); }

const QString Hint = QStringLiteral("Remember to print the packing slip before you send the item.");

// Acts on the first modal window that opens. Without an action, or when the
// action leaves it open, the window is rejected at once and counted, so a
// window that should never have opened cannot hang the run.
class OnModal {
public:
    explicit OnModal(std::function<void(QWidget*)> act = {}) : m_act(std::move(act))
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w) return;
            ++opened;
            if (m_act) m_act(w);
            if (w->isVisible()) {
                ++leftOpen;
                if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
                else w->close();
            }
        });
        m_timer.start();
    }
    int opened = 0;
    int leftOpen = 0;

private:
    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
};
}  // namespace

class tst_messagebox : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;
    ProgramContext& ctx() { return ProgramContext::current(); }

    static QString section(const QString& database = QStringLiteral("shop.mdb")) { return "Messages\\" + database; }

    // A message window filled as ShowMessage fills it.
    static void fill(frmMessageBox& box, const QString& message, int type = vbmsg::Exclamation, bool showAgainVisible = true,
                     bool showOnceOnly = false, const QString& title = QStringLiteral("Vendaro hint"))
    {
        box.Message = message;
        box.MessageType = type;
        box.ShowAgainVisible = showAgainVisible;
        box.ShowOnceOnly = showOnceOnly;
        box.formTitle = title;
    }
    static void switchOff(const QString& message, const QString& database = QStringLiteral("shop.mdb"))
    {
        AppSettings::SaveSetting(section(database), message, QStringLiteral("False"));
    }
    static QString words(int count)
    {
        QStringList list;
        for (int i = 0; i < count; ++i) list << QStringLiteral("word%1").arg(i);
        return list.join(u' ');
    }

private slots:
    void initTestCase() { CoreForms::Register(); }

    void init()
    {
        env.emplace();
        QVERIFY(modDatabase::OpenDatabase(DatabaseFixture::create(env->programFolder()), "shop.mdb", true, false));
    }
    void cleanup() { env.reset(); }

    // ---- "Don't show this message again" ------------------------------------

    void closingRemembersTheChoice_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("showAgainVisible");
        QTest::addColumn<bool>("showOnceOnly");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("escape");  // closed with Esc instead of OK
        QTest::addColumn<bool>("stored");
        QTest::newRow("ticked, OK") << Hint << true << false << true << false << true;
        QTest::newRow("show once only, box hidden, OK") << Hint << false << true << false << false << true;
        QTest::newRow("neither, OK") << Hint << true << false << false << false << false;
        QTest::newRow("ticked, Esc") << Hint << true << false << true << true << false;
        // Message texts are the keys: line breaks, slashes and '=' are kept as they are.
        QTest::newRow("text with line breaks and separators, ticked, OK")
            << "Fees = 10% / sale\r\nSee C:\\Vendaro\\fees.txt" << true << false << true << false << true;
    }
    void closingRemembersTheChoice()
    {
        QFETCH(QString, message);
        QFETCH(bool, showAgainVisible);
        QFETCH(bool, showOnceOnly);
        QFETCH(bool, tick);
        QFETCH(bool, escape);
        QFETCH(bool, stored);

        frmMessageBox box;
        fill(box, message, vbmsg::Exclamation, showAgainVisible, showOnceOnly);
        QVERIFY(box.Form_Load());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        if (tick) QTest::mouseClick(box.chkDontShowAgain, Qt::LeftButton);
        QCOMPARE(box.chkDontShowAgain->isChecked(), tick);
        if (escape)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            QTest::mouseClick(box.cmdOK, Qt::LeftButton);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), escape ? int(QDialog::Rejected) : int(QDialog::Accepted));

        if (stored) {
            QCOMPARE(AppSettings::Keys(section()), QStringList{message});
            QCOMPARE(AppSettings::GetSetting(section(), message), QStringLiteral("False"));
        } else {
            QCOMPARE(AppSettings::Keys(section()), QStringList());
        }
        // The next time the same text is asked for, it stays hidden or shows again.
        frmMessageBox again;
        fill(again, message);
        QCOMPARE(again.Form_Load(), !stored);
    }

    void switchedOffMessageDoesNotShow()
    {
        switchOff(Hint);
        frmMessageBox box;
        fill(box, Hint);
        QVERIFY(!box.Form_Load());

        OnModal watch;
        QCOMPARE(box.exec(), int(QDialog::Rejected));
        QCOMPARE(watch.opened, 0);
        QVERIFY(!box.isVisible());
        // Another text of the same database still shows.
        frmMessageBox other;
        fill(other, Hint + " Or not.");
        QVERIFY(other.Form_Load());
    }

    void switchedOffPerDatabase()
    {
        switchOff(Hint);
        ctx().gDatabaseTitle = QStringLiteral("other.mdb");
        frmMessageBox box;
        fill(box, Hint);
        QVERIFY(box.Form_Load());

        // Ticked in the other database: remembered there, the first one is unchanged.
        box.chkDontShowAgain->setChecked(true);
        box.cmdOK->click();
        QCOMPARE(AppSettings::GetSetting(section("other.mdb"), Hint), QStringLiteral("False"));
        QCOMPARE(AppSettings::Keys(section()), QStringList{Hint});
        frmMessageBox again;
        fill(again, Hint);
        QVERIFY(!again.Form_Load());
    }

    // ---- Layout -------------------------------------------------------------

    void layoutFollowsTheText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("short") << QStringLiteral("Saved.");
        QTest::newRow("long, one line") << words(60);
        QTest::newRow("very long") << words(2000);
        QTest::newRow("unbroken address") << "Could not reach http://127.0.0.1:8765/" + QString(400, u'x') + "/page.aspx?id=1";
    }
    void layoutFollowsTheText()
    {
        QFETCH(QString, message);
        frmMessageBox box;
        fill(box, message);
        QVERIFY(box.Form_Load());
        // The text's box in the window; the label inside it holds the whole text.
        const QRect label = box.scrMessage->geometry();
        const int lineHeight = box.lblMessage->fontMetrics().height();
        const int scrollBar = box.scrMessage->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn
                                  ? box.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box.scrMessage)
                                  : 0;

        QVERIFY2(box.width() >= px(5400), qPrintable(QString::number(box.width())));
        QVERIFY2(box.height() >= px(2500), qPrintable(QString::number(box.height())));
        QVERIFY2(label.width() - scrollBar <= px(6500), qPrintable(QString::number(label.width())));
        QVERIFY2(label.height() <= px(6000), qPrintable(QString::number(label.height())));
        // Text, icon and button strip stay inside the window and apart.
        QVERIFY(box.rect().contains(label));
        QVERIFY(label.left() >= box.picImage->geometry().right());
        QVERIFY2(label.bottom() < box.picOptions->y(), qPrintable(QStringLiteral("label %1, strip at %2").arg(label.bottom()).arg(box.picOptions->y())));
        QCOMPARE(box.picOptions->geometry(), QRect(0, box.picOptions->y(), box.width(), box.height() - box.picOptions->y()));
        QVERIFY(box.picOptions->rect().contains(box.cmdOK->geometry()));
        QVERIFY(box.picOptions->rect().contains(box.chkDontShowAgain->geometry()));
        QVERIFY(!box.chkDontShowAgain->geometry().intersects(box.cmdOK->geometry()));

        if (message.size() > 100) {
            // Wrapped at 6500 twips, not one endless line.
            QVERIFY2(label.width() - scrollBar >= px(6500) - 40, qPrintable(QString::number(label.width())));
            QVERIFY(label.height() >= 2 * lineHeight);
        }
        // Every line of the text fits the label; one taller than 6000 twips
        // scrolls in a box 6000 twips high, none of it cut off.
        const int needed = box.lblMessage->heightForWidth(box.lblMessage->width());
        QVERIFY2(needed <= box.lblMessage->height(), qPrintable(QStringLiteral("needs %1, has %2").arg(needed).arg(box.lblMessage->height())));
        if (message.size() > 10000) {
            QCOMPARE(label.height(), px(6000));
            QCOMPARE(scrollBar > 0, true);
            QVERIFY(box.lblMessage->height() > label.height());  // the rest is scrolled to
        } else {
            QCOMPARE(scrollBar, 0);
            QCOMPARE(box.lblMessage->height(), label.height());
        }
        // No line is wider than the label (a long word wraps too).
        const QRect drawn = box.lblMessage->fontMetrics().boundingRect(QRect(0, 0, box.lblMessage->width(), 100000), Qt::TextWordWrap,
                                                                       box.lblMessage->text());
        QVERIFY2(drawn.width() <= box.lblMessage->width(),
                 qPrintable(QStringLiteral("drawn %1, label %2").arg(drawn.width()).arg(box.lblMessage->width())));
    }

    void iconFollowsTheType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("icon");
        QTest::newRow("none") << 0 << false;
        QTest::newRow("critical") << int(vbmsg::Critical) << true;
        QTest::newRow("question") << int(vbmsg::Question) << true;
        QTest::newRow("warning") << int(vbmsg::Exclamation) << true;
        QTest::newRow("information") << int(vbmsg::Information) << true;
    }
    void iconFollowsTheType()
    {
        QFETCH(int, type);
        QFETCH(bool, icon);
        frmMessageBox box;
        fill(box, Hint, type);
        QVERIFY(box.Form_Load());
        QCOMPARE(!box.picImage->pixmap().isNull(), icon);

        // The text starts at the same place with or without an icon.
        frmMessageBox warning;
        fill(warning, Hint, vbmsg::Exclamation);
        QVERIFY(warning.Form_Load());
        QCOMPARE(box.scrMessage->x(), warning.scrMessage->x());
        QVERIFY(box.scrMessage->x() >= box.picImage->geometry().right());
    }

    void captionAndCheckBox_data()
    {
        QTest::addColumn<bool>("showAgainVisible");
        QTest::newRow("check box shown") << true;
        QTest::newRow("check box hidden") << false;
    }
    void captionAndCheckBox()
    {
        QFETCH(bool, showAgainVisible);
        frmMessageBox box;
        fill(box, Hint, vbmsg::Information, showAgainVisible, false, "Listing tips");
        QVERIFY(box.Form_Load());
        QCOMPARE(box.windowTitle(), QStringLiteral("Listing tips"));
        QCOMPARE(box.lblMessage->text(), Hint);
        QCOMPARE(box.chkDontShowAgain->isVisibleTo(&box), showAgainVisible);
        QVERIFY(box.cmdOK->isVisibleTo(&box));
    }

    // ---- Through modCommon::ShowMessage --------------------------------------

    void showMessageOnlyUntilSwitchedOff()
    {
        QString title, text;
        bool checkBoxShown = false;
        OnModal act([&](QWidget* w) {
            auto* box = qobject_cast<frmMessageBox*>(w);
            if (!box) return;
            title = box->windowTitle();
            text = box->lblMessage->text();
            checkBoxShown = box->chkDontShowAgain->isVisible();
            QTest::mouseClick(box->chkDontShowAgain, Qt::LeftButton);
            QTest::mouseClick(box->cmdOK, Qt::LeftButton);
        });
        modCommon::ShowMessage(Hint, vbmsg::Exclamation, true, "Vendaro hint", false);
        QCOMPARE(act.opened, 1);
        QCOMPARE(act.leftOpen, 0);
        QCOMPARE(title, QStringLiteral("Vendaro hint"));
        QCOMPARE(text, Hint);
        QVERIFY(checkBoxShown);
        QCOMPARE(AppSettings::GetSetting(section(), Hint), QStringLiteral("False"));

        OnModal watch;
        modCommon::ShowMessage(Hint, vbmsg::Exclamation, true, "Vendaro hint", false);
        QCOMPARE(watch.opened, 0);
    }

    // A hint longer than the window scrolls to its last word, and the window,
    // its OK button with it, stays on the screen.
    void longHintScrollsToItsEnd()
    {
        frmMessageBox box;
        fill(box, words(3000) + " THE-END", vbmsg::Information);
        QVERIFY(box.Form_Load());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.screen()->availableGeometry().contains(box.frameGeometry()));
        QVERIFY(box.rect().contains(QRect(box.cmdOK->mapTo(&box, QPoint(0, 0)), box.cmdOK->size())));
        QScrollBar* bar = box.scrMessage->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        for (int i = 0; i < 200 && bar->value() < bar->maximum(); ++i) QTest::keyClick(box.scrMessage, Qt::Key_PageDown);
        QCOMPARE(bar->value(), bar->maximum());
        // The last line is inside the visible part of the text.
        const QRect last = box.lblMessage->fontMetrics().boundingRect(QRect(0, 0, box.lblMessage->width(), 1000000), Qt::TextWordWrap,
                                                                      box.lblMessage->text());
        const QRect visible(QPoint(0, bar->value()), box.scrMessage->viewport()->size());
        QVERIFY2(visible.bottom() + 2 >= last.height(), qPrintable(QStringLiteral("%1 of %2").arg(visible.bottom()).arg(last.height())));
        QVERIFY(box.grab().save(QDir(TestEnvironment::screenshotFolder()).filePath("message-box-long.png")));
        QTest::mouseClick(box.cmdOK, Qt::LeftButton);
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void looksLikeAWarning()
    {
        frmMessageBox box;
        fill(box, "This auction has no buyer yet. E-mails to the buyer are sent once the auction has ended and a buyer is known.",
             vbmsg::Exclamation, true, false, "Vendaro");
        QVERIFY(box.Form_Load());
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::qWait(50);
        const QString shots = TestEnvironment::screenshotFolder();
        QVERIFY(box.grab().save(QDir(shots).filePath("message-box.png")));
    }
};

VENDARO_TEST_MAIN(tst_messagebox)
#include "tst_messagebox.moc"
