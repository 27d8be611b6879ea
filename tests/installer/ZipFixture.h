#pragma once
// Builds zip files for the installer tests, hostile ones included: entries
// named as given (".." and absolute paths kept), with Unix modes, symbolic
// links and folders.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <zip.h>

struct ZipItem {
    QString name;
    QByteArray data;
    int mode = 0100644;  // Unix type and permissions; 0120777 a link (data: its target); 0 no Unix attributes
    bool store = false;  // kept uncompressed, so a test can find and damage its bytes
};

inline bool MakeZip(const QString& path, const QList<ZipItem>& items)
{
    QFile::remove(path);
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z) return false;
    bool ok = true;
    for (const ZipItem& item : items) {
        const QByteArray name = item.name.toUtf8();
        zip_int64_t index = -1;
        if (item.name.endsWith(u'/') && item.data.isEmpty()) {
            index = zip_dir_add(z, name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            // libzip copies the bytes when the archive is written, so keep them alive until then.
            char* copy = static_cast<char*>(malloc(size_t(std::max<qsizetype>(item.data.size(), 1))));
            memcpy(copy, item.data.constData(), size_t(item.data.size()));
            zip_source_t* source = zip_source_buffer(z, copy, zip_uint64_t(item.data.size()), 1);
            index = source ? zip_file_add(z, name.constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
            if (index < 0 && source) zip_source_free(source);
        }
        if (index < 0) {
            ok = false;
            continue;
        }
        if (item.store) zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0);
        if (item.mode) zip_file_set_external_attributes(z, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, zip_uint32_t(item.mode) << 16);
        else zip_file_set_external_attributes(z, zip_uint64_t(index), 0, ZIP_OPSYS_DOS, 0);
    }
    if (zip_close(z) != 0) {
        zip_discard(z);
        return false;
    }
    return ok;
}
