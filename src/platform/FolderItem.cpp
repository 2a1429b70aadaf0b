#include "platform/FolderItem.h"

#include <QFileInfo>

FolderItem::FolderItem(const QString &nativePath) : m_path(nativePath)
{
    // A folder may be reported with a trailing slash; the name is still its own.
    while (m_path.size() > 1 && m_path.endsWith(QLatin1Char('/')))
        m_path.chop(1);
}

bool FolderItem::exists() const
{
    return !m_path.isEmpty() && QFileInfo::exists(m_path);
}

bool FolderItem::isFolder() const
{
    return !m_path.isEmpty() && QFileInfo(m_path).isDir();
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
