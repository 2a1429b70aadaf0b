#include "platform/files/AtomicFile.h"
#include "platform/files/FileDescriptor.h"
#include "platform/files/FolderItem.h"
#include "platform/files/JobWorkspace.h"
#include "platform/files/TemporaryFolder.h"
#include "platform/files/TextStreams.h"

#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct PathCase {
    const char *path;
    const char *name;
    const char *parent;
};

class FolderItemPaths : public testing::TestWithParam<PathCase> {};

TEST_P(FolderItemPaths, NameAndParent)
{
    const FolderItem item(QString::fromUtf8(GetParam().path));
    EXPECT_EQ(item.name(), QString::fromUtf8(GetParam().name));
    EXPECT_EQ(item.parent().nativePath(), QString::fromUtf8(GetParam().parent));
}

INSTANTIATE_TEST_SUITE_P(
    Table, FolderItemPaths,
    testing::Values(PathCase{"/Users/anna/Bild.PS", "Bild.PS", "/Users/anna"},
                    PathCase{"/Users/anna/Ordner.ps/", "Ordner.ps", "/Users/anna"},
                    PathCase{"/top.ps", "top.ps", "/"},
                    PathCase{"/a b/Grüße \"x\".eps", "Grüße \"x\".eps", "/a b"},
                    PathCase{"/", "", "/"}));

TEST(FolderItem, ChildAndExistenceFollowLinks)
{
    QTemporaryDir dir;
    const FolderItem folder(dir.path());
    const FolderItem file = folder.child(QStringLiteral("a.ps"));
    EXPECT_EQ(file.nativePath(), dir.path() + QStringLiteral("/a.ps"));
    EXPECT_FALSE(file.exists());
    TestFiles::writeBytes(file.nativePath(), "x");
    EXPECT_TRUE(file.exists());
    EXPECT_TRUE(FolderItem(QStringLiteral("/")).child(QStringLiteral("tmp")).exists());

    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("missing")), link));
    EXPECT_FALSE(FolderItem(link).exists()); // a dangling link is no file
}

class PrivateTemporaryFolder : public testing::Test
{
protected:
    void SetUp() override
    {
        m_savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_base.path().toUtf8());
    }
    void TearDown() override { qputenv("TMPDIR", m_savedTmp); }

    QTemporaryDir m_base;
    QByteArray m_savedTmp;
};

TEST_F(PrivateTemporaryFolder, IsTheUsersOwnAndClosedToOthers)
{
    const FolderItem folder = TemporaryFolder();
    EXPECT_EQ(folder.parent().nativePath(), m_base.path());
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder.nativePath()).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(TemporaryFolder(), folder);
}

TEST_F(PrivateTemporaryFolder, PlantedLinkIsNotUsed)
{
    QTemporaryDir elsewhere;
    const QString usual = m_base.filePath(QStringLiteral("pagora-%1").arg(::geteuid()));
    ASSERT_TRUE(QFile::link(elsewhere.path(), usual));

    const FolderItem folder = TemporaryFolder();
    EXPECT_NE(folder.nativePath(), usual);
    EXPECT_FALSE(QFileInfo(folder.nativePath()).isSymLink());
    TextOutputStream stream = TextOutputStream::create(folder.child(QStringLiteral("x.ps")));
    stream.write(QByteArray("data"));
    stream.close();
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

TEST_F(PrivateTemporaryFolder, FolderTakenBySomebodyElseIsReplacedOncePerRun)
{
    const QString usual = m_base.filePath(QStringLiteral("pagora-%1").arg(::geteuid()));
    ASSERT_TRUE(QDir().mkdir(usual));
    ASSERT_EQ(::chown(QFile::encodeName(usual).constData(), 65534, 65534), 0) << "needs root";

    const FolderItem first = TemporaryFolder();
    EXPECT_NE(first.nativePath(), usual);
    EXPECT_EQ(TemporaryFolder(), first);
    EXPECT_EQ(TemporaryFolder(), first);
    EXPECT_EQ(QDir(m_base.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
}

TEST_F(PrivateTemporaryFolder, RelativeOrMissingLocationMeansTmp)
{
    for (const QByteArray &value : {QByteArray("relative/place"), QByteArray()}) {
        qputenv("TMPDIR", value);
        EXPECT_EQ(TemporaryFolder().parent().nativePath(), QStringLiteral("/tmp"))
            << value.constData();
    }
}

TEST_F(PrivateTemporaryFolder, WorkspaceIsPrivateAndRemovedWithItsFiles)
{
    QString path;
    {
        JobWorkspace workspace;
        path = workspace.path();
        TestFiles::writeBytes(workspace.filePath(QStringLiteral("left-over")), "x");
        ASSERT_TRUE(QFile::link(QStringLiteral("/etc"), workspace.filePath(QStringLiteral("l"))));
        EXPECT_TRUE(path.startsWith(TemporaryFolder().nativePath() + QLatin1Char('/')));
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_TRUE(QFileInfo(workspace.filePath(JobWorkspace::temporaryName())).isDir());
        JobWorkspace other;
        EXPECT_NE(other.path(), path);
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/etc/hostname")) ||
                QFileInfo(QStringLiteral("/etc")).isDir());
}

TEST_F(PrivateTemporaryFolder, StaleWorkspacesGoLiveOnesStay)
{
    JobWorkspace live;
    // What a killed program leaves: its workspace with a lock nobody holds.
    const QString stale = TemporaryFolder().child(QStringLiteral("job-dead01")).nativePath();
    ASSERT_TRUE(QDir().mkpath(stale + QStringLiteral("/tmp")));
    TestFiles::writeBytes(stale + QStringLiteral("/.lock"), "");
    TestFiles::writeBytes(stale + QStringLiteral("/gs_fixed_temp.ps"), "copy of a document");

    RemoveStaleWorkspaces();
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo(live.path()).isDir());
}

TEST(AtomicFile, ReplacesTheTargetOnlyOnCommit)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("sheet.ps"));
    TestFiles::writeBytes(target, "old");
    {
        AtomicFile file{FolderItem(target)};
        file.open();
        file.write(QByteArray("new, never committed"));
    }
    EXPECT_EQ(TestFiles::readBytes(target), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    AtomicFile file{FolderItem(target)};
    file.open();
    file.write(QByteArray("new\r\n\x00\xff", 7));
    file.commit();
    EXPECT_EQ(TestFiles::readBytes(target), QByteArray("new\r\n\x00\xff", 7));
    EXPECT_TRUE(QFileInfo(target).permissions() & QFile::ReadOwner);
}

TEST(AtomicFile, ReplacesALinkInsteadOfWritingThroughIt)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim"));
    const QString target = dir.filePath(QStringLiteral("gs_fixed_temp.ps"));
    TestFiles::writeBytes(victim, "precious");
    ASSERT_TRUE(QFile::link(victim, target));

    TextOutputStream stream = TextOutputStream::create(FolderItem(target));
    stream.writeLine(QStringLiteral("% neu"));
    stream.close();
    EXPECT_EQ(TestFiles::readBytes(victim), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(target).isSymLink());
    EXPECT_EQ(TestFiles::readBytes(target), QByteArray("% neu\n"));
}

