#include "ProgressPacer.h"

ProgressPacer::ProgressPacer(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(FirstInterval);
    connect(&m_timer, &QTimer::timeout, this, &ProgressPacer::tick);
}

void ProgressPacer::setValue(int value)
{
    value = qBound(0, value, Maximum);
    if (value == m_value) return;
    m_value = value;
    emit valueChanged(m_value);
}

void ProgressPacer::tick()
{
    m_timer.stop();
    if (m_value >= Maximum) setValue(0);
    setValue(m_value + 1);
    m_timer.setInterval(m_value * StepMs);
    m_timer.start();
}
