#pragma once
// What the synchronisation run asks of its window. The window implements it;
// tests use a recording fake. The run itself never touches a widget.

#include <QString>

class UpdateView {
public:
    virtual ~UpdateView() = default;
    // Shows the wait panel with the message and disables the controls; an
    // empty message hides the panel and enables them.
    virtual void ShowWait(const QString& message) = 0;
    // The login was refused on a member page: show the browser, report, close.
    virtual void LoginFailed() = 0;
    // Brings the tab of a list type to the front.
    virtual void SelectTab(int listType) = 0;
    // Fills (or refills) the review list of a list type from its record set.
    virtual void FillList(int listType) = 0;
    // The download sequence has finished: the review and the save may begin.
    virtual void RunFinished() = 0;
    // The run cannot go on (a file that cannot be read): close the window.
    virtual void Unload() = 0;
};
