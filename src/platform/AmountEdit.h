#pragma once
// An amount field: its text is selected when it takes the focus, and on
// leaving an amount is shown with two decimals and grouping (an emptied field
// as 0.00). It reads its text with the one amount reader, by its leading
// number ("12abc" is 12); a text that holds no amount stays as typed, for the
// window to refuse when it saves.

#include <QLineEdit>

class AmountEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit AmountEdit(QWidget* parent = nullptr);

    // The amount; 0 when the field is empty or holds none.
    double value() const;
    void setValue(double value);
    // Whether the text is an amount or empty (which is 0).
    bool holdsAmount() const;
    // Rewrites the text as on leaving the field.
    void tidy();

signals:
    // The field was left (after tidy).
    void left();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
