#pragma once
// The site's listing exports as files in the program folder: their
// addresses, the download into "tmdata<n>.csv" (n the list type, 0 Current,
// 1 Sold), and the reading of that file into a listing record set.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class Recordset;

class ExportFile {
public:
    // The filter box's text: "Last 45 days" gives 45, anything else 7.
    static int DaysOfFilter(const QString& filterText);
    // "&filter=all" for 45 days, "&filter=last_7_days" otherwise.
    static QString Filter(int days);
    // The export address of a list type on the configured site; the unsold
    // pages' first address for list type 2 (no filter).
    static QString URL(int listType, int days);

    static QString FileName(int listType);  // "tmdata0.csv"
    static QString FilePath(int listType);  // in the program folder

    // The whole download's time-out (60 s); tests shorten it.
    static int TimeoutMs();
    static void setTimeoutMs(int ms);

    using Done = std::function<void(bool ok, const QString& error)>;
    // Deletes the list's file, then downloads url and saves the bytes
    // unchanged. done runs once from the event loop (never before Download
    // returns): ok, or false with the reason (transfer or file). Nothing runs
    // when context is destroyed first; the transfer is stopped then.
    static void Download(int listType, const QUrl& url, QObject* context, Done done);

    // Reads the list's file into rs, then deletes it. False with the message
    // to report: "An error occurred reading data file (n)." and the reason
    // for a file that cannot be read, the reader's message for a header or
    // record it does not know; the file then stays for a look, rs as it was.
    // heldBack: the records held back for an amount that is no number
    // (ExportCsvReader::Read).
    static bool ReadFile(int listType, Recordset& rs, QString* error, QStringList* heldBack = nullptr);
};
