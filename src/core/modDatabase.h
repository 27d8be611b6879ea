#pragma once
// Opening, closing and upgrading the seller's database, and the list of
// recently opened databases.

#include <QString>

namespace modDatabase {

// Opens the file, upgrades an older one, loads its configuration and task
// steps and remembers it as the last (and, with addToRecent, the most recent)
// database. On failure the connection is closed and, with showError, the
// user is told; the file is left as it was.
bool OpenDatabase(const QString& FileName, const QString& FileTitle, bool ShowError, bool AddToRecent);
void CloseDatabase();
// Whether the file is one of the program's own databases (the template
// data.mdb or the outbox emailer.mdb in the program folder), never a seller's.
bool IsProgramDatabase(const QString& path);
// Brings a database of an older version up to the one this program needs;
// each step is all or nothing.
bool UpgradeDatabase(double Version);

// Moves (FileName, FileTitle) to the front of the recent list.
void AddToRecentList(const QString& FileName, const QString& FileTitle);
// Reads and writes the recent list under "Database" in the settings.
void LoadRecentList();
void SaveRecentList();

}  // namespace modDatabase
