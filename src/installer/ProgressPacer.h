#pragma once
// The installer's progress bar is a pacing indicator, not a measure of bytes:
// each tick moves it one step and waits 30 ms per step for the next, so it
// sweeps ever more slowly and starts over after a full sweep.

#include <QObject>
#include <QTimer>

class ProgressPacer : public QObject {
    Q_OBJECT
public:
    static constexpr int Maximum = 100;
    static constexpr int FirstInterval = 100;
    static constexpr int StepMs = 30;

    explicit ProgressPacer(QObject* parent = nullptr);

    int value() const { return m_value; }
    void setValue(int value);
    void setToMaximum() { setValue(Maximum); }
    // The timer, running from the start with its first interval.
    void start() { m_timer.start(); }
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }
    int interval() const { return m_timer.interval(); }

    // One tick: back to 0 after the maximum, one step on, the next wait value x 30 ms.
    void tick();

signals:
    void valueChanged(int value);

private:
    QTimer m_timer;
    int m_value = 0;
};
