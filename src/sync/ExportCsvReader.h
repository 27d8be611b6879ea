#pragma once
// Reads the site's listing export (CSV) into a listing record set.
//
// The site's format: UTF-8 text, records ended by line ends; items separated
// by commas; an item may be double-quoted, and then holds commas and line
// breaks; four double quotes stand for one double quote in a value, inside
// quotes or out. The header names the columns and ends with an empty item
// (a trailing comma), and every record has as many items as the header
// (so also ends with a comma). Dates are "dd/MM/yyyy HH:mm:ss" local time,
// numbers decimals, amounts perhaps with thousands separators ("1,200.50").
//
// A file whose header lacks a column of the list, or with a record of
// another item count, is refused whole: a record with an item too many or
// too few would put every later value into the wrong field.

#include "ListingRecordsets.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class Recordset;

class ExportCsvReader {
public:
    struct Record {
        int row = 0;        // as a spreadsheet numbers it: the file's first record is row 1, blank lines count
        QStringList items;  // quotes resolved
    };

    // The records of an export text, split at commas and at line ends outside quotes.
    static QList<Record> Split(const QString& text);

    // Reads the export into rs, a listing record set of the list type: one
    // row per record with a listing number, blank lines and records without
    // one skipped. False, with the message in error, when the header lacks a
    // column ("The TradeMe data file has changed (missing title)") or a record
    // has the wrong item count ("The TradeMe data file has changed (row 7)");
    // then rs is left as it was. A record with an amount that is no number is
    // held back (not added), named in heldBack as its listing number and the
    // items ("4101 (start_price "12,50")"); other values that do not convert
    // stay Null.
    static bool Read(const QByteArray& bytes, int listType, Recordset& rs, QString* error = nullptr,
                     QStringList* heldBack = nullptr);

    // An item converted to a field's kind; Null when it does not convert.
    // Text is kept as it is; amounts are read by the one amount reader, whole
    // ("1,200.50"), counts are plain decimals, whatever the machine's locale;
    // dates "d/M/yyyy[ H:mm[:ss]]" as local serial days.
    static QVariant Convert(const QString& item, ListingRecordsets::Kind kind);
    static bool ParseDate(const QString& text, double* serial);
    static bool ParseNumber(const QString& text, double* value);
};
