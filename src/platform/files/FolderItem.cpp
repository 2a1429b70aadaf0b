#include "platform/files/FolderItem.h"

#include "platform/files/FileNameEncoding.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace
{

// Looked at under the name's own bytes: Qt's QFileInfo would look at another
// name when the bytes are no UTF-8.
bool statOf(const QString &path, bool folder)
{
#ifdef Q_OS_UNIX
    struct stat st {
    };
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && (!folder || S_ISDIR(st.st_mode));
#else
    const QFileInfo info(path);
    return info.exists() && (!folder || info.isDir());
#endif
}

} // namespace

FolderItem::FolderItem(const QString &nativePath) : m_path(nativePath)
{
    // A folder may be reported with a trailing slash; the name is still its own.
    while (m_path.size() > 1 && m_path.endsWith(QLatin1Char('/')))
        m_path.chop(1);
}

bool FolderItem::exists() const
{
    return !m_path.isEmpty() && statOf(m_path, false);
}

bool FolderItem::isFolder() const
{
    return !m_path.isEmpty() && statOf(m_path, true);
}

QString FolderItem::name() const
{
    if (m_path == QLatin1String("/"))
        return {};
    return m_path.mid(m_path.lastIndexOf(QLatin1Char('/')) + 1);
}

FolderItem FolderItem::parent() const
{
    const qsizetype slash = m_path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return FolderItem(QStringLiteral("."));
    if (slash == 0)
        return FolderItem(QStringLiteral("/"));
    return FolderItem(m_path.left(slash));
}

FolderItem FolderItem::child(const QString &name) const
{
    if (m_path.endsWith(QLatin1Char('/')))
        return FolderItem(m_path + name);
    return FolderItem(m_path + QLatin1Char('/') + name);
}
