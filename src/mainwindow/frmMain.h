#pragma once
// The seller's home: the sales listed by task and due date, the selected
// sale's details and history, and every command of the program.

#include "core/MainWindowApi.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QMainWindow>

#include <functional>

class AuctionListDelegate;
class AuctionListModel;
class SearchPanel;
class NullableDateEdit;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QToolBar;
class QTreeView;
class QTreeWidget;

class frmMain : public QMainWindow, public MainWindowApi {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // MainWindowApi
    void RefreshListItem(const QString& AuctionId) override;
    void DisplayDetails(const QString& AuctionId) override;
    void TradeMe_Link(const QString& URL) override;
    QString SelectedAuctionId() const override;
    QString SelectedItemId() const override;
    void SettingsChanged() override;
    void ShowDefaultListAfresh() override;
    void CloseSearchAndRefreshList() override;

    // The list: rebuilt from the database in the current mode.
    void Refreshlist() override;
    void UpdateComboItems() override;
    void RefreshNotes();
    bool CheckItemSelected();
    void UpdateModeLabel();
    void SetListItemBold(int Index, bool Highlight);

    // List modes (set by the toolbar and by other windows before Refreshlist).
    bool mTaskList = false;
    bool mTaskShip = false;
    bool mRefreshEnabled = false;
    int mSortKey = 7;
    int mSortOrder = 0;
    int mSortIndex = 8;

    // What the window does when it first opens and on every activation.
    void Form_Activate();
    void ApplyConfiguration();
    void ApplyLook();
    // One tick of the 500 ms main timer.
    void timer_Timer();
    // Column header click (1-based column), and the highlight toggle.
    void list_ColumnClick(int column);
    void ToggleHighlight();
    void list_DblClick();
    void cmdPaid_Click();
    // Copies a details field to the clipboard with a short highlight.
    void CopyToClipboard(QWidget* field, int x);

    // The search panel, and whether it is shown (the list is then a search).
    bool searchShown() const;
    void OpenSearchWindow(bool DoClipBoardSearch);
    void cmdSearchClose_Click();
    void cmdSearchClear_Click();
    void tbSearch_ButtonClick(int page);
    void SearchClipboard();

    // Quick notes and the history list.
    void SaveNote();
    void EditNote();    // the history list's double-click and "Edit"
    void DeleteNote();  // "Delete"
    QMenu* mnuHistory = nullptr;

    // The due date the pane shows, with the time the sale has (the picker shows the day).
    QVariant shownDue() const;

    // Undo and postpone.
    void UndoTask();
    void PostponeTask(int Days);

    // Task commands, the list popup and site pages.
    void mnuTaskDo_Click();
    void SkipTask();
    void mnuTaskDone_Click();
    void SendEmail(int kind, const QString& emailId = QString());
    void mnuTaskEmailAll_Click();
    void mnuTaskSend_Click();
    void mnuTaskRelistSelected_Click();
    void OpenModal(const QString& form, const QVariantMap& vars = {});
    void ShowPopup(const QPoint& at);
    // The popup from the keyboard (Menu key, Shift+F10): below the selected row.
    void ShowPopupAtSelectedRow();
    void mnuPopupCompleted_Click();
    void ShowItemForm(const QString& ItemId, const QString& Desc, bool AddNew);
    void OpenBrowser(const QString& URL);
    void OpenAllAuctions();
    void CloseAllBrowsers();

    // The File menu and the end of a run.
    void RestartVendaro();
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSaveAs_Click();
    void mnuFileRecent_Click(int Index);
    void ShowRecentEntries(bool firstNeedsSecond);
    // Toolbar entries that are not plain commands.
    void tbar_ButtonMenuClick(const QString& key);
    // Days from a date to the coming Friday (0 on a Friday, 6 on a Saturday).
    static int DaysToFriday(const QDate& day);
    void UpdateEmailToolBar() override;
    void mnuHelpUpdate_Click();

    // A command that belongs to a window not built yet says so.
    static void NotYetAvailable(const QString& what);

    // The update the maker's site signals as pending (checked at first activation).
    bool mUpdatePending = false;
    // What the maker's site said of the version every seller must have: made
    // false, with the reason, when it could not be asked or gave no version.
    struct SoftwareUpdateCheck {
        bool made = false;
        bool pending = false;
        QString failure;
    };
    static SoftwareUpdateCheck CheckSoftwareVersion();
    // Whether an update is pending; a check that could not be made finds none.
    static bool CheckForSoftwareUpdate();

    // Controls, by their names.
    QToolBar* tbar;
    QLabel* lblMode;
    QTreeView* list;
    AuctionListModel* model;
    AuctionListDelegate* listDelegate;
    SearchPanel* picSearch;
    QComboBox* cboSearch[2] = {};  // the search panel's task and item combos
    QWidget* picDetails;
    QGroupBox* frameAuction;
    QGroupBox* frameTotal;
    QGroupBox* frameDetails;
    QGroupBox* frameDelivery;
    QLabel* txtAuctionId;
    QLabel* txtDescription;
    QLabel* txtCustomerId;
    QLabel* txtEmail;
    QLabel* lblTotal[5] = {};
    QLabel* lblPayment[2] = {};
    QLabel* lblShipped[2] = {};
    QLabel* txtDatePaid;
    QLabel* txtPayId;
    QLabel* txtDateSent;
    QLabel* txtTrackingNumber;
    QPushButton* cmdPaid;
    QLabel* lblAuctionId;
    QPlainTextEdit* txtAddress;
    QLineEdit* txtItemId;
    QLineEdit* txtEmailCC;
    QLineEdit* txtNextAction;
    NullableDateEdit* dateNextAction;
    QComboBox* cboNote;
    QTreeWidget* listHistory;
    QLabel* txtClipboard;
    QWidget* picWait;
    QLabel* lblWaitMessage;
    QLabel* lblItemsListed;  // the status bar's count of listed sales
    QTimer* timer;
    QMenu* mnuPopup = nullptr;

    // Menu and toolbar entries by their names (mnu..., and the toolbar keys).
    QHash<QString, QAction*> actions;
    QAction* action(const QString& name) const { return actions.value(name); }
    // Gives a menu or toolbar entry its handler (in place of "not yet available").
    // A name that is no entry, or an entry wired before, is a slip in the wiring
    // tables: a debug build stops there, a release build lists it.
    void rewire(const QString& name, std::function<void()> handler);
    QStringList wiringProblems() const { return mWiringProblems; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void LoadSettings();
    void SaveSettings();
    void buildDetailsPane();
    void buildMenus();
    void layoutList();
    void showItemsListed();
    int selectedRow() const;
    void selectRow(int row);
    void fitAuctionColumn();
    void EndCopyHighlight(QWidget* field);
    void enableListCommands(bool enabled);
    void sortList();
    void swapColumnWidths(const QString& saveAs, const QString& restoreFrom);
    void buildSearchAndNotes();
    void buildTaskCommands();
    void buildFileAndMenus();
    void closeOtherWindows();
    bool mClosing = false;
    void emailFallback();
    int mLastNoteKey = 0;

    bool mActivated = false;
    QSet<QString> mWired;
    QStringList mWiringProblems;
};
