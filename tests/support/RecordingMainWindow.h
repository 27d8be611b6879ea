#pragma once
// A stand-in for the main window that records what the core asks of it.

#include "core/MainWindowApi.h"

#include <QStringList>

class RecordingMainWindow : public MainWindowApi {
public:
    void RefreshListItem(const QString& AuctionId) override { refreshed << AuctionId; }
    void DisplayDetails(const QString& AuctionId) override { displayed << AuctionId; }
    void TradeMe_Link(const QString& URL) override { opened << URL; }
    QString SelectedAuctionId() const override { return selectedAuctionId; }
    QString SelectedItemId() const override { return selectedItemId; }
    void CloseSearchAndRefreshList() override { ++listRefreshes; }
    void Refreshlist() override { ++listRebuilds; }
    void UpdateComboItems() override { ++itemComboRefills; }

    QStringList refreshed, displayed, opened;
    int listRefreshes = 0;  // CloseSearchAndRefreshList calls
    int listRebuilds = 0;   // Refreshlist calls
    int itemComboRefills = 0;  // UpdateComboItems calls
    QString selectedAuctionId, selectedItemId;
};
