#pragma once
// The payment methods a buyer can pay by: a code of up to 10 characters and
// a description. Refills its lookup list at every activation.

#include "RecordEditor.h"

class QLineEdit;

class frmPayMethod : public RecordEditor {
    Q_OBJECT
public:
    explicit frmPayMethod(QWidget* parent = nullptr);

    QLineEdit* description() const { return txtDescription; }

protected:
    void clearFields() override;
    void showRecord(const Recordset& rs) override;
    void writeRecord(Recordset& rs) override;

private:
    QLineEdit* txtDescription;
};
