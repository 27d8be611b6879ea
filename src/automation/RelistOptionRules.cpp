#include "RelistOptionRules.h"

#include "platform/AmountText.h"
#include "platform/Vb.h"

#include <algorithm>
#include <cmath>

namespace {
const QString CrLf = QStringLiteral("\r\n");
constexpr int MinutesPerDay = 1440;

int minuteOfDay(double time)
{
    // Seconds are dropped: the site schedules ends to the minute.
    const double dayPart = time - std::floor(time);
    return std::min(MinutesPerDay - 1, int(std::floor(dayPart * MinutesPerDay + 1e-6)));
}
}  // namespace

QString RelistOptionRules::ReadExtraFeatures(const QString& features)
{
    QString text = features.isNull() ? QString(QLatin1String("")) : features;
    text.replace(QStringLiteral(",Homepage featured,"), QStringLiteral(",Homepage feature,"));
    return text;
}

bool RelistOptionRules::TenDayCut(bool durationFixed, int durationDays, double durationTime, double now)
{
    return !durationFixed && durationDays == 10 && durationTime > now - vb::Int(now);
}

RelistOptionRules::Duration RelistOptionRules::OpenedDuration(bool durationFixed, int durationDays, double durationTime)
{
    if (durationDays < 1 || durationDays > 10) return {};
    return {durationFixed, durationDays, durationFixed ? 0.0 : durationTime};
}

QList<double> RelistOptionRules::EndTimes(double storedTime, int* selected)
{
    const int stored = minuteOfDay(storedTime);
    QList<double> times;
    int position = -1;
    for (int m = 0; m < MinutesPerDay; m += 15) {
        if (position < 0 && stored <= m) {
            position = int(times.size());
            if (stored < m) times << double(stored) / MinutesPerDay;
        }
        times << double(m) / MinutesPerDay;
    }
    if (position < 0) {
        position = int(times.size());
        times << double(stored) / MinutesPerDay;
    }
    if (selected) *selected = position;
    return times;
}

QString RelistOptionRules::EndTimeText(double time)
{
    return vb::formatDate(double(minuteOfDay(time)) / MinutesPerDay, QStringLiteral("h:mm ampm"));
}

double RelistOptionRules::ReadAmount(const QString& text, bool* ok)
{
    if (text.trimmed().isEmpty()) {
        if (ok) *ok = true;
        return 0;
    }
    return AmountText::parse(text, ok, AmountText::Reading::Leading);
}

QString RelistOptionRules::CheckMessage(double start, double reserve, bool buyNowEmpty, double buyNow, bool fixed, int days,
                                        double endTime, double now)
{
    // 0.70 * 10 is not 7 in binary fractions; whole cents compare exactly.
    const auto cents = [](double amount) { return std::llround(std::clamp(amount, -1e15, 1e15) * 100); };
    const qint64 S = cents(start), R = cents(reserve), B = cents(buyNow);
    QString message;
    if (S * 10 < R) message = QStringLiteral("The Start price must be at least 10% of the Reserve.");
    if (!buyNowEmpty && R > B) message = QStringLiteral("The Buy Now price must be equal or greater than the Reserve.");
    if (S > R) message = QStringLiteral("The Reserve price must be equal or greater than the Start Price.");
    if (S < 50) message = QStringLiteral("The Start Price must be at least 50c");
    if (fixed && (days == 8 || days == 9))
        message = QStringLiteral("Fixed length auctions must be 1-7 days or 10 days, only scheduled end time auctions can be 8 or 9 days.");
    if (!fixed && days == 10 && endTime - vb::Int(endTime) > now - vb::Int(now))
        message = QStringLiteral("Your auction end time for a 10 day auction cannot be later than the current time (") +
                  vb::formatDate(now, QStringLiteral("h:mm ampm")) + QStringLiteral(")") + CrLf + CrLf +
                  QStringLiteral("Select a time before the current time or select fewer days.");
    return message;
}
