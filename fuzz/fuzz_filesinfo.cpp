// files.info comes inside a downloaded package: any bytes at all.
#include "installer/FilesInfo.h"
#include "platform/zip/ZipArchive.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList items{QStringLiteral("left over")};
    const bool readable = FilesInfo::Parse(text, &items);
    // A refused text gives no items; a read one never gives an empty item.
    if (!readable && !items.isEmpty()) std::abort();
    for (const QString& item : items) {
        if (item.isEmpty()) std::abort();
        // A name judged safe never leaves its folder.
        if (ZipArchive::IsSafeName(item) && (item.startsWith(u'/') || item.split(u'/').contains(QStringLiteral(".."))))
            std::abort();
    }
    return 0;
}
