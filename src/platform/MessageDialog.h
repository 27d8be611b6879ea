#pragma once
// The message box of the message service: an icon, the text and a row of
// standard buttons, as QMessageBox shows them, except that it never grows
// past the screen: a text too long for it (a whole e-mail quoted in a
// question) scrolls, and the buttons stay in reach.

#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>

class QLabel;
class QTextEdit;

class MessageDialog : public QDialog {
    Q_OBJECT
public:
    explicit MessageDialog(QWidget* parent = nullptr);

    void setText(const QString& text);  // shown as plain text
    QString text() const;
    void setIcon(QMessageBox::Icon icon);
    QMessageBox::Icon icon() const { return m_icon; }

    void setStandardButtons(QDialogButtonBox::StandardButtons buttons);
    void setDefaultButton(QDialogButtonBox::StandardButton button);
    QDialogButtonBox::StandardButton defaultButton() const;
    QPushButton* button(QDialogButtonBox::StandardButton which) const;
    QList<QAbstractButton*> buttons() const;
    // The button pressed; NoButton when the box was closed by Esc or its close box.
    QDialogButtonBox::StandardButton clickedButton() const { return m_clicked; }

    // The text's box, and whether the text is longer than it (it then scrolls).
    QTextEdit* textArea() const { return m_text; }
    bool textScrolls() const;

    // Sizes the box to its text within the available area of its screen; done on show.
    void fitToScreen();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_iconLabel;
    QTextEdit* m_text;
    QDialogButtonBox* m_buttons;
    QMessageBox::Icon m_icon = QMessageBox::NoIcon;
    QDialogButtonBox::StandardButton m_clicked = QDialogButtonBox::NoButton;
};
