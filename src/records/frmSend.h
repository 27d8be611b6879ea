#pragma once
// The dialog behind task step 11, "Send item": the date shipped, the tracking
// number and the delivery address, or that the buyer picked the item up.
// Update stores them and completes the step (the date sent, the stock, the
// History row); "Print label" prints this sale's address label.

#include "TaskDialog.h"

class NullableDateEdit;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

class frmSend : public TaskDialog {
    Q_OBJECT
public:
    explicit frmSend(QWidget* parent = nullptr);

    void Form_Load() override;
    void cmdUpdate_Click() override;
    void cmdForm_Click();
    void cmdLabel_Click();

    // ---- what tests look at ----
    QLineEdit* buyer() const { return txtCustomerId; }
    QLineEdit* name() const { return txtName; }
    QPlainTextEdit* address() const { return txtDeliveryAddress; }
    QLineEdit* tracking() const { return txtTrackingNumber; }
    NullableDateEdit* sent() const { return dateSent; }
    QCheckBox* pickedUp() const { return chkPickedUp; }

private:
    void LoadAuctionToSend(bool reload);

    QLineEdit* txtCustomerId;
    QLineEdit* txtName;
    QPlainTextEdit* txtDeliveryAddress;
    QLineEdit* txtTrackingNumber;
    NullableDateEdit* dateSent;
    QCheckBox* chkPickedUp;
};
