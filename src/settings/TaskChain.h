#pragma once
// The two follow-up chains a sale walks: the steps allowed to follow each
// step, which rows a chain reaches, and whether each chain ends. Works on the
// chosen next steps only, so the options dialog and the tests share it.

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class TaskChain {
public:
    static constexpr int RowCount = 14;       // steps 1-14 have a next step
    static constexpr int Completed = 15;
    static constexpr int Relist = 16;
    static constexpr int MaxHops = 21;

    // The chosen next step of each row (index = step 1-14; 0 = no choice).
    using Choices = std::array<int, RowCount + 1>;

    enum class Loop { None, PrePayment, PostPayment };

    // The steps that may follow a step, ascending; empty outside 1-14.
    static QList<int> AllowedNextSteps(int step);
    // The rows of the two chain tabs, in the order they are shown.
    static QList<int> PrePaymentRows();
    static QList<int> PostPaymentRows();
    static bool IsEndStep(int step) { return step == Completed || step == Relist; }

    // The chain that does not reach an end step within MaxHops from its start
    // (step 1 first, then step 7); a row without a choice on the way ends
    // nothing, so its chain fails too.
    static Loop CheckTaskLoops(const Choices& next);
    // Rows on the walk from step 1 or step 7, following the choices until an
    // end step, a row without a choice or a row already passed.
    static std::array<bool, RowCount + 1> Reachable(const Choices& next);

    // The lowest step 1-16 whose description is exactly the text; 0 for none.
    static int IdOf(const QStringList& descriptions, const QString& text);
};
