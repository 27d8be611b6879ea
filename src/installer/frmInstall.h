#pragma once
// The installer's one window: the status line lblInfo and the progress bar
// pBar over an InstallRun. Its run begins from the show event through a
// queued call (tests call Activate directly); a close goes through the run,
// which may abort the download or refuse.

#include <QWidget>

class InstallRun;
class QLabel;
class QProgressBar;

class frmInstall : public QWidget {
    Q_OBJECT
public:
    explicit frmInstall(const QString& folder, QWidget* parent = nullptr);

    InstallRun& run() { return *m_run; }
    // Form_Activate: the whole run, once.
    void Activate();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    InstallRun* m_run;
    QLabel* lblInfo;
    QProgressBar* pBar;
    bool m_activated = false;
};
