#pragma once
// One synchronisation of the seller's listings: downloads the current and sold
// exports and reads the unsold pages into three listing record sets, compares
// them with the database, and saves what is new or changed. The window
// (frmUpdate) shows the lists and drives it through this surface; the run
// reports back through UpdateView. The whole download sequence is
// asynchronous: each step continues from the event loop, so Cancel and the
// window stay served, and no step waits in a nested event loop.

#include "ListingRecordsets.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class Connection;
class Recordset;
class UpdateView;
class WebBrowser;

class UpdateSession : public QObject {
    Q_OBJECT
public:
    // The browser reads the unsold pages (hidden); the view is the window.
    UpdateSession(UpdateView* view, WebBrowser* web, QObject* parent = nullptr);
    ~UpdateSession() override;

    // ---- State of a run (the window reads these) ----
    int pAutoUpdate = 0;            // listings the relist batch has just relisted
    int mListType = ListingRecordsets::Current;
    int mDays = 45;                 // the day window: 7 or 45
    QString mListURL[3];            // Current export, Sold export, unsold pages
    bool mCancel = false;
    int mChangedTab = 0;            // the tab to bring forward at the end of a run
    bool mUnsavedChanges = false;   // rows await saving (set by the review lists)
    int mUnsoldPage = 1;
    bool mPaging = false;           // the blank page between two unsold pages is awaited
    // One-time notes: 0 none, 1 to show, 2 shown.
    int mNoteBold = 0;
    int mNoteRed = 0;
    int mNoteShipping = 0;
    int mNoteLowStock = 0;
    std::array<std::unique_ptr<Recordset>, 3> mListings;
    // The History row each listing's completion was written as by the last save.
    QHash<QString, qint64> mCompletionRows;
    // Shipping totals the seller typed for sold listings; later entries win.
    struct ShippingTotal {
        QString ListingId;
        QString BuyerName;
        double Shipping = 0;
    };
    QList<ShippingTotal> mShippingTotals;

    // ---- Download sequence ----
    // Runs the sequence after the login (steps from the record sets to the
    // unsold pages); ends in FinishUpdate, or stops on a failure or Cancel.
    void Start();
    // The last step alone: reads the unsold pages into the Unsold set, then
    // FinishUpdate (tests; a run reaches it through Start).
    void StartUnsoldPages();
    void FinishUpdate();
    // Stops the run at once: the transfer under way is aborted and the
    // hidden browser stopped; runEnded follows before this returns.
    void Cancel();
    bool isRunning() const;
    // Reports a failure of the run: "Auction update failed." with the text and the usual causes.
    static void ShowUpdateError(const QString& Text);

    // ---- CSV export download ----
    // The export addresses and the day window from the filter ("Last 45 days" or "Last 7 days").
    void SetExportURLs(const QString& filterText);
    // Downloads the export of mListType into "tmdata<n>.csv" in the program
    // folder; calls done(true) when saved, done(false) after reporting the failure.
    void DownloadCSV(std::function<void(bool)> done);

    // ---- Listing record sets and the CSV reader ----
    void CreateListingRecordsets();
    // Reads "tmdata<mListType>.csv" into rs; false (reported) when the file
    // cannot be read or its header or a record is not what the reader knows.
    // Records held back for an amount that is no number are named in one message.
    bool ReadCSVFile(Recordset& rs);

    // ---- Unsold pages ----
    // Reads one unsold page into the Unsold set, then asks for the next page
    // or ends the step (FinishUpdate).
    void ParseUnsoldPage(const QString& PageText);
    // Paging ends after this many pages, whatever the site answers.
    static constexpr int MaxUnsoldPages = 200;
    // How long the hidden browser may take over one page (60 s unless set).
    void setPageLoadTimeout(int milliseconds);
    // The unsold step of the run did not read every page: DateLastUpdate stays.
    bool unsoldStepFailed() const;

    // ---- Review lists ----
    // Puts the typed shipping totals into the Sold set's selected_shipping.
    void CheckSoldShipping();

    // ---- Comparison with the database ----
    void MarkBeforeSystemStart(Recordset& rs, const QString& DateField);
    void CompareWithDatabase(Recordset& rs);

    // ---- Saving ----
    // Merges all three sets into the database in one transaction; false
    // (reported) when nothing could be saved.
    bool SaveUpdates(bool UnloadAfter);
    void GetItemCodes();
    void CheckStockLevels();
    bool SetDateLastUpdate();
    static QString GetExtraFeatures(const QString& Gallery, const QString& Bold, const QString& Featured,
                                    const QString& HomePage);

signals:
    // The run has ended: finished, failed or cancelled.
    void runEnded();

private:
    UpdateView* m_view;
    QPointer<WebBrowser> m_web;
    // The context of the transfer under way: deleting it aborts the transfer.
    QPointer<QObject> m_transfer;

    // -- the sequence and the unsold pages (UpdateSession.cpp) --
    struct RunState;
    std::unique_ptr<RunState> m_run;
    void onDocumentComplete(const QString& address);
    void onPageTimeout();
    void beginRun();
    // Runs a step from the event loop, unless the run has ended or Cancel was pressed.
    void later(std::function<void()> step);
    void downloadList(int listType);
    void readList(int listType);
    void compareList(int listType);
    void lookUpItems(int listType);
    void fillList(int listType);
    void startUnsold();
    void navigateUnsold(const QString& address);
    void readUnsoldPage(const QString& address, const QString& text);
    void stopReadingUnsold();
    void unsoldFailed(const QString& text);
    void finishRun();
    void endRun();

    // -- exports (UpdateSessionExports.cpp) --

    // -- comparison and saving (UpdateSessionSave.cpp) --
};
