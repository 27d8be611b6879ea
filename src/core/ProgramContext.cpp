#include "ProgramContext.h"

#include <memory>

namespace {
std::unique_ptr<ProgramContext>& slot()
{
    static std::unique_ptr<ProgramContext> context = std::make_unique<ProgramContext>();
    return context;
}
}  // namespace

ProgramContext& ProgramContext::current() { return *slot(); }

void ProgramContext::reset() { slot() = std::make_unique<ProgramContext>(); }
