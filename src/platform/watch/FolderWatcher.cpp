#include "platform/watch/FolderWatcher.h"

#include "platform/files/FileNameEncoding.h"
#include "platform/text/SystemErrorText.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#endif

namespace {

QString systemError(int error)
{
    return SystemErrorText(error);
}

#ifdef Q_OS_LINUX
// Whether a writer still holds the regular file path open: a read lease is
// granted only when nobody has it open for writing. Nothing when the system
// cannot tell (a file of another user, or a file system without leases).
std::optional<bool> openForWritingByLease(const QByteArray &path)
{
    const int file = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<bool> writing;
    if (::fstat(file, &st) == 0 && S_ISREG(st.st_mode)) {
        if (::fcntl(file, F_SETLEASE, F_RDLCK) == 0) {
            writing = false;
            ::fcntl(file, F_SETLEASE, F_UNLCK);
        } else if (errno == EAGAIN) {
            writing = true;
        }
    }
    ::close(file);
    return writing;
}
#endif

} // namespace

FolderWatcher::FolderWatcher(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to a twentieth of the settle time late (or
    // early, and then once more): that would be added to every file's wait.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FolderWatcher::settle);
}

FolderWatcher::~FolderWatcher()
{
#ifdef Q_OS_LINUX
    if (m_inotify >= 0)
        ::close(m_inotify);
#endif
}

bool FolderWatcher::watch(const QString &folder, QString *error)
{
    m_folder = QDir(folder).absolutePath();
#ifdef Q_OS_LINUX
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // What starts or ends a write, and what brings an entry in or takes it
    // away; a write in progress only moves the settle time on.
    const uint32_t events = IN_CREATE | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_TO |
                            IN_MOVED_FROM | IN_DELETE | IN_ONLYDIR | IN_DONT_FOLLOW;
    if (m_inotify < 0 ||
        ::inotify_add_watch(m_inotify, EncodeFileName(m_folder).constData(), events) < 0) {
        *error = systemError(errno);
        return false;
    }
    m_notifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatcher::readEvents);
#else
    if (!QFileInfo(m_folder).isDir()) {
        *error = systemError(ENOTDIR);
        return false;
    }
    m_watcher = new QFileSystemWatcher(this);
    if (!m_watcher->addPath(m_folder)) {
        *error = systemError(EACCES);
        return false;
    }
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &FolderWatcher::onFolderChanged);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FolderWatcher::onFileChanged);
#endif
    // What arrived while nobody watched.
    scanFolder();
    return true;
}

void FolderWatcher::release(const QString &name)
{
    m_pending.remove(name);
#ifndef Q_OS_LINUX
    m_seen.remove(name);
    m_watcher->removePath(QDir(m_folder).filePath(name));
#endif
}

void FolderWatcher::touch(const QString &name, bool created, bool closed)
{
    Pending &entry = m_pending[name];
    if (entry.told)
        return;
    entry.quietUntil = QDeadlineTimer(m_settleMs);
    if (created)
        entry.openForWriting = true;
    if (closed)
        entry.openForWriting = false;
    armTimer();
}

void FolderWatcher::scanFolder()
{
    const QStringList names =
        QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                 QDir::NoDotAndDotDot);
    for (const QString &name : names) {
#ifndef Q_OS_LINUX
        const QFileInfo info(QDir(m_folder).filePath(name));
        m_seen.insert(name, {info.size(), info.lastModified().toMSecsSinceEpoch()});
        if (info.isFile() && !info.isSymLink())
            m_watcher->addPath(info.filePath());
#endif
        if (!m_pending.contains(name))
            touch(name, false, false);
    }
}

void FolderWatcher::settle()
{
    QStringList settled;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        const QString name = it.key();
        Pending &entry = it.value();
        struct stat st {};
        const QByteArray path = EncodeFileName(QDir(m_folder).filePath(name));
        if (!entry.told && ::lstat(path.constData(), &st) != 0) {
            it = m_pending.erase(it); // gone before it settled
            continue;
        }
        if (!entry.told && entry.quietUntil.hasExpired()) {
            if (S_ISREG(st.st_mode) && stillBeingWritten(name, entry)) {
                entry.quietUntil = QDeadlineTimer(m_settleMs);
            } else {
                entry.told = true;
                settled << name;
            }
        }
        ++it;
    }
    armTimer();
    for (const QString &name : std::as_const(settled))
        emit entrySettled(name);
}

void FolderWatcher::armTimer()
{
    qint64 next = -1;
    for (const Pending &entry : std::as_const(m_pending)) {
        if (entry.told)
            continue;
        const qint64 remaining = entry.quietUntil.remainingTime();
        next = next < 0 ? remaining : std::min(next, remaining);
    }
    // Nothing waiting: no timer runs, and an idle folder costs nothing.
    if (next < 0)
        m_timer.stop();
    else
        m_timer.start(int(std::max<qint64>(0, next)));
}

bool FolderWatcher::stillBeingWritten(const QString &name, const Pending &entry)
{
    const QString path = QDir(m_folder).filePath(name);
#ifdef Q_OS_LINUX
    if (const std::optional<bool> writing = openForWritingByLease(EncodeFileName(path)))
        return *writing;
    return entry.openForWriting;
#else
    // Without a way to ask, a file that still grows or changes is being written.
    Q_UNUSED(entry);
    const QFileInfo info(path);
    const QPair<qint64, qint64> now{info.size(), info.lastModified().toMSecsSinceEpoch()};
    const bool changed = m_seen.value(name) != now;
    m_seen.insert(name, now);
    return changed;
#endif
}

#ifdef Q_OS_LINUX
void FolderWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_inotify, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                scanFolder();
                continue;
            }
            if (event->len == 0)
                continue;
            const QString name = DecodeFileName(QByteArray(event->name));
            if (event->mask & (IN_DELETE | IN_MOVED_FROM)) {
                if (!m_pending.value(name).told)
                    m_pending.remove(name);
                continue;
            }
            // A folder, link or FIFO made here is never written: it settles.
            const bool created = (event->mask & IN_CREATE) && !(event->mask & IN_ISDIR);
            touch(name, created, event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO));
        }
    }
}
#else
void FolderWatcher::onFolderChanged()
{
    const QStringList names =
        QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                 QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QFileInfo info(QDir(m_folder).filePath(name));
        const QPair<qint64, qint64> now{info.size(), info.lastModified().toMSecsSinceEpoch()};
        if (m_seen.value(name) == now && m_pending.contains(name))
            continue;
        m_seen.insert(name, now);
        if (info.isFile() && !info.isSymLink())
            m_watcher->addPath(info.filePath());
        touch(name, false, false);
    }
}

void FolderWatcher::onFileChanged(const QString &path)
{
    const QFileInfo info(path);
    m_seen.insert(info.fileName(), {info.size(), info.lastModified().toMSecsSinceEpoch()});
    touch(info.fileName(), false, false);
}
#endif
