#pragma once
// Working the main window in tests as the seller does: open it, read the
// listed sales, click a row.

#include <QString>
#include <QStringList>

class frmMain;
class ScriptedMessages;

namespace MainWindowDriver {

// The start hint every first activation shows.
extern const QString StartHint;

// A new main window after its first activation, shown (the start hint answered).
frmMain* open(ScriptedMessages& messages);
// The auction numbers listed, top to bottom, and the selected one ("" for none).
QStringList listedIds(const frmMain& window);
QString selectedId(const frmMain& window);
// The status bar's count of listed sales ("2 Items listed").
QString itemsListed(const frmMain& window);
// A menu entry's text as the menu shows it: "&&" is one "&", a single "&" marks the accelerator.
QString shownText(const QString& entryText);
// Selects a sale with a click on its row; fails the test when it is not listed.
void clickRow(frmMain& window, const QString& id);

}  // namespace MainWindowDriver
