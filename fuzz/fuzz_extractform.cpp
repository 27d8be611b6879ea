// ExtractForm cuts a form out of any page the site (or something posing as
// it) sends; the result is written as a page the browser loads.
#include "FuzzInput.h"
#include "core/HtmlScriptFilter.h"
#include "core/modWebProcessing.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QString> f = fuzz::fields(data, size, 2);
    for (const bool skipOptions : {false, true}) {
        const QString form = modWebProcessing::ExtractForm(f[1], f[0], skipOptions);
        // Nothing that could run script survives into a page the program
        // writes: filtering the fields again finds nothing more to take out.
        if (!form.endsWith(QLatin1String("</form>"))) std::abort();
        const QString fields = form.chopped(7);
        if (HtmlScriptFilter::Filter(fields) != fields) std::abort();
        (void)modWebProcessing::GetBidderInputs(form);
    }
    return 0;
}
