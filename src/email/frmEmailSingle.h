#pragma once
// The "Send email" dialog: one e-mail to a sale's buyer, made from the
// template of a task step, edited by the seller, queued for the Emailer and,
// when the opener asks, the sale's current task completed.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class frmEmailSingle : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString mRemoteAuctionId MEMBER mRemoteAuctionId)
    Q_PROPERTY(int mRemoteActionId MEMBER mRemoteActionId)
    Q_PROPERTY(QString mRemoteItemId MEMBER mRemoteItemId)
    Q_PROPERTY(QString mRemoteEmailId MEMBER mRemoteEmailId)
    Q_PROPERTY(bool mRemoteUpdateNextAction MEMBER mRemoteUpdateNextAction)

public:
    explicit frmEmailSingle(QWidget* parent = nullptr);

    QString mRemoteAuctionId;
    int mRemoteActionId = 0;
    QString mRemoteItemId;
    QString mRemoteEmailId;
    bool mRemoteUpdateNextAction = false;

    void Form_Load();
    void cmdSend_Click();
    void cmdCancel_Click() { reject(); }
    bool ValidateFields();
    void done(int result) override;

    static QString Section();

    // ---- what tests look at ----
    QLineEdit* from() const { return txtEmailFrom; }
    QLineEdit* to() const { return txtEmailTo; }
    QLineEdit* cc() const { return txtEmailCC; }
    QLineEdit* subject() const { return txtEmailSubject; }
    QPlainTextEdit* message() const { return txtEmailMessage; }
    QPushButton* sendButton() const { return cmdSend; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setSending(bool sending);

    QLineEdit* txtEmailFrom;
    QLineEdit* txtEmailTo;
    QLineEdit* txtEmailCC;
    QLineEdit* txtEmailSubject;
    QPlainTextEdit* txtEmailMessage;
    QPushButton* cmdSend;
    QPushButton* cmdCancel;
    QLabel* lblWaitMessage;
    bool mLoaded = false;
};
