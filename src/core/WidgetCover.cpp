#include "WidgetCover.h"

#include <QEvent>
#include <QWidget>

WidgetCover::WidgetCover(QWidget* page, QWidget* covered) : m_page(page), m_covered(covered)
{
    if (!m_page || !m_covered) return;
    m_formerPlace = m_page->geometry();
    m_wasVisible = m_page->isVisible();
    m_covered->installEventFilter(this);
    place();
    m_page->show();
    m_page->raise();
}

WidgetCover::~WidgetCover()
{
    if (m_covered) m_covered->removeEventFilter(this);
    if (!m_page || m_kept) return;
    m_page->setGeometry(m_formerPlace);
    m_page->setVisible(m_wasVisible);
}

void WidgetCover::Keep()
{
    if (!m_page) return;
    m_kept = true;
    setParent(m_page);
}

QRect WidgetCover::CoveredArea(const QWidget* page, const QWidget* covered)
{
    const QWidget* parent = page->parentWidget();
    QPoint topLeft;
    if (!parent) topLeft = covered->mapToGlobal(QPoint());
    else if (parent->isAncestorOf(covered)) topLeft = covered->mapTo(parent, QPoint());
    else if (parent != covered) topLeft = parent->mapFromGlobal(covered->mapToGlobal(QPoint()));
    return QRect(topLeft, covered->size());
}

bool WidgetCover::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_covered && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) place();
    return false;
}

void WidgetCover::place()
{
    if (m_page && m_covered) m_page->setGeometry(CoveredArea(m_page, m_covered));
}
