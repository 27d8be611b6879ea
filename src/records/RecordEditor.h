#pragma once
// The shape every single-table editor shares (buyers, payment methods, sales,
// e-mail templates, items): a code box with a lookup list of all codes, Add,
// Edit, Delete, Update and Cancel, three modes, and per-field flags in each
// control's "Tag" (FieldTag). The base reads, checks, writes and deletes the
// row; an editor names its table and fills and writes its own fields.

#include <QDialog>
#include <QString>
#include <QStringList>

class CodeBox;
class LookupModel;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class Recordset;

class RecordEditor : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString mRemoteId MEMBER mRemoteId)

public:
    enum Mode { Browse = 0, Adding = 1, Editing = 2, Copying = 99 };

    // What an editor sets when it opens.
    struct Setup {
        QString caption;
        QString table;
        QString key;
        QString description;
        QString descriptionHeader;  // the lookup list's second column
        int keyMaximum = 10;
        QString codeTag;            // "M  Customer Code"
        QString codeLabel;
        bool cutWhileTyping = true;       // else cut when the code box is left, silently
        bool stripTrailingBlanks = false; // of the key written on save
        bool fillEveryActivation = false; // else at the first activation only
        QString deleteSecondLine;         // under "Cannot delete - still in use by auctions"
        // An editor's own lookup statement (the code first, every column shown)
        // and its headers; empty: key and description under "Code" and descriptionHeader.
        QString lookupSql;
        QStringList lookupHeaders;
        int lookupWidth = 4080;   // twips
        int lookupHeight = 2500;
    };

    explicit RecordEditor(const Setup& setup, QWidget* parent = nullptr);
    ~RecordEditor() override;

    // A code the opener sets: the record opens for editing at activation.
    QString mRemoteId;

    int editMode() const { return m_mode; }
    QString heldCode() const { return m_held; }

    // ---- the pattern's operations ----
    void SetEditMode();
    virtual bool Validate();
    void FillLookup();
    virtual bool LoadRecord();
    // Writes the record; false when it stayed in its mode (refused, or the write failed).
    virtual bool SaveRecord();
    virtual void DeleteRecord();

    virtual void cmdAdd_Click();
    virtual void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdUpdate_Click();
    virtual void cmdCancel_Click();

    // ---- what tests drive and look at ----
    CodeBox* codeBox() const { return cboId; }
    QTreeView* lookupList() const { return listLookup; }
    LookupModel& lookup() const { return *m_lookup; }
    QPushButton* button(const QString& name) const;
    // The code box's keys and the window's, as the seller presses them.
    void codeKey(int key);
    void windowKey(int key);
    // Leaving the code box.
    void cboId_LostFocus();
    // A click on a lookup row; a header click.
    void listLookup_Click(int row);
    void listLookup_ColumnClick(int column);
    void cboId_DropDown();
    // The work of an activation: the lookup list, then a remote code opened for editing.
    virtual void Form_Activate();

protected:
    // The editor's own fields: emptied, shown from a row, written to a row.
    virtual void clearFields() = 0;
    virtual void showRecord(const Recordset& rs) = 0;
    // Writes the data columns (not the key) into the row being saved.
    virtual void writeRecord(Recordset& rs) = 0;
    // Checks beyond the mandatory flags.
    virtual bool validateMore() { return true; }
    // Before a save: asks about each stored value an edit would shorten
    // (TypingLimit); false when the seller keeps it, and nothing is written.
    bool ConfirmShortening();
    // After a save is kept, before the editor returns to browsing.
    virtual void afterSave() {}
    // The information message for a code with no record.
    virtual QString notFoundMessage(const QString& code) const;
    // Whether a row of another table still holds the code (sales of a buyer or
    // payment method): such a record is neither deleted nor given another code.
    virtual bool inUse(const QString& code, bool* failed);

    // After the loader has run, in every mode (found or not).
    virtual void afterLoad() {}
    // After SetEditMode has applied the mode to the controls.
    virtual void modeApplied() {}
    void setEditModeValue(int mode) { m_mode = mode; }
    void setHeldCode(const QString& code) { m_held = code; }
    bool activated() const { return m_activated; }
    void setActivated() { m_activated = true; }

    // Names a field and gives it its flags and caption.
    static void tagField(QWidget* field, const char* name, const QString& tag);
    // The grid the editor lays its fields out in, below the code box.
    QGridLayout* fieldsLayout() const { return m_fields; }
    const Setup& setup() const { return m_setup; }

    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    CodeBox* cboId;

private:
    void cboId_Change();
    void step(int direction);
    void placeLookup();
    void hideLookup();
    void selectInLookup(const QString& code);
    // Empties the tagged fields and the code box (browse and add).
    void emptyAll();

    Setup m_setup;
    int m_mode = Browse;
    QString m_held;
    bool m_activated = false;
    bool m_tabOrderSet = false;
    bool m_lostToOwnDialog = false;  // the window went inactive for a message or dialog of its own
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;

    QTreeView* listLookup;
    LookupModel* m_lookup;
    QGridLayout* m_fields;
    QPushButton* cmdAdd;
    QPushButton* cmdEdit;
    QPushButton* cmdDelete;
    QPushButton* cmdUpdate;
    QPushButton* cmdCancel;
};
