#include "ProgramContext.h"

#include "EmailsApi.h"
#include "clsActions.h"
#include "clsDatabase.h"
#include "clsLinks.h"
#include "platform/db/Connection.h"
#include "platform/db/Recordset.h"

#include <memory>

namespace {
std::unique_ptr<ProgramContext>& slot()
{
    static std::unique_ptr<ProgramContext> context = std::make_unique<ProgramContext>();
    return context;
}

template <typename T>
void release(T*& object)
{
    delete object;
    object = nullptr;
}

std::function<EmailsApi*()>& emailsFactory()
{
    static std::function<EmailsApi*()> factory;
    return factory;
}
}  // namespace

void ProgramContext::SetEmailsFactory(std::function<EmailsApi*()> factory) { emailsFactory() = std::move(factory); }

ProgramContext& ProgramContext::current() { return *slot(); }

void ProgramContext::reset() { slot() = std::make_unique<ProgramContext>(); }

ProgramContext::~ProgramContext() { ReleaseObjects(); }

void ProgramContext::CreateObjects()
{
    if (!gConnection) gConnection = new Connection;
    if (!gRecordset) gRecordset = new Recordset;
    if (!gDatabase) gDatabase = new clsDatabase;
    if (!gActions) gActions = new clsActions;
    if (!gLinks) gLinks = new clsLinks;
    if (!gEmails && emailsFactory()) gEmails = emailsFactory()();
}

void ProgramContext::ReleaseObjects()
{
    release(gConnection);
    release(gRecordset);
    release(gDatabase);
    release(gLinks);
    release(gActions);
    release(gEmails);
}
