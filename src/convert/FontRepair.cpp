#include "convert/FontRepair.h"

#include "platform/FolderItem.h"
#include "platform/TemporaryFolder.h"
#include "platform/TextStreams.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Both patterns in lower case; the input is compared after ASCII lower-casing,
// which is all the letter-case folding these ASCII names can meet.
const QByteArray kSpacedName = QByteArrayLiteral("(lucida grande)");
const QByteArray kJoinedName = QByteArrayLiteral("(lucidagrande)");
const QByteArray kReplacement = QByteArrayLiteral("(LucidaGrande)");

// How long the scan may keep the window from repainting.
constexpr qint64 kRepaintIntervalMs = 50;

// The longest pattern less one byte: what a match may still need from the next
// chunk, and so what has to be held back at the end of each chunk.
const qsizetype kHeldBack = std::max(kSpacedName.size(), kJoinedName.size()) - 1;

// Where needle (in lower case, starting with "(") next occurs in haystack from
// index from on, ASCII letters compared without case; -1 when it does not.
// Jumping from "(" to "(" keeps a gigabyte of input a matter of moments.
qsizetype indexOfFolded(const QByteArray &haystack, const QByteArray &needle, qsizetype from)
{
    const char *const begin = haystack.constData();
    const char *const end = begin + haystack.size();
    const char *at = begin + from;
    while (end - at >= needle.size()) {
        at = static_cast<const char *>(std::memchr(at, needle.front(), end - at));
        if (at == nullptr || end - at < needle.size())
            return -1;
        qsizetype i = 1;
        while (i < needle.size() && asciiLower(at[i]) == needle.at(i))
            ++i;
        if (i == needle.size())
            return at - begin;
        ++at;
    }
    return -1;
}

// Reads the file chunk by chunk and hands each chunk, with the held-back tail
// of the one before, to visit. visit returns how many leading bytes it is done
// with; the rest is kept for the next round. Stops early when visit returns a
// negative count.
//
// A large input, or a slow disk, can take seconds: now and then the window is
// given a moment to repaint, as while Ghostscript runs. User input waits, so
// nothing else starts meanwhile.
void streamChunks(TextInputStream &input, qint64 bufferSize,
                  const std::function<qsizetype(const QByteArray &window, bool last)> &visit)
{
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    QByteArray window;
    for (;;) {
        if (sinceEvents.hasExpired(kRepaintIntervalMs) && QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            sinceEvents.restart();
        }
        const QByteArray chunk = input.read(std::max<qint64>(bufferSize, 1));
        const bool last = chunk.isEmpty();
        window += chunk;
        const qsizetype done = visit(window, last);
        if (done < 0 || last)
            return;
        window.remove(0, done);
    }
}

// True when the input holds either spelling; reads no further than the first.
bool mentionsLucidaGrande(const FolderItem &file, qint64 bufferSize)
{
    TextInputStream input = TextInputStream::open(file);
    bool found = false;
    streamChunks(input, bufferSize, [&](const QByteArray &window, bool last) -> qsizetype {
        if (indexOfFolded(window, kSpacedName, 0) >= 0 ||
            indexOfFolded(window, kJoinedName, 0) >= 0) {
            found = true;
            return -1;
        }
        // A match that starts in the last bytes may end in the next chunk.
        return last ? window.size() : std::max<qsizetype>(0, window.size() - kHeldBack);
    });
    input.close();
    return found;
}

// Copies the input into the repaired copy, replacing every "(Lucida Grande)".
void writeRepairedCopy(const FolderItem &input, const FolderItem &copy, qint64 bufferSize)
{
    TextInputStream source = TextInputStream::open(input);
    TextOutputStream target = TextOutputStream::create(copy);
    streamChunks(source, bufferSize, [&](const QByteArray &window, bool last) -> qsizetype {
        qsizetype written = 0;
        for (qsizetype at = indexOfFolded(window, kSpacedName, 0); at >= 0;
             at = indexOfFolded(window, kSpacedName, written)) {
            target.write(window.mid(written, at - written));
            target.write(kReplacement);
            written = at + kSpacedName.size();
        }
        // A match can still begin in the last bytes, once the next chunk is in.
        const qsizetype safe =
            last ? window.size() : std::max(written, window.size() - (kSpacedName.size() - 1));
        target.write(window.mid(written, safe - written));
        return safe;
    });
    source.close();
    target.close();
}

} // namespace

QString FixPostScriptFonts(const QString &inputPath, qint64 bufferSize)
{
    const FolderItem input(inputPath);
    // Only a regular file is scanned: a FIFO under a document's name would
    // hold the window until something writes to it, and a device may never
    // end. Ghostscript gets those as they are, under its time-out.
    if (!QFileInfo(inputPath).isFile())
        return inputPath;

    // A first pass only reads, so an input without the name never costs a
    // written copy (nor fails for want of room for one); the second pass
    // streams the copy. Neither holds more than one chunk in memory.
    if (!mentionsLucidaGrande(input, bufferSize))
        return inputPath;

    const FolderItem copy = TemporaryFolder().child(kRepairedCopyName);
    writeRepairedCopy(input, copy, bufferSize);
    return copy.nativePath();
}
