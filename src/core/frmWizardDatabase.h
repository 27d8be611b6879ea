#pragma once
// Gives the program a database when it has none: creates one from the
// template data.mdb, or opens an existing one, then hands over to the setup
// wizard or the main window.

#include <QDialog>

class Connection;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTimer;

class frmWizardDatabase : public QDialog {
    Q_OBJECT
    Q_PROPERTY(bool FirstRun MEMBER FirstRun)
public:
    explicit frmWizardDatabase(QWidget* parent = nullptr);

    bool FirstRun = false;

    bool CreateDatabase(const QString& DatabasePath, const QString& DatabaseName);
    bool InitialiseConfiguration();

    // What the wizard does when it opens.
    void Form_Activate();
    void ShowStep(int step);
    int currentStep() const;

    void cmdNew_Click();
    void cmdExists_Click();
    void cmdOK_Click();
    void cmdBrowse_Click();
    void cmdExit_Click();

    QLineEdit* txtDatabaseName;
    QLineEdit* txtDatabaseDesc;
    QLineEdit* txtDatabasePath;
    QPushButton* cmdNew;
    QPushButton* cmdExists;
    QPushButton* cmdBrowse;
    QPushButton* cmdOK;
    QPushButton* cmdExit;

    static QString Title() { return QStringLiteral("Vendaro Database Setup"); }
    // A typed location as a folder: blanks around it dropped, "~" the home folder.
    static QString ExpandLocation(const QString& location);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Writes the start date and description into a database's Configuration
    // row; false (and why) when it cannot, or there is no row.
    static bool WriteConfiguration(Connection& connection, double startDate, const QString& desc, QString* error);
    // Asks for a database file; "" when cancelled.
    QString BrowseDatabase(bool save);
    void StartSetupWizard();

    QStackedWidget* picStep;
    QLabel* picVendaro;
    QTimer* Timer1;
    bool mActivated = false;
};
