#pragma once
// "Relist Exclusions": the stocked items the listing limits kept out of the
// relist queue, with why. The seller can open an item or its newest auction
// on the site, and force an item back into the queue. The relist window opens
// it through the forms registry:
//     showModal("frmRelistExcluded", {{"rstExcluded", QVariant::fromValue(rows)}, {"IgnoreExcluded", codes}})
// and reads "IgnoreExcluded" back from the result: the forced item codes, each
// as "[" + code + "]", appended to the text it was given.

#include "RelistExclusion.h"

#include <QDialog>

class QMenu;
class QPushButton;
class QStandardItemModel;
class QStatusBar;
class QTreeView;

class frmRelistExcluded : public QDialog {
    Q_OBJECT
    Q_PROPERTY(RelistExclusions rstExcluded READ exclusions WRITE setExclusions)
    Q_PROPERTY(QString IgnoreExcluded MEMBER IgnoreExcluded)
public:
    explicit frmRelistExcluded(QWidget* parent = nullptr);

    // Public variables, set before the window shows. The rows are only read.
    RelistExclusions rstExcluded;
    QString IgnoreExcluded;
    RelistExclusions exclusions() const { return rstExcluded; }
    void setExclusions(const RelistExclusions& rows) { rstExcluded = rows; }

    // Fills the list and sets the column widths; the first show runs it.
    void Form_Load();
    // A right-button release at pos (list viewport coordinates): shows the
    // popup when the list has rows and pos lies on the selected row; true
    // when it did.
    bool list_MouseUp(const QPoint& pos);

    void mnuPopupItem_Click();
    void mnuPopupBrowser_Click();
    void mnuRelist_Click();

    // The parts tests look at.
    QTreeView* list() const { return m_list; }
    QStandardItemModel* model() const { return m_model; }
    QMenu* popup() const { return mnuPopup; }
    int selectedRow() const;  // -1 for none

    // The designed column widths, in twips.
    static constexpr int DesignedWidths[4] = {1300, 3800, 1500, 3800};

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeView* m_list;
    QStandardItemModel* m_model;
    QPushButton* cmdOK;
    QStatusBar* StatusBar;
    QMenu* mnuPopup;
    bool m_loaded = false;
};
