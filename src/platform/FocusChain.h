#pragma once
// The way the keyboard goes through a window. Qt's Tab order is the order the
// controls were made in, which is seldom the order a window shows them (a base
// class makes its buttons before a derived one makes the fields). Here Tab
// follows the layouts instead: the fields top to bottom and left to right,
// into group boxes and tab pages, then the buttons in the same order (a ">>"
// beside a box too), so that Tab from one field never lands on a button
// while fields remain.

class QWidget;

class FocusChain {
public:
    // Sets the Tab order of the window's controls from its layouts. Controls
    // outside every layout (a floating list, a hidden page) keep their place.
    static void FollowLayout(QWidget* window);

    // The first control in Tab order that takes typing or a choice: an
    // editable box, a list, a check box; not a button, a read-only box, or one
    // that is hidden or disabled. nullptr when there is none.
    static QWidget* FirstField(QWidget* window);

    // Whether a control takes typing or a choice (as FirstField counts them).
    static bool IsField(const QWidget* w);

    // FollowLayout, then the caret into the first field (when there is one).
    static void Prepare(QWidget* window);
};
