#include "UpdateSession.h"

#include "UpdateView.h"
#include "core/ProgramContext.h"
#include "platform/MessageService.h"
#include "platform/browser/WebBrowser.h"

UpdateSession::UpdateSession(UpdateView* view, WebBrowser* web, QObject* parent)
    : QObject(parent), m_view(view), m_web(web)
{
    if (m_web) connect(m_web, &WebBrowser::DocumentComplete, this, &UpdateSession::onDocumentComplete);
}

UpdateSession::~UpdateSession() = default;

void UpdateSession::CreateListingRecordsets()
{
    for (int i = 0; i < 3; ++i) mListings[i] = ListingRecordsets::Create(i);
}

void UpdateSession::ShowUpdateError(const QString& Text)
{
    const QString crlf = QStringLiteral("\r\n");
    MsgBox(QStringLiteral("Auction update failed.") + crlf + crlf + Text + crlf + crlf +
               QStringLiteral("Check you are connected to the internet.") + crlf +
               QStringLiteral("TradeMe may be down, try again later.") + crlf +
               QStringLiteral("Check you have the latest version of this software."),
           vbmsg::Critical, ProgramContext::current().gAppTitle);
}

void UpdateSession::Start() {}
void UpdateSession::FinishUpdate() {}
void UpdateSession::ParseUnsoldPage(const QString&) {}
void UpdateSession::onDocumentComplete(const QString&) {}
