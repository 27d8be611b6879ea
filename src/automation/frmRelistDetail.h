#pragma once
// "Relist options": the title, prices, duration and extra features of one
// queued relisting, edited on the last entry of the caller's options list.
// The caller appends the entry with the queued values, then
//     frmRelistDetail dialog(&options, this); dialog.exec();
// OK checks the values and writes them into that entry (Accepted); Cancel
// removes the entry (Rejected); the close box and Escape leave it as it was
// given (Rejected). In every case the caller applies the entry it then finds.

#include <QDialog>
#include <QList>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class clsRelistOptions;

class frmRelistDetail : public QDialog {
    Q_OBJECT
public:
    explicit frmRelistDetail(QWidget* parent = nullptr);
    frmRelistDetail(clsRelistOptions* options, QWidget* parent = nullptr);

    // The caller's options list (not owned); set before the dialog is shown.
    clsRelistOptions* mRelistOptions = nullptr;

    // Fills the lists and shows the last entry; the first show runs it.
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    // The captions of the extra features, as stored in ExtraFeatures.
    static const QStringList& ExtraFeatureCaptions();

    // The controls, for tests.
    QLineEdit* title() const { return txtTitle; }
    QLineEdit* startPrice() const { return numStart; }
    QLineEdit* reservePrice() const { return numReserve; }
    QLineEdit* buyNowPrice() const { return numBuyItNow; }
    QRadioButton* duration(int index) const { return optDuration.value(index); }
    QComboBox* days() const { return cboDurationDays; }
    QComboBox* endDate() const { return cboDurationEndDate; }
    QComboBox* endTime() const { return cboDurationEndTime; }
    QCheckBox* extraFeature(int index) const { return chkExtraFeatures.value(index); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowPrices(double StartPrice, double ReservePrice, const QVariant& BuyNowPrice);
    void ShowDuration(bool DurationFixed, int DurationDays, double DurationTime);
    void ShowExtraFeatures(const QString& ExtraFeatures);
    void optDuration_Click();
    // The seller picked a number of days or an end date: the other follows.
    void cboDurationDays_Click();
    void cboDurationEndDate_Click();
    void FillEndTimes(double storedTime);
    double SelectedEndTime() const;

    QLineEdit* txtAuction;
    QLineEdit* txtItemId;
    QLineEdit* txtTitle;
    QLineEdit* numStart;
    QLineEdit* numReserve;
    QLineEdit* numBuyItNow;
    QList<QRadioButton*> optDuration;
    QButtonGroup* m_durationGroup;
    QComboBox* cboDurationDays;
    QComboBox* cboDurationEndDate;
    QComboBox* cboDurationEndTime;
    QLabel* lblDurationEndTime;
    QList<QCheckBox*> chkExtraFeatures;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    bool m_loaded = false;
};
