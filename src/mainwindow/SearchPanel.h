#pragma once
// The search panel of the main window: while it is shown, the list is a
// search built from its fields, and every change of a field searches again.

#include "platform/db/SqlCondition.h"

#include <QWidget>

class NullableDateEdit;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QToolButton;

class SearchPanel : public QWidget {
    Q_OBJECT
public:
    explicit SearchPanel(QWidget* parent = nullptr);

    static constexpr int DateCount = 8;
    static constexpr int TextCount = 9;
    NullableDateEdit* dateSearch[DateCount] = {};
    QComboBox* cboSearch[2] = {};
    QLineEdit* txtSearch[TextCount] = {};
    QRadioButton* optSearch[3] = {};
    QCheckBox* chkSearch[1] = {};
    QLabel* txtSearchMessage;
    QToolButton* tbSearch[3] = {};
    QToolButton* cmdSearchClose;
    QToolButton* cmdSearchClear;

    // The condition that follows "WHERE " (no trailing "AND "), with its values.
    SqlCondition BuildCondition();
    // Empties every field (dates unchecked, combos and texts empty, the relist box cleared).
    void ClearFields();
    // Shows page 1-3 (the options stay below it).
    void ShowPage(int page);
    int currentPage() const;
    // Sets the message of the clipboard search; found in grey, not found in red.
    void SetMessage(const QString& text, bool found);

signals:
    // A field changed: the list searches again.
    void changed();
    void pageChosen(int page);
    void closeRequested();
    void clearRequested();

private:
    QStackedWidget* pages;
};
