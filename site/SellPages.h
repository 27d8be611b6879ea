#pragma once
// The pages of the site's listing flow as the stand-in writes them (README.md,
// "Relisting"): the listing form of a relist or "sell similar", the photo
// page, the extras page, the confirmation and the result, and the checks of
// a posted listing form. The server (StandInSite) keeps the state and picks
// the page; this class only writes and reads.

#include "StandInSite.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

class SellPages {
public:
    // The listing form, filled from the template listing. relist: the relist
    // page, else "sell similar". renamed: the site's field names changed.
    static QString ListingForm(const StandInSite::Listing& from, bool relist, bool renamed, const QDate& today);
    // The photo page's form (multipart, posts the draft on).
    static QString PhotoForm(const QString& draft);
    // The extras form: the five feature boxes, ticked as the template was.
    static QString ExtrasForm(const QString& draft, const StandInSite::Listing& from, bool renamed);
    // The confirmation's summary and form.
    static QString ConfirmForm(const QString& draft, const QMap<QString, QString>& details, const QStringList& features);

    // The feature boxes in page order, and each one's caption.
    static QStringList FeatureBoxes(bool renamed = false);

    // Why a posted listing form is refused ("" when it is taken): the site's
    // own wording. today: the site's date for a scheduled end.
    static QString DetailsRefusal(const QMap<QString, QString>& details, const QDate& today);
    // The listing the details make, started at start (kind "current").
    static StandInSite::Listing NewListing(const QMap<QString, QString>& details, const QStringList& features, const QDateTime& start);

    // A price as the form writes it ("12.5"; "" for 0 when emptyForZero).
    static QString Price(double value, bool emptyForZero = false);
};
