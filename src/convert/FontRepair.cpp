#include "convert/FontRepair.h"

#include "platform/FolderItem.h"
#include "platform/TextStreams.h"

#include <QByteArray>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace {

// Both names in lower case. They differ only after the shared "(lucida", and
// '(' stands only at their start, so two matches can never overlap.
constexpr std::string_view kSpacedName = "(lucida grande)";
constexpr std::string_view kJoinedName = "(lucidagrande)";
const QByteArray kReplacement = QByteArrayLiteral("(LucidaGrande)");

// The longest name less one byte: what a match may still need from the next
// chunk, and so what has to be held back at the end of each chunk.
constexpr qsizetype kHeldBack = qsizetype(std::max(kSpacedName.size(), kJoinedName.size())) - 1;

// True when text starts with name, ASCII letters compared without regard to
// case: all the folding these ASCII names can meet. Compared in place, as a
// lower-cased copy of every chunk costs more than the whole search.
bool startsWithName(const char *text, const char *end, std::string_view name)
{
    if (end - text < qsizetype(name.size()))
        return false;
    for (const char wanted : name) {
        char c = *text++;
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != wanted)
            return false;
    }
    return true;
}

// The next '(' in [from, to), or to. Every name starts with one, and a
// PostScript text has far fewer of them than bytes.
const char *nextParenthesis(const char *from, const char *to)
{
    if (from >= to)
        return to;
    const void *found = std::memchr(from, '(', std::size_t(to - from));
    return found ? static_cast<const char *>(found) : to;
}

// How many leading bytes of a chunk can be judged now: a name that starts in
// the last kHeldBack bytes may end in the next chunk.
qsizetype judgedPart(const QByteArray &window, bool last)
{
    return last ? window.size() : std::max<qsizetype>(0, window.size() - kHeldBack);
}

// Reads the file chunk by chunk and hands each chunk, with the held-back tail
// of the one before, to visit. visit returns how many leading bytes it is done
// with; the rest is kept for the next round. Stops early when visit returns a
// negative count.
// A large input, or a slow disk, can take seconds: the job runs this on a
// worker thread, never on the window's.
void streamChunks(TextInputStream &input, qint64 bufferSize,
                  const std::function<qsizetype(const QByteArray &window, bool last)> &visit)
{
    QByteArray window;
    for (;;) {
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
        const char *const end = window.constEnd();
        const char *const judged = window.constBegin() + judgedPart(window, last);
        for (const char *at = nextParenthesis(window.constBegin(), judged); at < judged;
             at = nextParenthesis(at + 1, judged)) {
            if (startsWithName(at, end, kSpacedName) || startsWithName(at, end, kJoinedName)) {
                found = true;
                return -1;
            }
        }
        return judgedPart(window, last);
    });
    input.close();
    return found;
}

// Copies the input into the repaired copy, replacing every "(Lucida Grande)".
void writeRepairedCopy(const FolderItem &input, const FolderItem &copy, qint64 bufferSize)
{
    TextInputStream source = TextInputStream::open(input);
    TextOutputStream target = TextOutputStream::create(copy);
    // The unchanged runs go out without a copy of their own.
    auto writeRun = [&target](const char *from, const char *to) {
        if (to > from)
            target.write(QByteArray::fromRawData(from, to - from));
    };
    streamChunks(source, bufferSize, [&](const QByteArray &window, bool last) -> qsizetype {
        const char *const begin = window.constBegin();
        const char *const end = window.constEnd();
        const char *const judged = begin + judgedPart(window, last);
        const char *written = begin;
        for (const char *at = nextParenthesis(begin, judged); at < judged;) {
            if (startsWithName(at, end, kSpacedName)) {
                writeRun(written, at);
                target.write(kReplacement);
                written = at + kSpacedName.size();
                at = nextParenthesis(written, judged);
            } else {
                at = nextParenthesis(at + 1, judged);
            }
        }
        // A replaced name may reach into the held-back bytes; the rest of
        // them is looked at again with the next chunk.
        const char *const done = std::max(written, judged);
        writeRun(written, done);
        return done - begin;
    });
    source.close();
    target.close();
}

} // namespace

QString FixPostScriptFonts(const QString &inputPath, const QString &folder, qint64 bufferSize)
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

    const FolderItem copy = FolderItem(folder).child(kRepairedCopyName);
    writeRepairedCopy(input, copy, bufferSize);
    return copy.nativePath();
}
