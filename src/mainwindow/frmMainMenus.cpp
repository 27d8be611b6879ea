// The menus, toolbar and popup menu of the main window, built from tables.
// Every entry is a QAction named after its control (mnu...) or toolbar key.

#include "frmMain.h"

#include "AuctionListModel.h"
#include "MenuAccelerators.h"
#include "core/ProgramContext.h"
#include "core/clsActions.h"
#include "platform/SiteConfig.h"

#include <QLabel>
#include <QLineEdit>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace {

struct Entry {
    const char* name;      // control name or toolbar key; "-" is a separator
    const char* caption;
    const char* shortcut;  // "" for none
    const char* submenu;   // non-null: entries of a submenu follow until "}"
};

// The menu bar: each menu's entries; "{" opens a submenu named by the entry.
const Entry fileMenu[] = {
    {"mnuFileNew", "Create &new database", "", nullptr},
    {"mnuFileOpen", "&Open existing database", "", nullptr},
    {"mnuFileSaveAs", "Save current database &as", "", nullptr},
    {"mnuFileBar2", "-", "", nullptr},
    {"mnuFileRecent(1)", "&1  Recent", "", nullptr},
    {"mnuFileRecent(2)", "&2  Recent", "", nullptr},
    {"mnuFileRecent(3)", "&3  Recent", "", nullptr},
    {"mnuFileRecent(4)", "&4  Recent", "", nullptr},
    {"mnuFileRecent(5)", "&5  Recent", "", nullptr},
    {"-", "-", "", nullptr},
    {"mnuFileExit", "E&xit", "", nullptr},
};
const Entry taskMenu[] = {
    {"mnuTaskDo", "&Do task", "", nullptr},
    {"mnuTaskSkip", "&Skip task", "Ctrl+K", nullptr},
    {"mnuTaskDone", "Done &task", "", nullptr},
    {"-", "-", "", nullptr},
    {"mnuTaskUndo", "&Undo", "Ctrl+Z", nullptr},
    {"-", "-", "", nullptr},
    {"mnuTaskEmail", "&Email", "", "{"},
    {"mnuTaskEmailAll", "Send &all pending email on task list", "Ctrl+A", nullptr},
    {"mnuTaskEmailBuyer", "&Email buyer (general email)", "Ctrl+E", nullptr},
    {"-", "-", "", nullptr},
    {"mnuTaskEmailWinner", "Send &winning bidder email", "", nullptr},
    {"mnuTaskEmailOver1", "Send payment reminder email (&1)", "", nullptr},
    {"mnuTaskEmailOver2", "Send payment reminder email (&2)", "", nullptr},
    {"mnuTaskEmailOver3", "Send payment reminder email (&3)", "", nullptr},
    {"mnuTaskEmailPayment", "Send &payment received email", "", nullptr},
    {"mnuTaskEmailShipped", "Send &shipped confirmation email", "", nullptr},
    {"mnuTaskEmailFollowup", "Send &thank you email", "", nullptr},
    {"}", "", "", nullptr},
    {"-", "-", "", nullptr},
    {"mnuTaskSend", "&Send items", "Ctrl+S", nullptr},
    {"-", "-", "", nullptr},
    {"mnuTaskFeedback", "Place &feedback", "Ctrl+F", nullptr},
    {"-", "-", "", nullptr},
    {"mnuTaskFixedPriceOffer", "Make fixed price &offers", "Ctrl+X", nullptr},
    {"-", "-", "", nullptr},
    {"mnuTaskUpdate", "&Update auctions from TradeMe", "Ctrl+U", nullptr},
    {"mnuTaskRelist", "Relist", "", "{"},
    {"mnuTaskRelistAll", "&Relist all pending auctions", "Ctrl+R", nullptr},
    {"mnuTaskRelistSelected", "Relist selected auction", "", nullptr},
    {"}", "", "", nullptr},
};
const Entry dataMenu[] = {
    {"mnuDataAuction", "&Auctions", "", nullptr},
    {"mnuDataAuctionAddNon", "Add non-auction (&direct sale)", "Ctrl+D", nullptr},
    {"mnuDataCustomer", "&Buyers", "", nullptr},
    {"mnuDataItem", "&Items", "", nullptr},
    {"mnuDataItemGroup", "Item &groups...", "", nullptr},
    {"mnuDataPayMethods", "&Payment Methods", "", nullptr},
};
const Entry reportsMenu[] = {
    {"mnuReportsLabels", "Address &Labels", "Ctrl+L", nullptr},
    {"mnuReportsSingleLabel", "Pr&int single address label", "Ctrl+I", nullptr},
    {"mnuReportsPickingList", "Picking List", "", nullptr},
    {"mnuReportsStock", "Stock reports", "", "{"},
    {"mnuReportStockOnHand", "Stock on hand", "", nullptr},
    {"mnuReportLowStock", "Low stock report", "", nullptr},
    {"}", "", "", nullptr},
};
const Entry toolsMenu[] = {
    {"mnuToolsEmail", "&Email templates", "", nullptr},
    {"mnuToolsOptions", "&Options", "", nullptr},
};
const Entry webMenu[] = {
    {"mnuWebBrowser", "&Internet browser", "", nullptr},
    {"mnuWebVendaro", "the maker's site", "", nullptr},  // captions: the configured hosts
    {"mnuWebTrademe", "the auction site", "", nullptr},
    {"mnuWebOpen", "&Open all auctions on current list", "Ctrl+O", nullptr},
    {"mnuWebClose", "&Close all web browsers", "Ctrl+C", nullptr},
};
const Entry helpMenu[] = {
    {"mnuHelpUpdate", "Check for software update", "", nullptr},
    {"mnuHelpTutorial", "View Vendaro Tutorial", "", nullptr},
    {"mnuHelpContact", "Contact us", "", nullptr},
    {"mnuHelpAbout", "About", "", nullptr},
};
const Entry popupMenu[] = {
    {"mnuPopupTrademe", "View this auction on Trademe", "", nullptr},
    {"-", "-", "", nullptr},
    {"mnuPopupAuction", "Auction details", "", nullptr},
    {"mnuPopupBuyer", "Buyer details", "", nullptr},
    {"mnuPopupItem", "Item details", "", "{"},
    {"mnuPopupItemView", "View item details", "", nullptr},
    {"mnuPopupItemAdd", "Add this auction title as a new item", "", nullptr},
    {"}", "", "", nullptr},
    {"-", "-", "", nullptr},
    {"mnuPopupDoTask", "Do task", "", nullptr},
    {"mnuPopupSkipTask", "Skip task  (Ctrl+K)", "", nullptr},
    {"mnuPopupDoneTask", "Done task", "", nullptr},
    {"-", "-", "", nullptr},
    {"mnuPopupUndo", "Undo", "", nullptr},
    {"mnuPopupHighlight", "Highlight on/off  (shift+H)", "", nullptr},
    {"-", "-", "", nullptr},
    {"mnuPopupPaid", "Paid", "", nullptr},
    {"mnuPopupRelist", "Relist / Sell Similar", "", nullptr},
    {"mnuPopupCompleted", "Completed", "", nullptr},
};

