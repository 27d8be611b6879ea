#pragma once
// The synchronisation window: logs in, runs the download sequence of an
// UpdateSession, shows the three review lists and saves them on request. The
// run, the comparison and the save live in the session; the window shows
// their state, asks the seller and keeps its layout per user.

#include "sync/UpdateView.h"

#include <QDialog>
#include <QList>
#include <QVariant>

#include <array>

class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QTreeView;
class ReviewListModel;
class UpdateSession;
class WebBrowser;

class frmUpdate : public QDialog, public UpdateView {
    Q_OBJECT
    Q_PROPERTY(int pAutoUpdate MEMBER pAutoUpdate)

public:
    explicit frmUpdate(QWidget* parent = nullptr);
    ~frmUpdate() override;

    // Listings the relist batch has just relisted: the run waits until the
    // Current export shows as many new ones. Set before the window is shown.
    int pAutoUpdate = 0;

    static QString Section();  // "Settings\frmUpdate"
    // The setting that keeps a review list's column width (column 0-based; the keys count from 1).
    static QString columnKey(int list, int column);

    // ---- UpdateView ----
    void ShowWait(const QString& Message) override;
    void LoginFailed() override;
    void SelectTab(int listType) override;
    void FillList(int listType) override;
    void RunFinished() override;
    void Unload() override;

    // The wait text while a list fills: "Downloading SOLD auctions [12]".
    void ShowListProgress();
    void FillCurrentList();
    void FillSoldList();
    void FillUnsoldList();

    // ---- commands (also the tests' way in) ----
    void cmdRefresh_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
    // Closing: asks about unsaved rows (a run under way is cancelled first).
    void reject() override;
    void cboFilter_Click();
    void Timer1_Timer();
    // The popup menu's commands on the selected row of the current list.
    void mnuPopupTrademe_Click();
    void mnuFixedPriceOffer_Click();
    void mnuPopupAuction_Click();
    void mnuPopupItemView_Click();
    void mnuPopupItemAdd_Click();
    void mnuPopupShipping_Click();
    void mnuPopupProcess_Click();
    // Sets the popup items' enabled state for the selected row.
    void mnuPopup_Click();

    // ---- what tests look at ----
    UpdateSession& session() { return *m_session; }
    ReviewListModel& listModel(int listType) { return *m_models[listType]; }
    QTreeView* list(int listType) const { return m_lists[listType]; }
    QTabWidget* tabs() const { return sstab; }
    QComboBox* filter() const { return cboFilter; }
    QPushButton* refreshButton() const { return cmdRefresh; }
    QPushButton* saveButton() const { return cmdSave; }
    QPushButton* cancelButton() const { return cmdCancel; }
    QMenu* popupMenu() const { return mnuPopup; }
    QAction* popupAction(const QString& name) const;
    bool waitShowing() const;
    QString waitMessage() const;
    int waitCount() const { return mWaitCount; }
    // Selects a row of a list (as the seller's click does).
    void selectRow(int listType, int row);

signals:
    // A run has ended (finished, failed or cancelled), and the window shows so.
    void runEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void Form_Load();
    // The unload question; false keeps the window open.
    bool queryUnload();
    void Form_Activate();
    // Saves pending rows before a command opens something; true when none remain.
    bool saveFirst(const QString& what);
    // Refills all three lists from their sets (after a save or a change of item codes).
    void refillLists();
    int currentRow() const;
    int currentListType() const;
    void enableControls(bool enabled);
    void placeWaitPanel();
    void sstab_Click();
    void showPopup(int listType, const QPoint& position);
    void list_DblClick();
    void OpenItemForm(const QString& ItemId, const QString& Description, bool AddNew);
    // The internal browser at a site link with the row's listing number.
    void openListingLink(int linkId, bool modal);
    void loadSettings();
    void saveSettings();
    void runHasEnded();
    void fill(int listType);

    UpdateSession* m_session;
    WebBrowser* m_web = nullptr;
    std::array<ReviewListModel*, 3> m_models{};
    std::array<QTreeView*, 3> m_lists{};
    std::array<QList<int>, 3> m_fitColumns;  // per list: the columns without a width of the seller's yet

    QWidget* picFilter;
    QComboBox* cboFilter;
    QTabWidget* sstab;
    QPushButton* cmdRefresh;
    QPushButton* cmdCancel;
    QPushButton* cmdSave;
    QWidget* picWait;
    QLabel* lblWaitMessage;
    QProgressBar* prgWait;
    QTimer* Timer1;
    QStatusBar* StatusBar;
    QMenu* mnuPopup;

    bool mActivated = false;
    bool mLoaded = false;
    bool mRunFinished = false;  // the last run reached its end: Save may be used
    bool mUnloading = false;
    int mWaitCount = 0;
    QVariant mSavedTab;  // the tab shown when the seller refreshed; invalid until then
};
