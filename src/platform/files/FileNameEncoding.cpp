#include "platform/files/FileNameEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace
{

#ifndef Q_OS_MACOS
constexpr char16_t kEscapedByte = 0xDC00;

// The length of the valid UTF-8 sequence that starts at bytes, or 0: no
// overlong form, no encoded surrogate, nothing beyond U+10FFFF (RFC 3629).
qsizetype sequenceLength(const uchar *bytes, qsizetype left)
{
    const uchar lead = bytes[0];
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (left < length || bytes[1] < low || bytes[1] > high)
        return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if (bytes[k] < 0x80 || bytes[k] > 0xBF)
            return 0;
    }
    return length;
}

void appendUtf8(QByteArray &bytes, char32_t code)
{
    if (code < 0x80) {
        bytes += char(code);
    } else if (code < 0x800) {
        bytes += char(0xC0 | (code >> 6));
        bytes += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += char(0xE0 | (code >> 12));
        bytes += char(0x80 | ((code >> 6) & 0x3F));
        bytes += char(0x80 | (code & 0x3F));
    } else {
        bytes += char(0xF0 | (code >> 18));
        bytes += char(0x80 | ((code >> 12) & 0x3F));
        bytes += char(0x80 | ((code >> 6) & 0x3F));
        bytes += char(0x80 | (code & 0x3F));
    }
}
#endif

} // namespace

QString DecodeFileName(const QByteArray &bytes)
{
#ifdef Q_OS_MACOS
    return QFile::decodeName(bytes);
#else
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype size = bytes.size();
    QString name;
    name.reserve(size);
    for (qsizetype at = 0; at < size;) {
        const qsizetype length = sequenceLength(data + at, size - at);
        if (length == 0) {
            name += QChar(char16_t(kEscapedByte + data[at]));
            ++at;
            continue;
        }
        char32_t code = length == 1 ? data[at] : data[at] & (0xFF >> (length + 1));
        for (qsizetype k = 1; k < length; ++k)
            code = (code << 6) | (data[at + k] & 0x3F);
        if (QChar::requiresSurrogates(code)) {
            name += QChar(QChar::highSurrogate(code));
            name += QChar(QChar::lowSurrogate(code));
        } else {
            name += QChar(char16_t(code));
        }
        at += length;
    }
    return name;
#endif
}

QByteArray EncodeFileName(const QString &name)
{
#ifdef Q_OS_MACOS
    return QFile::encodeName(name);
#else
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype at = 0; at < name.size(); ++at) {
        const char16_t unit = name.at(at).unicode();
        if (QChar::isHighSurrogate(unit) && at + 1 < name.size() &&
            name.at(at + 1).isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, name.at(at + 1).unicode()));
            ++at;
        } else if (unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF) {
            bytes += char(unit - kEscapedByte);
        } else {
            appendUtf8(bytes, QChar::isSurrogate(unit) ? char32_t(QChar::ReplacementCharacter)
                                                       : char32_t(unit));
        }
    }
    return bytes;
#endif
}

QString AbsoluteFileName(const QString &name)
{
    if (name.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(name);
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // getcwd allocates a buffer of the right size when given none (glibc,
    // musl and the BSDs all do).
    char *current = ::getcwd(nullptr, 0);
    if (current != nullptr) {
        const QString folder = DecodeFileName(QByteArray(current));
        std::free(current);
        return QDir::cleanPath(folder + QLatin1Char('/') + name);
    }
#endif
    return QFileInfo(name).absoluteFilePath();
}
