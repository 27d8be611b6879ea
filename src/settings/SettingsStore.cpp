#include "SettingsStore.h"

#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "core/clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"
#include "platform/db/Transaction.h"

#include <QStringList>

namespace SettingsStore {

namespace {
const QString CrLf = QStringLiteral("\r\n");

void report(const QString& title, const QString& error)
{
    MsgBox(QStringLiteral("Your settings could not be saved.") + CrLf + CrLf + error, vbmsg::Critical, title);
}

// Reads the row back into the program; false when it cannot be read.
bool reload(QString* error)
{
    ProgramContext& ctx = ProgramContext::current();
    Recordset rs;
    if (!ctx.gDatabase->OpenDB(QStringLiteral("SELECT * FROM Configuration"), false, true, false, &rs) || rs.isEOF()) {
        *error = rs.lastError().isEmpty() ? QStringLiteral("The settings row is missing.") : rs.lastError();
        return false;
    }
    return ctx.gConfiguration.Load(rs, error);
}
}  // namespace

bool Save(const Columns& columns, const QList<ChainRow>& rows, const QString& title)
{
    ProgramContext& ctx = ProgramContext::current();
    if (!ctx.gConnection || !ctx.gConnection->IsOpen()) {
        report(title, QStringLiteral("No database is open."));
        return false;
    }
    bool saved = false;
    {
        Transaction tx(ctx.gConnection);
        if (!tx.isActive()) {
            report(title, tx.lastError());
            return false;
        }
        bool ok = true;
        bool counted = false;
        const int existing = ctx.gConnection->Scalar(QStringLiteral("SELECT COUNT(*) FROM Configuration"), {}, &counted).toInt();
        if (!counted) {
            report(title, ctx.gConnection->lastError());
            ok = false;
        }
        if (ok && !columns.isEmpty()) {
            QStringList names;
            QVariantList values;
            for (const auto& [name, value] : columns) {
                names << name;
                values << value;
            }
            QString sql;
            if (existing > 0) {
                QStringList sets;
                for (const QString& name : names) sets << name + QStringLiteral("=?");
                sql = QStringLiteral("UPDATE Configuration SET ") + sets.join(QStringLiteral(", "));
            } else {
                sql = QStringLiteral("INSERT INTO Configuration (") + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                      QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")) + u')';
            }
            ok = ctx.gDatabase->OpenDB(sql, values, false, false, true);
        }
        for (const ChainRow& row : rows) {
            if (!ok) break;
            ok = ctx.gActions->SaveActionsToDatabase(row.Step, row.NextDescription, row.Days);
        }
        if (ok && !tx.Commit()) report(title, tx.lastError());
        else saved = ok;
    }
    // The steps in memory follow the table, saved or rolled back.
    ctx.gActions->LoadActionsFromDatabase();
    if (!saved) return false;
    QString error;
    if (!reload(&error)) {
        MsgBox(QStringLiteral("Your settings were saved but could not be read back.") + CrLf + CrLf + error, vbmsg::Critical, title);
        return false;
    }
    return true;
}

}  // namespace SettingsStore
