#pragma once
// The program's own message window for hints the seller may switch off:
// "don't show this again" is remembered per database and per message.

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;

class frmMessageBox : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString Message MEMBER Message)
    Q_PROPERTY(int MessageType MEMBER MessageType)
    Q_PROPERTY(bool ShowAgainVisible MEMBER ShowAgainVisible)
    Q_PROPERTY(bool ShowOnceOnly MEMBER ShowOnceOnly)
    Q_PROPERTY(QString formTitle MEMBER formTitle)

public:
    explicit frmMessageBox(QWidget* parent = nullptr);

    QString Message;
    int MessageType = 0;          // 48 warning, 64 information, 32 question, 16 critical
    bool ShowAgainVisible = false;
    bool ShowOnceOnly = false;
    QString formTitle;

    // Shows the message unless it was switched off for the open database.
    int exec() override;
    // Fills and lays out the window; false when the message is switched off.
    bool Form_Load();
    // Whether a message is switched off for the open database.
    static bool IsSwitchedOff(const QString& message);

    QLabel* lblMessage;
    QScrollArea* scrMessage;  // shows the label; a text taller than the window scrolls in it
    QLabel* picImage;
    QCheckBox* chkDontShowAgain;
    QWidget* picOptions;
    QPushButton* cmdOK;

private:
    void cmdOK_Click();
};
