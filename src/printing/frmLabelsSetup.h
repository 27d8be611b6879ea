#pragma once
// "Labels Setup": the label sheet's margins, label size, labels across and
// down and the font, read from and saved to the settings row. OK and Test
// print refuse measures no sheet can have and rows that overrun the page; a
// save that fails keeps the dialog open, and Test print then prints nothing.

#include "LabelLayout.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class SpinButtons;

class frmLabelsSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmLabelsSetup(QWidget* parent = nullptr);

    static constexpr int FieldCount = 9;
    QLineEdit* numValue(int index) const { return m_fields.at(size_t(index)); }
    SpinButtons* UpDown(int index) const { return m_spinners.at(size_t(index)); }
    QComboBox* fontBox() const { return cboFont; }

    void cmdOK_Click();
    void cmdTest_Click();
    // The spinner of a field was clicked (+1 up, -1 down).
    void UpDown_Change(int index, int step);
    // The focus left a field.
    void numValue_Validate(int index);
    // Whether the rows fit the page's height (says why not).
    bool CheckLabelsFitPage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    // Every field as leaving it would show it; false (said) when a measure cannot be printed.
    bool CheckFields();
    LabelLayout shownLayout() const;
    bool SaveLabelSetup();

    std::array<QLineEdit*, FieldCount> m_fields{};
    std::array<SpinButtons*, FieldCount> m_spinners{};
    QComboBox* cboFont;
    QPushButton* cmdTest;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
