#pragma once
// The small up and down arrows beside a number field: each click reports one
// step, +1 or -1.

#include <QWidget>

class QToolButton;

class SpinButtons : public QWidget {
    Q_OBJECT
public:
    explicit SpinButtons(QWidget* parent = nullptr);
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void stepped(int step);

private:
    QToolButton* m_up;
    QToolButton* m_down;
};
