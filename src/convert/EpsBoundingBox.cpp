#include "convert/EpsBoundingBox.h"

#include "platform/FolderItem.h"
#include "platform/TextStreams.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

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

} // namespace

bool IsEpsFigure(const QString &path)
{
    return path.endsWith(QLatin1String(".eps"), Qt::CaseInsensitive);
}

QString ResolveAtendBoundingBox(const QString &path, const QString &folder)
{
    if (!QFileInfo(path).isFile())
        return path;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly))
        return path; // Ghostscript reports what is wrong with it
    const QByteArray head = input.read(kHeaderBytes);
    // A binary preview header: Ghostscript finds the PostScript inside itself.
    if (head.startsWith("\xC5\xD0\xD3\xC6"))
        return path;
    const std::optional<HeaderLine> line = atendLine(head);
    if (!line)
        return path;
    const qint64 size = input.size();
    input.seek(std::max<qint64>(line->end, size - kTrailerBytes));
    const std::optional<QByteArray> box = trailerBox(input.read(kTrailerBytes));
    if (!box)
        return path;

    const FolderItem copy = FolderItem(folder).child(kBoundingBoxCopyName);
    TextOutputStream stream = TextOutputStream::create(copy);
    stream.write(head.left(line->start));
    stream.write(kBoundingBox + ' ' + *box + '\n');
    input.seek(line->end);
    for (QByteArray chunk = input.read(kCopyChunk); !chunk.isEmpty(); chunk = input.read(kCopyChunk))
        stream.write(chunk);
    stream.close();
    return copy.nativePath();
}
