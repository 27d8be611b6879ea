#pragma once
// The "Flag as paid" dialog: the date paid, the payment method, and the
// buyer's name and delivery address. Update completes the payment task; when
// the buyer collected the item, the same click also closes the e-mail and
// dispatch steps that follow the payment.

#include "TaskDialog.h"

class NullableDateEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

class frmPaid : public TaskDialog {
    Q_OBJECT
public:
    explicit frmPaid(QWidget* parent = nullptr);

    void Form_Load() override;
    void cmdUpdate_Click() override;
    // The ">>" buttons: 0 payment methods, 1 buyer.
    void cmdForm_Click(int index);

    // ---- what tests look at ----
    QLineEdit* buyer() const { return txtCustomerId; }
    QLineEdit* total() const { return txtTotal; }
    QLineEdit* name() const { return txtName; }
    QPlainTextEdit* address() const { return txtDeliveryAddress; }
    NullableDateEdit* paid() const { return datePaid; }
    QComboBox* payMethods() const { return cboPayId; }
    QCheckBox* pickedUp() const { return chkPickedUp; }

private:
    void LoadAuctionToPay(bool reload);
    void FillPayIdCombo(bool keepText);

    QLineEdit* txtCustomerId;
    QLineEdit* txtTotal;
    QLineEdit* txtName;
    QPlainTextEdit* txtDeliveryAddress;
    NullableDateEdit* datePaid;
    QComboBox* cboPayId;
    QCheckBox* chkPickedUp;
};
