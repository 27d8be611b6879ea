#include "ProgramContext.h"

#include "clsDatabase.h"
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
}  // namespace

ProgramContext& ProgramContext::current() { return *slot(); }

void ProgramContext::reset() { slot() = std::make_unique<ProgramContext>(); }

ProgramContext::~ProgramContext() { ReleaseObjects(); }

void ProgramContext::CreateObjects()
{
    if (!gConnection) gConnection = new Connection;
    if (!gRecordset) gRecordset = new Recordset;
    if (!gDatabase) gDatabase = new clsDatabase;
}

void ProgramContext::ReleaseObjects()
{
    release(gConnection);
    release(gRecordset);
    release(gDatabase);
}
