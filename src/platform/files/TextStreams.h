#pragma once

#include "platform/files/AtomicFile.h"
#include "platform/files/FolderItem.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

// Writes a text file byte for byte, as the program holds it: no encoding is
// applied beyond UTF-8 for QString, and nothing is added. The file replaces any
// earlier one of that name only when close() succeeds.
class TextOutputStream
{
public:
    // Throws std::runtime_error when the file cannot be created.
    static TextOutputStream create(const FolderItem &file);

    void write(const QByteArray &bytes);
    void write(const QString &text) { write(text.toUtf8()); }
    void writeLine(const QString &text);
    // Throws std::runtime_error when the file cannot be completed.
    void close();

private:
    explicit TextOutputStream(const FolderItem &file);
    std::unique_ptr<AtomicFile> m_file;
};

// Reads an existing regular file's bytes unchanged.
class TextInputStream
{
public:
    // Throws std::runtime_error when the file cannot be opened or is no
    // regular file (a FIFO, a device, a folder), without waiting for one.
    static TextInputStream open(const FolderItem &file);

    // Up to maxBytes; an empty result at the end of the file. Throws on a read error.
    QByteArray read(qint64 maxBytes);
    QByteArray readAll();
    void close() { m_file->close(); }

private:
    explicit TextInputStream(const FolderItem &file);
    std::unique_ptr<QFile> m_file;
};
