// The main window's File menu, the end of a run and restarts, the toolbar's
// list entries, and the Data, Reports, Tools, Web and Help menus.

#include "frmMain.h"

#include "AuctionListModel.h"
#include "MenuAccelerators.h"
#include "SearchPanel.h"
#include "core/EmailsApi.h"
#include "core/ProgramContext.h"
#include "core/clsDatabase.h"
#include "core/modDatabase.h"
#include "core/modStart.h"
#include "platform/AppSettings.h"
#include "platform/FormsRegistry.h"
#include "platform/MessageService.h"
#include "platform/NullableDateEdit.h"
#include "platform/SiteConfig.h"
#include "platform/Vb.h"
#include "platform/db/DatabaseCopy.h"
#include "platform/db/Recordset.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QToolBar>
#include <QTreeView>

namespace {
const QString CrLf = QStringLiteral("\r\n");
QString title() { return ProgramContext::current().gAppTitle; }

// The template and the outbox in the program folder are the program's own,
// never a seller's database.
bool isProgramDatabase(const QString& path)
{
    if (!modDatabase::IsProgramDatabase(path)) return false;
    MsgBox(QStringLiteral("You cannot open this database."), vbmsg::Information, title());
    return true;
}
}  // namespace

void frmMain::buildFileAndMenus()
{
    rewire(QStringLiteral("mnuFileNew"), [this] { mnuFileNew_Click(); });
    rewire(QStringLiteral("mnuFileOpen"), [this] { mnuFileOpen_Click(); });
    rewire(QStringLiteral("mnuFileSaveAs"), [this] { mnuFileSaveAs_Click(); });
    for (int i = 1; i <= ProgramContext::RecentCount; ++i) rewire(QStringLiteral("mnuFileRecent(%1)").arg(i), [this, i] { mnuFileRecent_Click(i); });
    rewire(QStringLiteral("mnuFileExit"), [this] { close(); });

    for (const char* key : {"TasksToday", "TasksTomorrow", "TasksWeek", "ListAllAndCompleted", "ListCompletedOnly"})
        rewire(QLatin1String(key), [this, key] { tbar_ButtonMenuClick(QLatin1String(key)); });

    // Windows of the other parts of the program, with what they are told.
    const std::pair<const char*, const char*> windows[] = {
        {"mnuDataAuction", "frmAuction"},   {"mnuDataCustomer", "frmCustomer"}, {"mnuDataPayMethods", "frmPayMethod"},
        {"mnuDataItem", "frmItem"},         {"mnuDataItemGroup", "frmItemGroup"}, {"mnuReportsPickingList", "reportPickingList"},
        {"mnuToolsEmail", "frmEmail"},      {"mnuToolsOptions", "frmConfig"},   {"mnuHelpAbout", "frmAbout"}};
    for (const auto& [entry, form] : windows) rewire(QLatin1String(entry), [this, form = form] { OpenModal(QLatin1String(form)); });
    rewire(QStringLiteral("mnuDataAuctionAddNon"), [this] { OpenModal(QStringLiteral("frmAuction"), {{QStringLiteral("mRemotePrivate"), true}}); });
    rewire(QStringLiteral("mnuReportsLabels"), [this] { OpenModal(QStringLiteral("frmLabels"), {{QStringLiteral("pSingleAuctionNumber"), QString()}}); });
    rewire(QStringLiteral("mnuReportsSingleLabel"), [this] {
        if (model->rowCount() == 0) {
            MsgBox(QStringLiteral("Select an auction item first"), vbmsg::Information, title());
            return;
        }
        OpenModal(QStringLiteral("frmLabels"), {{QStringLiteral("pSingleAuctionNumber"), SelectedAuctionId()}});
    });
    auto stockReport = [this](bool lowOnly) {
        AppSettings::SaveSetting(QStringLiteral("Settings\\reportStockOnHand"), QStringLiteral("LowStockOnly"),
                                 lowOnly ? QStringLiteral("True") : QStringLiteral("False"));
        OpenModal(QStringLiteral("reportStockOnHand"));
    };
    rewire(QStringLiteral("mnuReportStockOnHand"), [stockReport] { stockReport(false); });
    rewire(QStringLiteral("mnuReportLowStock"), [stockReport] { stockReport(true); });
    rewire(QStringLiteral("mnuHelpUpdate"), [this] { mnuHelpUpdate_Click(); });
    rewire(QStringLiteral("mnuHelpTutorial"), [this] { OpenBrowser(SiteConfig::makerUrl() + QStringLiteral("/help")); });
    rewire(QStringLiteral("mnuHelpContact"), [this] { OpenBrowser(SiteConfig::makerUrl() + QStringLiteral("/contact.aspx")); });
}

// ---- the toolbar's list entries ----------------------------------------------

