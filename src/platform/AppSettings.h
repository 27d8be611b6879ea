#pragma once
// The per-user settings store shared by the three programs: QSettings in INI
// format under organisation and application "Vendaro".
//
// Sections are written as the program names them: "Settings", "Database",
// "Settings\frmMain", "Messages\" + database name. The part after the first
// backslash is one group of its own, whatever characters it holds. Keys may be
// any text (message texts are keys): characters QSettings would read as group
// separators are escaped here and restored on the way back.
// Reads never fail: a missing or unreadable value gives the default.

#include <QString>
#include <QStringList>

class AppSettings {
public:
    static QString GetSetting(const QString& section, const QString& key, const QString& defaultValue = QString());
    static void SaveSetting(const QString& section, const QString& key, const QString& value);
    // Several values of one section, written to disk once.
    static void SaveSettings(const QString& section, const QList<QPair<QString, QString>>& values);
    // An empty key removes the whole section.
    static void DeleteSetting(const QString& section, const QString& key = QString());
    static bool HasSetting(const QString& section, const QString& key);
    static QStringList Keys(const QString& section);
    // Writes pending changes to disk (before another program reads them).
    static void Sync();

    // The QSettings group a section maps to, and the stored form of a key.
    static QString groupFor(const QString& section);
    static QString encodeKey(const QString& key);
    static QString decodeKey(const QString& stored);
};
