#pragma once
// Value helpers with the semantics the program was written against: OLE date
// serials, Int/Fix, banker's rounding, Val, Format patterns, twips and colour numbers.
// Everything here is independent of the machine's locale.

#include <QColor>
#include <QDateTime>
#include <QString>

namespace vb {

// Day 0 of the OLE date scale: 1899-12-30 00:00 local time.
QDate oleEpoch();
// The serials of the first and the last day a date can have (1 January 100,
// 31 December 9999), and whether a serial falls within them.
constexpr double minDate = -657434;
constexpr double maxDate = 2958465;
bool inDateRange(double serial);

// Local date-time -> serial days (fraction = time of day). Negative serials keep
// the time as a positive fraction, as OLE does (-1.25 = 1899-12-29 06:00).
double toOleDate(const QDateTime& dt);
double toOleDate(const QDate& d);
// Out of the date range (or not a number): an invalid QDateTime.
QDateTime fromOleDate(double serial);

// Current local time as a serial, and today's date (no time) as a serial.
// Both read the program's one clock, which tests may set.
double now();
double today();
// Sets the clock to a fixed local time (tests); an invalid time restores the real clock.
void setClock(const QDateTime& fixed);
QDateTime currentDateTime();

// Int: the largest whole number not above x. Fix: x without its fraction.
double Int(double x);
double Fix(double x);

// VB Round: to the nearest, halves to the even neighbour.
double roundHalfEven(double x, int digits = 0);

// The ten-digit whole-day key lists sort by: the serial rounded to whole days
// (halves to even, so a time after noon keys with the next day), zero-padded.
// "" for a number no date has.
QString dayKey(double serial);

// Val: the leading number of a text. Blanks, tabs and line feeds are ignored;
// "&H"/"&O" prefixes are hex/octal; anything unreadable gives 0. found, when
// given, tells whether the text held a number at all (a number too large to
// hold is none).
double Val(const QString& text, bool* found = nullptr);

// RTrim: the text without its trailing blanks (spaces only).
QString RTrim(QString text);

// Format a number with a pattern such as "$0.00", "0.00 cm" or "#,##0".
QString formatNumber(double value, const QString& pattern);
// Format a date serial with a pattern such as "d/mm/yyyy", "h:mm ampm",
// "ddd d mmm h:mm ampm". English names and "AM"/"PM". A serial out of the
// date range formats as an empty text.
QString formatDate(double serial, const QString& pattern);
QString formatDate(const QDateTime& dt, const QString& pattern);
// The default text of a date value: "d/mm/yyyy h:mm:ss AM", without the date
// when the day is 0, else without the time when it is midnight.
QString dateText(double serial);
// Reads what dateText writes ("d/mm/yyyy[ h:mm[:ss][ AM|PM]]", or a time alone).
bool parseDateText(const QString& text, double* serial);

// Geometry given in twips (15 per pixel).
constexpr int twipsPerPixel = 15;
int twipsToPixels(double twips);
double pixelsToTwips(int pixels);

// VB colour number: 0x00BBGGRR, or a system colour 0x800000nn.
QColor color(qint64 vbColor);
// A colour number as stored (a double, VB's signed Long or unsigned): a number
// no colour has (not finite, beyond 32 bits) gives the window background.
QColor colorOfNumber(double vbColor);

}  // namespace vb
