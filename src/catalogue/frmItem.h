#pragma once
// The item editor ("Item"): one row of the stock catalogue with its relist
// limits, end days and stock, on the record editor pattern. The window shows
// and gathers; ItemWriter reads and writes the row, deletes it and re-codes
// sales. A caller names an item by code (mRemoteId) or by listing title
// (mRemoteDesc, which wins), and may start a new item with that title
// (mRemoteAddNew).

#include "records/RecordEditor.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class SpinButtons;
struct ItemForm;
struct ItemRow;

class frmItem : public RecordEditor {
    Q_OBJECT
    Q_PROPERTY(QString mRemoteDesc MEMBER mRemoteDesc)
    Q_PROPERTY(bool mRemoteAddNew MEMBER mRemoteAddNew)

public:
    explicit frmItem(QWidget* parent = nullptr);

    // The code box of the windows that edit table Item by its code.
    static RecordEditor::Setup ItemCodeSetup(const QString& caption, int lookupWidth);

    QString mRemoteDesc;
    bool mRemoteAddNew = false;

    // ---- the pattern's operations, as this window does them ----
    void Form_Activate() override;
    void OpenRequestedItem();
    bool LoadItem();
    void SaveItem();
    void DeleteItem();
    void UpdateAuctionItemCodes(const QString& code, const QString& title);
    bool Validate() override;
    bool ValidateItem();
    void cmdEdit_Click() override;
    void cmdView_Click();

    // The check-box rules: a change of each box, by the seller.
    void chkStocked_Click();
    void chkUseStock_Click();
    // One click of a spinner's arrow (+1 or -1).
    void UpDown_Change(int index, int step);
    // The explanations a count box gives when it gets the focus.
    void numCurrentListings_GotFocus();
    void numSoldNotShipped_GotFocus();

    // ---- what tests drive and look at ----
    QLineEdit* description() const { return txtDescription; }
    QCheckBox* stocked() const { return chkStocked; }
    QCheckBox* limit() const { return chkLimit; }
    QCheckBox* endDay(int index) const { return chkEndDay.at(size_t(index)); }
    QCheckBox* useStock() const { return chkUseStock; }
    QCheckBox* stockWarning() const { return chkStockWarning; }
    QLineEdit* numValue(int index) const { return m_numValue.at(size_t(index)); }
    SpinButtons* UpDown(int index) const { return m_upDown.at(size_t(index)); }
    QLineEdit* currentListings() const { return numCurrentListings; }
    QLineEdit* soldNotShipped() const { return numSoldNotShipped; }
    QTabWidget* tabs() const { return SSTab; }
    QPushButton* viewButton() const { return cmdView; }
    // The boxes as the seller left them.
    ItemForm form() const;

protected:
    bool LoadRecord() override { return LoadItem(); }
    bool SaveRecord() override;
    void DeleteRecord() override { DeleteItem(); }
    void clearFields() override;
    void showRecord(const Recordset&) override {}  // LoadItem shows the row itself
    void writeRecord(Recordset&) override {}       // ItemWriter writes it
    void modeApplied() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showItem(const ItemRow& row);
    // Enables the boxes as the ticks and the mode allow.
    void applyRules();
    void showView();

    QLineEdit* txtDescription;
    QCheckBox* chkStocked;
    QTabWidget* SSTab;
    QCheckBox* chkLimit;
    std::array<QCheckBox*, 8> chkEndDay{};
    QCheckBox* chkUseStock;
    QCheckBox* chkStockWarning;
    std::array<QLineEdit*, 6> m_numValue{};
    std::array<SpinButtons*, 6> m_upDown{};
    QLineEdit* numCurrentListings;
    QLineEdit* numSoldNotShipped;
    QPushButton* cmdView;
};
