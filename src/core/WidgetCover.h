#pragma once
// Keeps a widget (a browser's page) over another widget's area (a window's
// inside, or its list) while it lives: placed at once, and again at every
// resize or move of the covered widget. A window maximised for a message
// takes its final size only later (the window manager answers when it will),
// and the seller may resize it while the message is up; the page follows.
// When the cover goes, the page goes back where it was, shown or hidden as
// it was, and follows the covered widget no more.

#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

class WidgetCover : public QObject {
public:
    WidgetCover(QWidget* page, QWidget* covered);
    ~WidgetCover() override;
    WidgetCover(const WidgetCover&) = delete;
    WidgetCover& operator=(const WidgetCover&) = delete;

    // The page stays over the covered widget, following it, until the page
    // goes: the cover becomes the page's.
    void Keep();

    // The page's place now: the covered widget's area in the page's parent.
    static QRect CoveredArea(const QWidget* page, const QWidget* covered);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QPointer<QWidget> m_page;
    QPointer<QWidget> m_covered;
    QRect m_formerPlace;
    bool m_wasVisible = false;
    bool m_kept = false;
};
