#pragma once
// Undo the newest task of all sales, or of the sale selected in the main window.

#include <QDialog>

class QLabel;
class QPushButton;

class frmUndo : public QDialog {
    Q_OBJECT
public:
    explicit frmUndo(QWidget* parent = nullptr);

    // Shows the dialog unless there is nothing to offer.
    int exec() override;
    // Fills the two offers; false when the dialog has nothing to show.
    bool Form_Activate();

    QLabel* lblUndoLast;
    QPushButton* cmdUndoLast;
    QLabel* lblUndoSelected;
    QPushButton* cmdUndoSelected;
    QPushButton* cmdCancel;

    // What a row's offer says.
    static QString RowDescription();

private:
    void undo(QPushButton* button);
};
