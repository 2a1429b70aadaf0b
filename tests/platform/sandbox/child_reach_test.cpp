// What a confined Ghostscript is refused beyond the files Landlock governs,
// and what it is given: a compiled stand-in, taken over as a document could
// take Ghostscript over, is started confined the way a conversion starts it
// (GhostscriptSandbox in ChildProcess's child set-up, the environment of
// GhostscriptEnvironment) and tells what it could do.
#include "platform/process/ChildProcess.h"
#include "platform/sandbox/GhostscriptEnvironment.h"
#include "platform/sandbox/GhostscriptSandbox.h"
#include "platform/sandbox/SandboxRules.h"

#include "ScopedVariable.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#ifdef Q_OS_LINUX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace
{

#ifdef Q_OS_LINUX

const QString kStandIn = QStringLiteral(PAGORA_REACHING_GHOSTSCRIPT);

std::string asLines(const QMap<QByteArray, QByteArray> &variables)
{
    QByteArray lines;
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        lines += it.key() + '=' + it.value() + '\n';
    return lines.toStdString();
}

// Where the user's session listens: a named UNIX socket (as the session bus
// or an ssh agent does) and a UDP port on 127.0.0.1. Neither blocks, so
// that what did not arrive shows at once.
class SessionListeners
{
public:
    explicit SessionListeners(const QString &folder)
        : m_path(QFile::encodeName(folder + QStringLiteral("/session.sock")))
    {
        m_named = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un named{};
        named.sun_family = AF_UNIX;
        if (size_t(m_path.size()) >= sizeof named.sun_path)
            return;
        std::memcpy(named.sun_path, m_path.constData(), size_t(m_path.size()));
        m_datagram = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof local;
        m_ready = m_named >= 0 && m_datagram >= 0 &&
                  ::bind(m_named, reinterpret_cast<sockaddr *>(&named), sizeof named) == 0 &&
                  ::listen(m_named, 4) == 0 &&
                  ::bind(m_datagram, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0 &&
                  ::getsockname(m_datagram, reinterpret_cast<sockaddr *>(&local), &length) == 0;
        m_port = ntohs(local.sin_port);
    }
    ~SessionListeners()
    {
        for (const int socket : {m_named, m_datagram}) {
            if (socket >= 0)
                ::close(socket);
        }
    }
    SessionListeners(const SessionListeners &) = delete;
    SessionListeners &operator=(const SessionListeners &) = delete;

    bool ready() const { return m_ready; }
    QString path() const { return QFile::decodeName(m_path); }
    int port() const { return m_port; }

    // Everything that arrived since the last call, on either.
    QByteArray received()
    {
        QByteArray got;
        char buffer[256];
        for (int connection; (connection = ::accept(m_named, nullptr, nullptr)) >= 0;) {
            const ssize_t length = ::recv(connection, buffer, sizeof buffer, MSG_DONTWAIT);
            got += "unix:" + QByteArray(buffer, length > 0 ? int(length) : 0) + '\n';
            ::close(connection);
        }
        for (ssize_t length; (length = ::recv(m_datagram, buffer, sizeof buffer, 0)) >= 0;)
            got += "udp:" + QByteArray(buffer, int(length)) + '\n';
        return got;
    }

private:
    QByteArray m_path;
    int m_named = -1;
    int m_datagram = -1;
    int m_port = 0;
    bool m_ready = false;
};

// The stand-in as a conversion runs Ghostscript: in its workspace, through
// ChildProcess, confined (abiCeiling 0: the filter alone, as on a kernel
// without Landlock) or not at all, with Ghostscript's environment or with
// this program's.
class ConfinedStandIn : public testing::Test
{
protected:
    enum class Confinement { Landlock, FilterAlone, None };

    void SetUp() override
    {
        if (GhostscriptSandbox::support() != SandboxSupport::Landlock)
            GTEST_SKIP() << "this kernel offers no Landlock";
        ASSERT_TRUE(m_workspace.isValid());
    }

    QByteArray
    run(const QStringList &arguments, Confinement confinement,
        const QProcessEnvironment &environment = GhostscriptEnvironment(QStringLiteral("tmp")))
    {
        SandboxRules rules;
        rules.executable = kStandIn;
        rules.workspace = m_workspace.path();
        const GhostscriptSandbox sandbox = GhostscriptSandbox::prepare(
            rules, confinement == Confinement::FilterAlone ? 0 : INT_MAX);
        EXPECT_TRUE(sandbox.filtered()) << sandbox.errorText().toStdString();
        ChildProcess child;
        child.setWorkingDirectory(m_workspace.path());
        child.setEnvironment(environment);
        if (confinement != Confinement::None)
            child.setChildSetup(sandbox.childProcessModifier());
        QSignalSpy finished(&child, &ChildProcess::finished);
        child.start(kStandIn, arguments);
        if (!finished.wait(30000))
            return "(did not finish)";
        const ProcessResult result = finished.first().first().value<ProcessResult>();
        EXPECT_TRUE(result.succeeded()) << result.output.toStdString();
        return result.output;
    }

    QTemporaryDir m_workspace;
};

// The calls the filter refuses, each by the line the stand-in prints for it.
const char *const kRefusedCalls[] = {
    "socket",         "connect",        "sendmsg",           "socket-udp",  "sendto",
    "sendmmsg",       "socket-netlink", "socketpair",        "bind",        "listen",
    "accept",         "accept4",        "recvfrom",          "recvmsg",     "recvmmsg",
    "io_uring_setup", "io_uring_enter", "io_uring_register", "userfaultfd", "perf_event_open",
    "memfd_create",   "execveat",
};

// Where nothing stops the stand-in it reaches the session and starts a copy
// of itself; what the kernel surfaces answer unconfined depends on the system.
const char *const kAllowedUnconfined[] = {
    "socket",   "connect",        "sendmsg",    "socket-udp",   "sendto",
    "sendmmsg", "socket-netlink", "socketpair", "memfd_create", "execveat",
};

TEST_F(ConfinedStandIn, ReachesNeitherTheSessionNorTheKernelNorAProgramOfItsOwn)
{
    SessionListeners session(m_workspace.path());
    ASSERT_TRUE(session.ready());
    const QStringList arguments{QStringLiteral("session"), session.path(),
                                QString::number(session.port())};
    for (const Confinement confinement : {Confinement::Landlock, Confinement::FilterAlone}) {
        SCOPED_TRACE(confinement == Confinement::Landlock ? "with Landlock" : "filter alone");
        const QByteArray output = run(arguments, confinement);
        for (const char *call : kRefusedCalls) {
            // EPERM, not an ended process: the transcript says what was refused.
            const QByteArray refused = QByteArray("refused ") + call + " EPERM\n";
            EXPECT_TRUE(output.contains(refused)) << call << "\n" << output.toStdString();
        }
        EXPECT_FALSE(output.contains("allowed")) << output.toStdString();
        EXPECT_EQ(session.received(), QByteArray());
    }

    const QByteArray unconfined = run(arguments, Confinement::None);
    for (const char *call : kAllowedUnconfined) {
        const QByteArray allowed = QByteArray("allowed ") + call + '\n';
        EXPECT_TRUE(unconfined.contains(allowed)) << call << "\n" << unconfined.toStdString();
    }
    EXPECT_EQ(session.received(), QByteArray("unix:taken over\nudp:taken over\nudp:taken over\n"));
}

// The variables the stand-in printed ("env NAME=value"), one a line in the
// order of their names.
std::string printedEnvironment(const QByteArray &output)
{
    QMap<QByteArray, QByteArray> variables;
    for (const QByteArray &line : output.split('\n')) {
        if (!line.startsWith("env "))
            continue;
        const qsizetype equals = line.indexOf('=');
        variables.insert(line.mid(4, equals - 4), line.mid(equals + 1));
    }
    return asLines(variables);
}

TEST_F(ConfinedStandIn, GetsOnlyTheEnvironmentItIsGiven)
{
    // This program's own environment, as a session and a shell leave it.
    const struct {
        const char *name;
        const char *value;
    } session[] = {
        {"SSH_AUTH_SOCK", "/run/user/1000/ssh-agent.socket"},
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus"},
        {"GS_OPTIONS", "-dNOSAFER"},
        {"GS_LIB", "/home/anna/gs-lib"},
        {"GS_FONTPATH", "/home/anna/fonts"},
        {"LD_LIBRARY_PATH", "/home/anna/lib"},
        {"FONTCONFIG_FILE", "/home/anna/fonts.conf"},
        {"TMP", "/home/anna/tmp"},
        {"TEMP", "/home/anna/tmp"},
        {"LANGUAGE", "de:en"},
        {"GLIBC_TUNABLES", "glibc.malloc.arena_max=2"},
        {"LANG", "de_DE.UTF-8"},
        {"LC_PAPER", "de_DE.UTF-8"},
    };
    std::vector<std::unique_ptr<ScopedVariable>> variables;
    for (const auto &[name, value] : session)
        variables.push_back(std::make_unique<ScopedVariable>(name, value));

    const std::string got = printedEnvironment(
        run({QStringLiteral("session"), m_workspace.filePath(QStringLiteral("none")),
             QStringLiteral("9")},
            Confinement::Landlock, GhostscriptEnvironment(QStringLiteral("tmp"))));
    QMap<QByteArray, QByteArray> expected{
        {"TMPDIR", "tmp"},
        {"GLIBC_TUNABLES", "glibc.malloc.hugetlb=1"},
        {"LANG", "de_DE.UTF-8"},
        {"LC_PAPER", "de_DE.UTF-8"},
    };
    // PATH, HOME and whatever else of the locale the test was started with.
    for (const QString &name : QProcessEnvironment::systemEnvironment().keys()) {
        const QByteArray key = name.toLocal8Bit();
        if (key == "PATH" || key == "HOME" || key.startsWith("LC_"))
            expected.insert(key, qgetenv(key.constData()));
    }
    EXPECT_EQ(got, asLines(expected));
}

// Landlock governs making links: none anywhere, the workspace included,
// where whatever Ghostscript leaves is read by this program afterwards.
TEST_F(ConfinedStandIn, MakesNoLinkInTheWorkspaceHomeOrTmp)
{
    const QString tag = QStringLiteral("pagora-link-%1").arg(::getpid());
    const QStringList places{m_workspace.filePath(tag), QDir::homePath() + QLatin1Char('/') + tag,
                             QStringLiteral("/tmp/") + tag};
    const auto removeLinks = [&] {
        for (const QString &place : places)
            QFile::remove(place);
    };
    removeLinks();
    const QByteArray confined =
        run(QStringList{QStringLiteral("links")} + places, Confinement::Landlock);
    removeLinks();
    const QByteArray unconfined =
        run(QStringList{QStringLiteral("links")} + places, Confinement::None);
    removeLinks();
    for (const QString &place : places) {
        SCOPED_TRACE(place.toStdString());
        const QByteArray path = QFile::encodeName(place);
        EXPECT_TRUE(confined.contains("refused symlink " + path + " EACCES\n"))
            << confined.toStdString();
        EXPECT_TRUE(unconfined.contains("allowed symlink " + path + '\n'))
            << unconfined.toStdString();
    }
}

#endif // Q_OS_LINUX

} // namespace
