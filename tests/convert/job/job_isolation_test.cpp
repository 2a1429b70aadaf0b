// What a conversion job keeps to itself: its files, its output on the way
// to the user's folder, and the names Ghostscript gets to see.
#include "convert/job/ConversionJob.h"
#include "platform/files/TemporaryFolder.h"

#include "JobTestSupport.h"
#include "MissingFontTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QByteArray kVictimBytes = "the victim's own data, not a PDF\n";

// A document whose text is its marker: the PDF shows which document it came from.
QByteArray markedDocument(const QByteArray &marker)
{
    return "%!PS\n/LucidaGrande findfont pop (Lucida Grande) pop\n"
           "/Helvetica findfont 24 scalefont setfont 72 700 moveto (" +
           marker + ") show showpage\n";
}

QString pdfText(const QString &pdf)
{
    return QString::fromUtf8(
        TestFiles::runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
}

// Another user on the machine who may write into the shared folder: every
// new entry there is replaced by a link to the victim's file, again and
// again, for as long as the process runs.
class LinkPlanter
{
public:
    LinkPlanter(const QString &folder, const QString &victim)
    {
        const QString script = QStringLiteral(
            "cd '%1' || exit 1\n"
            "while :; do for f in .[!.]* *; do\n"
            "  case \"$f\" in '.[!.]*'|'*'|shared.ps) continue;; esac\n"
            "  [ -L \"$f\" ] || ln -sfn '%2' \"$f\" 2>/dev/null\n"
            "done; done\n")
                                   .arg(folder, victim);
        m_process.start(QStringLiteral("setpriv"),
                        {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                         QStringLiteral("--clear-groups"), QStringLiteral("/bin/sh"),
                         QStringLiteral("-c"), script});
        m_started = m_process.waitForStarted(5000);
    }
    ~LinkPlanter()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool started() const { return m_started && m_process.state() == QProcess::Running; }

private:
    QProcess m_process;
    bool m_started = false;
};

class JobIsolation : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(TestFiles::realGhostscript().isEmpty()) << "gs is needed";
    }

    PrivateTemporaryFolder m_temporary;
    QTemporaryDir m_docs;
};

} // namespace

// In a folder another user may write (not sticky), that user swaps every
// entry the program makes for a link to one of the victim's files. The
// victim's file keeps its bytes and its mode, whether the PDF comes by a
// rename (workspace on the same file system) or by a copy (on another).
TEST_F(JobIsolation, LinksPlantedInASharedFolderNeverRedirectTheOutput)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user";
    for (const bool otherFileSystem : {false, true}) {
        SCOPED_TRACE(otherFileSystem ? "copied from another file system" : "renamed");
        QTemporaryDir shared(QStringLiteral("/tmp/pagora-shared-XXXXXX"));
        QTemporaryDir privateDir;
        QTemporaryDir memory(QStringLiteral("/dev/shm/pagora-test-XXXXXX"));
        if (otherFileSystem && !memory.isValid())
            GTEST_SKIP() << "no /dev/shm";
        const QByteArray savedTmp = qgetenv("TMPDIR");
        if (otherFileSystem)
            qputenv("TMPDIR", QFile::encodeName(memory.path()));
        ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 0777), 0);
        const QString victim = privateDir.filePath(QStringLiteral("id_rsa"));
        writeBytes(victim, kVictimBytes);
        ::chmod(QFile::encodeName(victim).constData(), 0600);
        const QString input = shared.filePath(QStringLiteral("shared.ps"));
        writeBytes(input, "%!PS\n/Helvetica findfont 24 scalefont setfont 72 700 moveto\n"
                          "(Shared) show showpage\n");

        for (int round = 0; round < 5; ++round) {
            LinkPlanter planter(shared.path(), victim);
            ASSERT_TRUE(planter.started());
            ScriptedPresenter dialogs;
            JobTestSupport::convertToEnd(TestFiles::realGhostscript(), input,
                                         shared.filePath(QStringLiteral("shared.pdf")), dialogs);
            ASSERT_EQ(dialogs.shown.size(), 1);
        }
        qputenv("TMPDIR", savedTmp);
        EXPECT_EQ(readBytes(victim), kVictimBytes);
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(victim).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
}

