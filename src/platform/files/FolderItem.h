#pragma once

#include <QString>

// A path on disk, whether or not anything exists there. Existence follows
// symbolic links, as the file dialogs and the shell do.
class FolderItem
{
public:
    FolderItem() = default;
    explicit FolderItem(const QString &nativePath);

    bool isNull() const { return m_path.isEmpty(); }
    bool exists() const;
    bool isFolder() const;
    QString name() const;
    QString nativePath() const { return m_path; }
    FolderItem parent() const;
    FolderItem child(const QString &name) const;

    friend bool operator==(const FolderItem &, const FolderItem &) = default;

private:
    QString m_path;
};
