#pragma once
// The window the batch windows share (bulk feedback, bulk e-mail, fixed-price
// offers, relist): a list of candidate sales with a check box each, filled at
// the first activation; OK works through the checked rows in list order, one
// row at a time, behind a wait panel whose progress bar is the row cursor. A
// Cancel is honoured between rows, a summary ends the batch and the window
// closes itself.
//
// A window gives its Setup and fills the list; startRow does a row's work.
// A step that finishes at once returns its outcome; a step that waits for site
// pages returns Pending and later calls rowFinished. Between rows the window
// lets pending events run, so that a Cancel click or a close is seen.

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStandardItem;
class QStandardItemModel;
class QTreeView;
class QWidget;
class WebBrowser;

class BatchQueueWindow : public QDialog {
    Q_OBJECT
public:
    struct Setup {
        QString formName;      // "frmFeedback": object name and settings section
        QString caption;
        QStringList headers;   // the list's column headers
        QString startName = QStringLiteral("cmdOK");
        QString startCaption = QStringLiteral("OK");
        QString cancelCaption = QStringLiteral("&Cancel");
        bool selectAllChecked = true;  // "Deselect all", checked; else "Select all", unchecked
        QString waitText;
        // "You are about to ... %1 ...": the confirmation before CR LF CR LF
        // "Are you sure you want to continue?".
        QString confirmText;
        QString cancelQuestion;    // asked at the next row after a Cancel
        QString continueQuestion;  // asked after a failed row; empty: a failed row ends the batch
        QString summaryText;       // "%1" is the number of rows done
        bool keepsWindowState = true;  // "WindowState" saved; size only when not maximised
        QString browserCaption = QStringLiteral("View this auction on Trademe");
        bool buyerItem = true;     // "View buyer details" among the common items
    };

    // What a row's step came to. Passed: the row is over without counting as
    // done, and the batch goes on without the continue question.
    enum class RowOutcome { Pending, Succeeded, Failed, EndBatch, Passed };

    // The window's parts the windows fill and tests look at.
    QTreeView* list() const { return m_list; }
    QStandardItemModel* model() const { return m_model; }
    QCheckBox* selectBox() const { return chkSelect; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* cancelButton() const { return cmdCancel; }
    QProgressBar* progress() const { return pBar; }
    QMenu* popup() const { return mnuPopup; }
    QWidget* waitPanel() const { return picWait; }
    bool running() const { return m_running; }
    int doneCount() const { return m_done; }

    // Adds a row: its cells' texts, checked or not. Each cell may carry a
    // tag (a value kept beside it).
    QList<QStandardItem*> addRow(const QStringList& texts, bool checked);
    static void setTag(QStandardItem* cell, const QVariant& tag);
    // A row the seller marked (the sale's Highlight): bold and red in every column.
    static void highlight(const QList<QStandardItem*>& cells);
    static QVariant tag(const QStandardItem* cell);
    // The cell of a row and column (column 0 holds the check box and the row text).
    QStandardItem* cell(int row, int column) const;
    int rowCount() const;
    int checkedCount() const;
    int selectedRow() const;  // -1 for none

    void Form_Activate();
    virtual void chkSelect_Click();
    // A window may check its rows before the batch starts, then call this one.
    virtual void cmdOK_Click();
    // A non-empty message shows the wait panel with it and disables the
    // controls; "" hides the panel and enables them again.
    void ShowWait(const QString& message);
    void cmdCancel_Click();

    // The cursor: from the progress value, the next checked row (1-based) and
    // the value it leaves; 0 when there is none. Unchecked rows are passed
    // over but still advance the value.
    static int NextRow(const QVector<bool>& checked, int* value);

protected:
    BatchQueueWindow(const Setup& setup, QWidget* parent);

    // Fills the list; the first activation calls it once. False: there is
    // nothing to work on and the window has said so (it then closes).
    virtual bool fillList() = 0;
    // Logs in before a batch; false: the batch does not start.
    virtual bool login() { return true; }
    // Starts the work of row (0-based). Succeeded and Failed end the row at
    // once; Pending waits for rowFinished; EndBatch ends the batch at once.
    virtual RowOutcome startRow(int row) = 0;
    // A row's step that was Pending came to an end.
    void rowFinished(RowOutcome outcome);
    // Starts the batch over the checked rows, once confirmed and logged in.
    void startBatch();
    // The batch has ended and its summary was shown; the window closes next.
    virtual void batchFinished() {}
    // The program is setting boxes (a fill, select all): no box click.
    bool filling() const { return m_filling; }
    void setFilling(bool filling) { m_filling = filling; }
    // Asks for the batch to stop: the next row asks the cancel question.
    void requestCancel() { m_cancel = true; }
    // A message about the page the hidden browser holds: the window is
    // maximised and the page shown over the list while the message is up.
    void ShowBrowserMessage(WebBrowser* browser, const QString& message, int style);
    // The message that ends a batch: the summary text with the rows done.
    virtual QString summaryMessage() const;
    // The common popup items act on these of the selected row.
    virtual QString auctionOf(int row) const;
    virtual QString buyerOf(int row) const = 0;
    virtual QString itemOf(int row) const = 0;
    // Own popup items ("-" a separator), listed before the common ones; the
    // first item of all runs on a double-click.
    QAction* addPopupItem(const QString& name, const QString& text, std::function<void()> run);

    void EnableControls(bool enabled);
    virtual void openItem();
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;
    void resizeEvent(QResizeEvent* event) override;

    const Setup& setup() const { return m_setup; }

private:
    // Moves to the next checked row and works on it, until a row waits for
    // the site or the batch ends.
    void ProcessNext(bool askToContinue);
    void finishBatch(bool showSummary);
    void loadSettings();
    void saveSettings();
    // Widens the window to show every column, within the screen.
    void fitToColumns();
    void list_MouseUp(const QPoint& pos);
    void openAuction();
    void openBuyer();
    void openBrowser();

    Setup m_setup;
    QTreeView* m_list;
    QStandardItemModel* m_model;
    QCheckBox* chkSelect;
    QPushButton* m_start;
    QPushButton* cmdCancel;
    QWidget* picWait;
    QLabel* lblWaitMessage;
    QProgressBar* pBar;
    QMenu* mnuPopup;
    QAction* m_commonFirst = nullptr;

    bool m_activated = false;
    bool m_cancel = false;
    bool m_running = false;
    bool m_closing = false;  // the window is going: no further row is started
    int m_done = 0;
    bool m_loaded = false;
    bool m_filling = false;  // the program sets boxes: no row is selected for it
};
