#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Copies of the documents a benchmark is given, in a folder of the run's own
// that goes when the run ends. Our drop puts its PDF beside the document, and
// the other contenders' outputs (and the archive's definition file) go beside
// it too: converting copies keeps all of that out of the caller's folder, which
// the benchmarks after this one read as their corpus.
class WorkingCopies
{
public:
    explicit WorkingCopies(const QStringList &documents);

    // False when the folder or a copy could not be made; the reason is printed.
    bool isValid() const { return m_valid; }
    // The copies' absolute paths, in the order given, each with its document's name.
    const QStringList &files() const { return m_files; }
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    QStringList m_files;
    bool m_valid = false;
};
