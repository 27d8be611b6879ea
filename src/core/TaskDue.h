#pragma once
// When a sale's next task is due, for the lists of sales to work on (the main
// window's task lists, the address labels, the picking list). Due dates are
// whole days: a sale is due when its DateNextAction (a date serial) is at or
// before the start of today, so one stored with a time later in the day falls
// due the day after, in each of these lists alike.

#include "platform/db/SqlCondition.h"

#include <QString>
#include <QVariant>

class TaskDue {
public:
    // "<column><=?" with the start of the day of now bound.
    static SqlCondition Condition(const QString& column, double now);
    static SqlCondition Condition(const QString& column);  // by the clock
    // The same rule on a value read: false for a Null date.
    static bool IsDue(const QVariant& dateNextAction, double now);
};
