#pragma once
// "Leave feedback": positive feedback for one sale's buyer, left on the site
// through a hidden browser, after which the sale's feedback task is
// completed. Opened from the bulk feedback window ("Change feedback comment",
// mRemoteFeedbackMultiple True) it only hands back the chosen comment
// (Comment, with mRemoteFeedbackMultiple cleared) and nothing goes to the site.

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class WebBrowser;

class frmFeedbackSingle : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString mRemoteId MEMBER mRemoteId)
    Q_PROPERTY(bool mRemoteFeedbackMultiple MEMBER mRemoteFeedbackMultiple)
    Q_PROPERTY(QString Comment READ Comment)

public:
    explicit frmFeedbackSingle(QWidget* parent = nullptr);

    QString mRemoteId;
    bool mRemoteFeedbackMultiple = false;
    // The comment the seller confirmed (change-comment mode).
    QString Comment() const { return m_comment; }

    void Form_Activate();
    void optFeedback_Click(int index);
    void cmdOK_Click();
    void cmdCancel_Click();
    void done(int result) override;

    // ---- what tests look at ----
    QComboBox* standardComments() const { return cboFeedback; }
    QPlainTextEdit* customComment() const { return txtFeedback; }
    QRadioButton* option(int index) const { return optFeedback[index]; }
    QLineEdit* auction() const { return txtAuction; }
    QLineEdit* buyer() const { return txtBuyerId; }
    QLineEdit* description() const { return txtDescription; }
    QPushButton* okButton() const { return cmdOK; }
    QPushButton* cancelButton() const { return cmdCancel; }
    int step() const { return m_step; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createBrowser();
    void web_DocumentComplete();
    // While the site steps run the comment and OK are fixed: a second OK
    // would start the steps again over the placement in progress.
    void setPlacing(bool placing);

    QLineEdit* txtAuction;
    QLineEdit* txtDescription;
    QLineEdit* txtBuyerId;
    QRadioButton* optFeedback[2];
    QComboBox* cboFeedback;
    QPlainTextEdit* txtFeedback;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    WebBrowser* web = nullptr;  // made when feedback is left

    QString m_auctionType;  // txtAuction's Tag
    QString m_comment;
    bool m_activated = false;
    int m_step = 0;
};
