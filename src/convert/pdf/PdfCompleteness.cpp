#include "convert/pdf/PdfCompleteness.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isPdfWhiteSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Skips white space from at; then reads a run of digits into number. Returns
// the index after the digits, or -1 when there are none or too many.
qsizetype readNumber(const QByteArray &bytes, qsizetype at, qint64 &number)
{
    while (at < bytes.size() && isPdfWhiteSpace(bytes.at(at)))
        ++at;
    const qsizetype start = at;
    number = 0;
    while (at < bytes.size() && isDigit(bytes.at(at)) && at - start < 15) {
        number = number * 10 + (bytes.at(at) - '0');
        ++at;
    }
    if (at == start || (at < bytes.size() && isDigit(bytes.at(at))))
        return -1;
    return at;
}

} // namespace

std::optional<qint64> StartXrefOffset(const QByteArray &tail)
{
    const qsizetype keyword = tail.lastIndexOf("startxref");
    if (keyword < 0)
        return std::nullopt;
    qint64 offset = 0;
    qsizetype at = readNumber(tail, keyword + qsizetype(sizeof("startxref") - 1), offset);
    if (at < 0)
        return std::nullopt;
    while (at < tail.size() && isPdfWhiteSpace(tail.at(at)))
        ++at;
    if (!tail.mid(at).startsWith("%%EOF"))
        return std::nullopt;
    // Only white space may follow the end marker.
    for (at += 5; at < tail.size(); ++at) {
        if (!isPdfWhiteSpace(tail.at(at)))
            return std::nullopt;
    }
    return offset;
}

bool StartsCrossReference(const QByteArray &bytes)
{
    if (bytes.startsWith("xref"))
        return true;
    qint64 number = 0;
    qsizetype at = readNumber(bytes, 0, number);
    if (at <= 0 || isPdfWhiteSpace(bytes.at(0)))
        return false;
    at = readNumber(bytes, at, number);
    if (at < 0)
        return false;
    while (at < bytes.size() && isPdfWhiteSpace(bytes.at(at)))
        ++at;
    return bytes.mid(at).startsWith("obj");
}

bool IsCompletePdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (!file.seek(std::max<qint64>(0, size - kPdfTrailerBytes)))
        return false;
    const std::optional<qint64> offset = StartXrefOffset(file.read(kPdfTrailerBytes));
    if (!offset || *offset >= size || !file.seek(*offset))
        return false;
    return StartsCrossReference(file.read(32));
}

namespace {

QByteArray readAt(int descriptor, qint64 offset, qint64 size)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    ssize_t got;
    do {
        got = ::pread(descriptor, bytes.data(), size_t(size), off_t(offset));
    } while (got < 0 && errno == EINTR);
    bytes.truncate(got < 0 ? 0 : qsizetype(got));
    return bytes;
}

} // namespace

bool IsCompletePdf(int descriptor)
{
    struct stat st {};
    if (::fstat(descriptor, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const qint64 size = st.st_size;
    const std::optional<qint64> offset =
        StartXrefOffset(readAt(descriptor, std::max<qint64>(0, size - kPdfTrailerBytes),
                               kPdfTrailerBytes));
    if (!offset || *offset >= size)
        return false;
    return StartsCrossReference(readAt(descriptor, *offset, 32));
}
