#include "platform/process/TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

int g_pipe[2] = {-1, -1};

#ifdef Q_OS_UNIX
pid_t g_owner = 0;

void onSignal(int signalNumber)
{
    // A child forked by this program keeps this handler and the pipe until it
    // runs its program. A signal meant for it (its group being stopped just
    // after it was started) must end it, not reach this program's event loop
    // as if this program had been asked to end.
    if (::getpid() != g_owner) {
        ::signal(signalNumber, SIG_DFL);
        ::raise(signalNumber); // delivered when the handler returns
        return;
    }
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
#endif

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    // Close-on-exec from the start where the system can: a child another
    // thread starts meanwhile must not get either end.
#ifdef Q_OS_LINUX
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
#else
    if (::pipe(g_pipe) != 0)
        return;
    for (const int fd : g_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
#endif
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1)
            emit received(byte);
    });
    g_owner = ::getpid();
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
#endif
}

TerminationSignals::~TerminationSignals()
{
#ifdef Q_OS_UNIX
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &standard, nullptr);
    delete m_notifier;
    for (int &fd : g_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
}
