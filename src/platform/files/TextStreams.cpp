#include "platform/files/TextStreams.h"

#include "platform/text/EndOfLine.h"
#include "platform/text/ProgramFailure.h"
#include "platform/text/SystemErrorText.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

TextOutputStream::TextOutputStream(const FolderItem &file)
    : m_file(std::make_unique<AtomicFile>(file))
{
}

TextOutputStream TextOutputStream::create(const FolderItem &file)
{
    TextOutputStream stream(file);
    stream.m_file->open();
    return stream;
}

void TextOutputStream::write(const QByteArray &bytes)
{
    m_file->write(bytes);
}

void TextOutputStream::writeLine(const QString &text)
{
    write((text + EndOfLine).toUtf8());
}

void TextOutputStream::close()
{
    m_file->commit();
}

TextInputStream::TextInputStream(const FolderItem &file)
    : m_file(std::make_unique<QFile>(file.nativePath()))
{
}

TextInputStream TextInputStream::open(const FolderItem &file)
{
    TextInputStream stream(file);
    const auto fail = [&](const QString &why) {
        throw ProgramFailure(file.nativePath() + QStringLiteral(": ") + why);
    };
#ifdef Q_OS_UNIX
    // Opening a FIFO for reading waits for a writer, and a device may never
    // end: only a regular file is opened, and opening never waits.
    const int fd =
        ::open(QFile::encodeName(file.nativePath()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail(SystemErrorText(errno));
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fail(QStringLiteral("not a regular file"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!stream.m_file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(stream.m_file->errorString());
    }
#else
    if (!stream.m_file->open(QIODevice::ReadOnly))
        fail(stream.m_file->errorString());
#endif
    return stream;
}

QByteArray TextInputStream::read(qint64 maxBytes)
{
    QByteArray chunk(maxBytes, Qt::Uninitialized);
    const qint64 got = m_file->read(chunk.data(), maxBytes);
    if (got < 0)
        throw std::runtime_error(m_file->errorString().toStdString());
    chunk.truncate(got);
    return chunk;
}

QByteArray TextInputStream::readAll()
{
    QByteArray all;
    for (QByteArray chunk = read(1 << 20); !chunk.isEmpty(); chunk = read(1 << 20))
        all += chunk;
    return all;
}
