#pragma once
// How the record editors and the task dialogs lay out and tidy their fields.

#include <Qt>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QString;
class QWidget;

class FieldRows {
public:
    // A row of a grid: the caption's label (tagged "D", so it greys while an
    // editor browses) and the field, with a button beside it when one is given.
    static QLabel* addRow(QGridLayout* grid, int row, const QString& caption, QWidget* field, QWidget* beside = nullptr,
                          Qt::Alignment fieldAlignment = {});

    // An e-mail field that keeps only the address of what is typed or pasted
    // into it ("mailto:" and "Name <address>" are reduced).
    static void keepAddressOnly(QLineEdit* box);

    // Refills a list with the first column of sql, in order, its signals
    // blocked. keepText: an editable box keeps its text, a pick-only one the
    // entry it showed (none when that is gone); otherwise nothing is chosen.
    static void FillCombo(QComboBox* box, const QString& sql, bool keepText);
};
