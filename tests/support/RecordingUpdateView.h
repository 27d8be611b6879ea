#pragma once
// The synchronisation run's window for tests: records every call in order.

#include "sync/UpdateView.h"

#include <QStringList>

#include <functional>

class RecordingUpdateView : public UpdateView {
public:
    QStringList calls;                // "ShowWait <text>", "LoginFailed", "SelectTab n", "FillList n", "RunFinished", "Unload"
    std::function<void()> onSelectTab;  // runs after a SelectTab is recorded (a test's cancel, say)

    void ShowWait(const QString& message) override { calls << QStringLiteral("ShowWait ") + message; }
    void LoginFailed() override { calls << QStringLiteral("LoginFailed"); }
    void SelectTab(int listType) override
    {
        calls << QStringLiteral("SelectTab %1").arg(listType);
        if (onSelectTab) onSelectTab();
    }
    void FillList(int listType) override { calls << QStringLiteral("FillList %1").arg(listType); }
    void RunFinished() override { calls << QStringLiteral("RunFinished"); }
    void Unload() override { calls << QStringLiteral("Unload"); }

    QStringList waits() const { return calls.filter(QStringLiteral("ShowWait ")); }
};
