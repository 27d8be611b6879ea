#pragma once
// The order the main program leaves for the installer in the per-user
// settings: "Settings" action ("Install" or "Update") and filename (the
// package's name). The installer deletes action before it downloads, so an
// order is carried out once; filename stays.

#include <QString>

class HandOver {
public:
    QString action;    // "" when missing
    QString filename;  // "" when missing

    static HandOver Read();
    // Deletes action (written to disk at once), keeping filename.
    static void DeleteAction();

    bool IsInstall() const { return action == QLatin1String("Install"); }
    // An order to carry out: a known action and a package named by a plain
    // file name (no folder, no "..", nothing a web address would read another way).
    bool IsOrder() const;
    static bool IsPlainFileName(const QString& name);
};
