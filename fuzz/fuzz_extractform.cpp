// ExtractForm cuts a form out of any page the site (or something posing as
// it) sends; the result is written as a page the browser loads.
#include "FuzzInput.h"
#include "core/modWebProcessing.h"

#include <QRegularExpression>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QString> f = fuzz::fields(data, size, 2);
    for (const bool skipOptions : {false, true}) {
        const QString form = modWebProcessing::ExtractForm(f[1], f[0], skipOptions);
        // No script element survives into a page the program writes ("<script"
        // ending its name as the browser reads tag names; "<scripts" is another tag).
        static const QRegularExpression scriptTag(QStringLiteral("<script(?:[\\t\\n\\f\\r />]|$)"),
                                                  QRegularExpression::CaseInsensitiveOption);
        if (form.contains(scriptTag)) std::abort();
        (void)modWebProcessing::GetBidderInputs(form);
    }
    return 0;
}
