#include "convert/watch/WatchedFolder.h"

#include "convert/fonts/MissingFonts.h"
#include "convert/job/ConversionTexts.h"
#include "convert/queue/BatchReport.h"
#include "convert/queue/ConversionInputs.h"
#include "convert/queue/ConversionQueue.h"
#include "convert/watch/WatchTexts.h"
#include "platform/files/ExclusiveRename.h"
#include "platform/files/FileDescriptor.h"
#include "platform/files/FileNameEncoding.h"
#include "platform/text/EndOfLine.h"
#include "platform/text/SystemErrorText.h"
#include "platform/watch/FolderWatcher.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace WatchTexts;

namespace {

const QString kIn = QStringLiteral("In");
const QString kOut = QStringLiteral("Out");
const QString kErrors = QStringLiteral("Errors");

QString systemError(int error)
{
    return SystemErrorText(error);
}

bool exists(int folder, const QString &name)
{
    struct stat st {};
    return ::fstatat(folder, EncodeFileName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 ||
           errno != ENOENT;
}

// The folder name inside parent, made when missing and opened as the folder
// it is: a link put there in its place is not followed.
std::shared_ptr<FileDescriptor> openSubfolder(int parent, const QString &name, QString *error)
{
    const QByteArray bytes = EncodeFileName(name);
    if (::mkdirat(parent, bytes.constData(), 0777) != 0 && errno != EEXIST) {
        *error = systemError(errno);
        return nullptr;
    }
    auto folder = std::make_shared<FileDescriptor>(
        ::openat(parent, bytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder->isValid()) {
        *error = systemError(errno);
        return nullptr;
    }
    return folder;
}

// The reason an entry that is no regular file is set aside unopened.
QString notAFileReason(mode_t mode)
{
    if (S_ISLNK(mode))
        return kIsLink;
    if (S_ISDIR(mode))
        return kIsFolder;
    return kIsNoFile;
}

} // namespace

WatchedFolder::WatchedFolder(QString ghostscriptPath, QString folder, WatchOptions options,
                             QObject *parent)
    : QObject(parent), m_ghostscriptPath(std::move(ghostscriptPath)),
      m_folder(QDir(folder).absolutePath()), m_options(options)
{
}

WatchedFolder::~WatchedFolder() = default;

bool WatchedFolder::start(QString *error)
{
    QString reason;
    QDir().mkpath(m_folder);
    const FileDescriptor folder(
        ::open(EncodeFileName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isValid())
        reason = systemError(errno);
    QString failed = m_folder;
    for (const auto &[name, into] : {std::pair{kIn, &m_in}, {kOut, &m_out}, {kErrors, &m_errors}}) {
        if (!reason.isEmpty())
            break;
        *into = openSubfolder(folder.get(), name, &reason);
        failed = QDir(m_folder).filePath(name);
    }
    if (!reason.isEmpty()) {
        *error = kCannotOpenFolder.arg(failed, reason);
        return false;
    }
    ConversionOptions options;
    options.missingFonts = m_options.missingFonts;
    options.outputFolder = QDir(m_folder).filePath(kOut);
    options.parallelJobs = m_options.parallelJobs;
    options.pdfKind = m_options.pdfKind;
    options.inputLinksRefused = true;
    m_queue = new ConversionQueue(m_ghostscriptPath, options, this);
    connect(m_queue, &ConversionQueue::fileFinished, this, &WatchedFolder::onFileFinished);
    m_queue->start();
    m_watcher = new FolderWatcher(this);
    m_watcher->setSettleTime(m_options.settleMs);
    connect(m_watcher, &FolderWatcher::entrySettled, this, &WatchedFolder::onEntrySettled);
    if (!m_watcher->watch(QDir(m_folder).filePath(kIn), &reason)) {
        *error = kCannotOpenFolder.arg(QDir(m_folder).filePath(kIn), reason);
        return false;
    }
    return true;
}

void WatchedFolder::stop()
{
    if (m_stopping)
        return;
    m_stopping = true;
    if (m_watcher)
        m_watcher->deleteLater();
    m_watcher = nullptr;
    if (m_queue)
        m_queue->cancel();
    checkStopped();
}

int WatchedFolder::running() const
{
    return int(m_queued.size());
}

void WatchedFolder::checkStopped()
{
    if (m_stopping && m_queued.isEmpty())
        QMetaObject::invokeMethod(this, &WatchedFolder::stopped, Qt::QueuedConnection);
}

void WatchedFolder::onEntrySettled(const QString &name)
{
    // Half-written files of other programs are often hidden; they wait.
    if (m_stopping || name.startsWith(QLatin1Char('.')))
        return;
    struct stat st {};
    if (::fstatat(m_in->get(), EncodeFileName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        m_watcher->release(name); // gone meanwhile
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        setAside(name, notAFileReason(st.st_mode));
        return;
    }
    const std::optional<QString> pdf = PdfPathFor(name);
    if (!pdf) {
        setAside(name, ConversionTexts::kNotPostScriptExplanation);
        return;
    }
    const QString pdfName = freeName(QFileInfo(*pdf).fileName());
    const int index = m_queue->add(QDir(m_folder).filePath(kIn + QLatin1Char('/') + name), {},
                                   pdfName);
    m_queued.insert(index, {name, pdfName});
}

QString WatchedFolder::freeName(const QString &pdfName) const
{
    QStringList claimed;
    for (const auto &queued : m_queued)
        claimed << queued.second;
    for (int number = 1;; ++number) {
        const QString candidate = NumberedName(pdfName, number);
        if (!claimed.contains(candidate) && !exists(m_out->get(), candidate))
            return candidate;
    }
}

void WatchedFolder::onFileFinished(int index)
{
    if (!m_queued.contains(index))
        return;
    const auto [name, pdfName] = m_queued.take(index);
    const QueuedFile &file = m_queue->file(index);
    using Outcome = ConversionJob::Outcome;
    switch (file.outcome) {
    case Outcome::Cancelled:
        // It stays in In for the next start.
        break;
    case Outcome::Converted: {
        WatchedFile done;
        done.input = kIn + QLatin1Char('/') + name;
        done.output = kOut + QLatin1Char('/') + pdfName;
        done.converted = true;
        // The input follows its PDF under the same number where it can.
        const QString base = QFileInfo(pdfName).completeBaseName();
        const QString suffix = QFileInfo(name).suffix();
        if (!moveInto(m_out->get(), name, base + QLatin1Char('.') + suffix).isEmpty() &&
            m_watcher)
            m_watcher->release(name);
        emit fileDone(done);
        break;
    }
    case Outcome::FontsMissing:
    case Outcome::Declined: {
        // A PDF with Ghostscript's stand-ins goes along to Errors, for a
        // look, but never stays in Out.
        if (file.pdfPlaced)
            moveAside(m_out->get(), pdfName);
        setAside(name, kFontsMissing.arg(JoinedFontNames(file.missingFonts)), file.failureText);
        break;
    }
    case Outcome::Failed:
        setAside(name, FailureReason(file.failureText), file.failureText);
        break;
    }
    checkStopped();
}

QString WatchedFolder::moveInto(int folder, const QString &name, const QString &wanted)
{
    for (int number = 1; number < 10000; ++number) {
        const QString target = NumberedName(wanted, number);
        // The log beside a file set aside must be free as well.
        if (folder == m_errors->get() && exists(folder, target + QStringLiteral(".log")))
            continue;
        if (RenameWithoutReplacing(m_in->get(), EncodeFileName(name), folder,
                                   EncodeFileName(target)))
            return target;
        if (errno != EEXIST)
            return {};
    }
    return {};
}

void WatchedFolder::moveAside(int from, const QString &name)
{
    for (int number = 1; number < 10000; ++number) {
        const QString target = NumberedName(name, number);
        if (RenameWithoutReplacing(from, EncodeFileName(name), m_errors->get(),
                                   EncodeFileName(target)) ||
            errno != EEXIST)
            return;
    }
}

void WatchedFolder::setAside(const QString &name, const QString &reason,
                             const QString &transcript)
{
    WatchedFile done;
    done.input = kIn + QLatin1Char('/') + name;
    done.reason = reason;
    done.transcript = transcript;
    // One that cannot be moved stays where it is, told once: nothing is
    // tried again and again.
    const QString moved = moveInto(m_errors->get(), name, name);
    if (!moved.isEmpty()) {
        QString text = reason + EndOfLine;
        if (!transcript.isEmpty())
            text += EndOfLine + transcript;
        if (writeLog(moved + QStringLiteral(".log"), text))
            done.log = kErrors + QLatin1Char('/') + moved + QStringLiteral(".log");
        if (m_watcher)
            m_watcher->release(name);
    }
    emit fileDone(done);
}

bool WatchedFolder::writeLog(const QString &logName, const QString &text)
{
    const FileDescriptor log(::openat(m_errors->get(), EncodeFileName(logName).constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    const QByteArray bytes = text.toUtf8();
    qsizetype written = 0;
    while (log.isValid() && written < bytes.size()) {
        const ssize_t done = ::write(log.get(), bytes.constData() + written,
                                     size_t(bytes.size() - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            break;
        written += done;
    }
    return log.isValid() && written == bytes.size();
}
