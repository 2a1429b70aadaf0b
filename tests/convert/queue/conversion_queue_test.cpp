// The queue under every way in, driven without a window or a terminal: real
// Ghostscript on real files, its signals watched as a presenter would.
#include "MissingFontTestSupport.h"
#include "TestFiles.h"

#include "convert/job/ConversionTexts.h"
#include "convert/queue/ConversionInputs.h"
#include "convert/queue/ConversionQueue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using TestFiles::readBytes;
using TestFiles::writeBytes;
using Outcome = ConversionJob::Outcome;
using Refusal = QueuedFile::Refusal;

namespace {

class ConversionQueueTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ensureCoreApplication();
        ASSERT_TRUE(m_docs.isValid());
    }

    QString doc(const QString &name) const { return m_docs.filePath(name); }

    // hello.ps, with a comment that makes it extraBytes larger.
    QString hello(const QString &name, int extraBytes = 0)
    {
        writeBytes(doc(name), readBytes(TestFiles::fixture("hello.ps")) + "%" +
                                  QByteArray(extraBytes, 'x') + "\n");
        return doc(name);
    }

    // Watches a queue as a presenter does: which files started in what
    // order, how many ran at once at most, and how often it ran out.
    void watch(ConversionQueue &queue)
    {
        QObject::connect(&queue, &ConversionQueue::fileStarted, [this, &queue](int index) {
            m_started.append(index);
            m_peak = std::max(m_peak, int(queue.running().size()));
        });
        QObject::connect(&queue, &ConversionQueue::fileFinished,
                         [this](int index) { m_finished.append(index); });
        QObject::connect(&queue, &ConversionQueue::finished, [this] { ++m_ends; });
    }

    bool runToEnd(ConversionQueue &queue, int timeoutMs = 120000)
    {
        QSignalSpy finished(&queue, &ConversionQueue::finished);
        queue.start();
        return finished.wait(timeoutMs);
    }

    PrivateTemporaryFolder m_temporary;
    QTemporaryDir m_docs;
    QList<int> m_started;
    QList<int> m_finished;
    int m_peak = 0;
    int m_ends = 0;
};

ConversionOptions atOnce(int jobs)
{
    ConversionOptions options;
    options.parallelJobs = jobs;
    return options;
}

} // namespace

