#pragma once
// The start of the main program: the first-run bootstrap (agreement, desktop
// shortcut, installer) and the normal run (reopen the last database).

#include <QString>
#include <QStringList>

#include <functional>

namespace modStart {

// Whether the program folder holds an installed program (the template
// database and the page templates); the first run comes before that.
bool IsInstalled(const QString& folder);

// The first-run bootstrap: desktop shortcut, agreement, then the installer.
void Main();
// (Re)creates the desktop launcher; errors are ignored.
void CreateDesktopShortcut();
QString DesktopShortcutPath();
// Hands over to the installer program ("Install" or "Update").
void RunInstaller(const QString& Action);

// Starts a program detached in the program folder; tests put a recorder in
// place of the real start.
bool StartProgram(const QString& program, const QStringList& arguments = {});
void SetProgramStarter(std::function<bool(const QString& program, const QStringList& arguments)> starter);

// The normal run: program-wide objects, the recent list, the last database,
// then the main window, the setup wizard or the database wizard.
// False when no window could open (the program then ends).
bool NormalRun();

}  // namespace modStart
