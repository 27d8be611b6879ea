#include "ZipArchive.h"

#include <QFile>
#include <QIODevice>

#include <sys/stat.h>
#include <zip.h>

ZipArchive::~ZipArchive() { close(); }

bool ZipArchive::open(const QString& path, QString* error)
{
    close();
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!m_zip) {
        if (error) {
            zip_error_t e;
            zip_error_init_with_code(&e, code);
            *error = QString::fromLocal8Bit(zip_error_strerror(&e));
            zip_error_fini(&e);
        }
        return false;
    }
    return true;
}

void ZipArchive::close()
{
    if (m_zip) zip_discard(m_zip);
    m_zip = nullptr;
}

QStringList ZipArchive::names() const
{
    QStringList out;
    if (!m_zip) return out;
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        out << (name ? QString::fromUtf8(name) : QString());
    }
    return out;
}

qint64 ZipArchive::indexOf(const QString& name) const
{
    if (!m_zip || name.isEmpty()) return -1;
    return zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_ENC_GUESS);
}

ZipArchive::Entry ZipArchive::entryAt(qint64 index) const
{
    Entry e;
    zip_stat_t st;
    zip_stat_init(&st);
    if (index < 0 || zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) != 0) return e;
    e.found = true;
    e.name = QString::fromUtf8(st.name);
    e.size = (st.valid & ZIP_STAT_SIZE) ? qint64(st.size) : 0;
    e.isDirectory = e.name.endsWith(u'/');
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(m_zip, zip_uint64_t(index), 0, &system, &attributes) == 0 && system == ZIP_OPSYS_UNIX) {
        const mode_t mode = mode_t(attributes >> 16);
        const mode_t type = mode & S_IFMT;
        e.isSymlink = type == S_IFLNK;
        e.isSpecial = type != 0 && type != S_IFREG && type != S_IFDIR && type != S_IFLNK;
        if (type == S_IFDIR) e.isDirectory = true;
        e.unixMode = int(mode & 07777);
    }
    return e;
}

ZipArchive::Entry ZipArchive::entry(const QString& name) const { return entryAt(indexOf(name)); }

bool ZipArchive::read(const QString& name, QByteArray* out, qint64 maxBytes, QString* error) const
{
    out->clear();
    const Entry e = entry(name);
    if (!e.found) {
        if (error) *error = QStringLiteral("The package holds no %1.").arg(name);
        return false;
    }
    if (e.size > maxBytes) {
        if (error) *error = QStringLiteral("%1 is too large.").arg(name);
        return false;
    }
    class Buffer : public QIODevice {
    public:
        explicit Buffer(QByteArray* b, qint64 cap) : m_b(b), m_cap(cap) { QIODevice::open(WriteOnly); }
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char* data, qint64 len) override
        {
            if (m_b->size() + len > m_cap) return -1;
            m_b->append(data, len);
            return len;
        }
    private:
        QByteArray* m_b;
        qint64 m_cap;
    } buffer(out, maxBytes);
    return extract(name, &buffer, error);
}

bool ZipArchive::extract(const QString& name, QIODevice* out, QString* error) const
{
    const qint64 index = indexOf(name);
    zip_file_t* file = index < 0 ? nullptr : zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file) {
        if (error) *error = index < 0 ? QStringLiteral("The package holds no %1.").arg(name) : QString::fromLocal8Bit(zip_strerror(m_zip));
        return false;
    }
    char chunk[64 * 1024];
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(file, chunk, sizeof chunk);
        if (n < 0) {
            // A damaged entry (a bad checksum shows here, at its end).
            if (error) *error = QString::fromLocal8Bit(zip_file_strerror(file));
            ok = false;
            break;
        }
        if (n == 0) break;
        if (out->write(chunk, n) != n) {
            if (error) *error = out->errorString();
            ok = false;
            break;
        }
    }
    zip_fclose(file);
    return ok;
}

bool ZipArchive::IsSafeName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'/') || name.contains(u'\\')) return false;
    if (name.size() >= 2 && name[1] == u':') return false;  // "C:..."
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    QString path = name;
    if (path.endsWith(u'/')) path.chop(1);  // a folder entry
    for (const QString& step : path.split(u'/'))
        if (step.isEmpty() || step == QLatin1String(".") || step == QLatin1String("..")) return false;
    return true;
}
