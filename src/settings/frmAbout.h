#pragma once
// The About box: the program and database versions, the open database and
// the installation folder.

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    void Form_Load();

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDatabase;
    QLabel* lblDisclaimer;
    QPushButton* cmdOK;
};
