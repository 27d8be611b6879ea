#pragma once
// "Item Group": one stocked item's code, description and stocked flag, with
// its stocked item details (the auction titles it is listed under), which
// the detail dialog frmItemDetails edits. The record editor pattern, with the
// item editor's rules for the default item "MISC".

#include "records/RecordEditor.h"

class ItemDetailListModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTreeView;
class QWidget;

class frmItemGroup : public RecordEditor {
    Q_OBJECT
    Q_PROPERTY(QString mRemoteDesc MEMBER mRemoteDesc)
    Q_PROPERTY(bool mRemoteStocked MEMBER mRemoteStocked)
    Q_PROPERTY(bool mRemoteAddNew MEMBER mRemoteAddNew)

public:
    explicit frmItemGroup(QWidget* parent = nullptr);

    static QString Section();

    // Set by an opener before the window shows (with mRemoteId, the code).
    QString mRemoteDesc;  // an auction title: the item it names opens; a new detail's title
    bool mRemoteStocked = false;  // a new item added on request starts stocked
    bool mRemoteAddNew = false;   // add a new item when the title names none

    void Form_Activate() override;
    void OpenRequestedItemGroup();
    bool LoadRecord() override;   // LoadItemGroup
    bool SaveRecord() override;   // SaveItemGroup
    void DeleteRecord() override; // DeleteItemGroup
    void cmdAdd_Click() override;
    void cmdEdit_Click() override;
    void cmdCancel_Click() override;

    bool ValidateItemGroup(bool CheckDetails);
    bool HasUnsavedChanges() const;
    bool ConfirmSaveFirst(const QString& action);
    void FillItemDetailList();
    void UpdateAuctionItemCodes(const QString& code, const QString& title);
    // A click on the stocked box by the seller.
    void chkStocked_Click();
    void cmdDetailAdd_Click();
    void cmdDetailEdit_Click();
    void cmdDetailDelete_Click();
    void list_DblClick();
    void done(int result) override;

    // ---- what tests drive and look at ----
    QLineEdit* description() const { return txtDescription; }
    QCheckBox* stocked() const { return chkStocked; }
    QTreeView* detailList() const { return list; }
    ItemDetailListModel& details() const { return *m_details; }
    QWidget* detailPanel() const { return picItemDetail; }
    QString loadedCode() const { return m_loadedCode; }
    // Selects a row of the detail list.
    void selectDetail(int row);

protected:
    void clearFields() override;
    void showRecord(const Recordset& rs) override;
    void writeRecord(Recordset& rs) override;
    bool validateMore() override;
    void afterLoad() override { m_loadRan = true; }
    void modeApplied() override;

private:
    // The detail panel and the window's height follow the stocked box.
    void showDetailPanel();
    void openDetail(qlonglong autoId);
    void restoreColumns();
    void saveColumns();

    QLineEdit* txtDescription;
    QCheckBox* chkStocked;
    QLabel* lblItemDetail;
    QWidget* picItemDetail;
    QTreeView* list;
    ItemDetailListModel* m_details;
    QPushButton* cmdDetailAdd;
    QPushButton* cmdDetailEdit;
    QPushButton* cmdDetailDelete;
    // The record last shown from the database: the reference for unsaved
    // changes, and the code whose details the list shows.
    QString m_loadedCode;
    QString m_loadedDesc;
    bool m_loadedStocked = false;
    bool m_checkDetails = true;
    bool m_loadRan = false;
};
