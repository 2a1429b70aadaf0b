#include "platform/sandbox/ChildConfinement.h"

#include "platform/sandbox/LandlockRuleset.h"

#include <QByteArray>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <cerrno>
#include <cstddef>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#endif

#ifdef Q_OS_UNIX
namespace
{

// Reports a failure in the child without allocating and ends it.
[[noreturn]] void childFails(const char *what, int error) noexcept
{
    char line[160];
    size_t length = 0;
    auto append = [&](const char *text) {
        while (*text != '\0' && length < sizeof line - 1)
            line[length++] = *text++;
    };
    append(ChildConfinement::kFailurePrefix);
    append(what);
    append(" failed, errno ");
    char digits[12];
    int count = 0;
    unsigned value = error < 0 ? 0U : static_cast<unsigned>(error);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && count < static_cast<int>(sizeof digits));
    while (count > 0 && length < sizeof line - 1)
        line[length++] = digits[--count];
    line[length++] = '\n';
    [[maybe_unused]] const ssize_t written = ::write(2, line, length);
    ::_exit(ChildConfinement::kFailureExitCode);
}

} // namespace
#endif

ChildConfinement ChildConfinement::of(int rulesetFd, const QByteArray &filterProgram)
{
    ChildConfinement confinement;
    confinement.rulesetFd = rulesetFd;
#if defined(Q_OS_LINUX)
    if (!filterProgram.isEmpty()) {
        confinement.filter = filterProgram.constData();
        confinement.filterLength =
            static_cast<unsigned short>(size_t(filterProgram.size()) / sizeof(sock_filter));
    }
#else
    Q_UNUSED(filterProgram);
#endif
    return confinement;
}

void ChildConfinement::apply() const noexcept
{
#if defined(Q_OS_LINUX)
    // Without no_new_privs an unprivileged process may restrict itself
    // neither way, and a set-user-ID program could shed the restriction.
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        childFails("PR_SET_NO_NEW_PRIVS", errno);
    if (rulesetFd >= 0 && !LandlockRuleset::restrictSelf(rulesetFd))
        childFails("landlock_restrict_self", errno);
    if (filter != nullptr) {
        sock_fprog program{};
        program.len = filterLength;
        program.filter = static_cast<sock_filter *>(const_cast<void *>(filter));
        if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program, 0, 0) != 0)
            childFails("seccomp filter", errno);
    }
#elif defined(Q_OS_UNIX)
    // Nothing here can confine; carrying on would run Ghostscript unconfined.
    childFails("confinement (not on this system)", 0);
#endif
}
