#pragma once
// The shape the three task dialogs (auction ended, paid, sent) share: the
// caller sets mAuctionId; the dialog loads the sale when it is first shown and
// takes its caption from it; Update validates, writes the buyer row and the
// sale row, then completes the step; Cancel (or the frame's close) writes
// nothing. It opens with the caret in its first field to type into, Tab goes
// through the fields before the buttons, and Enter is Update.

#include "SaleTasks.h"

#include <QDialog>
#include <QString>
#include <QVariant>

#include <functional>

class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class Recordset;

class TaskDialog : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString mAuctionId MEMBER mAuctionId)

public:
    QString mAuctionId;

    virtual void Form_Load() = 0;
    virtual void cmdUpdate_Click() = 0;
    void cmdCancel_Click() { reject(); }

    QPushButton* updateButton() const { return cmdUpdate; }

    // An address box's text as stored (CR LF line ends), and back.
    static QString addressText(const QPlainTextEdit* box);
    static void setAddressText(QPlainTextEdit* box, const QString& text);

protected:
    TaskDialog(const char* name, const QString& caption, QWidget* parent);

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The grid the dialog lays its fields out in (caption, field, button).
    QGridLayout* fields() const { return m_fields; }
    // A ">>" button that opens an editor.
    QToolButton* formButton(const char* name, const QString& tip, std::function<void()> click);
    // A one-line box; maxLength limits typing only (0: no limit), so a stored value shows whole.
    QLineEdit* lineBox(const char* name, int maxLength = 0, bool readOnly = false);
    // The multi-line delivery address box, with the first-line rule filling nameBox.
    QPlainTextEdit* addressBox(QLineEdit* nameBox);
    // Opens a record editor modally at a code.
    void openEditor(const QString& form, const QString& code);
    // "<verb>: <AuctionId> - <Description>" from the sale's row.
    void setSaleCaption(const QString& verb, const Recordset& rs);
    void inform(const QString& text);
    // The sale's columns with its buyer's CustomerId, Name and Address (Null
    // when the buyer is not on file); false when there is no such sale. A sale
    // without its buyer still shows its own fields, so that Update does not
    // store empty boxes over them.
    bool openSaleWithBuyer(const QString& columns, Recordset* rs);
    // The buyer of that row: the id, the name, and the address on file when
    // the delivery box is empty (in that order, for the first-line rule).
    static void showBuyer(const Recordset& rs, QLineEdit* id, QLineEdit* name, QPlainTextEdit* address);
    // An empty box stores Null.
    static QVariant textOrNull(const QString& text);
    // Writes the buyer and the sale's own fields; false when the sale was not
    // saved (said), so the step must not move.
    bool saveSale(const AddressRules::BuyerPlan& buyer, const SaleTasks::Columns& columns);

    QPushButton* cmdUpdate;
    QPushButton* cmdCancel;

private:
    QGridLayout* m_fields;
    bool m_loaded = false;
};
