#pragma once
// The buyers: their site member name as the code, name, e-mail addresses, the
// bulk-mail opt-out, postal address and a comment. After a save it offers to
// copy the buyer's address into the buyer's active sales.

#include "RecordEditor.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

class frmCustomer : public RecordEditor {
    Q_OBJECT
public:
    explicit frmCustomer(QWidget* parent = nullptr);

    // With UpdateNow false: counts the buyer's active sales (before step 12)
    // whose delivery address is another than the address box's, true when
    // there is one. With UpdateNow true: writes the address into them.
    bool UpdateAuctionAddresses(bool UpdateNow, int& Count);

    // The address box's text with CR LF line ends, as stored.
    QString addressText() const;

    QLineEdit* name() const { return txtName; }
    QLineEdit* email() const { return txtEmail; }
    QLineEdit* emailCC() const { return txtEmailCC; }
    QCheckBox* dontEmail() const { return chkEmail; }
    QPlainTextEdit* address() const { return txtAddress; }
    QLineEdit* comment() const { return txtComment; }

protected:
    void clearFields() override;
    void showRecord(const Recordset& rs) override;
    void writeRecord(Recordset& rs) override;
    void afterSave() override;
    QString notFoundMessage(const QString& code) const override;

private:
    QLineEdit* txtName;
    QLineEdit* txtEmail;
    QLineEdit* txtEmailCC;
    QCheckBox* chkEmail;
    QPlainTextEdit* txtAddress;
    QLineEdit* txtComment;
};
