#include "platform/files/JobWorkspace.h"
#include "platform/files/TemporaryFolder.h"

#include "ScopedVariable.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

void makeFolder(const QString &path, mode_t mode)
{
    ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
    ASSERT_EQ(::chmod(encoded(path).constData(), mode), 0) << path.toStdString();
}

// Runs script (sh) as the user nobody, its arguments as $1, $2, ...; what it
// tries may fail, as an attacker's tries do. The test runs as root.
void runAsNobody(const QString &script, const QStringList &arguments)
{
    QProcess attacker;
    attacker.start(QStringLiteral("setpriv"),
                   QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                               QStringLiteral("--clear-groups"), QStringLiteral("/bin/sh"),
                               QStringLiteral("-c"), script, QStringLiteral("sh")} +
                       arguments);
    ASSERT_TRUE(attacker.waitForFinished(30000));
    ASSERT_EQ(attacker.exitStatus(), QProcess::NormalExit);
}

uid_t nobodyId()
{
    const passwd *nobody = ::getpwnam("nobody");
    return nobody != nullptr ? nobody->pw_uid : uid_t(65534);
}

QString usualName()
{
    return QStringLiteral("pagora-%1").arg(::geteuid());
}

// A folder of root's that a hijacked clean-up would empty.
struct Victim {
    QString folder;
    explicit Victim(const QString &path) : folder(path)
    {
        makeFolder(folder, 0755);
        TestFiles::writeBytes(folder + QStringLiteral("/keep"), "precious");
    }
    std::string entries() const
    {
        return QDir(folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
            .join(QLatin1Char(' '))
            .toStdString();
    }
};

// The folders a test hands out as TMPDIR, the runtime and the cache folder,
// all below one folder that every user may enter but only root change.
class WorkspaceLocation : public testing::Test
{
protected:
    WorkspaceLocation()
    {
        ::chmod(encoded(m_root.path()).constData(), 0755);
        ::chmod(encoded(m_runtime.path()).constData(), 0700);
    }
    QString inRoot(const QString &name) const { return m_root.filePath(name); }

