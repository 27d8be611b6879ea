#pragma once
// A zip file opened for reading (libzip). Entries are found by their exact
// name; an entry is extracted by streaming it into an open device, so the
// caller decides where the bytes go (a temporary file beside its target).
// Nothing here writes outside the device it is given.

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;
struct zip;

class ZipArchive {
public:
    struct Entry {
        bool found = false;
        QString name;
        qint64 size = 0;             // uncompressed
        bool isDirectory = false;    // a name ending in "/"
        bool isSymlink = false;      // stored by a Unix zipper as a symbolic link
        bool isSpecial = false;      // any other non-regular Unix file (device, fifo, socket)
        int unixMode = -1;           // permission bits when a Unix zipper stored them, else -1
    };

    ZipArchive() = default;
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens an existing zip read-only, checking its directory; false with a reason.
    bool open(const QString& path, QString* error = nullptr);
    void close();
    bool isOpen() const { return m_zip != nullptr; }

    // Every entry's name as stored, in the archive's order.
    QStringList names() const;
    Entry entry(const QString& name) const;
    // An entry's bytes, refused when larger than maxBytes.
    bool read(const QString& name, QByteArray* out, qint64 maxBytes, QString* error = nullptr) const;
    // Streams an entry into out; false with a reason (out then holds part of it).
    bool extract(const QString& name, QIODevice* out, QString* error = nullptr) const;

    // A name that stays below the folder it is unpacked in: relative, no ".."
    // or "." step, no empty step, no backslash, drive letter or control character.
    static bool IsSafeName(const QString& name);

private:
    Entry entryAt(qint64 index) const;
    qint64 indexOf(const QString& name) const;
    zip* m_zip = nullptr;
};