// k at a time, the largest first; every file gets its PDF and its outcome.
TEST_F(ConversionQueueTest, RunsKAtATimeLargestFirst)
{
    ConversionQueue queue(TestFiles::realGhostscript(), atOnce(2));
    watch(queue);
    const int sizes[] = {10, 40000, 200, 90000, 5000};
    for (int i = 0; i < 5; ++i)
        queue.add(hello(QStringLiteral("doc%1.ps").arg(i), sizes[i]));

    ASSERT_TRUE(runToEnd(queue));
    EXPECT_EQ(m_started, (QList<int>{3, 1, 4, 2, 0}));
    EXPECT_EQ(m_peak, 2);
    EXPECT_EQ(m_ends, 1);
    EXPECT_EQ(queue.finishedCount(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(queue.file(i).outcome, Outcome::Converted);
        EXPECT_TRUE(queue.file(i).pdfPlaced);
        EXPECT_EQ(TestFiles::pdfPageCount(doc(QStringLiteral("doc%1.pdf").arg(i))), 2);
    }
}

// A file handed over while the queue runs joins it; one handed over after
// it ran out starts it again, and it says so once more.
TEST_F(ConversionQueueTest, FilesJoinWhileItRunsAndAfterItRanOut)
{
    ConversionQueue queue(TestFiles::realGhostscript(), atOnce(1));
    watch(queue);
    queue.add(hello(QStringLiteral("first.ps")));
    QObject::connect(&queue, &ConversionQueue::fileStarted, [&](int index) {
        if (index == 0)
            queue.add(hello(QStringLiteral("joined.ps")));
    });
    ASSERT_TRUE(runToEnd(queue));
    EXPECT_EQ(m_started, (QList<int>{0, 1}));
    EXPECT_EQ(m_ends, 1);

    QSignalSpy again(&queue, &ConversionQueue::finished);
    queue.add(hello(QStringLiteral("later.ps")));
    ASSERT_TRUE(again.wait(60000));
    EXPECT_EQ(m_ends, 2);
    for (const char *name : {"first.pdf", "joined.pdf", "later.pdf"})
        EXPECT_EQ(TestFiles::pdfPageCount(doc(QString::fromLatin1(name))), 2) << name;
}

// Cancelled before it starts, while a job runs and files wait, and after it
// ended: nothing more runs, nothing is put in place, what is done stays, and
// it ends once.
TEST_F(ConversionQueueTest, CancelInEveryState)
{
    const QString ghostscript = TestFiles::realGhostscript();
    {
        SCOPED_TRACE("before it starts");
        ConversionQueue queue(ghostscript, atOnce(1));
        watch(queue);
        queue.add(hello(QStringLiteral("a.ps")));
        queue.cancel();
        ASSERT_TRUE(runToEnd(queue, 10000));
        EXPECT_TRUE(m_started.isEmpty());
        EXPECT_EQ(queue.file(0).outcome, Outcome::Cancelled);
        EXPECT_FALSE(QFile::exists(doc(QStringLiteral("a.pdf"))));
        // A file that comes after the cancel is not converted either.
        queue.add(hello(QStringLiteral("b.ps")));
        EXPECT_EQ(queue.file(1).outcome, Outcome::Cancelled);
        EXPECT_TRUE(queue.file(1).finished);
    }
    m_started.clear();
    m_ends = 0;
    {
        SCOPED_TRACE("while a job runs and another waits");
        // The larger file, so that it runs first.
        writeBytes(doc(QStringLiteral("endlos.ps")), readBytes(TestFiles::fixture("loop.ps")) +
                                                         "%" + QByteArray(20000, 'x') + "\n");
        writeBytes(doc(QStringLiteral("endlos.pdf")), "older PDF");
        ConversionQueue queue(ghostscript, atOnce(1));
        watch(queue);
        queue.add(doc(QStringLiteral("endlos.ps")));
        queue.add(hello(QStringLiteral("c.ps")));
        QObject::connect(&queue, &ConversionQueue::fileStarted, [&queue] {
            QTimer::singleShot(300, &queue, [&queue] { queue.cancel(); });
        });
        ASSERT_TRUE(runToEnd(queue, 20000));
        EXPECT_EQ(m_started, (QList<int>{0}));
        EXPECT_EQ(queue.file(0).outcome, Outcome::Cancelled);
        EXPECT_EQ(queue.file(1).outcome, Outcome::Cancelled);
        EXPECT_EQ(readBytes(doc(QStringLiteral("endlos.pdf"))), QByteArray("older PDF"));
        EXPECT_FALSE(QFile::exists(doc(QStringLiteral("c.pdf"))));
        EXPECT_EQ(m_ends, 1);
    }
    {
        SCOPED_TRACE("after it ended");
        ConversionQueue queue(ghostscript, atOnce(1));
        queue.add(hello(QStringLiteral("d.ps")));
        ASSERT_TRUE(runToEnd(queue));
        QSignalSpy finished(&queue, &ConversionQueue::finished);
        queue.cancel();
        queue.cancel();
        EXPECT_EQ(queue.file(0).outcome, Outcome::Converted);
        EXPECT_EQ(TestFiles::pdfPageCount(doc(QStringLiteral("d.pdf"))), 2);
        EXPECT_TRUE(finished.isEmpty());
    }
}

// Each file is resolved once, as it joins: what is no PostScript, what does
// not exist and what would write a PDF an earlier file writes (also under
// another spelling of its folder, through a link, or into one output folder)
// is refused without a job; the earlier file is converted.
TEST_F(ConversionQueueTest, RefusesWhatCannotOrMustNotBeConverted)
{
    ASSERT_TRUE(QDir().mkpath(doc(QStringLiteral("real"))));
    ASSERT_TRUE(QFile::link(doc(QStringLiteral("real")), doc(QStringLiteral("linked"))));
    ASSERT_TRUE(QDir().mkpath(doc(QStringLiteral("other"))));
    hello(QStringLiteral("real/x.ps"));
    hello(QStringLiteral("real/y.ps"));
    hello(QStringLiteral("real/y.eps"));
    hello(QStringLiteral("other/x.ps"));
    writeBytes(doc(QStringLiteral("notes.txt")), "text");

    ConversionQueue queue(TestFiles::realGhostscript(), atOnce(2));
    watch(queue);
    const int x = queue.add(doc(QStringLiteral("real/x.ps")));
    const int linked = queue.add(doc(QStringLiteral("linked/x.ps")));
    const int y = queue.add(doc(QStringLiteral("real/y.ps")));
    const int sameStem = queue.add(doc(QStringLiteral("real/./y.eps")));
    const int text = queue.add(doc(QStringLiteral("notes.txt")));
    const int missing = queue.add(doc(QStringLiteral("gone.ps")));
    ASSERT_TRUE(runToEnd(queue));

    const struct {
        int index;
        Refusal refusal;
        int sameOutputAs;
    } expected[] = {
        {x, Refusal::None, -1},          {linked, Refusal::SameOutput, x},
        {y, Refusal::None, -1},          {sameStem, Refusal::SameOutput, y},
        {text, Refusal::NotPostScript, -1}, {missing, Refusal::NoSuchFile, -1},
    };
    for (const auto &file : expected) {
        SCOPED_TRACE(file.index);
        const QueuedFile &queued = queue.file(file.index);
        EXPECT_EQ(queued.refusal, file.refusal);
        EXPECT_EQ(queued.sameOutputAs, file.sameOutputAs);
        EXPECT_EQ(queued.outcome,
                  file.refusal == Refusal::None ? Outcome::Converted : Outcome::Failed);
        EXPECT_EQ(m_started.contains(file.index), file.refusal == Refusal::None);
        if (file.refusal != Refusal::None) {
            EXPECT_FALSE(queued.failureText.isEmpty());
        }
    }
    EXPECT_EQ(TestFiles::pdfPageCount(doc(QStringLiteral("real/x.pdf"))), 2);

    // Into one output folder, two inputs of one name clash; without
    // Ghostscript every PostScript file is refused.
    ConversionOptions intoOne = atOnce(2);
    intoOne.outputFolder = doc(QStringLiteral("pdf"));
    ConversionQueue collected(TestFiles::realGhostscript(), intoOne);
    collected.add(doc(QStringLiteral("real/x.ps")));
    collected.add(doc(QStringLiteral("other/x.ps")));
    EXPECT_EQ(collected.file(0).output, doc(QStringLiteral("pdf/x.pdf")));
    EXPECT_EQ(collected.file(1).refusal, Refusal::SameOutput);
    ConversionQueue without(QString(), atOnce(1));
    without.add(doc(QStringLiteral("real/x.ps")));
    without.add(doc(QStringLiteral("notes.txt")));
    EXPECT_EQ(without.file(0).refusal, Refusal::NoGhostscript);
    EXPECT_EQ(without.file(1).refusal, Refusal::NotPostScript);
}

// A file that is gone by its turn fails on its own; the others go on.
TEST_F(ConversionQueueTest, InputThatVanishesBeforeItsTurnFailsAlone)
{
    ConversionQueue queue(TestFiles::realGhostscript(), atOnce(1));
    watch(queue);
    queue.add(hello(QStringLiteral("first.ps"), 1000));
    queue.add(hello(QStringLiteral("vanishing.ps")));
    queue.add(hello(QStringLiteral("last.ps")));
    QObject::connect(&queue, &ConversionQueue::fileStarted, [this](int index) {
        if (index == 0)
            QFile::remove(doc(QStringLiteral("vanishing.ps")));
    });
    ASSERT_TRUE(runToEnd(queue));
    EXPECT_EQ(queue.file(0).outcome, Outcome::Converted);
    EXPECT_EQ(queue.file(1).outcome, Outcome::Failed);
    EXPECT_TRUE(queue.file(1).failureText.contains(doc(QStringLiteral("vanishing.ps"))));
    EXPECT_FALSE(QFile::exists(doc(QStringLiteral("vanishing.pdf"))));
    EXPECT_EQ(queue.file(2).outcome, Outcome::Converted);
}

// A folder another user owns and shares with everybody (sticky, as /tmp is,
// but the sticky bit spares nothing from the folder's owner) holds the
// user's output folder. Once the first PDF is in it, that user renames it
// away and puts a link to a folder of the user's in its place. The run goes
// on into the folder it opened, under its new name: nothing reaches the
// link's target, and the user's own PDF there keeps its bytes.
TEST_F(ConversionQueueTest, OutputFolderSwappedForALinkMidRunStillTakesEveryPdf)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user";
    const passwd *nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    // Where the other user can reach it: not in the test's private TMPDIR.
    QTemporaryDir root(QStringLiteral("/tmp/pagora-shared-XXXXXX"));
    ASSERT_TRUE(root.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
    const QString shared = root.filePath(QStringLiteral("shared"));
    const QString out = shared + QStringLiteral("/out");
    const QString moved = shared + QStringLiteral("/out-moved");
    const QString documents = root.filePath(QStringLiteral("Documents"));
    ASSERT_TRUE(QDir().mkpath(out));
    ASSERT_TRUE(QDir().mkpath(documents));
    ASSERT_EQ(::chown(QFile::encodeName(shared).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QByteArray own = "the user's own doc07.pdf";
    writeBytes(documents + QStringLiteral("/doc07.pdf"), own);

    ConversionOptions options = atOnce(2);
    options.outputFolder = out;
    ConversionQueue queue(TestFiles::realGhostscript(), options);
    constexpr int kFiles = 12;
    for (int i = 0; i < kFiles; ++i)
        queue.add(hello(QStringLiteral("doc%1.ps").arg(i, 2, 10, QLatin1Char('0'))));
    bool swapped = false;
    QObject::connect(&queue, &ConversionQueue::fileFinished, [&](int) {
        if (swapped)
            return;
        swapped = true;
        QProcess other;
        other.setProcessChannelMode(QProcess::MergedChannels);
        other.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                     QStringLiteral("--clear-groups"), QStringLiteral("/bin/sh"),
                     QStringLiteral("-c"),
                     QStringLiteral("mv \"$1\" \"$2\" && ln -s \"$3\" \"$1\""),
                     QStringLiteral("sh"), out, moved, documents});
        // The swap is done before the next file starts.
        ASSERT_TRUE(other.waitForFinished(10000));
        ASSERT_EQ(other.exitCode(), 0) << other.readAll().toStdString();
    });
    ASSERT_TRUE(runToEnd(queue));

    ASSERT_TRUE(swapped);
    ASSERT_TRUE(QFileInfo(out).isSymLink());
    EXPECT_EQ(QDir(documents).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("doc07.pdf")});
    EXPECT_EQ(readBytes(documents + QStringLiteral("/doc07.pdf")), own);
    EXPECT_EQ(QDir(moved).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
              kFiles);
    for (int i = 0; i < kFiles; ++i) {
        const QString name = QStringLiteral("doc%1.pdf").arg(i, 2, 10, QLatin1Char('0'));
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(queue.file(i).outcome, Outcome::Converted);
        EXPECT_EQ(TestFiles::pdfPageCount(moved + QLatin1Char('/') + name), 2);
    }
}