    QTemporaryDir m_root;
    QTemporaryDir m_runtime;
    ScopedVariable m_runtimeVariable{"XDG_RUNTIME_DIR", encoded(m_runtime.path())};
    ScopedVariable m_cacheVariable{"XDG_CACHE_HOME", encoded(inRoot(QStringLiteral("cache")))};
    ScopedVariable m_temporaryVariable{"TMPDIR", encoded(inRoot(QStringLiteral("missing")))};
};

enum class Lands { InTmpdir, InRuntime };

struct LocationCase {
    const char *name;
    mode_t parentMode;
    mode_t baseMode;
    // TMPDIR names a link to the base: nobody's (in the parent) or root's.
    enum { NoLink, LinkOfNobody, LinkOfRoot } link;
    Lands lands;
};

void PrintTo(const LocationCase &c, std::ostream *out)
{
    *out << c.name;
}

class TemporaryLocation : public WorkspaceLocation, public testing::WithParamInterface<LocationCase>
{
};

// Wherever the workspace lands, nobody renames all it can reach on the way
// there; the workspace must stay where it is.
TEST_P(TemporaryLocation, OnlyAFolderOthersCannotChangeIsUsed)
{
    const LocationCase &c = GetParam();
    const QString parent = inRoot(QStringLiteral("parent"));
    const QString base = parent + QStringLiteral("/base");
    makeFolder(parent, c.parentMode);
    makeFolder(base, c.baseMode);
    QString tmpdir = base;
    if (c.link != LocationCase::NoLink) {
        tmpdir = parent + QStringLiteral("/link");
        if (c.link == LocationCase::LinkOfRoot)
            ASSERT_TRUE(QFile::link(base, tmpdir));
        else
            runAsNobody(QStringLiteral("ln -s \"$1\" \"$2\""), {base, tmpdir});
        ASSERT_TRUE(QFileInfo(tmpdir).isSymLink());
    }
    const ScopedVariable variable("TMPDIR", encoded(tmpdir));

    const JobWorkspace workspace;
    const QString expected = c.lands == Lands::InTmpdir ? base : m_runtime.path();
    EXPECT_EQ(QFileInfo(workspace.path()).path().toStdString(),
              (expected + QLatin1Char('/') + usualName()).toStdString());

    runAsNobody(
        QStringLiteral("cd \"$1\" && for e in * .[!.]*; do mv -- \"$e\" \"moved$e\"; done;"
                       "cd \"$2\" && mv base moved-base; [ -L \"$3\" ] && ln -sfn / \"$3\"; true"),
        {base, parent, tmpdir});
    struct stat st = {};
    ASSERT_EQ(::stat(encoded(workspace.filePath(QStringLiteral(".lock"))).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_TRUE(QFileInfo(workspace.filePath(JobWorkspace::temporaryName())).isDir());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, TemporaryLocation,
    testing::Values(
        LocationCase{"OpenToAll", 0755, 0777, LocationCase::NoLink, Lands::InRuntime},
        LocationCase{"OpenToAllSticky", 0755, 01777, LocationCase::NoLink, Lands::InTmpdir},
        LocationCase{"OpenToGroup", 0755, 0775, LocationCase::NoLink, Lands::InRuntime},
        LocationCase{"BelowOneOpenToAll", 0777, 0755, LocationCase::NoLink, Lands::InRuntime},
        LocationCase{"BelowOneOpenToAllSticky", 01777, 0755, LocationCase::NoLink, Lands::InTmpdir},
        LocationCase{"LinkOfAnotherUser", 01777, 0755, LocationCase::LinkOfNobody,
                     Lands::InRuntime},
        LocationCase{"LinkOfThisUser", 01777, 0755, LocationCase::LinkOfRoot, Lands::InTmpdir}),
    [](const testing::TestParamInfo<LocationCase> &info) { return std::string(info.param.name); });

struct RuntimeCase {
    const char *name;
    enum { Private, OpenToRead, OfNobody, Relative, Empty } runtime;
    bool usesRuntime;
};

void PrintTo(const RuntimeCase &c, std::ostream *out)
{
    *out << c.name;
}

class RuntimeOrCache : public WorkspaceLocation, public testing::WithParamInterface<RuntimeCase>
{
};

TEST_P(RuntimeOrCache, StandsInForARefusedTmpdir)
{
    const RuntimeCase &c = GetParam();
    const QString base = inRoot(QStringLiteral("shared"));
    makeFolder(base, 0777);
    const ScopedVariable temporary("TMPDIR", encoded(base));
    QByteArray runtime = encoded(m_runtime.path());
    if (c.runtime == RuntimeCase::OpenToRead) {
        ASSERT_EQ(::chmod(runtime.constData(), 0755), 0);
    }
    if (c.runtime == RuntimeCase::OfNobody) {
        ASSERT_EQ(::chown(runtime.constData(), nobodyId(), gid_t(-1)), 0);
    }
    if (c.runtime == RuntimeCase::Relative)
        runtime = "run/user";
    if (c.runtime == RuntimeCase::Empty)
        runtime.clear();
    const ScopedVariable runtimeVariable("XDG_RUNTIME_DIR", runtime);

    const JobWorkspace workspace;
    const QString cache = inRoot(QStringLiteral("cache/pagora"));
    const QString privateFolder = c.usesRuntime ? m_runtime.filePath(usualName()) : cache;
    EXPECT_EQ(QFileInfo(workspace.path()).path().toStdString(), privateFolder.toStdString());
    struct stat st = {};
    ASSERT_EQ(::lstat(encoded(privateFolder).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_TRUE(QDir(base).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, RuntimeOrCache,
    testing::Values(RuntimeCase{"PrivateRuntime", RuntimeCase::Private, true},
                    RuntimeCase{"RuntimeOthersCanRead", RuntimeCase::OpenToRead, false},
                    RuntimeCase{"RuntimeOfAnotherUser", RuntimeCase::OfNobody, false},
                    RuntimeCase{"RelativeRuntime", RuntimeCase::Relative, false},
                    RuntimeCase{"NoRuntime", RuntimeCase::Empty, false}),
    [](const testing::TestParamInfo<RuntimeCase> &info) { return std::string(info.param.name); });

struct HijackCase {
    const char *name;
    // Run as nobody in the TMPDIR with $1 the usual name, $2 the workspace's
    // name, $3 the victim's folder.
    const char *script;
};

void PrintTo(const HijackCase &c, std::ostream *out)
{
    *out << c.name;
}

class HijackedByAnotherUser : public WorkspaceLocation,
                              public testing::WithParamInterface<HijackCase>
{
};

// Between the workspace's making and its removal, nobody swaps the private
// folder's name in a TMPDIR open to all for a folder of theirs in which the
// workspace's name is a link to root's folder.
TEST_P(HijackedByAnotherUser, RemovalLeavesTheirTargetAlone)
{
    const QString base = inRoot(QStringLiteral("shared"));
    makeFolder(base, 0777);
    const ScopedVariable temporary("TMPDIR", encoded(base));
    const Victim victim(inRoot(QStringLiteral("victim")));
    QString path;
    {
        const JobWorkspace workspace;
        path = workspace.path();
        runAsNobody(QString::fromUtf8(GetParam().script),
                    {base, usualName(), QFileInfo(path).fileName(), victim.folder});
        // What the job writes, through the folder it holds.
        const int written = ::openat(workspace.descriptor(), "output.pdf",
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        EXPECT_GE(written, 0);
        ::close(written);
    }
    EXPECT_EQ(victim.entries(), "keep");
    EXPECT_FALSE(QFileInfo::exists(path));
}

INSTANTIATE_TEST_SUITE_P(
    Swaps, HijackedByAnotherUser,
    testing::Values(HijackCase{"TheirFolder",
                               "cd \"$1\" && mkdir theirs && ln -s \"$4\" theirs/\"$3\";"
                               "mv \"$2\" aside; mv theirs \"$2\"; true"},
                    HijackCase{"LinkToTheirFolder",
                               "cd \"$1\" && mkdir theirs && ln -s \"$4\" theirs/\"$3\";"
                               "mv \"$2\" aside; ln -s theirs \"$2\"; true"}),
    [](const testing::TestParamInfo<HijackCase> &info) { return std::string(info.param.name); });

#ifdef Q_OS_LINUX
// No other user can swap names in a folder the workspace is put in; if the
// private folder is swapped all the same (here by root, with a rename
// exchange), the job's writes and its removal stay with the folders it holds.
TEST_F(WorkspaceLocation, SwappedPrivateFolderLeavesTheNewOneAlone)
{
    const QString base = inRoot(QStringLiteral("sticky"));
    makeFolder(base, 01777);
    const ScopedVariable temporary("TMPDIR", encoded(base));
    const Victim victim(inRoot(QStringLiteral("victim")));
    const QString usual = base + QLatin1Char('/') + usualName();
    const QString theirs = base + QStringLiteral("/theirs");
    QString job;
    {
        const JobWorkspace workspace;
        job = QFileInfo(workspace.path()).fileName();
        ASSERT_EQ(QFileInfo(workspace.path()).path().toStdString(), usual.toStdString());
        makeFolder(theirs, 0755);
        ASSERT_TRUE(QFile::link(victim.folder, theirs + QLatin1Char('/') + job));
        ASSERT_EQ(::renameat2(AT_FDCWD, encoded(usual).constData(), AT_FDCWD,
                              encoded(theirs).constData(), RENAME_EXCHANGE),
                  0);
        const int written = ::openat(workspace.descriptor(), "output.pdf",
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        EXPECT_GE(written, 0);
        ::close(written);
    }
    EXPECT_EQ(victim.entries(), "keep");
    // The planted link is left as it was; the real workspace, now under the
    // other name, is gone.
    EXPECT_TRUE(QFileInfo(usual + QLatin1Char('/') + job).isSymLink());
    EXPECT_FALSE(QFileInfo(theirs + QLatin1Char('/') + job).exists());
}
#endif

// Links that a document (or Ghostscript taken over by it) leaves in its
// workspace, pointing out of it; the removal takes the links, not what they
// lead to.
TEST_F(WorkspaceLocation, RemovalFollowsNoLinkInside)
{
    const ScopedVariable temporary("TMPDIR", encoded(m_root.path()));
    const Victim victim(inRoot(QStringLiteral("victim")));
    QString path;
    {
        const JobWorkspace workspace;
        path = workspace.path();
        const QString nested = workspace.filePath(QStringLiteral("tmp/a/b"));
        ASSERT_TRUE(QDir().mkpath(nested));
        TestFiles::writeBytes(nested + QStringLiteral("/page.ps"), "x");
        for (const QString &link :
             {workspace.filePath(QStringLiteral("out")), nested + QStringLiteral("/out"),
              workspace.filePath(QStringLiteral("tmp/out"))})
            ASSERT_TRUE(QFile::link(victim.folder, link));
        ASSERT_TRUE(QFile::link(victim.folder + QStringLiteral("/keep"),
                                workspace.filePath(QStringLiteral("keep"))));
        ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent"),
                                workspace.filePath(QStringLiteral("dangling"))));
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(victim.entries(), "keep");
    EXPECT_EQ(TestFiles::readBytes(victim.folder + QStringLiteral("/keep")), "precious");
}

TEST_F(WorkspaceLocation, StaleRemovalFollowsNoLink)
{
    const ScopedVariable temporary("TMPDIR", encoded(m_root.path()));
    const Victim victim(inRoot(QStringLiteral("victim")));
    const QString folder = TemporaryFolder().nativePath();
    // A link named as a workspace, and a dead program's workspace holding a
    // link; neither has a lock anybody holds.
    const QString named = folder + QStringLiteral("/job-linked");
    ASSERT_TRUE(QFile::link(victim.folder, named));
    const QString stale = folder + QStringLiteral("/job-dead01");
    ASSERT_TRUE(QDir().mkpath(stale + QStringLiteral("/tmp")));
    TestFiles::writeBytes(stale + QStringLiteral("/.lock"), "");
    ASSERT_TRUE(QFile::link(victim.folder, stale + QStringLiteral("/tmp/out")));

    RemoveStaleWorkspaces();
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo(named).isSymLink());
    EXPECT_EQ(victim.entries(), "keep");
}

qint64 g_blocks = 0;

int addBlocks(const char *, const struct stat *st, int, FTW *walk)
{
    if (walk->level > 0)
        g_blocks += qint64(st->st_blocks) * 512;
    return 0;
}

// Everything below path, links counted as links, as du would count it.
qint64 blocksBelow(const QString &path)
{
    g_blocks = 0;
    return ::nftw(encoded(path).constData(), addBlocks, 16, FTW_PHYS) == 0 ? g_blocks : -1;
}

TEST_F(WorkspaceLocation, BytesUsedCountsNestedFilesAndNoLinkTarget)
{
    const ScopedVariable temporary("TMPDIR", encoded(m_root.path()));
    const QString outside = inRoot(QStringLiteral("outside"));
    makeFolder(outside, 0755);
    const QByteArray large(4 << 20, 'x');
    TestFiles::writeBytes(outside + QStringLiteral("/large"), large);

    const JobWorkspace workspace;
    const qint64 empty = workspace.bytesUsed();
    ASSERT_GE(empty, 0);
    EXPECT_EQ(empty, blocksBelow(workspace.path()));

    const QString nested = workspace.filePath(QStringLiteral("tmp/a/b"));
    ASSERT_TRUE(QDir().mkpath(nested));
    const QByteArray part(256 << 10, 'p');
    TestFiles::writeBytes(workspace.filePath(JobWorkspace::outputName()), part);
    TestFiles::writeBytes(nested + QStringLiteral("/gs_temp"), part);
    ASSERT_TRUE(QFile::link(outside, workspace.filePath(QStringLiteral("tmp/folder"))));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/large"), nested + QStringLiteral("/file")));

    const qint64 used = workspace.bytesUsed();
    EXPECT_EQ(used, blocksBelow(workspace.path()));
    EXPECT_GE(used - empty, 2 * part.size());
    EXPECT_LT(used - empty, large.size());
}

TEST_F(WorkspaceLocation, FilesAreReachedOnlyInsideAndNotThroughLinks)
{
    const ScopedVariable temporary("TMPDIR", encoded(m_root.path()));
    const Victim victim(inRoot(QStringLiteral("victim")));
    const QString target = victim.folder + QStringLiteral("/keep");
    const JobWorkspace workspace;

    for (const char *name : {"", ".", "..", "a/b", "../keep", "/keep"}) {
        const QString bad = QString::fromUtf8(name);
        errno = 0;
        EXPECT_EQ(workspace.openFile(bad, O_RDONLY), -1) << name;
        EXPECT_EQ(errno, EINVAL) << name;
        EXPECT_FALSE(workspace.removeFile(bad)) << name;
        EXPECT_FALSE(workspace.makeLink(target, bad)) << name;
    }

    ASSERT_TRUE(workspace.makeLink(target, QStringLiteral("input.ps")));
    EXPECT_FALSE(workspace.makeLink(target, QStringLiteral("input.ps")));
    for (const int flags : {O_RDONLY, O_WRONLY | O_CREAT | O_TRUNC}) {
        errno = 0;
        EXPECT_EQ(workspace.openFile(QStringLiteral("input.ps"), flags), -1) << flags;
        EXPECT_EQ(errno, ELOOP) << flags;
    }
    EXPECT_TRUE(workspace.removeFile(QStringLiteral("input.ps")));
    EXPECT_TRUE(workspace.removeFile(QStringLiteral("input.ps")));
    EXPECT_EQ(TestFiles::readBytes(target), "precious");

    const int made = workspace.openFile(QStringLiteral("prolog.ps"), O_WRONLY | O_CREAT | O_EXCL);
    ASSERT_GE(made, 0);
    struct stat st = {};
    ASSERT_EQ(::fstat(made, &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(::fcntl(made, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    ::close(made);
    EXPECT_TRUE(QFileInfo(workspace.filePath(QStringLiteral("prolog.ps"))).isFile());
}

} // namespace
