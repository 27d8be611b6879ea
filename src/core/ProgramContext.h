#pragma once
// The program-wide values and objects of the main program: one instance,
// reached through ProgramContext::current(). Start-up fills it before any
// window uses it; tests give each case a fresh one.
//
// The program-wide objects are created by CreateObjects and released by
// ReleaseObjects (shut-down) in a fixed order.

#include "Configuration.h"

#include <QString>

#include <array>
#include <functional>

class Connection;
class Recordset;
class clsDatabase;
class clsActions;
class clsLinks;
class EmailsApi;
class MainWindowApi;

class ProgramContext {
public:
    static ProgramContext& current();
    // A fresh context in place of the current one (tests, and a clean start).
    static void reset();

    // Versions; the program's is the project's (the build defines it).
    static constexpr double AppVersion = VENDARO_VERSION;
    static constexpr double RequiredDatabaseVersion = 1.0002;

    ProgramContext() = default;
    ~ProgramContext();
    ProgramContext(const ProgramContext&) = delete;
    ProgramContext& operator=(const ProgramContext&) = delete;

    // Creates the connection, the shared record set and the service objects.
    void CreateObjects();
    // How CreateObjects makes gEmails (the e-mail subsystem registers it).
    static void SetEmailsFactory(std::function<EmailsApi*()> factory);
    // Releases them: connection, record set, database, links, actions, e-mails.
    void ReleaseObjects();

    // Fixed at start-up.
    QString gAppTitle = QStringLiteral("Vendaro");
    QString gAppFolder;                 // the program folder, no trailing separator
    QString gBrowserCaptionSuffix = QStringLiteral(" - Vendaro Browser");

    // Program-wide objects (owned by start-up; released at shut-down).
    Connection* gConnection = nullptr;
    Recordset* gRecordset = nullptr;
    clsDatabase* gDatabase = nullptr;
    clsActions* gActions = nullptr;
    clsLinks* gLinks = nullptr;
    EmailsApi* gEmails = nullptr;        // provided by the e-mail subsystem (see SetEmailsFactory)
    MainWindowApi* gMainWindow = nullptr;  // the one main window; not owned

    // The open database and its settings.
    QString gDatabaseFile;
    QString gDatabaseTitle;
    Configuration gConfiguration;

    // Recent databases, newest first: index 0 is position 1.
    static constexpr int RecentCount = 5;
    std::array<QString, RecentCount> gRecentFileNames;
    std::array<QString, RecentCount> gRecentFileTitles;

    // The Links rows that serve each site page role.
    int gLinkIdHome = 1;
    int gLinkIdViewAuction = 2;
    int gLinkIdLogin = 3;
    int gLinkIdLoginCheck = 4;
    int gLinkIdOpenPage = 5;
    int gLinkIdRefund = 6;
    int gLinkIdRelist = 7;
    int gLinkIdFixedPriceOffer = 8;

    // The undo selection: the history entry the undo command works on.
    QString gUndoAuctionId;
    QString gUndoSelectedAuctionId;
    QString gUndoAuctionDesc;
    QString gUndoDescription;
    QString gUndoChanged;
    qint64 gUndoAutonumber = 0;

    // Shared by every animated picture (the wizards' mascot).
    int mAnimateFrame = 0;
};
