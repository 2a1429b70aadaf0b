#include "convert/input/EpsBoundingBox.h"

#include "convert/input/FontRepair.h"
#include "convert/job/ConversionTexts.h"
#include "platform/files/FileDescriptor.h"
#include "platform/text/ProgramFailure.h"
#include "platform/text/SystemErrorText.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

// How far into the file the header comments are looked for, and how much of
// its end holds the trailer.
constexpr qint64 kHeaderBytes = 64 * 1024;
constexpr qint64 kTrailerBytes = 64 * 1024;
constexpr qint64 kCopyChunk = 256 * 1024;

const QByteArray kBoundingBox = "%%BoundingBox:";

struct HeaderLine {
    qint64 start = -1; // offset of the line
    qint64 end = -1;   // offset just past its line break
};

// The "%%BoundingBox: (atend)" line of the header comments, if any.
std::optional<HeaderLine> atendLine(const QByteArray &head)
{
    qint64 at = 0;
    while (at < head.size()) {
        qint64 end = head.indexOf('\n', at);
        const bool whole = end >= 0;
        if (!whole)
            end = head.size();
        QByteArray line = head.mid(at, end - at);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith("%%EndComments") || (at > 0 && !line.startsWith("%")))
            return std::nullopt;
        if (line.startsWith(kBoundingBox)) {
            if (line.mid(kBoundingBox.size()).trimmed() != "(atend)")
                return std::nullopt;
            return HeaderLine{at, whole ? end + 1 : end};
        }
        at = end + 1;
    }
    return std::nullopt;
}

// The last box the trailer names, as four numbers.
std::optional<QByteArray> trailerBox(const QByteArray &tail)
{
    static const QRegularExpression box(
        QStringLiteral("^%%BoundingBox:[ \\t]*(-?[0-9.]+[ \\t]+-?[0-9.]+[ \\t]+-?[0-9.]+[ \\t]+"
                       "-?[0-9.]+)[ \\t]*\\r?$"),
        QRegularExpression::MultilineOption);
    std::optional<QByteArray> last;
    QRegularExpressionMatchIterator matches = box.globalMatch(QString::fromLatin1(tail));
    while (matches.hasNext())
        last = matches.next().captured(1).toLatin1();
    return last;
}

[[noreturn]] void failWith(const ProgramText &what)
{
    throw ProgramFailure(what.arg(SystemErrorText(errno)));
}

// Up to size bytes from offset on; fewer at the end of the file.
QByteArray readAt(int descriptor, qint64 offset, qint64 size)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < size) {
        const ssize_t done =
            ::pread(descriptor, bytes.data() + got, size_t(size - got), off_t(offset + got));
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            failWith(ConversionTexts::kCannotReadFigure);
        if (done == 0)
            break;
        got += done;
    }
    bytes.truncate(got);
    return bytes;
}

void writeAll(int descriptor, const QByteArray &bytes)
{
    const char *at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(descriptor, at, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            failWith(ConversionTexts::kCannotWriteFigureCopy);
        at += done;
        left -= done;
    }
}

} // namespace

bool IsEpsFigure(const QString &path)
{
    return path.endsWith(QLatin1String(".eps"), Qt::CaseInsensitive);
}

bool ResolveAtendBoundingBox(int figure, int folder, const std::atomic<bool> *stop)
{
    const qint64 size = FileSize(figure);
    if (size < 0)
        failWith(ConversionTexts::kCannotReadFigure);
    const QByteArray head = readAt(figure, 0, kHeaderBytes);
    // A binary preview header: Ghostscript finds the PostScript inside itself.
    if (head.startsWith("\xC5\xD0\xD3\xC6"))
        return false;
    const std::optional<HeaderLine> line = atendLine(head);
    if (!line)
        return false;
    const std::optional<QByteArray> box =
        trailerBox(readAt(figure, std::max<qint64>(line->end, size - kTrailerBytes), kTrailerBytes));
    if (!box)
        return false;

    const QByteArray name = QFile::encodeName(kBoundingBoxCopyName);
    if (::unlinkat(folder, name.constData(), 0) != 0 && errno != ENOENT)
        failWith(ConversionTexts::kCannotWriteFigureCopy);
    const FileDescriptor copy(::openat(folder, name.constData(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!copy.isValid())
        failWith(ConversionTexts::kCannotWriteFigureCopy);
    writeAll(copy.get(), head.left(line->start));
    writeAll(copy.get(), kBoundingBox + ' ' + *box + '\n');
    for (qint64 at = line->end;;) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed))
            throw RepairStopped();
        if (quint64(at) > kRepairedCopyLimit)
            throw ProgramFailure(
                ConversionTexts::kFigureCopyTooLarge.arg(kRepairedCopyLimit >> 30));
        const QByteArray chunk = readAt(figure, at, kCopyChunk);
        if (chunk.isEmpty())
            break;
        writeAll(copy.get(), chunk);
        at += chunk.size();
    }
    return true;
}

QString ResolveAtendBoundingBox(const QString &path, const QString &folder)
{
    const FileDescriptor figure = OpenRegularFile(path, nullptr);
    if (!figure.isValid())
        return path; // Ghostscript reports what is wrong with it
    const FileDescriptor target(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!target.isValid())
        failWith(ConversionTexts::kCannotOpenFigureFolder);
    if (!ResolveAtendBoundingBox(figure.get(), target.get()))
        return path;
    return QDir(folder).filePath(kBoundingBoxCopyName);
}
