#include "UpdateSession.h"

void UpdateSession::MarkBeforeSystemStart(Recordset&, const QString&) {}
void UpdateSession::CompareWithDatabase(Recordset&) {}
bool UpdateSession::SaveUpdates(bool) { return false; }
void UpdateSession::GetItemCodes() {}
void UpdateSession::CheckStockLevels() {}
bool UpdateSession::SetDateLastUpdate() { return false; }
QString UpdateSession::GetExtraFeatures(const QString&, const QString&, const QString&, const QString&) { return QStringLiteral(","); }
