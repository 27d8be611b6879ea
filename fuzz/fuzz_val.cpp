// Val reads numbers out of typed and stored text ("Buyer total", amounts).
#include "FuzzInput.h"
#include "platform/Vb.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const double value = vb::Val(fuzz::text(data, size));
    // Never a number SQL or a format cannot take.
    if (!std::isfinite(value)) std::abort();
    return 0;
}
