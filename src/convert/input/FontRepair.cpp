#include "convert/input/FontRepair.h"

#include "convert/input/DocumentFontNames.h"
#include "convert/job/ConversionTexts.h"
#include "platform/files/FileDescriptor.h"
#include "platform/text/ProgramFailure.h"
#include "platform/text/SystemErrorText.h"

#include <QByteArray>
#include <QFile>
#include <QDir>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

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

[[noreturn]] void failWith(const ProgramText &what)
{
    throw ProgramFailure(what.arg(SystemErrorText(errno)));
}

// The document read block by block from its open descriptor, at offsets of
// its own: the descriptor's file offset stays where it is for whoever reads
// it next (Ghostscript shares it where /dev/fd duplicates a descriptor).
class DescriptorInput
{
public:
    // fonts, when given, sees every block read.
    DescriptorInput(int descriptor, const std::atomic<bool> *stop,
                    DocumentFontNames *fonts = nullptr)
        : m_descriptor(descriptor), m_stop(stop), m_fonts(fonts)
    {
    }
    QByteArray read(qint64 size)
    {
        if (m_stop != nullptr && m_stop->load(std::memory_order_relaxed))
            throw RepairStopped();
        QByteArray block(qsizetype(size), Qt::Uninitialized);
        ssize_t got;
        do {
            got = ::pread(m_descriptor, block.data(), size_t(size), off_t(m_offset));
        } while (got < 0 && errno == EINTR);
        if (got < 0)
            failWith(ConversionTexts::kCannotReadDocument);
        m_offset += got;
        block.truncate(qsizetype(got));
        if (m_fonts != nullptr)
            m_fonts->feed(block, got == 0);
        return block;
    }
    bool collectsFonts() const { return m_fonts != nullptr; }

private:
    int m_descriptor;
    const std::atomic<bool> *m_stop;
    DocumentFontNames *m_fonts;
    qint64 m_offset = 0;
};

// The repaired copy, made anew in the workspace (a name already there is
// replaced, never followed), and kept below its limit.
class CopyOutput
{
public:
    CopyOutput(int folder, quint64 limit) : m_limit(limit)
    {
        const QByteArray name = QFile::encodeName(kRepairedCopyName);
        if (::unlinkat(folder, name.constData(), 0) != 0 && errno != ENOENT)
            failWith(ConversionTexts::kCannotWriteRepairedCopy);
        m_file = FileDescriptor(::openat(folder, name.constData(),
                                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                         0600));
        if (!m_file.isValid())
            failWith(ConversionTexts::kCannotWriteRepairedCopy);
    }
    void write(const QByteArray &bytes)
    {
        m_written += quint64(bytes.size());
        if (m_written > m_limit)
            throw ProgramFailure(ConversionTexts::kRepairedCopyTooLarge.arg(m_limit >> 30));
        const char *at = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t done = ::write(m_file.get(), at, size_t(left));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0)
                failWith(ConversionTexts::kCannotWriteRepairedCopy);
            at += done;
            left -= done;
        }
    }
    void close()
    {
        // A write-back error (a full disk over NFS) shows only here.
        const int descriptor = m_file.release();
        if (::close(descriptor) != 0)
            failWith(ConversionTexts::kCannotWriteRepairedCopy);
    }

private:
    FileDescriptor m_file;
    quint64 m_limit;
    quint64 m_written = 0;
};

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
template <typename Input>
void streamChunks(Input &input, qint64 bufferSize,
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

// True when the input holds either spelling; reads no further than the first
// unless the input collects the document's fonts.
bool mentionsLucidaGrande(DescriptorInput input, qint64 bufferSize)
{
    bool found = false;
    streamChunks(input, bufferSize, [&](const QByteArray &window, bool last) -> qsizetype {
        if (found)
            return window.size();
        const char *const end = window.constEnd();
        const char *const judged = window.constBegin() + judgedPart(window, last);
        for (const char *at = nextParenthesis(window.constBegin(), judged); at < judged;
             at = nextParenthesis(at + 1, judged)) {
            if (startsWithName(at, end, kSpacedName) || startsWithName(at, end, kJoinedName)) {
                found = true;
                return input.collectsFonts() ? window.size() : -1;
            }
        }
        return judgedPart(window, last);
    });
    return found;
}

// Copies the input into the repaired copy, replacing every "(Lucida Grande)".
void writeRepairedCopy(DescriptorInput source, CopyOutput &target, qint64 bufferSize)
{
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
    target.close();
}

} // namespace

bool FixPostScriptFonts(int input, int folder, const std::atomic<bool> *stop, qint64 bufferSize,
                        quint64 copyLimit, DocumentFontNames *fonts)
{
    // A first pass only reads, so an input without the name never costs a
    // written copy (nor fails for want of room for one); the second pass
    // streams the copy. Neither holds more than one chunk in memory.
    if (!mentionsLucidaGrande(DescriptorInput(input, stop, fonts), bufferSize))
        return false;
    CopyOutput copy(folder, copyLimit);
    writeRepairedCopy(DescriptorInput(input, stop), copy, bufferSize);
    return true;
}

QString FixPostScriptFonts(const QString &inputPath, const QString &folder, qint64 bufferSize)
{
    // Only a regular file is scanned: a FIFO under a document's name would
    // hold the caller until something writes to it, and a device may never
    // end. Those, and a missing input, are returned as they are.
    const FileDescriptor input = OpenRegularFile(inputPath, nullptr);
    if (!input.isValid())
        return inputPath;
    const FileDescriptor target(::open(QFile::encodeName(folder).constData(),
                                       O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!target.isValid())
        failWith(ConversionTexts::kCannotOpenRepairFolder);
    if (!FixPostScriptFonts(input.get(), target.get(), nullptr, bufferSize))
        return inputPath;
    return QDir(folder).filePath(kRepairedCopyName);
}
