#pragma once
// The lines a child program of a kill test prints to say where it is
// ("ready", "done", ...), waited for as they come.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>

namespace ChildLines {

// A wait for a child's line that a loaded machine does not outlast: a Qt
// program starting on a busy two-core machine can take most of a minute.
constexpr int GenerousMs = 120000;

// Whether the child printed the line within the time (false once it has ended
// without it). Lines it printed just before it ended are still read.
inline bool WaitFor(QProcess& child, const QByteArray& wanted, int timeoutMs = GenerousMs)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const bool ended = child.state() == QProcess::NotRunning;
        while (child.canReadLine())
            if (child.readLine().trimmed() == wanted) return true;
        if (ended || waited.elapsed() >= timeoutMs) return false;
        child.waitForReadyRead(int(std::min<qint64>(100, timeoutMs - waited.elapsed())));
    }
}

}  // namespace ChildLines
