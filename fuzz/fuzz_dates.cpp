// Dates as the program reads and writes them: date text from recipes and
// typed fields, and any serial through the Format patterns.
#include "FuzzInput.h"
#include "platform/Vb.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8) return 0;
    const double serial = fuzz::number(data, size);
    const QString pattern = fuzz::text(data + 8, size - 8);
    (void)vb::formatDate(serial, pattern);
    (void)vb::fromOleDate(serial);
    // What dateText writes reads back as the same second.
    const QString written = vb::dateText(serial);
    double back = 0;
    if (!written.isEmpty() && std::fabs(serial) < 1e7 && !vb::parseDateText(written, &back)) std::abort();
    if (!written.isEmpty() && vb::dateText(back) != written) std::abort();
    (void)vb::parseDateText(pattern, &back);
    return 0;
}
