#pragma once
// One run of the installer, without its window: the single-instance check, the
// hand-over order, the download of the package from the maker's downloads
// folder, the checked unpacking of every file files.info lists, the
// completion message and the restart of the main program, and the clean-up.
// It runs step by step from the event loop (no nested loops besides message
// boxes), so a close request is answered at any moment: a download is
// aborted; during the unpacking the seller is asked, and a Yes leaves the
// installation as it was (nothing is replaced until every file is unpacked).

#include "HandOver.h"
#include "PackageInstaller.h"
#include "ProgressPacer.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class SingleInstance;

class InstallRun : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Downloading, Extracting, Finishing, Finished };
    using Starter = std::function<bool(const QString& program, const QString& folder)>;

    static constexpr const char* Title = "Vendaro";
    static constexpr const char* InstanceName = "VendaroInstaller";
    // The whole download must end within this; silence ends it sooner.
    static constexpr int DefaultTimeoutMs = 30 * 60 * 1000;
    static constexpr int DefaultStallTimeoutMs = 60 * 1000;
    static constexpr qint64 MaxPackageBytes = 512LL * 1024 * 1024;

    // folder: the program folder, where the package is saved and unpacked and
    // whose main program is started again. Reads the hand-over (Form_Load).
    explicit InstallRun(const QString& folder, QObject* parent = nullptr);
    ~InstallRun() override;

    const HandOver& order() const { return m_order; }
    // "Vendaro Installation" for an install, "Vendaro Update" for anything else.
    QString caption() const;
    QString status() const { return m_status; }
    State state() const { return m_state; }
    bool extracting() const { return m_state == State::Extracting; }
    bool closing() const { return m_closing; }
    bool secondInstance() const { return m_secondInstance; }
    ProgressPacer& pacer() { return m_pacer; }
    QString folder() const { return m_folder; }
    QString packagePath() const;
    QString downloadUrl() const;

    void setTimeouts(int timeoutMs, int stallTimeoutMs);
    // How the main program is started (tests record it instead).
    void setStarter(Starter starter) { m_starter = std::move(starter); }
    // The main program of a folder; VENDARO_START_PROGRAM names a stand-in (tests).
    static QString MainProgram(const QString& folder);
    static bool StartDetached(const QString& program, const QString& folder);

    // The run (Form_Activate); returns at once, the run goes on from the event loop.
    void Begin();
    // A close of the window was asked for (Form_Unload); true when it may close now.
    bool RequestClose();

    // What the seller sees (exact texts).
    static QString DownloadFailedMessage();
    static QString ExtractFailedMessage(const QString& reason);
    static QString CancelQuestion();

signals:
    void statusChanged(const QString& status);
    // The run is over: the window closes.
    void finished();

private:
    void setStatus(const QString& status);
    void downloaded(bool ok, const QByteArray& data, const QString& error);
    void startExtraction();
    void extractNext();
    void extractFailed();
    void completed();
    void finish();
    void DeleteDownloadFiles();
    int ShowMessage(const QString& message, int style);

    QString m_folder;
    HandOver m_order;
    State m_state = State::Idle;
    QString m_status = QStringLiteral("Please wait");
    bool m_closing = false;
    bool m_secondInstance = false;
    bool m_asking = false;
    bool m_stepWaiting = false;
    bool m_begun = false;
    int m_timeoutMs = DefaultTimeoutMs;
    int m_stallTimeoutMs = DefaultStallTimeoutMs;
    ProgressPacer m_pacer;
    std::unique_ptr<SingleInstance> m_instance;
    QPointer<QObject> m_transfer;  // the download's context: deleting it aborts the download
    PackageInstaller m_package;
    Starter m_starter;
};
