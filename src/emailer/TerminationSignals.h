#pragma once
// SIGTERM, SIGINT and SIGHUP (log-out, shut-down, Ctrl+C) delivered as a Qt
// signal from the event loop, so that the program ends through its own
// clean-up instead of dying where it stands. The handler itself only writes
// the signal's number to a pipe; a QSocketNotifier reads it. One watcher at a
// time; its end gives the signals back their default handling.

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Whether the handlers are in place (the pipe could be made).
    bool isWatching() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
