#include "TaskDue.h"

#include "platform/Vb.h"

SqlCondition TaskDue::Condition(const QString& column, double now) { return {column + QStringLiteral("<=?"), {vb::Int(now)}}; }

SqlCondition TaskDue::Condition(const QString& column) { return Condition(column, vb::now()); }

bool TaskDue::IsDue(const QVariant& dateNextAction, double now)
{
    return !dateNextAction.isNull() && dateNextAction.toDouble() <= vb::Int(now);
}
