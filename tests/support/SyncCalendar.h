#pragma once
// The calendar of the comparison and save tests: a fixed today, the system
// start 30 days before it, and the dates their listings open, close, sell and end.

#include "platform/Vb.h"

#include <QDate>
#include <QVariantMap>

namespace SyncCalendar {

// Today in these tests: Tuesday 5 January 2027, 10:30.
inline const QDate Today(2027, 1, 5);

inline double serial(const QDate& d, int h = 0, int min = 0) { return vb::toOleDate(d) + (h * 60 + min) / 1440.0; }
inline const double Now = serial(Today, 10, 30);
inline const double Start = serial(Today.addDays(-30));
inline const double Opened = serial(QDate(2027, 1, 1), 10, 0);
inline const double Closes = serial(QDate(2027, 1, 12), 21, 30);
inline const double SoldAt = serial(QDate(2027, 1, 4), 20, 15);
inline const double EndedAt = serial(QDate(2027, 1, 3), 15, 45);

// base with the changes put in.
inline QVariantMap with(QVariantMap base, const QVariantMap& changes)
{
    for (auto it = changes.begin(); it != changes.end(); ++it) base.insert(it.key(), it.value());
    return base;
}

}  // namespace SyncCalendar
