#pragma once
// An amount field: its text is selected when it takes the focus, and on
// leaving an amount is shown with two decimals and grouping, anything else as
// "0". value() reads it with the one amount reader.

#include <QLineEdit>

class AmountEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit AmountEdit(QWidget* parent = nullptr);

    double value() const;
    void setValue(double value);
    // Rewrites the text as on leaving the field.
    void tidy();

signals:
    // The field was left (after tidy).
    void left();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
