#include "platform/TextStreams.h"

#include "platform/EndOfLine.h"

#include <stdexcept>

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
    if (!stream.m_file->open(QIODevice::ReadOnly))
        throw std::runtime_error(
            (file.nativePath() + QStringLiteral(": ") + stream.m_file->errorString()).toStdString());
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