// Two conversions at once (two jobs, as two running copies of the program
// would start them), both with documents whose font name is repaired: each
// PDF holds its own document's text.
TEST_F(JobIsolation, ConcurrentJobsNeverShareAFile)
{
    constexpr int kPairs = 6;
    QList<ConversionJob::Outcome> outcomes;
    for (int i = 0; i < 2 * kPairs; ++i) {
        const QByteArray marker = "Document" + QByteArray::number(i);
        const QString input = m_docs.filePath(QString::fromLatin1(marker) + ".ps");
        writeBytes(input, markedDocument(marker));
        auto *job = new ConversionJob(TestFiles::realGhostscript(), input,
                                      m_docs.filePath(QString::fromLatin1(marker) + ".pdf"),
                                      nullptr);
        QObject::connect(job, &ConversionJob::finished,
                         [&outcomes](ConversionJob::Outcome outcome) { outcomes.append(outcome); });
        job->start();
    }
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 2 * kPairs, 120000);
    // The repaired name is not installed here: each job ends with its PDF
    // made and the missing font reported.
    for (const ConversionJob::Outcome outcome : outcomes)
        EXPECT_EQ(outcome, ConversionJob::Outcome::FontsMissing);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (int i = 0; i < 2 * kPairs; ++i) {
        const QString text = pdfText(m_docs.filePath(QStringLiteral("Document%1.pdf").arg(i)));
        EXPECT_TRUE(text.contains(QStringLiteral("Document%1").arg(i))) << text.toStdString();
    }
    // Nothing of theirs is left in the temporary folder.
    EXPECT_TRUE(QDir(TemporaryFolder().nativePath())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

// A document named "*.ps" must not read the other documents beside it:
// Ghostscript would take the name as a wildcard of what it may read.
TEST_F(JobIsolation, NameWithWildcardsGivesNoReadAccessToItsNeighbours)
{
    writeBytes(m_docs.filePath(QStringLiteral("notes.ps")), "%!PS\n% SECRET-NEIGHBOUR-TEXT\n");
    const QString input = m_docs.filePath(QStringLiteral("*.ps"));
    writeBytes(input, "%!PS\n/Helvetica findfont 12 scalefont setfont 72 700 moveto\n"
                      "(" + QFile::encodeName(m_docs.path()) + "/notes.ps) (r) { file\n"
                      "  /f exch def 300 string f exch readstring pop } stopped\n"
                      "{ (DENIED) } if show showpage\n");
    ScriptedPresenter dialogs;
    JobTestSupport::convertToEnd(TestFiles::realGhostscript(), input,
                                 m_docs.filePath(QStringLiteral("*.pdf")), dialogs);
    const QString text = pdfText(m_docs.filePath(QStringLiteral("*.pdf")));
    EXPECT_FALSE(text.contains(QStringLiteral("SECRET-NEIGHBOUR-TEXT"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("DENIED"))) << text.toStdString();
}

// A private PDF stays private when a conversion replaces it.
TEST_F(JobIsolation, ReplacedPdfKeepsItsPermissions)
{
    const QString input = m_docs.filePath(QStringLiteral("private.ps"));
    const QString output = m_docs.filePath(QStringLiteral("private.pdf"));
    writeBytes(input, markedDocument("Private"));
    writeBytes(output, "older");
    ASSERT_EQ(::chmod(QFile::encodeName(output).constData(), 0600), 0);
    ScriptedPresenter dialogs;
    EXPECT_EQ(JobTestSupport::convertToEnd(TestFiles::realGhostscript(), input, output, dialogs),
              ConversionJob::Outcome::Converted);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(output).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(pdfText(output).contains(QStringLiteral("Private")));
}

// A PDF another user planted with mode 0666 in a shared folder lends the
// replacing PDF nothing: it gets the mode of a new file, as its owner's.
TEST_F(JobIsolation, PlantedPdfOfAnotherUserLendsItsModeToNobody)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user";
    QTemporaryDir shared(QStringLiteral("/tmp/pagora-shared-XXXXXX"));
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 0777), 0);
    const QString input = shared.filePath(QStringLiteral("x.ps"));
    const QString output = shared.filePath(QStringLiteral("x.pdf"));
    writeBytes(input, markedDocument("Planted"));
    ASSERT_TRUE(TestFiles::runAsNobody(
        QStringLiteral("umask 0; echo planted > '%1' && chmod 0666 '%1'").arg(output)));
    const mode_t mask = ::umask(022);
    ScriptedPresenter dialogs;
    const ConversionJob::Outcome outcome =
        JobTestSupport::convertToEnd(TestFiles::realGhostscript(), input, output, dialogs);
    ::umask(mask);
    EXPECT_EQ(outcome, ConversionJob::Outcome::Converted);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(output).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_TRUE(pdfText(output).contains(QStringLiteral("Planted")));
}

// A font name that is not UTF-8 reaches the prolog as the bytes the document
// uses: the retry finds the font and asks nothing more.
TEST_F(JobIsolation, FontNameThatIsNotUtf8IsSubstitutedUnderItsOwnBytes)
{
    const QString input = m_docs.filePath(QStringLiteral("latin1.ps"));
    writeBytes(input, "%!PS\n(Schrift\\304Grotesk) cvn findfont 20 scalefont setfont\n"
                      "72 700 moveto (Bytes) show showpage\n");
    ScriptedPresenter dialogs;
    auto *job = new ConversionJob(TestFiles::realGhostscript(), input,
                                  m_docs.filePath(QStringLiteral("latin1.pdf")), &dialogs);
    job->setMissingFonts(ConversionJob::MissingFonts::Ask);
    job->start();
    JobTestSupport::waitForJob(job);
    ASSERT_GE(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown.first().message, QStringLiteral("Fehlende Schriftarten"));
    EXPECT_TRUE(dialogs.shown.first().explanation.contains(QStringLiteral("Schrift\ufffdGrotesk")));
    // Bound under its own bytes, the name is found on the retry: Ghostscript's
    // own substitute for the target is named, the question is not repeated.
    EXPECT_EQ(dialogs.shown.last().message, QStringLiteral("Erfolg!"));
    EXPECT_EQ(dialogs.shown.size(), 2);
}
