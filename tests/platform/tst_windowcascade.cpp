// Where the next of a set of windows goes, without a window: a step down and
// right of the last, each direction starting over at the edge of the room.

#include "TestEnvironment.h"
#include "platform/WindowCascade.h"

#include <QTest>

class tst_windowcascade : public QObject {
    Q_OBJECT

private slots:
    void next_data()
    {
        QTest::addColumn<QRect>("last");   // the last window's frame
        QTest::addColumn<QSize>("frame");  // the new window's frame
        QTest::addColumn<QRect>("area");
        QTest::addColumn<int>("step");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 1280, 800);
        const QSize frame(700, 500);
        QTest::newRow("a step down and right") << QRect(100, 50, 700, 500) << frame << screen << 30 << QPoint(130, 80);
        // The new window's size decides, not the last one's.
        QTest::newRow("a taller window after a small one") << QRect(100, 50, 400, 300) << QSize(900, 760) << screen << 30 << QPoint(130, 0);
        QTest::newRow("a step of its own") << QRect(100, 50, 700, 500) << frame << screen << 22 << QPoint(122, 72);
        QTest::newRow("just fits at the bottom right") << QRect(550, 270, 700, 500) << frame << screen << 30 << QPoint(580, 300);
        QTest::newRow("past the bottom: to the top, still beside") << QRect(200, 280, 700, 500) << frame << screen << 30 << QPoint(230, 0);
        QTest::newRow("past the right edge: to the left, still lower") << QRect(560, 100, 700, 500) << frame << screen << 30 << QPoint(0, 130);
        QTest::newRow("past both: the top left corner") << QRect(560, 280, 700, 500) << frame << screen << 30 << QPoint(0, 0);
        // The room less a panel on top and one on the left: the corner is the room's.
        QTest::newRow("the room's own corner") << QRect(560, 280, 700, 500) << frame << QRect(64, 32, 1216, 768) << 30 << QPoint(64, 32);
        QTest::newRow("a second screen to the right") << QRect(1380, 50, 700, 500) << frame << QRect(1280, 0, 1920, 1080) << 30
                                                    << QPoint(1410, 80);
        // The last window dragged partly off the room: the new one starts in it.
        QTest::newRow("the last above and left of the room") << QRect(-200, -100, 700, 500) << frame << screen << 30 << QPoint(0, 0);
        // A screen smaller than the window: its corner, never beyond it.
        QTest::newRow("a small screen") << QRect(0, 0, 700, 500) << frame << QRect(0, 0, 640, 480) << 30 << QPoint(0, 0);
        QTest::newRow("a small screen, the window as wide") << QRect(0, 0, 640, 400) << QSize(640, 400) << QRect(0, 0, 640, 480) << 30
                                                         << QPoint(0, 30);
    }
    void next()
    {
        QFETCH(QRect, last);
        QFETCH(QSize, frame);
        QFETCH(QRect, area);
        QFETCH(int, step);
        QFETCH(QPoint, expected);
        QCOMPARE(WindowCascade::Next(last, frame, area, step), expected);
    }

    // Ten windows one after another on a screen that holds few steps: all
    // apart, each whole on the screen.
    void tenWindowsApartWithinTheScreen_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("first");
        QTest::addColumn<int>("step");
        QTest::newRow("a laptop") << QRect(0, 0, 1366, 740) << QSize(1004, 604) << QPoint(200, 100) << 30;
        QTest::newRow("a small room, from the corner") << QRect(0, 25, 800, 575) << QSize(671, 404) << QPoint(0, 25) << 20;
        QTest::newRow("a wide screen") << QRect(0, 0, 1920, 1040) << QSize(1200, 800) << QPoint(700, 200) << 36;
    }
    void tenWindowsApartWithinTheScreen()
    {
        QFETCH(QRect, area);
        QFETCH(QSize, frame);
        QFETCH(QPoint, first);
        QFETCH(int, step);
        QList<QRect> placed{QRect(first, frame)};
        while (placed.size() < 10) placed << QRect(WindowCascade::Next(placed.last(), frame, area, step), frame);
        for (int i = 0; i < placed.size(); ++i) {
            QVERIFY2(area.contains(placed[i]), qPrintable(QStringLiteral("window %1 leaves the screen").arg(i + 1)));
            for (int j = 0; j < i; ++j)
                QVERIFY2(placed[i].topLeft() != placed[j].topLeft(), qPrintable(QStringLiteral("windows %1 and %2 on each other").arg(j + 1).arg(i + 1)));
        }
    }
};

VENDARO_TEST_MAIN(tst_windowcascade)
#include "tst_windowcascade.moc"
