#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

AtomicFile::AtomicFile(const FolderItem &target) : m_target(target)
{
    m_sibling.setFileTemplate(
        target.parent().child(QLatin1Char('.') + target.name() + QStringLiteral(".XXXXXX")).nativePath());
}

void AtomicFile::open()
{
    if (!m_sibling.open())
        fail(m_sibling.errorString());
}

void AtomicFile::write(const QByteArray &bytes)
{
    write(bytes.constData(), bytes.size());
}

void AtomicFile::write(const char *data, qint64 size)
{
    if (m_sibling.write(data, size) != size) {
        m_failed = true;
        fail(m_sibling.errorString());
    }
}

void AtomicFile::commit()
{
    if (m_failed || !m_sibling.flush())
        fail(m_sibling.errorString());
    m_sibling.close();
    applyDefaultPermissions(m_sibling.fileName());
    if (std::rename(QFile::encodeName(m_sibling.fileName()).constData(),
                    QFile::encodeName(m_target.nativePath()).constData()) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    m_sibling.setAutoRemove(false);
}

void AtomicFile::fail(const QString &what) const
{
    throw std::runtime_error(
        (m_target.nativePath() + QStringLiteral(": ") + what).toStdString());
}

void applyDefaultPermissions(const QString &path)
{
#ifdef Q_OS_UNIX
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
#else
    Q_UNUSED(path);
#endif
}
