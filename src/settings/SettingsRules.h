#pragma once
// The rules the settings fields follow, kept apart from the windows.

#include <QColor>
#include <QString>

namespace SettingsRules {

// The number a field's text begins with (0 when it begins with none).
double Number(const QString& text);
// The text's number as a whole number, halves to the even neighbour, held
// within [min, max].
qint64 Whole(const QString& text, qint64 min, qint64 max);

// An auto-wrap width: 0 (no wrapping) or 20 to 135.
bool WrapAllowed(double width);
constexpr int MinWrap = 20;
constexpr int MaxWrap = 135;
// A next own-sale number or its increment: at least 1, and no more than a
// 32-bit number holds (the configuration could not be read back otherwise).
QString SaleNumberText(const QString& text);
// A days field: its whole number of days, "0" for none.
QString DaysText(const QString& text);
// Feedback comments: blanks trimmed at both ends and trailing line breaks
// removed; blank lines and blanks between comments stay.
QString CleanFeedback(const QString& text);

// A colour as the 32-bit colour number stored (0x00BBGGRR), and back.
qint64 ColorNumber(const QColor& color);

// The versions as the About box writes them: whole part, the first decimal,
// the next three decimals ("2.1.004").
QString VersionText(double version);

}  // namespace SettingsRules
