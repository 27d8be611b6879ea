// A box's length limit holds for what the seller types, never for what the
// program puts in: a longer stored value shows and stays whole, can be put
// right in place, and a save that would shorten it asks first.

#include "TestEnvironment.h"
#include "platform/MessageService.h"
#include "platform/TypingLimit.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QLineEdit>
#include <QWidget>

#include <optional>

namespace {
const QString Stored58 = QStringLiteral("Antique kauri chest of drawers, brass handles and two keys");
}

class tst_typinglimit : public QObject {
    Q_OBJECT
    std::optional<TestEnvironment> env;

    // A window with one limited box under a label, as the editors lay them out.
    struct Window {
        QWidget window;
        QLineEdit* box;
        explicit Window(int limit)
        {
            auto* form = new QFormLayout(&window);
            box = new QLineEdit(&window);
            TypingLimit::Apply(box, limit);
            form->addRow(QStringLiteral("&Title:"), box);
            window.show();
            box->setFocus();
        }
    };

private slots:
    void init() { env.emplace(); }
    void cleanup() { env.reset(); }

    // What the program puts in stays whole and counts as the stored value.
    void programTextStaysWhole()
    {
        Window w(50);
        QCOMPARE(Stored58.size(), 58);
        w.box->setText(Stored58);
        QCOMPARE(w.box->text(), Stored58);
        QCOMPARE(TypingLimit::Stored(w.box), Stored58);
        QVERIFY(!TypingLimit::Shortens(w.box));
        QCOMPARE(TypingLimit::Of(w.box), 50);
        w.box->clear();
        QCOMPARE(TypingLimit::Stored(w.box), QString());
    }

    // Typing and pasting: the limit holds for new text; a longer stored value
    // may be put right in place but never grows; what goes beyond is cut off
    // what was put in.
    void typing_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("cursor");     // where the seller types; -1: everything selected
        QTest::addColumn<QString>("typed");  // "paste:" pastes the rest
        QTest::addColumn<QString>("result");
        QTest::newRow("typed beyond the limit") << "" << 0 << "abcdefghij" << "abcdefgh";
        QTest::newRow("pasted beyond the limit") << "" << 0 << "paste:abcdefghij" << "abcdefgh";
        QTest::newRow("pasted into the middle") << "abcdef" << 3 << "paste:XYZ" << "abcXYdef";
        QTest::newRow("typed onto a longer stored value") << "abcdefghijkl" << 12 << "mn" << "abcdefghijkl";
        QTest::newRow("a longer stored value put right") << "abcdefghijkX" << -2 << "l" << "abcdefghijkl";
        QTest::newRow("a longer stored value replaced") << "abcdefghijkl" << -1 << "paste:0123456789abcdef" << "0123456789ab";
        QTest::newRow("within the limit") << "abc" << 3 << "def" << "abcdef";
    }
    void typing()
    {
        QFETCH(QString, stored);
        QFETCH(int, cursor);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        Window w(8);
        w.box->setText(stored);
        if (cursor == -1) {
            w.box->selectAll();
        } else if (cursor == -2) {  // the last character rubbed out first
            w.box->end(false);
            QTest::keyClick(w.box, Qt::Key_Backspace);
        } else {
            w.box->setCursorPosition(cursor);
        }
        if (typed.startsWith(QLatin1String("paste:"))) {
            QApplication::clipboard()->setText(typed.mid(6));
            w.box->paste();
        } else {
            QTest::keyClicks(w.box, typed);
        }
        QCOMPARE(w.box->text(), result);
        QVERIFY(w.box->isModified());
        QCOMPARE(TypingLimit::Stored(w.box), stored);  // the seller's edits are no stored value
    }

    // A follower of the box's edits that changes the text (the e-mail boxes
    // keep only the address) is part of the edit, not a stored value.
    void followersOfTheEditAreTheSellers()
    {
        Window w(50);
        connect(w.box, &QLineEdit::textEdited, w.box, [&w](const QString& text) {
            if (text.endsWith(u'>')) w.box->setText(text.section(u'<', 1).chopped(1));
        });
        w.box->setText(QStringLiteral("stored@example.co.nz"));
        w.box->selectAll();
        QTest::keyClicks(w.box, QStringLiteral("Kiri <kiri@example.co.nz>"));
        QCOMPARE(w.box->text(), QStringLiteral("kiri@example.co.nz"));
        QCOMPARE(TypingLimit::Stored(w.box), QStringLiteral("stored@example.co.nz"));
        w.box->setText(QStringLiteral("loaded@example.co.nz"));
        QCOMPARE(TypingLimit::Stored(w.box), QStringLiteral("loaded@example.co.nz"));
    }

    // A save asks before it shortens a stored value longer than the limit;
    // shortening one within the limit is plain editing.
    void shorteningAsks()
    {
        Window w(50);
        w.box->setText(Stored58);
        w.box->end(false);
        QTest::keyClick(w.box, Qt::Key_Backspace);
        QVERIFY(TypingLimit::Shortens(w.box));
        env->messages().answer(vbmsg::No, QStringLiteral("The Title was stored with 58 characters and would be saved with 57"));
        QVERIFY(!TypingLimit::ConfirmShortening(&w.window, QStringLiteral("Vendaro")));
        QCOMPARE(env->messages().prompts().last().style, vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton2);
        QVERIFY(env->messages().prompts().last().text.contains(Stored58));
        QCOMPARE(w.window.focusWidget(), w.box);
        env->messages().answer(vbmsg::Yes, QStringLiteral("Save the shorter Title?"));
        QVERIFY(TypingLimit::ConfirmShortening(&w.window, QStringLiteral("Vendaro")));

        // Loaded again: nothing to ask.
        w.box->setText(Stored58);
        QVERIFY(TypingLimit::ConfirmShortening(&w.window, QStringLiteral("Vendaro")));
        w.box->setText(QStringLiteral("Short title"));
        w.box->end(false);
        QTest::keyClick(w.box, Qt::Key_Backspace);
        QVERIFY(!TypingLimit::Shortens(w.box));
        QVERIFY(TypingLimit::ConfirmShortening(&w.window, QStringLiteral("Vendaro")));
        QVERIFY(env->messages().verifyDone());
    }
};

VENDARO_TEST_MAIN(tst_typinglimit)
#include "tst_typinglimit.moc"