// An output folder that cannot be opened fails every file of the run, each
// with the reason a job gives for it, and writes nothing anywhere.
TEST_F(ConversionQueueTest, OutputFolderThatCannotBeOpenedFailsEveryFileAlike)
{
    ConversionOptions options = atOnce(2);
    options.outputFolder = doc(QStringLiteral("no-such-folder"));
    ConversionQueue queue(TestFiles::realGhostscript(), options);
    for (const char *name : {"a.ps", "b.ps", "c.ps"})
        queue.add(hello(QString::fromLatin1(name)));
    ASSERT_TRUE(runToEnd(queue));
    for (int i = 0; i < queue.total(); ++i) {
        SCOPED_TRACE(i);
        const QueuedFile &file = queue.file(i);
        EXPECT_EQ(file.outcome, Outcome::Failed);
        EXPECT_EQ(file.failureText,
                  QStringLiteral("Die PDF-Datei kann in diesem Ordner nicht angelegt werden: "
                                 "%1: Datei oder Ordner nicht gefunden")
                      .arg(file.output));
        EXPECT_FALSE(file.pdfPlaced);
    }
    EXPECT_FALSE(QFileInfo::exists(options.outputFolder));
    EXPECT_EQ(QDir(m_docs.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.ps", "b.ps", "c.ps"}));
}

// The one decision on names, used by every way in.
TEST(ConversionInputs, NamesAndOutputs)
{
    const struct {
        const char *input;
        const char *folder;
        const char *pdf; // nullptr: not PostScript
    } cases[] = {
        {"/a/b/Bericht.ps", "", "/a/b/Bericht.pdf"},
        {"/a/b/Figur.EPS", "", "/a/b/Figur.pdf"},
        {"/a/b/v1.2.ps", "", "/a/b/v1.2.pdf"},
        {"/a/b/x.ps", "/out", "/out/x.pdf"},
        {"/a/b/x.pdf", "", nullptr},
        {"/a/b/x.ps.txt", "", nullptr},
        {"/a/b/ps", "", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input);
        const std::optional<QString> pdf =
            PdfPathFor(QString::fromUtf8(c.input), QString::fromUtf8(c.folder));
        ASSERT_EQ(pdf.has_value(), c.pdf != nullptr);
        if (pdf) {
            EXPECT_EQ(*pdf, QString::fromUtf8(c.pdf));
        }
        EXPECT_EQ(IsPostScriptName(QString::fromUtf8(c.input)), c.pdf != nullptr);
    }
}
