#pragma once
// The e-mail template editor ("Email templates"): the templates buyers'
// e-mails are made from, one per item and kind (custom e-mails apart), with a
// list of codes that a double-click puts at the caret of the subject or the
// message, and a preview for a sample sale. The standard templates of the
// default item are neither deleted nor moved. The rules are
// EmailTemplateRules; the window shows and gathers.

#include "records/RecordEditor.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;

class frmEmail : public RecordEditor {
    Q_OBJECT
public:
    explicit frmEmail(QWidget* parent = nullptr);

    static QString Section();

    void Form_Activate() override;
    void DeleteRecord() override;
    // Refills the item list (KeepItem: the item shown stays chosen); without
    // KeepItem the action list too, neither then having a choice.
    void FillTemplateCombos(bool KeepItem);
    bool ValidateEmailTemplate();

    // A double-click on a row of the code list: its code goes in at the caret
    // of the box that last had the focus.
    void listCode_DblClick(int row);
    void cmdForm_Click();
    void cmdPreview_Click();
    void done(int result) override;

    // ---- what tests drive and look at ----
    QComboBox* items() const { return cboItem; }
    QComboBox* actions() const { return cboAction; }
    QLineEdit* subject() const { return txtSubject; }
    QPlainTextEdit* message() const { return txtMessage; }
    QListWidget* codeList() const { return listCode; }
    QPushButton* previewButton() const { return cmdPreview; }
    // The kind chosen in the action list; 0 for none.
    int chosenKind() const;
    void setKind(int kind);
    // The box a double-click on the code list writes into.
    QWidget* insertionTarget() const { return m_target; }

protected:
    void clearFields() override;
    void showRecord(const Recordset& rs) override;
    void writeRecord(Recordset& rs) override;
    bool validateMore() override;
    bool inUse(const QString& code, bool* failed) override;
    void afterSave() override;
    void modeApplied() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void txtMessage_Change();
    void restoreSize();

    QComboBox* cboItem;
    QToolButton* cmdForm;
    QComboBox* cboAction;
    QTabWidget* tabDetails;
    QLineEdit* txtSubject;
    QPlainTextEdit* txtMessage;
    QListWidget* listCode;
    QPushButton* cmdPreview;
    QWidget* m_target;
    // Where the subject's caret or selection began when it lost the focus: a
    // line box drops its selection then, yet the code goes in before it.
    int m_subjectStart = 0;
    // The item and kind of the template last shown: its protection holds
    // while it is edited, whatever the lists can show.
    QString m_shownItem;
    int m_shownKind = 0;
};