struct Button {
    const char* key;
    const char* caption;
    const char* tip;
    QStyle::StandardPixmap icon;
};
const Button buttons[] = {
    {"Tasks", "Task List", "List tasks for today", QStyle::SP_FileDialogDetailedView},
    {"List", "List All", "List all active auctions", QStyle::SP_FileDialogListView},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {"Do", "Do Task", "Do next action for the selected auction", QStyle::SP_MediaPlay},
    {"Done", "Done Task", "Done next action for the selected auction", QStyle::SP_DialogApplyButton},
    {"Update", "Update", "Update auctions from TradeMe", QStyle::SP_BrowserReload},
    {"Relist", "Relist", "Relist auctions on TradeMe", QStyle::SP_ArrowUp},
    {"Postpone", "Postpone", "Postpone next action", QStyle::SP_MediaSkipForward},
    {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
    {"Search", "Search", "Open search window", QStyle::SP_FileDialogContentsView},
    {"Email", "Email", "Email selected buyer", QStyle::SP_MessageBoxInformation},
    {"TradeMe", "TradeMe", "TradeMe quick links", QStyle::SP_DirHomeIcon},
    {"Web", "Web", "Open Internet browser", QStyle::SP_ComputerIcon},
};

struct DropDown {
    const char* button;
    const char* key;
    const char* caption;
};
const DropDown dropDowns[] = {
    {"Tasks", "TasksToday", "List todays tasks"},
    {"Tasks", "TasksTomorrow", "List tomorrows tasks"},
    {"Tasks", "TasksWeek", "List this weeks tasks"},
    {"Tasks", "TasksSend", "List Items to Send  (Ctrl+S)"},
    {"List", "ListAll", "List all active auctions"},
    {"List", "ListAllAndCompleted", "List all auctions including completed"},
    {"List", "ListCompletedOnly", "List completed auctions only"},
    {"Do", "TaskDo", "Do task"},
    {"Do", "TaskSkip", "Skip task  (Ctrl+K)"},
    {"Do", "TaskUndo", "Undo (Ctrl+Z)"},
    {"Do", "TaskEmailAll", "Send all pending emails on task list  (Ctrl+S)"},
    {"Do", "TaskFeedback", "Place feedback  (Ctrl+F)"},
    {"Do", "TaskOffer", "Make fixed price offers  (Ctrl+X)"},
    {"Do", "TaskSend", "Send items  (Ctrl+S)"},
    {"Do", "TaskUpdate", "Update auctions from TradeMe  (Ctrl+U)"},
    {"Do", "TaskRelist", "Relist auctions  (Ctrl+R)"},
    {"Relist", "RelistAll", "Relist all pending auctions  (Ctrl+R)"},
    {"Relist", "RelistSelected", "Relist selected auction"},
    {"Postpone", "Postpone1", "1 Day"},
    {"Postpone", "Postpone2", "2 Days"},
    {"Postpone", "Postpone3", "3 Days"},
    {"Postpone", "Postpone4", "4 Days"},
    {"Postpone", "Postpone5", "5 Days"},
    {"Postpone", "Postpone6", "6 Days"},
    {"Postpone", "Postpone7", "1 Week"},
    {"Postpone", "Postpone14", "2 Weeks"},
    {"Postpone", "Postpone21", "3 Weeks"},
    {"Postpone", "Postpone28", "4 Weeks"},
    {"Email", "EmailAll", "Send all pending emails on task list  (Ctrl+S)"},
    {"Email", "EmailGeneral", "Email buyer (general email)"},
    {"Email", "EmailWinner", "Send winning bidder email"},
    {"Email", "EmailOver1", "Send payment reminder email (&1)"},
    {"Email", "EmailOver2", "Send payment reminder email (&2)"},
    {"Email", "EmailOver3", "Send payment reminder email (&3)"},
    {"Email", "EmailPayment", "Send payment received email"},
    {"Email", "EmailShipped", "Send shipped confirmation email"},
    {"Email", "EmailFollowup", "Send thank you email"},
    {"Web", "WebBrowser", "Internet browser"},
    {"Web", "WebVendaro", "the maker's site"},     // captions: the configured hosts
    {"Web", "WebTrademe", "the auction site"},
    {"Web", "WebOpen", "&Open all auctions on current list"},
    {"Web", "WebClose", "Close all browers"},
};

}  // namespace

