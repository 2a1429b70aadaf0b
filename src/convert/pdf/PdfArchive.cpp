#include "convert/pdf/PdfArchive.h"

#include "platform/text/PostScriptString.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QVersionNumber>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace {

// A header's comments come first; a title further on is no title of the
// document's.
constexpr qint64 kHeaderBytes = 64 * 1024;
constexpr qsizetype kLongestTitle = 512;

QString profileBelow(const QString &prefix)
{
    const QDir shared(prefix + QStringLiteral("/share/ghostscript"));
    if (!shared.exists())
        return {};
    QStringList versions = shared.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) {
        return QVersionNumber::fromString(a) > QVersionNumber::fromString(b);
    });
    versions.append(QString()); // some installations keep the profiles beside the versions
    for (const QString &version : std::as_const(versions)) {
        const QString profile = shared.absoluteFilePath(
            version.isEmpty() ? QStringLiteral("iccprofiles/srgb.icc")
                              : version + QStringLiteral("/iccprofiles/srgb.icc"));
        if (QFileInfo(profile).isFile())
            return QFileInfo(profile).absoluteFilePath();
    }
    return {};
}

QString lookUpProfile(const QString &ghostscriptPath)
{
    QStringList programs{QFileInfo(ghostscriptPath).absoluteFilePath()};
    const QString real = QFileInfo(ghostscriptPath).canonicalFilePath();
    if (!real.isEmpty() && !programs.contains(real))
        programs.append(real);
    for (const QString &program : std::as_const(programs)) {
        // <prefix>/bin/gs
        const QString prefix = QFileInfo(QFileInfo(program).absolutePath()).absolutePath();
        const QString profile = profileBelow(prefix);
        if (!profile.isEmpty())
            return profile;
    }
    return {};
}

QByteArray readHeader(int document)
{
    QByteArray bytes(qsizetype(kHeaderBytes), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t done =
            ::pread(document, bytes.data() + got, size_t(bytes.size() - got), off_t(got));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        got += done;
    }
    bytes.truncate(got);
    return bytes;
}

// The bytes a PostScript string "(…)" stands for.
QByteArray unescapedString(const QByteArray &body)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body.at(i);
        if (c != '\\' || i + 1 >= body.size()) {
            bytes.append(c);
            continue;
        }
        const char next = body.at(++i);
        if (next >= '0' && next <= '7') {
            int value = next - '0';
            for (int digits = 1; digits < 3 && i + 1 < body.size() && body.at(i + 1) >= '0' &&
                                 body.at(i + 1) <= '7';
                 ++digits)
                value = value * 8 + (body.at(++i) - '0');
            bytes.append(char(value & 0xff));
            continue;
        }
        switch (next) {
        case 'n':
            bytes.append('\n');
            break;
        case 'r':
            bytes.append('\r');
            break;
        case 't':
            bytes.append('\t');
            break;
        case 'b':
            bytes.append('\b');
            break;
        case 'f':
            bytes.append('\f');
            break;
        default:
            bytes.append(next);
        }
    }
    return bytes;
}