void frmMain::tbar_ButtonMenuClick(const QString& key)
{
    if (key == QLatin1String("TasksToday") || key == QLatin1String("TasksTomorrow") || key == QLatin1String("TasksWeek")) {
        OpenSearchWindow(false);
        const QDate today = QDate::currentDate();
        NullableDateEdit* from = picSearch->dateSearch[0];
        NullableDateEdit* to = picSearch->dateSearch[1];
        mRefreshEnabled = false;
        if (key == QLatin1String("TasksToday")) {
            from->clear();
            to->setDate(today);
        } else if (key == QLatin1String("TasksTomorrow")) {
            from->setDate(today.addDays(1));
            to->setDate(today.addDays(1));
        } else if (key == QLatin1String("TasksWeek")) {
            from->clear();
            to->setDate(today.addDays(DaysToFriday(today)));
        }
        mRefreshEnabled = true;
        Refreshlist();
        return;
    }
    if (key == QLatin1String("ListAllAndCompleted") || key == QLatin1String("ListCompletedOnly")) {
        OpenSearchWindow(false);
        picSearch->optSearch[key == QLatin1String("ListCompletedOnly") ? 1 : 2]->click();
        return;
    }
    if (key.startsWith(QLatin1String("EmailCustom"))) {
        if (!CheckItemSelected()) return;
        QAction* entry = action(key);
        SendEmail(18, entry ? entry->data().toString() : QString());
        return;
    }
    MsgBox(QStringLiteral("No action set for this button. Key = ") + key, vbmsg::OKOnly, QString());
}

int frmMain::DaysToFriday(const QDate& day)
{
    // By the day of the week, in any language: a Saturday looks to the next Friday.
    static const int toFriday[] = {4, 3, 2, 1, 0, 6, 5};  // Monday .. Sunday
    return toFriday[day.dayOfWeek() - 1];
}

void frmMain::UpdateEmailToolBar()
{
    QAction* button = action(QStringLiteral("Email"));
    QMenu* menu = button ? button->menu() : nullptr;
    if (!menu) return;
    // The fixed entries stay; the custom templates are listed anew.
    for (QAction* a : menu->actions())
        if (a->objectName().startsWith(QLatin1String("EmailCustom")) || a->property("customSeparator").toBool()) {
            actions.remove(a->objectName());
            menu->removeAction(a);
            a->deleteLater();
        }
    Recordset rs;
    ProgramContext& ctx = ProgramContext::current();
    if (!ctx.gDatabase || !ctx.gDatabase->OpenDB(QStringLiteral("SELECT EmailId FROM Email WHERE ActionId=18 ORDER BY EmailId"), false, true, true, &rs))
        return;
    const bool needsSale = model->rowCount() > 0;
    for (; !rs.isEOF(); rs.MoveNext()) {
        const QString id = rs.text(QStringLiteral("EmailId"));
        if (id.startsWith(u'~')) continue;
        if (!menu->actions().last()->objectName().startsWith(QLatin1String("EmailCustom"))) menu->addSeparator()->setProperty("customSeparator", true);
        const QString key = QStringLiteral("EmailCustom%1").arg(menu->actions().size());
        QAction* a = menu->addAction(QStringLiteral("Custom email: ") + MenuAccelerators::escaped(id));
        a->setObjectName(key);
        a->setData(id);
        a->setProperty("needsSale", true);
        a->setEnabled(needsSale);
        actions.insert(key, a);
        connect(a, &QAction::triggered, this, [this, key] { tbar_ButtonMenuClick(key); });
    }
}

void frmMain::mnuHelpUpdate_Click()
{
    QPointer<frmMain> self(this);
    const SoftwareUpdateCheck check = CheckSoftwareVersion();
    if (!self) return;
    if (!check.made) {
        // Not knowing is not being up to date.
        MsgBox(QStringLiteral("Vendaro could not check for a software update.") + CrLf + CrLf + check.failure + CrLf + CrLf +
                   QStringLiteral("Check you are connected to the internet, or try again later."),
               vbmsg::Exclamation, title());
        return;
    }
    mUpdatePending = check.pending;
    if (!mUpdatePending) {
        MsgBox(QStringLiteral("Vendaro is up to date."), vbmsg::Information, title());
        return;
    }
    Form_Activate();
}

// ---- the File menu and restarts --------------------------------------------------

void frmMain::RestartVendaro()
{
    QCoreApplication::processEvents();
    // This run ends tidily first: windows closed, layout kept, database closed.
    close();
    modDatabase::CloseDatabase();
    AppSettings::Sync();
    if (!modStart::StartProgram(QCoreApplication::applicationFilePath()))
        MsgBox(QStringLiteral("Cannot restart vendaro - the application is not in the current folder?"), vbmsg::Critical, title());
}

