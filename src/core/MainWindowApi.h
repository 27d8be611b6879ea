#pragma once
// What the core asks of the main window. The main window implements it;
// tests use a recording fake. Absent (null) before the main window exists.

#include <QString>

class MainWindowApi {
public:
    virtual ~MainWindowApi() = default;
    // Redo one sale's row in the list (and the details pane when it is selected).
    virtual void RefreshListItem(const QString& AuctionId) = 0;
    // Show one sale in the details pane.
    virtual void DisplayDetails(const QString& AuctionId) = 0;
    // Open a site address (or a code such as "[RELIST]") in a browser window.
    virtual void TradeMe_Link(const QString& URL) = 0;
    // The selected sale's auction number and item code (the details pane's
    // txtAuctionId and txtItemId); empty when the list is empty.
    virtual QString SelectedAuctionId() const = 0;
    virtual QString SelectedItemId() const = 0;
    // The settings were saved: the caption, grid lines, list colour, quick
    // notes and site button follow them.
    virtual void SettingsChanged() {}
    // Sales were added or changed in bulk (a synchronisation was saved):
    // close the search panel and show the default list afresh.
    virtual void ShowDefaultListAfresh() {}
    // A sale was changed where a search may no longer match it: close the
    // search panel and refresh the list in its current mode.
    virtual void CloseSearchAndRefreshList() {}
    // Rebuild the list in its present mode (sales were added or deleted).
    virtual void Refreshlist() {}
    // Refill the item codes offered by the search (items were added, renamed or deleted).
    virtual void UpdateComboItems() {}
    // List the custom e-mail templates anew in the e-mail button's menu.
    virtual void UpdateEmailToolBar() {}
};
