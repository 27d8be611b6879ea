#include "modStart.h"

#include "ProgramContext.h"
#include "modDatabase.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QWidget>

namespace modStart {

namespace {
const QString CrLf = QStringLiteral("\r\n");

std::function<bool(const QString&, const QStringList&)>& starter()
{
    static std::function<bool(const QString&, const QStringList&)> s;
    return s;
}
}  // namespace

bool StartProgram(const QString& program, const QStringList& arguments)
{
    if (starter()) return starter()(program, arguments);
    return QFileInfo(program).isExecutable() &&
           QProcess::startDetached(program, arguments, ProgramContext::current().gAppFolder);
}

void SetProgramStarter(std::function<bool(const QString&, const QStringList&)> s) { starter() = std::move(s); }

bool IsInstalled(const QString& folder)
{
    const QDir dir(folder);
    return dir.exists(QStringLiteral("data.mdb")) && dir.exists(QStringLiteral("VNTMLI.frm"));
}

QString DesktopShortcutPath()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return desktop.isEmpty() ? QString() : QDir(desktop).filePath(QStringLiteral("Vendaro.desktop"));
}

namespace {
QString DesktopEntryString(const QString& value)
{
    // A string value of a desktop entry: backslash and control characters escaped.
    QString out;
    for (const QChar c : value) {
        if (c == u'\\') out += QStringLiteral("\\\\");
        else if (c == u'\n') out += QStringLiteral("\\n");
        else if (c == u'\t') out += QStringLiteral("\\t");
        else if (c == u'\r') out += QStringLiteral("\\r");
        else out += c;
    }
    return out;
}

QString DesktopExecArgument(const QString& argument)
{
    // Quoted, with the characters the Exec key reserves inside quotes escaped, and
    // "%" doubled so that it is not read as a field code; the result is then a
    // string value like any other.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        if (c == u'%') quoted += u'%';
        quoted += c;
    }
    quoted += u'"';
    return DesktopEntryString(quoted);
}
}  // namespace

void CreateDesktopShortcut()
{
    const ProgramContext& ctx = ProgramContext::current();
    const QString path = DesktopShortcutPath();
    if (path.isEmpty() || !QFileInfo(path).dir().exists()) return;
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return;
    const QDir folder(ctx.gAppFolder);
    QTextStream out(&file);
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=Vendaro\n"
        << "Comment=Vendaro Auction Management for TradeMe\n"
        << "Exec=" << DesktopExecArgument(folder.filePath(QStringLiteral("vendaro"))) << "\n"
        << "Path=" << DesktopEntryString(ctx.gAppFolder) << "\n"
        << "Icon=" << DesktopEntryString(folder.filePath(QStringLiteral("vendaro.svg"))) << "\n"
        << "Terminal=false\n"
        << "Categories=Office;\n";
    out.flush();
    file.close();
    file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

void RunInstaller(const QString& Action)
{
    const ProgramContext& ctx = ProgramContext::current();
    QCoreApplication::processEvents();
    AppSettings::SaveSettings(QStringLiteral("Settings"), {{QStringLiteral("action"), Action}, {QStringLiteral("filename"), QStringLiteral("vendaro.zip")}});
    AppSettings::Sync();
    const QString installer = QDir(ctx.gAppFolder).filePath(QStringLiteral("VendaroInstaller"));
    if (!StartProgram(installer))
        MsgBox(QStringLiteral("Installation failed.") + CrLf + CrLf + QStringLiteral("The application is not in the current folder?") + CrLf +
                   CrLf + ctx.gAppFolder,
               vbmsg::Critical, ctx.gAppTitle);
}

void Main()
{
    CreateDesktopShortcut();
    const QVariantMap back = FormsRegistry::instance().showModal(QStringLiteral("frmAgreement"));
    if (back.value(QStringLiteral("Agreed")).toBool()) RunInstaller(QStringLiteral("Install"));
}

bool NormalRun()
{
    ProgramContext& ctx = ProgramContext::current();
    ctx.CreateObjects();
    // Without the list loaded first, the next open would leave it one entry long.
    modDatabase::LoadRecentList();
    const QString last = AppSettings::GetSetting(QStringLiteral("Database"), QStringLiteral("LastFileName"));
    const QString title = AppSettings::GetSetting(QStringLiteral("Database"), QStringLiteral("LastFileTitle"), QFileInfo(last).fileName());
    FormsRegistry& forms = FormsRegistry::instance();
    QWidget* window = nullptr;
    // Settings naming the program's own template or outbox: it is not opened as the seller's.
    const bool own = !last.isEmpty() && modDatabase::IsProgramDatabase(last);
    if (own) MsgBox(QStringLiteral("You cannot open this database."), vbmsg::Information, ctx.gAppTitle);
    if (!last.isEmpty() && !own && modDatabase::OpenDatabase(last, title, true, false)) {
        if (!ctx.gConfiguration.IsSetUp())
            window = forms.showModeless(QStringLiteral("frmWizardSetup"), {{QStringLiteral("FirstRun"), true}});
        else
            window = forms.showModeless(QStringLiteral("frmMain"));
    } else {
        window = forms.showModeless(QStringLiteral("frmWizardDatabase"), {{QStringLiteral("FirstRun"), true}});
    }
    return window != nullptr;
}

}  // namespace modStart
