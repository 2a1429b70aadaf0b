#include "convert/fonts/InstalledFontHandover.h"

#include "convert/fonts/InstalledFonts.h"
#include "platform/files/FileDescriptor.h"
#include "platform/files/JobWorkspace.h"
#include "platform/text/PostScriptString.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The fonts of Ghostscript's own map, which every run has: an installed font
// of the same name (a system's own Helvetica) is left to Ghostscript, so
// that documents in the standard fonts come out as they always did.
const QSet<QByteArray> &standardFonts()
{
    static const QSet<QByteArray> names{
        "AvantGarde-Book", "AvantGarde-BookOblique", "AvantGarde-Demi", "AvantGarde-DemiOblique",
        "Bookman-Demi", "Bookman-DemiItalic", "Bookman-Light", "Bookman-LightItalic",
        "Courier", "Courier-Bold", "Courier-BoldOblique", "Courier-Oblique",
        "Helvetica", "Helvetica-Bold", "Helvetica-BoldOblique", "Helvetica-Oblique",
        "Helvetica-Narrow", "Helvetica-Narrow-Bold", "Helvetica-Narrow-BoldOblique",
        "Helvetica-Narrow-Oblique", "NewCenturySchlbk-Bold", "NewCenturySchlbk-BoldItalic",
        "NewCenturySchlbk-Italic", "NewCenturySchlbk-Roman", "Palatino-Bold",
        "Palatino-BoldItalic", "Palatino-Italic", "Palatino-Roman", "Symbol", "Times-Bold",
        "Times-BoldItalic", "Times-Italic", "Times-Roman", "ZapfChancery-MediumItalic",
        "ZapfDingbats"};
    return names;
}

// Ghostscript reads "*", "?" and "\" in a path it is permitted as a pattern.
bool namesOnlyItself(const QString &path)
{
    return !path.contains(QLatin1Char('*')) && !path.contains(QLatin1Char('?')) &&
           !path.contains(QLatin1Char('\\'));
}

} // namespace

InstalledFontHandover::InstalledFontHandover(FontIndex::Snapshot fonts) : m_fonts(std::move(fonts))
{
}

InstalledFontHandover::~InstalledFontHandover() = default;

int InstalledFontHandover::add(const QByteArrayList &names)
{
    if (!m_fonts)
        return 0;
    int added = 0;
    for (const QByteArray &name : names) {
        if (m_tried.contains(name) || standardFonts().contains(name))
            continue;
        m_tried.insert(name);
        const InstalledFace *face = m_fonts->find(name);
        if (face == nullptr)
            continue;
        // Ghostscript reads a CFF font from a file of its own only.
        if (face->format != InstalledFace::Format::TrueType && face->index != 0)
            continue;
        auto file = m_files.value(face->file);
        if (!file) {
            // A font removed since the index was made, or made unreadable,
            // is not handed over; Ghostscript then reports it missing. A
            // FIFO under a font's name must not hold the conversion.
            OpenFailure failure;
            FileDescriptor opened = OpenRegularFile(face->file, &failure);
            if (!opened.isValid())
                continue;
            file = std::make_shared<FileDescriptor>(std::move(opened));
            m_files.insert(face->file, file);
        }
        m_entries.append(
            {name, face->file, face->index, face->format == InstalledFace::Format::TrueType});
        ++added;
    }
    return added;
}

QByteArrayList InstalledFontHandover::names() const
{
    QByteArrayList names;
    for (const Entry &entry : m_entries)
        names << entry.name;
    return names;
}

QByteArray InstalledFontHandover::mapText() const
{
    QByteArray text;
    for (const Entry &entry : m_entries) {
        const QByteArray path = PostScriptStringBody(QFile::encodeName(entry.file));
        // A TrueType face is named by its place in the file, so that each
        // face of a collection is itself and not the collection's first.
        if (entry.trueType)
            text += '/' + entry.name + " << /Path (" + path + ") /FontType 42 /SubfontID " +
                    QByteArray::number(entry.index) + " >> ;\n";
        else
            text += '/' + entry.name + " (" + path + ") ;\n";
    }
    return text;
}

bool InstalledFontHandover::writeMap(const JobWorkspace &workspace) const
{
    const QByteArray text = mapText();
    workspace.removeFile(kInstalledFontMapName);
    const FileDescriptor file(
        workspace.openFile(kInstalledFontMapName, O_WRONLY | O_CREAT | O_EXCL));
    if (!file.isValid())
        return false;
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t done =
            ::write(file.get(), text.constData() + written, size_t(text.size() - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = EIO;
            return false;
        }
        written += done;
    }
    return true;
}

QStringList InstalledFontHandover::arguments(const QString &workspacePath) const
{
    // Ghostscript looks a relative map name up in its own folders, and under
    // -dSAFER reads only files it is permitted: the map goes by its full path.
    const QString map = workspacePath + QLatin1Char('/') + kInstalledFontMapName;
    if (m_entries.isEmpty() || !namesOnlyItself(map) || map.contains(QLatin1Char(':')))
        return {};
    // "Fontmap.GS" first: a map of ours alone would replace Ghostscript's
    // own, and the standard fonts would be gone.
    return {QStringLiteral("-sFONTMAP=Fontmap.GS:") + map,
            QStringLiteral("--permit-file-read=") + map};
}

QList<int> InstalledFontHandover::descriptors() const
{
    QList<int> descriptors;
    for (const auto &file : m_files)
        descriptors << file->get();
    return descriptors;
}

QStringList InstalledFontHandover::files() const
{
    return m_files.keys();
}
