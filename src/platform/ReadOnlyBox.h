#pragma once
// A one-line box the seller reads but does not type into (a total, the buyer
// a task is for): read-only, and drawn on the window's own colour inside its
// frame, so that it does not pass for a box to type into, on a light desktop
// or a dark one. Qt draws a read-only QLineEdit exactly like an editable one.
//
// The look follows the box: a change of palette (the desktop's scheme
// switched while the program runs) and setReadOnly on a box its window locks
// and unlocks both redraw it as it then stands.

#include <QObject>

class QLineEdit;

class ReadOnlyBox : public QObject {
    Q_OBJECT
public:
    // Makes the box read-only, with the look.
    static void Apply(QLineEdit* box);
    // The look alone, for a box its window locks and unlocks: on the window's
    // colour while read-only, on the palette's own base while editable.
    static void Follow(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ReadOnlyBox(QLineEdit* box);
    void refresh();

    QLineEdit* m_box;
};
