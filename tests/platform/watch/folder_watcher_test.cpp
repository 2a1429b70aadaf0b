#include "platform/watch/FolderWatcher.h"

#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kSettleMs = 300;

// What a watcher told, with each file's bytes as they were when it was told.
class Watching : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_watcher.setSettleTime(kSettleMs);
        QObject::connect(&m_watcher, &FolderWatcher::entrySettled, [this](const QString &name) {
            m_told << name;
            // Read only what the watcher says is a file at rest.
            struct stat st {};
            if (::lstat(QFile::encodeName(path(name)).constData(), &st) == 0 && S_ISREG(st.st_mode))
                m_bytes.insert(name, TestFiles::readBytes(path(name)));
        });
    }

    void watch()
    {
        QString error;
        ASSERT_TRUE(m_watcher.watch(m_dir.path(), &error)) << error.toStdString();
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Runs the event loop until count entries were told, or for at most
    // milliseconds; then a little longer, to see that nothing is told twice.
    void waitFor(qsizetype count, int milliseconds = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (m_told.size() < count && clock.elapsed() < milliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const qint64 settledAt = clock.elapsed();
        while (clock.elapsed() < settledAt + 3 * kSettleMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    QTemporaryDir m_dir;
    FolderWatcher m_watcher;
    QStringList m_told;
    QHash<QString, QByteArray> m_bytes;
};

TEST_F(Watching, AFileWrittenSlowlyIsToldOnceWhole)
{
    watch();
    // Pauses longer than the settle time, all through one descriptor.
    QProcess writer;
    writer.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("exec 3>'%1'; echo page1 >&3; sleep 1; echo page2 >&3; sleep 1; "
                                 "echo page3 >&3; exec 3>&-")
                      .arg(path(QStringLiteral("slow.ps")))});
    waitFor(1);
    writer.waitForFinished(10000);
    ASSERT_EQ(writer.exitCode(), 0);
    EXPECT_EQ(m_told, QStringList{"slow.ps"});
    EXPECT_EQ(m_bytes.value(QStringLiteral("slow.ps")), "page1\npage2\npage3\n");
}

TEST_F(Watching, EveryFileCopiedInAtOnceIsToldOnce)
{
    QTemporaryDir source;
    QStringList names;
    for (int i = 0; i < 30; ++i) {
        names << QStringLiteral("doc%1.ps").arg(i);
        TestFiles::writeBytes(source.filePath(names.last()), QByteArray(20000, 'x'));
    }
    watch();
    ASSERT_EQ(QProcess::execute(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"),
                                 QStringLiteral("cp '%1'/* '%2'/").arg(source.path(), m_dir.path())}),
              0);
    waitFor(names.size());
    m_told.sort();
    names.sort();
    EXPECT_EQ(m_told, names);
    for (const QString &name : names)
        EXPECT_EQ(m_bytes.value(name).size(), 20000) << name.toStdString();
}

// What was there before watching began, and entries that are no regular
// file (told without being opened: a FIFO would hold the reader).
TEST_F(Watching, EntriesPresentAtStartAndThoseThatAreNoFilesAreTold)
{
    TestFiles::writeBytes(path(QStringLiteral("before.ps")), "%!PS\n");
    watch();
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.ps"))).constData(), 0600), 0);
    ASSERT_EQ(::symlink("/etc/passwd", QFile::encodeName(path(QStringLiteral("link.ps"))).constData()),
              0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.ps")));
    TestFiles::writeBytes(path(QStringLiteral("moved.tmp")), "%!PS\n");
    ASSERT_TRUE(QFile::rename(path(QStringLiteral("moved.tmp")), path(QStringLiteral("moved.ps"))));
    waitFor(5);
    m_told.sort();
    EXPECT_EQ(m_told, (QStringList{"before.ps", "folder.ps", "link.ps", "moved.ps", "pipe.ps"}));
}

// Once the caller has taken an entry away, a new one of the same name is
// told anew; one that went before it settled is never told.
TEST_F(Watching, ANameIsToldAgainAfterItWasReleasedAndNotAtAllWhenItWentEarly)
{
    watch();
    TestFiles::writeBytes(path(QStringLiteral("a.ps")), "first");
    waitFor(1);
    ASSERT_EQ(m_told, QStringList{"a.ps"});
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("a.ps"))));
    m_watcher.release(QStringLiteral("a.ps"));
    TestFiles::writeBytes(path(QStringLiteral("a.ps")), "second");
    TestFiles::writeBytes(path(QStringLiteral("gone.ps")), "x");
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("gone.ps"))));
    waitFor(2);
    EXPECT_EQ(m_told, (QStringList{"a.ps", "a.ps"}));
    EXPECT_EQ(m_bytes.value(QStringLiteral("a.ps")), "second");
}

TEST(FolderWatcher, AFolderThatIsNotThereCannotBeWatched)
{
    FolderWatcher watcher;
    QString error;
    EXPECT_FALSE(watcher.watch(QStringLiteral("/nonexistent/pagora-watch"), &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
