#include "convert/fonts/InstalledFontHandover.h"

#include "convert/fonts/FontFile.h"
#include "convert/fonts/InstalledFonts.h"
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

// A font file's link in the workspace: the input's link never starts with
// "_", so the two cannot meet.
QString linkName(qsizetype number)
{
    return QStringLiteral("_font_%1").arg(number);
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
        // A font may call itself anything; the map takes plain names only.
        if (face == nullptr || !IsPostScriptNameToken(name))
            continue;
        // Ghostscript reads a CFF font from a file of its own only.
        if (face->format != InstalledFace::Format::TrueType && face->index != 0)
            continue;
        const std::shared_ptr<const File> file = fileOf(face->file);
        if (!file)
            continue;
        m_entries.append(
            {name, file, face->index, face->format == InstalledFace::Format::TrueType});
        ++added;
    }
    return added;
}

std::shared_ptr<const InstalledFontHandover::File>
InstalledFontHandover::fileOf(const QString &source)
{
    for (const auto &file : std::as_const(m_files)) {
        if (file->source == source)
            return file;
    }
    // A font removed since the index was made, made unreadable, or turned
    // into anything but a trusted font file (a link another user retargeted,
    // a FIFO) is not handed over; Ghostscript then reports it missing.
    auto opened = std::make_shared<File>();
    opened->source = source;
    opened->descriptor = OpenFontFile(source, &opened->found);
    if (!opened->descriptor.isValid())
        return nullptr;
    opened->link = linkName(m_files.size() + 1);
    m_files.append(opened);
    return opened;
}

QByteArrayList InstalledFontHandover::names() const
{
    QByteArrayList names;
    for (const Entry &entry : m_entries)
        names << entry.name;
    return names;
}

QByteArray InstalledFontHandover::mapText(const QString &workspacePath) const
{
    QByteArray text;
    for (const Entry &entry : m_entries) {
        const QByteArray path = PostScriptStringBody(
            QFile::encodeName(workspacePath + QLatin1Char('/') + entry.file->link));
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
    // Opening /dev/fd/N opens the very file that was checked, whatever its
    // path leads to by now.
    for (const auto &file : m_files) {
        workspace.removeFile(file->link);
        if (!workspace.makeLink(QStringLiteral("/dev/fd/%1").arg(file->descriptor.get()),
                                file->link))
            return false;
    }
    const QByteArray text = mapText(workspace.path());
    workspace.removeFile(kInstalledFontMapName);
    const FileDescriptor map(
        workspace.openFile(kInstalledFontMapName, O_WRONLY | O_CREAT | O_EXCL));
    if (!map.isValid())
        return false;
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t done =
            ::write(map.get(), text.constData() + written, size_t(text.size() - written));
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
    // -dSAFER reads only files it is permitted: the map and the fonts' links
    // go by their full paths.
    const QString map = workspacePath + QLatin1Char('/') + kInstalledFontMapName;
    if (m_entries.isEmpty() || !namesOnlyItself(map) || map.contains(QLatin1Char(':')))
        return {};
    // "Fontmap.GS" first: a map of ours alone would replace Ghostscript's
    // own, and the standard fonts would be gone.
    QStringList arguments{QStringLiteral("-sFONTMAP=Fontmap.GS:") + map,
                          QStringLiteral("--permit-file-read=") + map};
    for (const auto &file : m_files)
        arguments << QStringLiteral("--permit-file-read=") + workspacePath + QLatin1Char('/') +
                         file->link;
    return arguments;
}

QList<int> InstalledFontHandover::descriptors() const
{
    QList<int> descriptors;
    for (const auto &file : m_files)
        descriptors << file->descriptor.get();
    return descriptors;
}

QStringList InstalledFontHandover::files() const
{
    QStringList files;
    for (const auto &file : m_files)
        files << file->found;
    return files;
}
