#pragma once
// Turns libFuzzer's bytes into the values a parser takes: text read as UTF-8
// (invalid sequences become replacement characters, as Qt reads any file) and
// inputs split into several fields at a separator byte.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzz {

inline QByteArray bytes(const uint8_t* data, size_t size) { return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)); }
inline QString text(const uint8_t* data, size_t size) { return QString::fromUtf8(bytes(data, size)); }

// The input cut into `count` texts at the byte 0x01 (missing fields are empty),
// so one input can hold a page and the key to look for in it.
inline QList<QString> fields(const uint8_t* data, size_t size, int count)
{
    QList<QByteArray> parts = bytes(data, size).split('\x01');
    QList<QString> out;
    for (int i = 0; i < count; ++i) {
        if (i == count - 1 && parts.size() > count) {
            QByteArray rest = parts.mid(i).join('\x01');
            out << QString::fromUtf8(rest);
        } else {
            out << (i < parts.size() ? QString::fromUtf8(parts[i]) : QString());
        }
    }
    return out;
}

// A double from the first eight bytes (all bit patterns: NaN, infinities, denormals).
inline double number(const uint8_t* data, size_t size)
{
    double value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    return value;
}

}  // namespace fuzz