QString decoded(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

QString FindSrgbProfile(const QString &ghostscriptPath)
{
    static QMutex mutex;
    static QHash<QString, QString> found;
    const QMutexLocker lock(&mutex);
    const auto known = found.constFind(ghostscriptPath);
    if (known != found.constEnd())
        return *known;
    const QString profile = lookUpProfile(ghostscriptPath);
    found.insert(ghostscriptPath, profile);
    return profile;
}

QString DocumentTitle(int document)
{
    const QByteArray header = readHeader(document);
    if (!header.startsWith("%!"))
        return {};
    qsizetype at = 0;
    while (at < header.size()) {
        qsizetype end = at;
        while (end < header.size() && header.at(end) != '\n' && header.at(end) != '\r')
            ++end;
        const QByteArray line = header.mid(at, end - at);
        at = end + 1;
        if (line.isEmpty())
            continue;
        // The header's comments end at its first line that is no comment.
        if (!line.startsWith('%') || line.startsWith("%%EndComments"))
            break;
        if (!line.startsWith("%%Title:"))
            continue;
        QByteArray value = line.mid(8).trimmed();
        if (value == "(atend)")
            return {};
        if (value.size() >= 2 && value.startsWith('(') && value.endsWith(')'))
            value = unescapedString(value.mid(1, value.size() - 2));
        QString title = decoded(value).simplified();
        title.truncate(kLongestTitle);
        return title;
    }
    return {};
}

QByteArray ArchiveTitle(const QString &title)
{
    static const struct {
        char16_t letter;
        const char *ascii;
    } german[] = {{u'ä', "ae"}, {u'ö', "oe"}, {u'ü', "ue"}, {u'Ä', "Ae"},
                  {u'Ö', "Oe"}, {u'Ü', "Ue"}, {u'ß', "ss"}};
    QByteArray ascii;
    for (const QChar c : title) {
        const auto special = std::find_if(std::begin(german), std::end(german),
                                          [c](const auto &entry) { return entry.letter == c; });
        if (special != std::end(german)) {
            ascii.append(special->ascii);
            continue;
        }
        // "é" is "e" with an accent: the letter stays.
        const QString base = QString(c).normalized(QString::NormalizationForm_KD);
        bool any = false;
        for (const QChar part : base) {
            if (part.unicode() >= 0x20 && part.unicode() < 0x7f) {
                ascii.append(char(part.unicode()));
                any = true;
            }
        }
        if (!any && !c.isMark() && !c.isLowSurrogate())
            ascii.append(c.isSpace() ? ' ' : '?');
    }
    ascii.replace('(', '[').replace(')', ']').replace('\\', '/');
    return ascii.simplified();
}

QByteArray PdfaDefinition(const QString &profilePath, const QString &title)
{
    QByteArray definition = "%!\n";
    const QByteArray asciiTitle = ArchiveTitle(title);
    if (!asciiTitle.isEmpty())
        definition += "[ /Title (" + PostScriptStringBody(asciiTitle) + ") /DOCINFO pdfmark\n";
    definition +=
        "[ /_objdef {icc_PDFA} /type /stream /OBJ pdfmark\n"
        "[ {icc_PDFA} << /N 3 >> /PUT pdfmark\n"
        "[ {icc_PDFA}\n"
        "{ (" + PostScriptStringBody(profilePath.toUtf8()) + ") (r) file } stopped\n"
        "{\n"
        "  (PDF/A processing aborted: the sRGB profile cannot be read.\\n) print\n"
        "  cleartomark\n"
        "} {\n"
        "  /PUT pdfmark\n"
        "  [ /_objdef {OutputIntent_PDFA} /type /dict /OBJ pdfmark\n"
        "  [ {OutputIntent_PDFA} <<\n"
        "    /Type /OutputIntent\n"
        "    /S /GTS_PDFA1\n"
        "    /DestOutputProfile {icc_PDFA}\n"
        "    /OutputConditionIdentifier (sRGB)\n"
        "  >> /PUT pdfmark\n"
        "  [ {Catalog} << /OutputIntents [ {OutputIntent_PDFA} ] >> /PUT pdfmark\n"
        "} ifelse\n";
    return definition;
}

QStringList PdfaLostLines(const QByteArray &transcript)
{
    static const QRegularExpression lost(
        QStringLiteral("reverting to normal|falling back|processing aborted|aborting conversion|"
                       "may not (?:be (?:a |valid )?|conform to )PDF/A|"
                       "(?:cannot|can't|could not|unable to) (?:be )?embed"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList lines;
    const QStringList all = QString::fromUtf8(transcript).split(QLatin1Char('\n'));
    for (const QString &line : all) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && lost.match(trimmed).hasMatch() && !lines.contains(trimmed))
            lines.append(trimmed);
    }
    return lines;
}
