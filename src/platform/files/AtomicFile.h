#pragma once

#include "platform/files/FolderItem.h"

#include <QByteArray>
#include <QTemporaryFile>

// Writes a file that appears whole or not at all: the bytes go into a new
// hidden sibling, which replaces the target by a rename only on commit(). The
// rename replaces the directory entry itself, so an existing file or link at
// the target is never written through. Destroyed without commit(), the sibling
// is removed and the target is untouched.
class AtomicFile
{
public:
    explicit AtomicFile(const FolderItem &target);

    // Creates the sibling; throws std::runtime_error when it cannot.
    void open();
    void write(const QByteArray &bytes);
    void write(const char *data, qint64 size);
    // Throws std::runtime_error when the bytes cannot be stored or renamed.
    void commit();

    QString siblingPath() const { return m_sibling.fileName(); }

private:
    QString lastError() const;
    [[noreturn]] void fail(const QString &what) const;

    FolderItem m_target;
    QTemporaryFile m_sibling;
    bool m_failed = false;
};

// Gives a freshly created file the permissions an ordinary new file gets.
void applyDefaultPermissions(const QString &path);
