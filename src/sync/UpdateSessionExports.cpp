#include "UpdateSession.h"

void UpdateSession::SetExportURLs(const QString&) {}
void UpdateSession::DownloadCSV(std::function<void(bool)> done) { done(false); }
bool UpdateSession::ReadCSVFile(Recordset&) { return false; }
