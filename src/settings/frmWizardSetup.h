#pragma once
// The first-run setup wizard: the TradeMe login (tested at once), e-mail
// details and a series of questions from which it builds the task chains.
// Nothing is written before its last page.

#include "SetupAnswers.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTimer;
class QWidget;

class frmWizardSetup : public QDialog {
    Q_OBJECT
    Q_PROPERTY(bool FirstRun MEMBER FirstRun)
public:
    explicit frmWizardSetup(QWidget* parent = nullptr);

    bool FirstRun = false;
    int CurrentStep = 0;
    SetupAnswers Answers;

    static QString WizardTitle() { return QStringLiteral("Vendaro Setup"); }
    static QString DefaultSignature();

    void Form_Load();
    void Form_Activate();
    void ShowStep(int step);
    bool ValidateStep();
    bool TestTradeMeLogin();
    void LoadSetupDefaults();
    // Writes the settings and chains, then reopens the database; false when
    // the seller should stay where they are.
    bool SaveSetup();

    void cmdExit_Click();
    void cmdBack_Click();
    void cmdNext_Click();
    void cmdYes_Click();
    void cmdNo_Click();
    void txtFeedbackComments_LostFocus();

    // The answers' day fields read into Answers.
    void ReadFields();

    QLabel* lblVendaro;
    QLabel* picVendaro;
    QStackedWidget* picStep;
    std::array<QWidget*, 25> pages{};
    QWidget* picNav;
    QWidget* picYesNo;
    QPushButton* cmdBack;
    QPushButton* cmdNext;
    QPushButton* cmdYes;
    QPushButton* cmdNo;
    QPushButton* cmdExit;
    QLineEdit* txtTradeMeUserId;
    QLineEdit* txtTradeMeEmail;
    QLineEdit* txtTradeMePassword;
    QLineEdit* txtEmailCC;
    QPlainTextEdit* txtEmailSignature;
    std::array<QLineEdit*, 4> txtReminder{};  // 1-3
    QLineEdit* txtBankName;
    QLineEdit* txtBankNumber;
    QLineEdit* txtRequestRefund;
    QLineEdit* txtNegativeFeedback;
    QLineEdit* txtFeedbackDays;
    QPlainTextEdit* txtFeedbackComments;
    QLineEdit* txtThankyouDays;
    QLineEdit* txtOfferLength;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Esc asks like the close box.
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPages();
    // Goes to a page; arriving at the last one saves first.
    void GoTo(int step);
    void answer(bool yes);
    bool ConfirmExit();
    void RestoreLogin();

    QTimer* Timer1;
    bool mActivated = false;
    bool mSaved = false;
    bool mClosing = false;  // closing for good: no question
    // The login values the program had before the login test changed them.
    QString mUserId, mEmail, mPassword, mMemberId;
};