void frmMain::rewire(const QString& name, std::function<void()> handler)
{
    QAction* a = action(name);
    if (!a) mWiringProblems << name + QStringLiteral(" is no entry");
    else if (mWired.contains(name)) mWiringProblems << name + QStringLiteral(" is wired twice");
    Q_ASSERT_X(a && !mWired.contains(name), "frmMain::rewire", qPrintable(mWiringProblems.value(mWiringProblems.size() - 1)));
    if (!a) return;
    mWired.insert(name);
    a->disconnect(this);
    connect(a, &QAction::triggered, this, std::move(handler));
}

void frmMain::buildMenus()
{
    // Entries that come with later parts of the program say so when chosen.
    auto addEntries = [this](QMenu* menu, const Entry* entries, size_t count) {
        QList<QMenu*> stack{menu};
        for (size_t i = 0; i < count; ++i) {
            const Entry& e = entries[i];
            const QString name = QLatin1String(e.name);
            if (name == QLatin1String("}")) {
                stack.removeLast();
                continue;
            }
            QAction* a = nullptr;
            if (QLatin1String(e.caption) == QLatin1String("-")) {
                a = stack.last()->addSeparator();
            } else if (e.submenu) {
                QMenu* sub = stack.last()->addMenu(QLatin1String(e.caption));
                sub->setObjectName(name);
                a = sub->menuAction();
                stack << sub;
            } else {
                a = stack.last()->addAction(QLatin1String(e.caption));
                if (*e.shortcut) a->setShortcut(QKeySequence(QLatin1String(e.shortcut)));
                const QString caption = QString::fromLatin1(e.caption).remove(u'&');
                connect(a, &QAction::triggered, this, [caption] { NotYetAvailable(QStringLiteral("\"%1\"").arg(caption)); });
            }
            if (name != QLatin1String("-")) {
                a->setObjectName(name);
                actions.insert(name, a);
            }
        }
    };
    const std::tuple<const char*, const char*, const Entry*, size_t> menus[] = {
        {"mnuFile", "&File", fileMenu, std::size(fileMenu)},       {"mnuTask", "&Task", taskMenu, std::size(taskMenu)},
        {"mnuData", "&Data", dataMenu, std::size(dataMenu)},       {"mnuReports", "&Reports", reportsMenu, std::size(reportsMenu)},
        {"mnuTools", "&Tools", toolsMenu, std::size(toolsMenu)},   {"mnuWeb", "&Web", webMenu, std::size(webMenu)},
        {"mnuHelp", "&Help", helpMenu, std::size(helpMenu)},
    };
    for (const auto& [name, caption, entries, count] : menus) {
        QMenu* m = menuBar()->addMenu(QLatin1String(caption));
        m->setObjectName(QLatin1String(name));
        addEntries(m, entries, count);
    }
    mnuPopup = new QMenu(QStringLiteral("Main popup"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    addEntries(mnuPopup, popupMenu, std::size(popupMenu));

    // The toolbar: buttons with their drop-down entries.
    QStyle* st = QApplication::style();
    for (const Button& b : buttons) {
        if (!b.key) {
            tbar->addSeparator();
            continue;
        }
        const QString key = QLatin1String(b.key);
        auto* a = new QAction(st->standardIcon(b.icon), QLatin1String(b.caption), tbar);
        a->setObjectName(key);
        a->setToolTip(QLatin1String(b.tip));
        const QString caption = QLatin1String(b.caption);
        connect(a, &QAction::triggered, this, [caption] { NotYetAvailable(QStringLiteral("The \"%1\" button").arg(caption)); });
        actions.insert(key, a);
        QMenu* dropDown = nullptr;
        for (const DropDown& d : dropDowns) {
            if (key != QLatin1String(d.button)) continue;
            if (!dropDown) dropDown = new QMenu(tbar);
            QAction* e = dropDown->addAction(QLatin1String(d.caption));
            e->setObjectName(QLatin1String(d.key));
            const QString text = QString::fromLatin1(d.caption).remove(u'&');
            connect(e, &QAction::triggered, this, [text] { NotYetAvailable(QStringLiteral("\"%1\"").arg(text)); });
            actions.insert(e->objectName(), e);
        }
        if (key == QLatin1String("TradeMe")) dropDown = new QMenu(tbar);  // its entries come from the Links table
        if (dropDown) a->setMenu(dropDown);
        tbar->addAction(a);
        if (dropDown)
            if (auto* tool = qobject_cast<QToolButton*>(tbar->widgetForAction(a))) tool->setPopupMode(QToolButton::MenuButtonPopup);
    }
    // The product's and the site's entries name the hosts they open.
    const QString maker = SiteConfig::hostName(SiteConfig::makerUrl());
    const QString site = SiteConfig::hostName(SiteConfig::siteUrl());
    for (const char* name : {"mnuWebVendaro", "WebVendaro"}) action(QLatin1String(name))->setText(maker);
    for (const char* name : {"mnuWebTrademe", "WebTrademe"}) action(QLatin1String(name))->setText(site);

    // Every entry can be chosen from the keyboard: one accelerator each per menu.
    MenuAccelerators::assign(menuBar()->actions());
    for (QAction* top : menuBar()->actions()) MenuAccelerators::keep(top->menu());
    MenuAccelerators::keep(mnuPopup);
    for (QAction* button : tbar->actions())
        if (button->menu()) MenuAccelerators::keep(button->menu());

    // Entries that need a selected sale (enabled by the list's row count).
    for (const char* name : {"EmailGeneral", "EmailWinner", "EmailOver1", "EmailOver2", "EmailOver3", "EmailPayment", "EmailShipped",
                             "EmailFollowup", "WebOpen", "TaskDo", "TaskSkip"})
        if (QAction* a = action(QLatin1String(name))) a->setProperty("needsSale", true);

    // What this part of the program does itself: the list modes and the highlight.
    auto listMode = [this](bool taskList) {
        if (searchShown()) cmdSearchClose_Click();
        mTaskList = taskList;
        mTaskShip = false;
        Refreshlist();
    };
    rewire(QStringLiteral("Tasks"), [listMode] { listMode(true); });
    rewire(QStringLiteral("List"), [listMode] { listMode(false); });
    rewire(QStringLiteral("ListAll"), [listMode] { listMode(false); });
    rewire(QStringLiteral("mnuPopupHighlight"), [this] { ToggleHighlight(); });
}
