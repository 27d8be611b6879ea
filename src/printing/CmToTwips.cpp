#include "CmToTwips.h"

#include <cmath>
#include <limits>

int CmToTwips(double cm)
{
    // nearbyint rounds in the current mode, which is to nearest with halves to even.
    const double twips = std::nearbyint(cm * printing::TwipsPerCm);
    if (std::isnan(twips)) return 0;
    if (twips >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (twips <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return int(twips);
}
