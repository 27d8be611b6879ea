#pragma once
// "Stocked item detail": one auction title of a stocked item with its own
// relisting limits, end days, stock and default duration, added or edited
// (table ItemDetail). The item group editor opens it; the rules and the
// writes are ItemDetailWriter's.

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct ItemDetailForm;

class frmItemDetails : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString mItemId MEMBER mItemId)
    Q_PROPERTY(qlonglong mRemoteId MEMBER mRemoteId)
    Q_PROPERTY(QString mRemoteDesc MEMBER mRemoteDesc)

public:
    explicit frmItemDetails(QWidget* parent = nullptr);

    // Set by the opener before the dialog shows.
    QString mItemId;         // the item the detail belongs to
    qlonglong mRemoteId = 0;  // the AutoId to edit; 0 or less: a new detail
    QString mRemoteDesc;     // a new detail's title

    // The end times offered: the quarter hours of a day, plus a stored time
    // that is none of them in its place.
    void FillEndTimes(double storedTime);
    // Shows the row asked for, or the defaults of a new detail; false when
    // the row to edit is missing (or could not be read): the dialog then
    // says so and closes, saving nothing. Runs once, when the dialog first
    // shows, unless the opener ran it.
    bool Form_Load();
    void SetItemDetailDefaults();
    bool ValidateItemDetail();
    // Writes the detail, offers to re-code the sales with its title, and
    // refreshes the main window's list; false when nothing was written.
    bool SaveItemDetail();
    void cmdSave_Click();
    void cmdCancel_Click();
    // A spinner step on numValue(i).
    void UpDown_Change(int i, int step);

    // ---- what tests drive and look at ----
    QLineEdit* title() const { return txtTitle; }
    QLineEdit* number(int i) const { return numValue[i]; }
    QCheckBox* endDay(int i) const { return chkEndDay[i]; }
    QCheckBox* useStock() const { return chkUseStock; }
    QCheckBox* stockWarning() const { return chkStockWarning; }
    QRadioButton* duration(int i) const { return optDuration[i]; }
    QComboBox* days() const { return cboDurationDays; }
    QComboBox* endTimes() const { return cboDurationEndTime; }
    QLabel* endTimeLabel() const { return lblDuration; }
    // The boxes as they stand.
    ItemDetailForm form() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showForm(const ItemDetailForm& form);
    void chkEndDay_Click();
    void chkUseStock_Click();
    void chkStockWarning_Click();
    void numValue0_Change();
    void optDuration_Click();
    // Enables every control whose Tag holds the word.
    void enableTagged(const QString& word, bool enabled);
    void notFound();

    QLineEdit* txtTitle;
    std::array<QLineEdit*, 6> numValue{};
    std::array<QCheckBox*, 8> chkEndDay{};
    QCheckBox* chkUseStock;
    QCheckBox* chkStockWarning;
    std::array<QRadioButton*, 2> optDuration{};
    QComboBox* cboDurationDays;
    QComboBox* cboDurationEndTime;
    QLabel* lblDuration;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;
    bool m_loaded = false;
};
