#pragma once
// Site work in the browser: the login window, and the pages that submit themselves.

class QWidget;

namespace modWebProcessing {

// Opens a browser window in login mode for the calling window and returns
// whether the site has the database's member logged in. With modal false the
// window stays open and the result is read at once (false).
bool ShowBrowser(QWidget* CallerForm, bool ExitAfterLogin, bool Modal, bool GetTradeMeMemberId);

}  // namespace modWebProcessing
