// ReplaceText fills every template code; it must end for any pair.
#include "FuzzInput.h"
#include "core/modCommon.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return 0;  // the work grows with text x replacements; keep each run short
    const QList<QString> f = fuzz::fields(data, size, 3);
    QString text = f[0];
    (void)modCommon::ReplaceText(text, f[1], f[2]);
    // One pass: a text without the code comes back as it was.
    if (!f[1].isEmpty() && !f[0].contains(f[1]) && modCommon::ReplaceCodes(f[0], {{f[1], f[2]}}) != f[0]) std::abort();
    return 0;
}
