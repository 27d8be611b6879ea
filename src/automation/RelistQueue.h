#pragma once
// The relist window's queue, without the window: which listings to create
// and which stocked items the limits keep out, rebuilt from the database on
// each load; and the texts of each list row.
//
// Two kinds of listing: "Relist" repeats an unsold auction whose next step is
// relisting; "Sell similar" lists a stocked item again from its newest
// auction of that title, as many times as the item's limits allow. The
// seller's edited values (mRelistOptionList) are applied to every record
// queued, so they survive a rebuild.
//
// A bulk build reads the stocked items' templates and counts in one statement
// each, so its cost does not grow with one query per item.

#include "ListingLimits.h"
#include "RelistExclusion.h"
#include "RelistRecord.h"
#include "clsRelistOptions.h"

#include <QHash>
#include <QStringList>
#include <QVector>

class Recordset;

class RelistQueue {
public:
    RelistQueue();

    // "" builds the whole queue; else the one auction to relist or sell again.
    QString mRemoteAuctionId;
    // The items the seller forced in, "[ItemId]" each.
    QString& IgnoreExcluded() { return m_limits.IgnoreExcluded; }
    // The seller's edits; they outlive a rebuild.
    clsRelistOptions mRelistOptionList;
    // Edited values were applied to a queued record since the last Reset.
    bool mOptionsEdited = false;
    // Once-per-window notices: 0 nothing found, 1 to tell, 2 told. Rows only
    // move them from 0 to 1; the window tells and sets 2.
    int mUnknownNotice = 0;
    int mNoOfferNotice = 0;
    int mTenDayNotice = 0;

    // Position 0 is a placeholder; records are 1..size()-1 in the order queued.
    QVector<RelistRecord> mRelistQueue;
    RelistExclusions rstExclusions;

    int count() const { return int(mRelistQueue.size()) - 1; }
    RelistRecord& record(int index) { return mRelistQueue[index]; }
    const RelistRecord& record(int index) const { return mRelistQueue[index]; }
    const ListingLimits& limits() const { return m_limits; }

    // Empties the queue and the exclusions, then queues what is due.
    void Build();
    void Reset();

    void AddSelectedAuction();
    void AddStockedItems();
    void AddUnstockedRelists();
    // Queues Count copies of the item's template (none for 0) and gives the
    // template's DurationDays; False (after saying so) when the item has no
    // auction of its title recent enough to copy, or the query failed.
    bool AddSellSimilar(const ListingLimits::StockedItem& item, int Count, qint16* DurationDays);
    void AddRelistRecord(const RelistRecord& source, const QString& RelistAction, qint16 RelistIndex);
    void AddExclusion(const QString& ItemId, const QString& Description, const QString& Reason);
    void ApplyRelistOptions(int Index);

    // One list row: its cells in the window's column order, and red when
    // the row warns. Applies the ten-day cut to the queued record and moves
    // the notices from 0 to 1.
    struct Row {
        QStringList texts;
        bool red = false;
    };
    Row FillRow(int Index, double now);

    // The key a tick is remembered by across rebuilds: the auction and the
    // copy, so the copies of one item are ticked apart.
    static QString TickKey(const RelistRecord& r);

    // The columns, as the list shows them.
    static QStringList Headers();

private:
    struct Template {
        RelistRecord record;
        QVariant DateNextAction;
    };
    static RelistRecord FromRow(const Recordset& rs);
    static Template TemplateFromRow(const Recordset& rs);
    // The newest auction of a code and title; false when the query failed.
    static bool FindTemplate(const QString& ItemId, const QString& Description, Template* found, bool* exists);
    bool IsCurrent(const Template& t) const;
    void NoTemplateMessage(const ListingLimits::StockedItem& item) const;
    void queueCopies(const Template& t, int Count);

    ListingLimits m_limits;
    // Templates of every stocked item, read once per bulk build; null outside one.
    const QHash<QString, Template>* m_templates = nullptr;
};
