#include "TaskChain.h"

#include <QHash>

QList<int> TaskChain::AllowedNextSteps(int step)
{
    static const QHash<int, QList<int>> allowed = {
        {1, {2, 4, 5, 6, 8, 9}}, {2, {4, 5, 6, 8, 9}},     {3, {15}},
        {4, {5, 6, 8, 9}},       {5, {6, 8, 9}},           {6, {8, 9}},
        {7, {10, 11}},           {8, {9, 15, 16}},         {9, {8, 15, 16}},
        {10, {11, 12, 13, 14, 15}}, {11, {10, 12, 13, 14, 15}}, {12, {10, 11, 13, 14, 15}},
        {13, {10, 11, 12, 14, 15}}, {14, {15}}};
    return allowed.value(step);
}

QList<int> TaskChain::PrePaymentRows() { return {1, 2, 3, 4, 5, 6, 8, 9}; }
QList<int> TaskChain::PostPaymentRows() { return {7, 10, 11, 12, 13, 14}; }

namespace {
bool chainEnds(const TaskChain::Choices& next, int start)
{
    int step = start;
    for (int hops = 0;;) {
        const int following = step >= 1 && step <= TaskChain::RowCount ? next[step] : 0;
        if (TaskChain::IsEndStep(following)) return true;
        if (following < 1 || following > TaskChain::RowCount) return false;
        if (++hops >= TaskChain::MaxHops) return false;
        step = following;
    }
}
}  // namespace

TaskChain::Loop TaskChain::CheckTaskLoops(const Choices& next)
{
    if (!chainEnds(next, 1)) return Loop::PrePayment;
    if (!chainEnds(next, 7)) return Loop::PostPayment;
    return Loop::None;
}

std::array<bool, TaskChain::RowCount + 1> TaskChain::Reachable(const Choices& next)
{
    std::array<bool, RowCount + 1> reached{};
    for (int step : {1, 7}) {
        while (step >= 1 && step <= RowCount && !reached[step]) {
            reached[step] = true;
            step = next[step];
        }
    }
    return reached;
}

int TaskChain::IdOf(const QStringList& descriptions, const QString& text)
{
    for (int id = 1; id <= std::min<int>(16, int(descriptions.size()) - 1); ++id)
        if (descriptions[id] == text) return id;
    return 0;
}
