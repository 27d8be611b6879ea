#pragma once
// The package's list of files: read item by item as a sequential-file input
// does. A line end (CR LF, LF or CR) or a comma ends an item; blanks before an
// item are skipped and those after an unquoted one dropped; an item in double
// quotes may hold commas and loses its quotes (text after the closing quote up
// to the next comma or line end is ignored). Empty items name nothing and are
// left out.

#include <QByteArray>
#include <QStringList>

class FilesInfo {
public:
    // The items in order; false (no items) for a text that is not UTF-8 or
    // has a quote that never closes.
    static bool Parse(const QByteArray& text, QStringList* items);
};
