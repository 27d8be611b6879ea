#pragma once
// The site's listing and extras forms rewritten for one relist, without a
// window. The relist driver cuts a form out of the site's page with
// modWebProcessing::ExtractForm (options kept), rewrites it here and posts it
// through modWebProcessing::SaveSubmitPage:
//
//   listing page:  FillListingForm(form, record), then FixBodyTextarea(form)
//   extras page:   SetExtraFeatures(form, record)
//
// Each returns 0 on success, or the failure code the driver shows:
//   11 no input named "title"           12 no input named "startprice"
//   14 no input named "buynowprice"     15 no " name=\"start_eq_reserve\""
//   16 it is not in an input, or no name="reserveprice" follows it
//   17 no ">" ends the reserve input    18 no "listingdurationfixedradio"
//   19 it is not in an input            20, 21, 22 the first, second or third
//                                          "</select>" after it is missing
//   30 a feature box's name is missing  31 no ">" after it
//   99 no textarea named "body"
// On failure the form is left as it came (the driver posts nothing then).
//
// The form is plain text: names are found by searching its lower-cased text,
// so tag and attribute case do not matter, but the site must write the
// names in double quotes. Every value written into the form is HTML-escaped,
// and numbers are written in the C locale's shortest form ("12.5").

#include "RelistRecord.h"

#include <QString>

class ListingForm {
public:
    // The listing form: title, start price (0 keeps the site's), buy-now price
    // (0 keeps the site's, Null empties it), the reserve (only above 0: the
    // site's reserve box and field become start_eq_reserve 0 and the price)
    // and the duration (only with DurationDays above 0: a fixed length in
    // minutes, or a scheduled end date and time of day).
    static int FillListingForm(QString& Html, const RelistRecord& record);
    // The description box ends with an empty line and ":)", unless it
    // already holds ":)".
    static int FixBodyTextarea(QString& Html);
    // The extras form's five feature boxes ticked or cleared as the record's
    // ExtraFeatures says (",Gallery,Bold title,"); an empty list leaves the
    // site's ticks as they are, "," clears them all.
    static int SetExtraFeatures(QString& Html, const RelistRecord& record);
};
