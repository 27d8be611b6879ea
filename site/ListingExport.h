#pragma once
// The site's listing exports in CSV, as the stand-in writes them (README.md,
// "Listing exports"): one list of one seller, filtered and newest first.

#include "StandInSite.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>

class ListingExport {
public:
    // The listings of a list ("current" or "sold" kind) an export holds:
    // all of them, or those of the last 7 days; newest first.
    static QList<StandInSite::Listing> Select(const QList<StandInSite::Listing>& listings, bool sold, bool lastSevenDays,
                                              const QDateTime& now, const QString& searchTerm = QString());
    // The column names, in the order the export writes them.
    static QStringList Header(bool sold);
    // The header line, ended by a comma and CR LF.
    static QByteArray HeaderLine(bool sold, StandInSite::ExportFault fault = StandInSite::ExportFault::None);
    // The whole export; buyers by lower-case member name.
    static QByteArray Csv(const QList<StandInSite::Listing>& listings, bool sold, const QMap<QString, StandInSite::Buyer>& buyers,
                          StandInSite::ExportFault fault = StandInSite::ExportFault::None);
    // A sale's delivery address as the site gives it: the buyer's name, then
    // the address's parts, joined by ", "; "" when the sale has no address.
    static QString DeliveryAddress(const StandInSite::Listing& sale, const QMap<QString, StandInSite::Buyer>& buyers);
    // One item: quoted when it holds a comma, a double quote or a line
    // break; a double quote written as four.
    static QString Item(const QString& value);
    static QString Date(const QDateTime& time);  // "dd/MM/yyyy HH:mm:ss"
    static QString Price(double value);           // "12.50"
};
