#pragma once
// The dialog behind task step 1, "Auction ends": who won, the winning bid,
// the shipping and the delivery address, or that the listing ended without a
// winner. Update stores the buyer and the result in the sale, then moves the
// sale on (to its next step, or to relisting when nothing sold).

#include "TaskDialog.h"

#include <array>

class AmountEdit;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

class frmAuctionEnded : public TaskDialog {
    Q_OBJECT
public:
    explicit frmAuctionEnded(QWidget* parent = nullptr);
    ~frmAuctionEnded() override;

    void Form_Load() override;
    void cmdUpdate_Click() override;
    // The buyer id was chosen, left or entered: a known buyer fills the boxes.
    void cboCustomerId_Click();
    void cmdForm_Click();
    bool ValidateAuctionEnded();

    // ---- what tests look at ----
    QComboBox* buyer() const { return cboCustomerId; }
    QLineEdit* name() const { return txtName; }
    QLineEdit* email() const { return txtEmail; }
    QPlainTextEdit* address() const { return txtDeliveryAddress; }
    AmountEdit* amount(int i) const { return numTotal[i]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillCustomerCombo();
    bool FailValidation(const QString& message);
    bool confirm(const QString& question);

    QComboBox* cboCustomerId;
    QLineEdit* txtName;
    QLineEdit* txtEmail;
    QPlainTextEdit* txtDeliveryAddress;
    std::array<AmountEdit*, 2> numTotal{};
};
