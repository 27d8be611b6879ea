#pragma once
// Label sheets and reports measure in twips at 566.9 to the centimetre, on an
// A4 portrait page whose size is fixed (not a setting).

namespace printing {
constexpr double TwipsPerCm = 566.9;
constexpr double PageWidthCm = 21.0;
constexpr double PageHeightCm = 29.7;
}  // namespace printing

// The whole number of twips nearest to cm, an exact half going to the even
// neighbour (5.0 cm -> 2834). Beyond what 32 bits hold it gives the nearest
// value they hold; a value that is no number gives 0.
int CmToTwips(double cm);
