// The Tab order read from a window's layouts, on windows built as the
// program's are: the buttons made first, fields in grids, group boxes, tab
// pages and a list standing beside two rows.

#include "TestEnvironment.h"
#include "platform/FocusChain.h"
#include "platform/NullableDateEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename W>
W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

// The names Tab goes through from the window, once round, shown or not (the
// tab strip's own scroll arrows left out).
QStringList tabOrder(QWidget* window)
{
    QStringList names;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->isVisibleTo(window) && w->isEnabled() && !w->objectName().isEmpty() &&
            !qobject_cast<QTabBar*>(w->parentWidget()))
            names << w->objectName();
    return names;
}

}  // namespace

class tst_focuschain : public QObject {
    Q_OBJECT

private slots:
    // Buttons made before the fields; a grid of rows with ">>" beside a box;
    // a list spanning two rows to the right of a subject and a message; a
    // group box; a date that may be empty.
    void followsTheLayout()
    {
        QDialog d;
        auto* ok = named(new QPushButton("OK", &d), "ok");
        auto* cancel = named(new QPushButton("Cancel", &d), "cancel");
        auto* codes = named(new QListWidget(&d), "codes");
        auto* message = named(new QPlainTextEdit(&d), "message");
        auto* subject = named(new QLineEdit(&d), "subject");
        auto* more = named(new QToolButton(&d), "more");
        auto* buyer = named(new QLineEdit(&d), "buyer");
        auto* group = new QGroupBox("Sent", &d);
        auto* sent = named(new NullableDateEdit(group), "sent");
        auto* picked = named(new QCheckBox("Picked up", group), "picked");

        auto* grid = new QGridLayout;
        auto* buyerRow = new QHBoxLayout;
        buyerRow->addWidget(buyer);
        buyerRow->addWidget(more);
        grid->addLayout(buyerRow, 0, 0, 1, 3);
        grid->addWidget(subject, 1, 0, 1, 2);
        grid->addWidget(codes, 1, 2, 2, 1);
        grid->addWidget(message, 2, 0, 1, 2);
        auto* inGroup = new QVBoxLayout(group);
        inGroup->addWidget(sent);
        inGroup->addWidget(picked);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        auto* outer = new QVBoxLayout(&d);
        outer->addLayout(grid);
        outer->addWidget(group);
        outer->addLayout(buttons);

        FocusChain::FollowLayout(&d);
        // The date's own parts (check box, date) are unnamed: they stand where "sent" stands.
        QCOMPARE(tabOrder(&d), (QStringList{"buyer", "subject", "message", "codes", "picked", "more", "ok", "cancel"}));
        QWidget* afterPicked = picked->previousInFocusChain();
        while (!(afterPicked->focusPolicy() & Qt::TabFocus)) afterPicked = afterPicked->previousInFocusChain();
        QVERIFY(sent->isAncestorOf(afterPicked));
    }

    // Each page of a tab control after its strip; only the page shown takes
    // Tab. Also pages in scroll areas (a window that fits a small screen).
    void tabPages_data()
    {
        QTest::addColumn<bool>("scrolling");
        QTest::newRow("pages") << false;
        QTest::newRow("pages that scroll") << true;
    }
    void tabPages()
    {
        QFETCH(bool, scrolling);
        auto page = [scrolling](QWidget* contents) -> QWidget* {
            if (!scrolling) return contents;
            auto* area = new QScrollArea;
            area->setWidget(contents);
            area->setWidgetResizable(true);
            area->setFocusPolicy(Qt::NoFocus);
            return area;
        };
        QDialog d;
        auto* ok = named(new QPushButton("OK", &d), "ok");
        auto* tabs = new QTabWidget(&d);
        auto* first = new QWidget;
        auto* firstLayout = new QVBoxLayout(first);
        firstLayout->addWidget(named(new QLineEdit, "name"));
        firstLayout->addWidget(named(new QPushButton("Colour"), "colour"));
        auto* second = new QWidget;
        (new QVBoxLayout(second))->addWidget(named(new QLineEdit, "email"));
        tabs->addTab(page(first), "General");
        tabs->addTab(page(second), "Email");
        tabs->tabBar()->setObjectName("tabs");
        auto* outer = new QVBoxLayout(&d);
        outer->addWidget(tabs);
        outer->addWidget(ok);

        FocusChain::FollowLayout(&d);
        QCOMPARE(tabOrder(&d), (QStringList{"tabs", "name", "colour", "ok"}));
        tabs->setCurrentIndex(1);
        QCOMPARE(tabOrder(&d), (QStringList{"tabs", "email", "ok"}));
    }

    // The caret goes to the first field that takes typing or a choice: not a
    // read-only box, a hidden or disabled one, a button; of a set of options,
    // the one chosen.
    void firstField_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("first");
        QTest::newRow("read-only boxes before") << "readonly" << "name";
        QTest::newRow("hidden and disabled before") << "hidden" << "name";
        QTest::newRow("an option chosen") << "options" << "custom";
        QTest::newRow("no option chosen") << "nooption" << "standard";
        QTest::newRow("buttons alone") << "buttons" << "";
    }
    void firstField()
    {
        QFETCH(QString, shape);
        QFETCH(QString, first);
        QDialog d;
        auto* layout = new QVBoxLayout(&d);
        auto add = [&](QWidget* w, const char* name) {
            layout->addWidget(named(w, name));
            return w;
        };
        if (shape == "readonly") {
            static_cast<QLineEdit*>(add(new QLineEdit, "buyerId"))->setReadOnly(true);
            static_cast<QPlainTextEdit*>(add(new QPlainTextEdit, "total"))->setReadOnly(true);
        } else if (shape == "hidden") {
            add(new QLineEdit, "notes")->hide();
            add(new QLineEdit, "total")->setEnabled(false);
        } else if (shape == "options" || shape == "nooption") {
            add(new QRadioButton("Standard"), "standard");
            auto* custom = static_cast<QRadioButton*>(add(new QRadioButton("Custom"), "custom"));
            if (shape == "options") custom->setChecked(true);
        }
        add(new QPushButton("OK"), "ok");
        if (shape == "readonly" || shape == "hidden") add(new QLineEdit, "name");

        FocusChain::Prepare(&d);
        QWidget* field = FocusChain::FirstField(&d);
        QCOMPARE(field ? field->objectName() : QString(), first);
        QCOMPARE(d.focusWidget() ? d.focusWidget()->objectName() : QString(), first);
    }
};

VENDARO_TEST_MAIN(tst_focuschain)
#include "tst_focuschain.moc"
