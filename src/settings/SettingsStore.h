#pragma once
// Writes the seller's settings: columns of the one Configuration row and rows
// of the task chains, all in one transaction. Only after the commit does the
// program take them over (the configuration and the task steps are read back
// from the database); on any failure nothing is written and what the program
// holds in memory is as it was.

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace SettingsStore {

struct ChainRow {
    int Step = 0;
    QString NextDescription;  // the next step, by its description
    int Days = 0;
};

using Columns = QList<QPair<QString, QVariant>>;

// A database without a Configuration row gets one. Failures are reported
// (titled title) before false is returned.
bool Save(const Columns& columns, const QList<ChainRow>& rows, const QString& title);

}  // namespace SettingsStore