void frmMain::mnuFileNew_Click()
{
    AppSettings::DeleteSetting(QStringLiteral("Database"), QStringLiteral("LastFileName"));
    AppSettings::DeleteSetting(QStringLiteral("Database"), QStringLiteral("LastFileTitle"));
    RestartVendaro();
}

void frmMain::mnuFileOpen_Click()
{
    ProgramContext& ctx = ProgramContext::current();
    const QString file = MessageService::instance().GetOpenFileName(QStringLiteral("File Open"), ctx.gDatabaseFile, QStringLiteral("Database (*.mdb)"));
    if (file.isEmpty()) return;
    if (!QFileInfo(file).isFile()) {
        MsgBox(QStringLiteral("Could not open database ") + file, vbmsg::Critical, title());
        return;
    }
    if (isProgramDatabase(file)) return;
    modDatabase::CloseDatabase();
    modDatabase::OpenDatabase(file, QFileInfo(file).fileName(), true, true);
    RestartVendaro();
}

void frmMain::mnuFileSaveAs_Click()
{
    ProgramContext& ctx = ProgramContext::current();
    QString target = MessageService::instance().GetSaveFileName(QStringLiteral("Save As"), ctx.gDatabaseFile, QStringLiteral("Database (*.mdb)"));
    if (target.isEmpty()) return;
    if (QFileInfo(target).suffix().isEmpty()) target += QStringLiteral(".mdb");
    // The open database itself, however the path is spelt, is never copied onto.
    if (target == ctx.gDatabaseFile ||
        (QFileInfo::exists(target) && QFileInfo(target).canonicalFilePath() == QFileInfo(ctx.gDatabaseFile).canonicalFilePath()))
        return;
    if (isProgramDatabase(target)) return;
    if (QFileInfo::exists(target) &&
        MsgBox(QStringLiteral("Database already exists: ") + target + CrLf + CrLf + QStringLiteral("Overwrite database?"),
               vbmsg::YesNo + vbmsg::Question + vbmsg::DefaultButton2, title()) != vbmsg::Yes)
        return;
    closeOtherWindows();
    const QString source = ctx.gDatabaseFile;
    modDatabase::CloseDatabase();
    // A copy that fails leaves the seller on the database they had, and the target as it was.
    DatabaseCopy copy(source, target);
    if (!copy.Run()) {
        MsgBox(QStringLiteral("The database could not be copied to:") + CrLf + target + CrLf + CrLf + copy.errorString(), vbmsg::Critical,
               title());
        modDatabase::OpenDatabase(source, ctx.gDatabaseTitle, true, false);
        return;
    }
    modDatabase::OpenDatabase(target, QFileInfo(target).fileName(), true, true);
    RestartVendaro();
}

void frmMain::mnuFileRecent_Click(int Index)
{
    ProgramContext& ctx = ProgramContext::current();
    const QString path = ctx.gRecentFileNames[Index - 1];
    if (!path.isEmpty() && QFileInfo(path).isFile()) {
        if (isProgramDatabase(path)) return;
        closeOtherWindows();
        modDatabase::CloseDatabase();
        modDatabase::OpenDatabase(path, ctx.gRecentFileTitles[Index - 1], true, true);
        RestartVendaro();
        return;
    }
    MsgBox(QStringLiteral("Could not open database ") + path, vbmsg::Critical, title());
    // The entry goes for good.
    for (int i = Index - 1; i < ProgramContext::RecentCount - 1; ++i) {
        ctx.gRecentFileNames[i] = ctx.gRecentFileNames[i + 1];
        ctx.gRecentFileTitles[i] = ctx.gRecentFileTitles[i + 1];
    }
    ctx.gRecentFileNames[ProgramContext::RecentCount - 1].clear();
    ctx.gRecentFileTitles[ProgramContext::RecentCount - 1].clear();
    modDatabase::SaveRecentList();
    ShowRecentEntries(false);
}

void frmMain::ShowRecentEntries(bool firstNeedsSecond)
{
    const ProgramContext& ctx = ProgramContext::current();
    bool any = false;
    for (int i = 1; i <= ProgramContext::RecentCount; ++i) {
        QAction* entry = action(QStringLiteral("mnuFileRecent(%1)").arg(i));
        if (!entry) continue;
        const bool shown = !ctx.gRecentFileNames[i - 1].isEmpty() && (!firstNeedsSecond || i != 1 || !ctx.gRecentFileNames[1].isEmpty());
        entry->setVisible(shown);
        if (shown) {
            entry->setText(QStringLiteral("&%1  %2").arg(i).arg(MenuAccelerators::escaped(ctx.gRecentFileTitles[i - 1])));
            entry->setData(ctx.gRecentFileNames[i - 1]);
            any = true;
        }
    }
    if (QAction* bar = action(QStringLiteral("mnuFileBar2"))) bar->setVisible(any);
}
