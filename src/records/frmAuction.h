#pragma once
// The sale record editor: one row of Auction with its item, title, buyer,
// amounts, payment, dispatch, task step and notes. Browses and edits any
// sale, opens one sale for editing (mRemoteEdit), or records a sale made
// outside the site (mRemotePrivate, caption "Add Non-Auction"). The checks
// are SaleRules, the writing SaleWriter; the window gathers and shows.

#include "RecordEditor.h"

#include <QVariant>

#include <array>

class AmountEdit;
class NullableDateEdit;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;

class frmAuction : public RecordEditor {
    Q_OBJECT
    Q_PROPERTY(bool mRemoteEdit MEMBER mRemoteEdit)
    Q_PROPERTY(bool mRemotePrivate MEMBER mRemotePrivate)

public:
    explicit frmAuction(QWidget* parent = nullptr);
    ~frmAuction() override;

    bool mRemoteEdit = false;
    bool mRemotePrivate = false;

    void Form_Activate() override;
    bool SaveRecord() override;
    void DeleteRecord() override;
    void cmdAdd_Click() override;
    // Refills the item, buyer and payment-method lists (keepText: each keeps
    // its text); without keepText the task step list too.
    void RefreshCombos(bool keepText);
    bool ValidateAuction();
    // The ">>" buttons: 0 item, 1 buyer, 2 payment method.
    void cmdForm_Click(int index);

    // The change handlers, also the tests' way in.
    void cboActionId_Click();
    void cboItemId_Click();
    void cboCustomerId_Click();
    void cboPayId_Click();
    void datePaid_Change();
    void dateSent_Change();

    // ---- what tests look at ----
    QLineEdit* title() const { return txtDescription; }
    QComboBox* items() const { return cboItemId; }
    QComboBox* steps() const { return cboActionId; }
    NullableDateEdit* nextAction() const { return dateNextAction; }
    QDateEdit* start() const { return dateStart; }
    QComboBox* buyer() const { return cboCustomerId; }
    QLineEdit* email() const { return txtEmail; }
    QLineEdit* name() const { return txtName; }
    QPlainTextEdit* address() const { return txtAddress; }
    AmountEdit* amount(int i) const { return numTotal[i]; }
    QComboBox* payMethods() const { return cboPayId; }
    NullableDateEdit* paid() const { return datePaid; }
    NullableDateEdit* sent() const { return dateSent; }
    QLineEdit* tracking() const { return txtTrackingNumber; }
    QPlainTextEdit* notes() const { return txtNotes; }
    QTabWidget* tabs() const { return ssTab; }
    // The step shown (list index + 1; 0 for none).
    int step() const;
    void setStep(int step);

protected:
    void clearFields() override;
    void showRecord(const Recordset& rs) override;
    void writeRecord(Recordset& rs) override;
    bool validateMore() override;
    void afterLoad() override;
    void modeApplied() override;

private:
    bool nonAuction() const;
    void recomputeTotal();
    void rememberShown();
    QString addressText() const;
    void txtAddress_Change();
    // A payment or dispatch date ticked on an unpaid or unshipped sale sets the
    // step and due date and locks them; untick puts back what was shown.
    void lockStep(const QDate& due, int step);
    void restoreStep();

    QLineEdit* txtDescription;
    QComboBox* cboItemId;
    QTabWidget* ssTab;
    QDateEdit* dateStart;
    QComboBox* cboActionId;
    NullableDateEdit* dateNextAction;
    QComboBox* cboDays;
    QComboBox* cboCustomerId;
    QLineEdit* txtEmail;
    QPlainTextEdit* txtAddress;
    QLineEdit* txtName;
    std::array<AmountEdit*, 5> numTotal{};
    QComboBox* cboPayId;
    NullableDateEdit* datePaid;
    NullableDateEdit* dateSent;
    QLineEdit* txtTrackingNumber;
    QPlainTextEdit* txtNotes;

    bool mHandlers = false;  // the change-handler switch: off while the loader fills the fields
    double mLoadedStart = 0;         // the loaded start, time included
    QVariant mPaid, mSent, mNextAction;  // as last loaded or cleared
    int mStep = 1;
};
