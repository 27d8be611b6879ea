#pragma once
// "Address labels": the sales waiting to be sent (or the one sale named by
// pSingleAuctionNumber, whatever its step and due date) with a check box each,
// one label per delivery address unless the seller chooses otherwise; Print
// fills the rows of labels from the start position on a partly used sheet,
// remembers where the next sheet starts and shows the label report. Setup
// opens the label sheet setup.

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QStandardItem;
class QStandardItemModel;
class QStatusBar;
class QTreeView;
class SpinButtons;

class frmLabels : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString pSingleAuctionNumber MEMBER pSingleAuctionNumber)
public:
    explicit frmLabels(QWidget* parent = nullptr);

    QString pSingleAuctionNumber;

    // What tests look at and work.
    QTreeView* list() const { return m_list; }
    QStandardItemModel* model() const { return m_model; }
    QCheckBox* selectBox() const { return chkSelect; }
    QLineEdit* startField() const { return numLabelStart; }
    SpinButtons* spinner() const { return UpDown; }
    QMenu* popup() const { return mnuPopup; }
    int labelsToPrint() const { return m_count; }
    int labelsAcross() const { return m_across; }
    int labelsPerSheet() const { return m_perSheet; }
    bool layoutRead() const { return m_layoutRead; }
    // A row's label text (the "BuyerId" cell's tag) and item code (the "Title" cell's tag).
    QString labelOf(int row) const;
    QString itemOf(int row) const;
    bool isChecked(int row) const;

    int exec() override;
    void Form_Activate();
    void chkSelect_Click();
    void cmdPrint_Click();
    void cmdSetup_Click();
    void mnuPopupAuction_Click();
    void mnuPopupBuyer_Click();
    void mnuPopupItem_Click();
    void mnuPopupBrowser_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    bool ReadSheetLayout();
    void UpdateLabelCount();
    void numLabelStart_Change();
    void UpDown_Change(int step);
    void list_Check(QStandardItem* item);
    void list_MouseUp(const QPoint& pos);
    void setAllChecked(bool checked);
    int selectedRow() const;
    double startValue() const;
    void loadSettings();
    void saveSettings();

    QTreeView* m_list;
    QStandardItemModel* m_model;
    QCheckBox* chkSelect;
    QPushButton* cmdPrint;
    QLineEdit* numLabelStart;
    SpinButtons* UpDown;
    QPushButton* cmdSetup;
    QStatusBar* StatusBar;
    QMenu* mnuPopup;

    QString m_baseCaption = QStringLiteral("Address labels");
    bool m_firstActivation = true;
    bool m_layoutRead = false;
    bool m_settingsSaved = false;
    int m_across = 0;
    int m_down = 0;
    int m_perSheet = 0;
    int m_count = 0;
};
