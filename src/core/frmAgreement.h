#pragma once
// The licence agreement of the first run: Next only once it is accepted, and
// every way of closing asks for confirmation.

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

class frmAgreement : public QDialog {
    Q_OBJECT
    Q_PROPERTY(bool Agreed MEMBER Agreed)
public:
    explicit frmAgreement(QWidget* parent = nullptr);

    bool Agreed = false;

    QPlainTextEdit* txtAgreement;
    QCheckBox* chkAccept;
    QPushButton* cmdNext;
    QPushButton* cmdCancel;

    static QString AgreementText();

protected:
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The confirmations of closing; false keeps the window open.
    bool Form_Unload();
};
