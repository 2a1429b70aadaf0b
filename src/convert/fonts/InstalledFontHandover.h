#pragma once

#include "convert/fonts/FontIndex.h"
#include "platform/files/FileDescriptor.h"

#include <QByteArrayList>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class JobWorkspace;

// The file name of the font map in a job's workspace.
inline const QString kInstalledFontMapName = QStringLiteral("installed_fonts.map");

// The installed fonts one conversion hands Ghostscript: a font map in its
// workspace that names, for each font the document needs and Ghostscript's
// own search would miss or take the wrong face of, its file and its face in
// the file. Ghostscript keeps its standard map and reads ours after it. Each
// font file is opened once here, as a careful loader opens it (OpenFontFile),
// and named in the map by a link in the workspace to /dev/fd/N: Ghostscript
// inherits the descriptor and reads exactly the file that was checked, the
// sandbox grants exactly that file, and the font's own path, whatever its
// folder is called, never reaches the map.
class InstalledFontHandover
{
public:
    explicit InstalledFontHandover(FontIndex::Snapshot fonts);
    ~InstalledFontHandover();

    // Adds those of names that are installed, not handed over yet, plain
    // PostScript name tokens, and whose file opens as a trusted font file;
    // returns how many were added. A name that was tried once is not tried
    // again.
    int add(const QByteArrayList &names);
    bool isEmpty() const { return m_entries.isEmpty(); }
    QByteArrayList names() const;

    // Makes the font files' links and writes the map into the workspace,
    // replacing those before; false with errno set when it cannot.
    bool writeMap(const JobWorkspace &workspace) const;
    // What Ghostscript is started with in addition: the map after its own,
    // and the right to read it and the font files' links under -dSAFER.
    // Empty when nothing is handed over (or the workspace's path cannot be
    // named to Ghostscript).
    QStringList arguments(const QString &workspacePath) const;
    // The open font files, for Ghostscript to inherit and the sandbox's rules.
    QList<int> descriptors() const;
    // Where those files are, links resolved: for rules that go by path.
    QStringList files() const;

    // The map's text, one entry a line, naming each file by its link in the
    // workspace at workspacePath.
    QByteArray mapText(const QString &workspacePath) const;

private:
    struct File {
        QString source; // its path in the index
        FileDescriptor descriptor;
        QString found; // its path, links resolved
        QString link;  // its name in the workspace
    };
    struct Entry {
        QByteArray name;
        std::shared_ptr<const File> file;
        int index;
        bool trueType;
    };

    // The file at source, opened the first time it is asked for; null when
    // it is not handed over.
    std::shared_ptr<const File> fileOf(const QString &source);

    FontIndex::Snapshot m_fonts;
    QList<Entry> m_entries;
    QSet<QByteArray> m_tried;
    // In the order opened; the faces of a collection share one.
    QList<std::shared_ptr<const File>> m_files;
};
