// A box shown but not typed into, on a light desktop and a dark one: drawn
// apart from a box to type into, its text readable, skipped by the caret; the
// look following a palette switched while the window is open and a box its
// window locks and unlocks.

#include "BoxLook.h"
#include "TestEnvironment.h"
#include "platform/ColorContrast.h"
#include "platform/FocusChain.h"
#include "platform/ReadOnlyBox.h"

#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QScopeGuard>

class tst_readonlybox : public QObject {
    Q_OBJECT
    QPalette m_light;

    // A window with a box shown only, then one to type into.
    struct Window {
        QDialog dialog;
        QLineEdit* shown = new QLineEdit(QStringLiteral("kiri"), &dialog);
        QLineEdit* typed = new QLineEdit(QStringLiteral("Kiri Ngata"), &dialog);
        Window()
        {
            auto* form = new QFormLayout(&dialog);
            form->addRow(QStringLiteral("Buyer Id"), shown);
            form->addRow(QStringLiteral("Name"), typed);
            ReadOnlyBox::Apply(shown);
            dialog.show();
        }
    };

private slots:
    void initTestCase() { m_light = QApplication::palette(); }
    void cleanup() { QApplication::setPalette(m_light); }

    void looksReadOnly_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light desktop") << false;
        QTest::newRow("dark desktop") << true;
    }
    void looksReadOnly()
    {
        QFETCH(bool, dark);
        if (dark) QApplication::setPalette(BoxLook::dark());
        Window w;
        QVERIFY(w.shown->isReadOnly());
        const QColor shown = BoxLook::background(w.shown), typed = BoxLook::background(w.typed);
        QCOMPARE(typed, QApplication::palette().color(QPalette::Base));
        QCOMPARE(shown, QApplication::palette().color(QPalette::Window));
        QVERIFY(shown != typed);
        QVERIFY(ColorContrast::ratio(w.shown->palette().color(QPalette::Text), shown) >= ColorContrast::PlainText);
        // The caret starts in the box to type into; Tab still reaches the other, to copy from it.
        QVERIFY(!FocusChain::IsField(w.shown));
        QCOMPARE(FocusChain::FirstField(&w.dialog), static_cast<QWidget*>(w.typed));
        QVERIFY(w.shown->focusPolicy() & Qt::TabFocus);
    }

    // The desktop turned dark with the window open, and back.
    void followsThePalette()
    {
        Window w;
        // Qt hands a new desktop palette to the windows through the event loop.
        QApplication::setPalette(BoxLook::dark());
        QTRY_COMPARE(BoxLook::background(w.shown), BoxLook::dark().color(QPalette::Window));
        QCOMPARE(BoxLook::background(w.typed), BoxLook::dark().color(QPalette::Base));
        QApplication::setPalette(m_light);
        QTRY_COMPARE(BoxLook::background(w.shown), m_light.color(QPalette::Window));
        QCOMPARE(BoxLook::background(w.typed), m_light.color(QPalette::Base));
    }

    // A box its window locks and unlocks looks as it stands; what else its own palette sets stays.
    void followsTheBox()
    {
        Window w;
        QPalette own = w.typed->palette();
        own.setColor(QPalette::Text, Qt::darkBlue);
        w.typed->setPalette(own);
        ReadOnlyBox::Follow(w.typed);
        QCOMPARE(BoxLook::background(w.typed), m_light.color(QPalette::Base));
        w.typed->setReadOnly(true);
        QCOMPARE(BoxLook::background(w.typed), m_light.color(QPalette::Window));
        w.typed->setReadOnly(false);
        QCOMPARE(BoxLook::background(w.typed), m_light.color(QPalette::Base));
        QCOMPARE(w.typed->palette().color(QPalette::Text), QColor(Qt::darkBlue));
        // Unlocked, the box takes the desktop's base again, not the one it had.
        QApplication::setPalette(BoxLook::dark());
        QTRY_COMPARE(BoxLook::background(w.typed), BoxLook::dark().color(QPalette::Base));
        // Following twice is following once.
        ReadOnlyBox::Follow(w.typed);
        QCOMPARE(w.typed->findChildren<ReadOnlyBox*>().size(), 1);
    }
};

VENDARO_TEST_MAIN(tst_readonlybox)
#include "tst_readonlybox.moc"
