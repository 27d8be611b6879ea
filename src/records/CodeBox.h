#pragma once
// An editor's code box: a combo box used as a text field whose own list stays
// empty; its drop-down button calls up the editor's lookup list instead.

#include <QComboBox>

class CodeBox : public QComboBox {
    Q_OBJECT
public:
    explicit CodeBox(QWidget* parent = nullptr);

    QString text() const { return currentText(); }
    void setText(const QString& text);

    void showPopup() override { emit dropDown(); }

signals:
    void dropDown();
};
