#pragma once
// The lines a child program of a kill test prints to say where it is
// ("ready", "done", ...), waited for as they come.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>

namespace ChildLines {

// Whether the child printed the line within the time (false once it has ended without it).
inline bool WaitFor(QProcess& child, const QByteArray& wanted, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        while (child.canReadLine())
            if (child.readLine().trimmed() == wanted) return true;
        if (child.state() == QProcess::NotRunning) return false;
        child.waitForReadyRead(20);
    }
    return false;
}

}  // namespace ChildLines
