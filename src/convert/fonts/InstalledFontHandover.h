#pragma once

#include "convert/fonts/FontIndex.h"

#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class FileDescriptor;
class JobWorkspace;

// The file name of the font map in a job's workspace.
inline const QString kInstalledFontMapName = QStringLiteral("installed_fonts.map");

// The installed fonts one conversion hands Ghostscript: a font map in its
// workspace that names, for each font the document needs and Ghostscript's
// own search would miss or take the wrong face of, its file and its face in
// the file. Ghostscript keeps its standard map and reads ours after it; the
// font files are opened once here, so that the sandbox can grant exactly
// those files.
class InstalledFontHandover
{
public:
    explicit InstalledFontHandover(FontIndex::Snapshot fonts);
    ~InstalledFontHandover();

    // Adds those of names that are installed, not handed over yet, and whose
    // file opens as a regular file; returns how many were added. A name
    // that was tried once is not tried again.
    int add(const QByteArrayList &names);
    bool isEmpty() const { return m_entries.isEmpty(); }
    QByteArrayList names() const;

    // Writes the map into the workspace, replacing the one before; false
    // with errno set when it cannot.
    bool writeMap(const JobWorkspace &workspace) const;
    // What Ghostscript is started with in addition: the map after its own,
    // and the right to read it under -dSAFER. Empty when nothing is handed
    // over (or the workspace's path cannot be named to Ghostscript).
    QStringList arguments(const QString &workspacePath) const;
    // The open font files, for the sandbox's rules.
    QList<int> descriptors() const;
    QStringList files() const;

    // The map's text, one entry a line.
    QByteArray mapText() const;

private:
    struct Entry {
        QByteArray name;
        QString file;
        int index;
        bool trueType;
    };

    FontIndex::Snapshot m_fonts;
    QList<Entry> m_entries;
    QSet<QByteArray> m_tried;
    QHash<QString, std::shared_ptr<FileDescriptor>> m_files;
};
