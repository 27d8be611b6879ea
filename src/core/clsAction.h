#pragma once
// One task step of the chain (a row of [Action]).

#include <QString>

struct clsAction {
    int ActionId = 0;
    QString Description;
    int NextActionId = 0;
    int NumDays = 0;
};
