#include "clsLinks.h"

#include "MainWindowApi.h"
#include "ProgramContext.h"
#include "clsDatabase.h"
#include "platform/MessageService.h"
#include "platform/SiteConfig.h"
#include "platform/db/Recordset.h"

void clsLinks::UpdateLinks()
{
    ProgramContext& ctx = ProgramContext::current();
    mLinks.clear();
    Recordset rs;
    if (ctx.gDatabase->OpenDB(QStringLiteral("SELECT * FROM Links ORDER BY LinkId"), true, true, true, &rs)) {
        for (; !rs.isEOF(); rs.MoveNext()) {
            // Every use of a loaded address (menus, comparisons) sees the configured site.
            const QString url = SiteConfig::rebase(rs.text(QStringLiteral("URL")));
            if (url.isEmpty()) continue;
            mLinks.append({rs.value(QStringLiteral("LinkId")).toInt(), rs.text(QStringLiteral("LocationId")),
                           rs.text(QStringLiteral("Desc")), url});
        }
    }
    // The details pane shows link-based parts of the sale: let it follow.
    if (ctx.gMainWindow) {
        const QString selected = ctx.gMainWindow->SelectedAuctionId();
        if (!selected.isEmpty()) ctx.gMainWindow->DisplayDetails(selected);
    }
}

clsLinks::ToolBarMenu clsLinks::UpdateToolBar() const
{
    const int defaultLink = ProgramContext::current().gConfiguration.DefaultLink;
    ToolBarMenu menu;
    bool separated = false;
    for (const clsLink& link : mLinks) {
        if (link.LocationId != QLatin1String("NZD")) continue;
        if (link.LinkId >= 12 && !separated) {
            menu.Entries.append({QStringLiteral("-"), QStringLiteral("-"), QString()});
            separated = true;
        }
        if (menu.ButtonTag.isEmpty()) menu.ButtonTag = link.URL;
        if (link.LinkId == defaultLink) menu.ButtonTag = link.URL;
        menu.Entries.append({QStringLiteral("TradeMe%1").arg(link.LinkId), link.Description, link.URL});
    }
    return menu;
}

QString clsLinks::LinkOrEmpty(int LinkId) const
{
    Recordset rs;
    if (!ProgramContext::current().gDatabase->OpenDB(QStringLiteral("SELECT URL FROM Links WHERE LinkId=?"), {LinkId}, false, true,
                                                     true, &rs) ||
        rs.isEOF())
        return {};
    return SiteConfig::rebase(rs.text(QStringLiteral("URL")));
}

QString clsLinks::Link(int LinkId, bool showMessage) const
{
    const QString address = LinkOrEmpty(LinkId);
    if (!address.isEmpty()) return address;
    if (showMessage) MsgBox(QStringLiteral("No link setup for this action"), vbmsg::Exclamation, ProgramContext::current().gAppTitle);
    return SiteConfig::siteHome();
}
