// The login check reads the member number out of whatever page the site shows.
#include "FuzzInput.h"
#include "core/frmBrowser.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QString> f = fuzz::fields(data, size, 3);
    QString member;
    if (frmBrowser::ReadLoginPage(f[0], f[1], f[2], &member)) {
        // The number is cut from the page exactly where the page names it.
        if (!f[0].contains(QStringLiteral("you are member ") + member + QStringLiteral("\r\n"), Qt::CaseInsensitive)) std::abort();
    }
    return 0;
}
