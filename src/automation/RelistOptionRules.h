#pragma once
// The rules of one relist's listing values, without a window: the extra
// features as stored by the sync, the ten-day cut of a scheduled listing, the
// duration and end time an entry opens with, and the checks of the options
// dialog's OK.

#include <QString>
#include <QStringList>

class RelistOptionRules {
public:
    // The sync stores the homepage feature as "Homepage featured", the options
    // and the extras form know it as "Homepage feature": reads the first as the
    // second. A null text stays empty.
    static QString ReadExtraFeatures(const QString& features);

    // A scheduled 10-day listing whose end time of day is later than now would
    // run longer than the site allows: it is cut to 9 days. A fixed-length
    // listing has no end time and is never cut (9 fixed days is no valid length).
    static bool TenDayCut(bool durationFixed, int durationDays, double durationTime, double now);

    // How a stored duration opens: days outside 1..10 (0 = never downloaded)
    // open as 7 days, fixed length.
    struct Duration {
        bool Fixed = true;
        int Days = 7;
        double Time = 0;
    };
    static Duration OpenedDuration(bool durationFixed, int durationDays, double durationTime);

    // The end times offered for a scheduled end: the 96 quarter hours from
    // midnight, plus the stored time (to the minute) in its place when it is
    // not one of them. *selected receives the position of the stored time.
    static QList<double> EndTimes(double storedTime, int* selected = nullptr);
    // An end time's text in the list ("8:30 pm").
    static QString EndTimeText(double time);

    // The value of a typed amount, read by its leading number with the one
    // amount reader ("1,250" is 1250, "15 dollars" 15); an empty box is 0.
    // ok false (and 0) when the text holds no amount.
    static double ReadAmount(const QString& text, bool* ok = nullptr);

    // The options dialog's checks, in order; the last failing rule's message,
    // "" when all pass. buyNowEmpty: the buy-now box is empty (a 0 was cleared).
    // The prices compare in whole cents, so a start of exactly a tenth of the
    // reserve (0.70 of 7) passes.
    static QString CheckMessage(double start, double reserve, bool buyNowEmpty, double buyNow, bool fixed, int days,
                                double endTime, double now);
};
