#pragma once
// The setup wizard's way through its pages and the task chains its answers
// make, without the window.

#include "SetupAnswers.h"

#include <QList>
#include <QString>

namespace SetupFlow {

constexpr int PageCount = 24;

// Pages answered by Yes or No.
bool IsQuestionPage(int page);
// The answer a question page sets; nullptr on other pages.
bool* Answer(SetupAnswers& answers, int page);

// Where Next (or Yes) leads from a page whose check passed.
int NextPage(int page, const SetupAnswers& answers);
// Where No leads from a question page, its answer already set.
int NoPage(int page, const SetupAnswers& answers);
int BackPage(int page, const SetupAnswers& answers);

// The check of pages 9 and 23: "" when the page passes, else its message.
QString Check(int page, const SetupAnswers& answers);

// One link of a chain: the step, the step that follows it and the days between.
struct Link {
    int Step = 0;
    int Next = 0;
    int Days = 0;
    bool operator==(const Link&) const = default;
};
// The pre-payment chain from step 1 and the post-payment chain from step 7.
QList<Link> PrePaymentChain(const SetupAnswers& answers);
QList<Link> PostPaymentChain(const SetupAnswers& answers);

}  // namespace SetupFlow
