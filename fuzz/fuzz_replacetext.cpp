// ReplaceText fills every template code; it must end for any pair.
#include "FuzzInput.h"
#include "core/modCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096) return 0;  // the work grows with text x replacements; keep each run short
    const QList<QString> f = fuzz::fields(data, size, 3);
    QString text = f[0];
    (void)modCommon::ReplaceText(text, f[1], f[2]);
    return 0;
}
