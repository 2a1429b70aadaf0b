#include "platform/files/AtomicFile.h"

#include "platform/files/FileDescriptor.h"
#include "platform/text/ProgramFailure.h"
#include "platform/text/SystemErrorText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// The longest file name, in bytes, that the file systems we run on allow.
constexpr qsizetype kNameMax = 255;

// The hidden sibling's name: the target's, shortened where needed, for a target
// whose name is already near the longest allowed would leave no room for it.
QString siblingTemplate(const QString &targetName)
{
    const QString suffix = QStringLiteral(".XXXXXX");
    QString stem = targetName;
    while (!stem.isEmpty() && QFile::encodeName(QLatin1Char('.') + stem + suffix).size() > kNameMax)
        stem.chop(stem.back().isLowSurrogate() && stem.size() > 1 ? 2 : 1);
    return QLatin1Char('.') + stem + suffix;
}

} // namespace

AtomicFile::AtomicFile(const FolderItem &target) : m_target(target)
{
    m_sibling.setFileTemplate(target.parent().child(siblingTemplate(target.name())).nativePath());
}

void AtomicFile::open()
{
    errno = 0;
    if (!m_sibling.open())
        fail(lastError());
}

void AtomicFile::write(const QByteArray &bytes)
{
    write(bytes.constData(), bytes.size());
}

void AtomicFile::write(const char *data, qint64 size)
{
    errno = 0;
    if (m_sibling.write(data, size) != size) {
        m_failed = true;
        fail(lastError());
    }
}

void AtomicFile::commit()
{
    errno = 0;
    if (m_failed || !m_sibling.flush())
        fail(lastError());
    m_sibling.close();
    applyDefaultPermissions(m_sibling.fileName());
    if (std::rename(QFile::encodeName(m_sibling.fileName()).constData(),
                    QFile::encodeName(m_target.nativePath()).constData()) != 0)
        fail(SystemErrorText(errno));
    m_sibling.setAutoRemove(false);
}

QString AtomicFile::lastError() const
{
    // A write cut short by a full disk leaves the file's own error unset;
    // the system's still says why, and says it in the program's language.
    if (errno != 0)
        return SystemErrorText(errno);
    return m_sibling.errorString();
}

void AtomicFile::fail(const QString &what) const
{
    throw ProgramFailure(m_target.nativePath() + QStringLiteral(": ") + what);
}

void applyDefaultPermissions(const QString &path)
{
#ifdef Q_OS_UNIX
    ::chmod(QFile::encodeName(path).constData(), mode_t(NewFileMode()));
#else
    Q_UNUSED(path);
#endif
}
