#pragma once
// A band of a banded report: its height in twips and what it prints.

#include "ReportItem.h"

#include <QList>

struct ReportBand {
    int height = 0;
    QList<ReportItem> items;
};