TEST(AtomicFile, UnwritableFolderThrows)
{
    QTemporaryDir dir;
    TestFiles::ReadOnlyFolder readOnly(dir.path());
    if (!readOnly.active())
        GTEST_SKIP() << "cannot make a read-only folder here";
    AtomicFile file{FolderItem(dir.filePath(QStringLiteral("x")))};
    EXPECT_THROW(file.open(), std::runtime_error);
}

class LongNames : public testing::TestWithParam<QByteArray>
{
};

TEST_P(LongNames, FileWithTheLongestNameIsWrittenInPlace)
{
    // The hidden sibling adds eight bytes to the name: it has to be shorter.
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8(GetParam()));
    ASSERT_EQ(QFile::encodeName(QFileInfo(path).fileName()).size(), 255);
    {
        AtomicFile file{FolderItem(path)};
        file.open();
        file.write("whole");
        file.commit();
    }
    EXPECT_EQ(TestFiles::readBytes(path), QByteArray("whole"));
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
        1);
}

INSTANTIATE_TEST_SUITE_P(Names, LongNames,
                         testing::Values(QByteArray(251, 'n') + ".pdf",
                                         QByteArray("\xc3\xa4").repeated(125) + "a.pdf",
                                         QByteArray("\xf0\x9f\x98\x80").repeated(62) + "x.pdf" +
                                             QByteArray(2, 'y')));

TEST(TextInputStream, RefusesAnythingButARegularFileWithoutWaiting)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("x.ps"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Opening the FIFO as a plain file would wait here for a writer.
    EXPECT_THROW(TextInputStream::open(FolderItem(fifo)), std::runtime_error);
    EXPECT_THROW(TextInputStream::open(FolderItem(dir.path())), std::runtime_error);
    EXPECT_THROW(TextInputStream::open(FolderItem(QStringLiteral("/dev/zero"))),
                 std::runtime_error);

    const QString file = dir.filePath(QStringLiteral("y.ps"));
    TestFiles::writeBytes(file, "bytes");
    TextInputStream stream = TextInputStream::open(FolderItem(file));
    EXPECT_EQ(stream.readAll(), QByteArray("bytes"));
}

// A PDF placed on a worker thread asks which mode a new file gets while other
// threads create files: asking must not change the mask they are created with.
TEST(NewFileMode, AskingLeavesTheMaskOfOtherThreadsAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const mode_t saved = ::umask(022);
    const unsigned expected = NewFileMode();
    std::atomic<bool> done = false;
    int wrong = 0;
    std::thread creator([&] {
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("f")));
        for (int i = 0; i < 20000; ++i) {
            const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            struct stat st {};
            if (fd < 0 || ::fstat(fd, &st) != 0 || (st.st_mode & 0777) != 0644)
                ++wrong;
            ::close(fd);
            ::unlink(path.constData());
        }
        done = true;
    });
    while (!done)
        EXPECT_EQ(NewFileMode(), expected);
    creator.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(::umask(saved), mode_t(022));
}
