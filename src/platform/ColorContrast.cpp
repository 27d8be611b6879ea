#include "ColorContrast.h"

#include <cmath>

namespace ColorContrast {

namespace {
double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// The wanted colour moved a fraction of the way towards an end colour, in whole 8-bit channels.
QColor towards(const QColor& from, const QColor& to, double t)
{
    auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}
}  // namespace

double luminance(const QColor& colour)
{
    const QColor c = colour.toRgb();
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double ratio(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor textOn(const QColor& background)
{
    return ratio(background, Qt::black) >= ratio(background, Qt::white) ? QColor(Qt::black) : QColor(Qt::white);
}

QColor readableOn(const QColor& background, const QColor& wanted, double minimum)
{
    const QColor rgb = wanted.toRgb();
    if (ratio(background, rgb) >= minimum) return rgb;
    const QColor end = textOn(background);
    // Contrast grows steadily on the way to the better end: halve the interval
    // to the least change that reads.
    double low = 0, high = 1;
    for (int i = 0; i < 16; ++i) {
        const double mid = (low + high) / 2;
        if (ratio(background, towards(rgb, end, mid)) >= minimum) high = mid;
        else low = mid;
    }
    return towards(rgb, end, high);
}

}  // namespace ColorContrast
