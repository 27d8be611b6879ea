#pragma once
// Reads the seller's unsold-listings pages as the site shows them in the
// browser (the body text, CRLF line ends): one row per listing into the
// Unsold record set. No window and no browser here: the run (UpdateSession)
// pages through the site and reports what this returns.
//
// A listing on the page is its title line, then a line
//     Closed:  Mon 30 Nov 2:15 pm (#2150000123)
// (two blanks after "Closed:", a three-letter weekday) and optional lines
// "Price $", "Reserve $", "No bids", "Top bid $", "Offered for $",
// "Offer expired" (with the line after it) and "Relisted ..." up to "View new".
// Positions are 0-based.

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

class Recordset;

class UnsoldPageReader {
public:
    // CRLF & "Closed:  ": what starts the second line of every listing.
    static const QString Sentinel;

    // The text between StartText and EndText, searched from Start (case-sensitive).
    // Result starts StartOffset characters after StartText's position (-1: its
    // length) and ends EndOffset - 1 characters before EndText. An empty StartText
    // starts at Start; an empty EndText leaves Result as it was. False when a
    // marker is missing, with Error (when given) set to the text to report.
    static bool GetTextBetween(QString& Result, qsizetype& FoundAt, const QString& Text, qsizetype Start,
                               const QString& StartText, const QString& EndText, qsizetype StartOffset = -1,
                               qsizetype EndOffset = 1, QString* Error = nullptr);

    // A closed date as the page writes it ("30 Dec 2:15 pm", "5 January 2027 14:05").
    // English month names whatever the machine's locale; a weekday name first is
    // passed over. Without a year it takes today's year, then moves a year on
    // when that lies more than 90 days before today, or a year back when more
    // than 90 days after. Without a time it is midnight. False when unreadable.
    static bool ParseClosedDate(const QString& DateText, const QDate& Today, QDateTime& Result);

    struct PageResult {
        enum Outcome {
            NextPage,     // read to its end: the next page may hold more
            Done,         // reached a listing closed before the day window
            LoginFailed,  // not a member page
            Failed        // a listing could not be read: Error says why
        };
        Outcome outcome = NextPage;
        int listings = 0;         // listings within the window on the page, repeats included
        int added = 0;            // rows added
        int repeated = 0;         // listings read before in this run (not added again)
        QString error;            // with Failed: the text to report
        QStringList unreadDates;  // listings passed over: "#<id> '<closed date text>'"
    };

    // Adds a row to Unsold for every listing on the page that closed on or
    // after Today - Days, newest first as the site lists them. Listing numbers
    // in Seen (when given) are passed over, and every one added joins it.
    static PageResult ParseUnsoldPage(const QString& PageText, Recordset& Unsold, int Days, const QDate& Today,
                                      QSet<QString>* Seen = nullptr);

    // The page number an unsold page's address names ("page=n"); 1 without one.
    static int PageNumber(const QString& Address);
};
