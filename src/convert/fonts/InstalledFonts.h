#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// One face of an installed font file.
struct InstalledFace {
    enum class Format { TrueType, OpenTypeCff, Type1 };

    QString file;
    // Its place in a collection (.ttc); 0 for a file of one face.
    int index = 0;
    Format format = Format::TrueType;
};

// The fonts installed on this machine by their PostScript names, as
// fontconfig knows them: every face of a collection and every OpenType font
// under its own name, which Ghostscript's own search does not find. A
// snapshot: it does not change once made.
class InstalledFonts
{
public:
    // Adds a face; of two files with the same name the first one stays.
    void add(const QByteArray &postScriptName, const InstalledFace &face);
    const InstalledFace *find(const QByteArray &postScriptName) const;
    qsizetype size() const { return m_faces.size(); }

private:
    QHash<QByteArray, InstalledFace> m_faces;
};
