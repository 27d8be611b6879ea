#pragma once
// One site page of the Links table.

#include <QString>

struct clsLink {
    int LinkId = 0;
    QString LocationId;
    QString Description;
    QString URL;
};
