#pragma once
// The options dialog: the seller's settings of the open database and the two
// task chains, saved together by OK or Apply.

#include "TaskChain.h"

#include <QColor>
#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class frmConfig : public QDialog {
    Q_OBJECT
public:
    explicit frmConfig(QWidget* parent = nullptr);

    enum Tab { General = 0, TradeMe = 1, Email = 2, TasksPre = 3, TasksPost = 4, Feedback = 5, Notes = 6 };

    void Form_Load();
    // Checks and writes everything; true when it ran to the end.
    bool SaveConfiguration();
    void cmdUpdate_Click();
    void cmdApply_Click();
    void cmdCancel_Click();
    void cmdColor_Click();

    // Field rules; each returns false when it kept the focus in its field.
    bool txtTradeMeEmail_LostFocus();
    void txtEmailFrom_GotFocus();
    void txtFeedback_LostFocus();
    bool txtEmailWrap_Validate();
    void numNextAuctionNumber_Validate();
    void numNextAuctionNumberStep_Validate();
    void txtDays_LostFocus(int step);

    // The task chain rows.
    void FillNextActionList(int step);
    void RefreshActionVisibility();
    bool CheckTaskLoops();
    // The step each row's choice names (0 for none), as the loop check walks them.
    TaskChain::Choices Choices() const;

    QColor color() const { return mColor; }

    QTabWidget* tabDetails;
    QLineEdit* txtDatabaseDesc;
    QComboBox* cboDefault;
    QLineEdit* numNextAuctionNumber;
    QLineEdit* numNextAuctionNumberStep;
    QCheckBox* chkShowGrid;
    QCheckBox* chkDefaultList;
    QLabel* picColor;
    QPushButton* cmdColor;
    QLineEdit* txtTradeMeUserId;
    QLineEdit* txtTradeMePassword;
    QLineEdit* txtTradeMeEmail;
    QLineEdit* txtBankAccountName;
    QLineEdit* txtBankAccountNumber;
    QCheckBox* chkOfferSold;
    QCheckBox* chkOfferUnsold;
    QComboBox* cboDefaultFPOdays;
    QCheckBox* chkRelistUnsold;
    QLineEdit* txtEmailFrom;
    QLineEdit* txtEmailCC;
    QPlainTextEdit* txtEmailSignature;
    QLineEdit* txtEmailWrap;
    QLineEdit* txtEmailSMTP;
    QLineEdit* txtEmailUserId;
    QLineEdit* txtEmailPassword;
    QPlainTextEdit* txtFeedback;
    QPlainTextEdit* txtNotes;
    std::array<QLabel*, 16> lblActions{};        // 1-15
    std::array<QComboBox*, 15> cboNextAction{};  // 1-14
    std::array<QLineEdit*, 15> txtDays{};        // 1-14
    QPushButton* cmdUpdate;
    QPushButton* cmdApply;
    QPushButton* cmdCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildGeneral();
    QWidget* buildTradeMe();
    QWidget* buildEmail();
    QWidget* buildTasks(const QList<int>& rows, const QString& nextHeading, const QString& note);
    QWidget* buildText(QPlainTextEdit*& edit, const QString& name, const QString& caption, const QString& note);
    void setColor(const QColor& color);
    // A tab's page in a scroll area, so the dialog fits a small screen.
    static QWidget* scrolling(QWidget* page);
    void tabDetails_Click(int tab);
    // Puts the focus back in a field after its rule refused the text.
    void refocus(QWidget* field);
    QString title() const;

    QColor mColor;
    bool mInRule = false;  // a rule's message is up: focus changes are its own
};
