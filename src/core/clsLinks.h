#pragma once
// The site link table (gLinks): the usable rows of Links in LinkId order, the
// addresses of link ids, and the entries of the toolbar's site-link menu.

#include "clsLink.h"

#include <QList>
#include <QString>

class clsLinks {
public:
    // The toolbar site button's menu, as the main window shows it.
    struct MenuEntry {
        QString Key;   // "TradeMe" + LinkId, or "-" for the separator
        QString Text;
        QString Tag;   // the address it opens
    };
    struct ToolBarMenu {
        QString ButtonTag;  // what the button itself opens
        QList<MenuEntry> Entries;
    };

    // Reloads the rows with an address, then shows the selected sale again.
    void UpdateLinks();
    // The site button's menu from the loaded rows of region "NZD".
    ToolBarMenu UpdateToolBar() const;
    // The address of a link id, read from the table and moved onto the
    // configured site. A missing or empty row gives the site's home page
    // (after "No link setup for this action" unless silent).
    QString Link(int LinkId, bool showMessage = true) const;
    // The address of a link id, or "" when there is none; never a message.
    QString LinkOrEmpty(int LinkId) const;

    const QList<clsLink>& Links() const { return mLinks; }

private:
    QList<clsLink> mLinks;
};
