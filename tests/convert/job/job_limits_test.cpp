// What a hostile document, or another user next to it, can make a conversion
// do: read what it was not given, block it, keep it busy past its time or
// fill the disk. Each case runs the real job with a real or a stand-in
// Ghostscript on real files.
#include "MissingFontTestSupport.h"
#include "JobTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include "convert/job/ConversionJob.h"
#include "convert/input/FontRepair.h"
#include "platform/sandbox/GhostscriptSandbox.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QString kFailure = QStringLiteral("Fehler bei der Konvertierung!");

class JobLimits : public testing::Test
{
protected:
    void SetUp() override { ensureCoreApplication(); }

    QString doc(const QString &name) const { return m_docs.filePath(name); }

    // Runs one job to its end and gives how long it took.
    qint64 run(const QString &ghostscript, const QString &input, int timeoutMs,
               ConversionJob::MissingFonts policy = ConversionJob::MissingFonts::Ask,
               MessagePresenter *dialogs = nullptr, quint64 workspaceLimit = 0)
    {
        auto *job = new ConversionJob(ghostscript, input, doc(QStringLiteral("x.pdf")),
                                      dialogs != nullptr ? dialogs : &m_dialogs);
        job->setTimeout(timeoutMs);
        job->setMissingFonts(policy);
        if (workspaceLimit > 0)
            job->setWorkspaceLimit(workspaceLimit);
        QObject::connect(job, &ConversionJob::ghostscriptStarted, [this] { ++m_starts; });
        QObject::connect(job, &ConversionJob::finished,
                         [this, job] { m_failureText = job->failureText(); });
        QElapsedTimer clock;
        clock.start();
        job->start();
        m_outcome = JobTestSupport::waitForJob(job, timeoutMs + 20000);
        return clock.elapsed();
    }

    PrivateTemporaryFolder m_temporary;
    QTemporaryDir m_docs;
    ScriptedPresenter m_dialogs;
    ConversionJob::Outcome m_outcome = ConversionJob::Outcome::Failed;
    QString m_failureText;
    int m_starts = 0;
};

} // namespace

// The input is granted to the sandbox as the file that was opened, never by
// its name: a name that leads to a folder (a link to "/" planted in a shared
// folder) is refused, and no file beneath it becomes readable.
TEST_F(JobLimits, InputLinkedToAFolderGrantsNothingBeneathIt)
{
    if (GhostscriptSandbox::support() != SandboxSupport::Landlock)
        GTEST_SKIP() << "no Landlock here";
    QTemporaryDir secretFolder(QStringLiteral("/var/tmp/pagora-secret-XXXXXX"));
    const QString secret = secretFolder.filePath(QStringLiteral("shadow"));
    writeBytes(secret, "root-secret-bytes");
    qputenv("PAGORA_READ", QFile::encodeName(secret));
    for (const QString &target : {QStringLiteral("/"), secretFolder.path()}) {
        SCOPED_TRACE(target.toStdString());
        const QString input = doc(QStringLiteral("x.ps"));
        QFile::remove(input);
        ASSERT_TRUE(QFile::link(target, input));
        m_dialogs.shown.clear();
        run(QStringLiteral(PAGORA_READING_GHOSTSCRIPT), input, 10000);
        ASSERT_EQ(m_dialogs.shown.size(), 1);
        EXPECT_FALSE(m_dialogs.shown.first().explanation.contains(QStringLiteral("root-secret")));
        EXPECT_TRUE(m_failureText.endsWith(QStringLiteral(": Es handelt sich um einen Ordner.")))
            << m_failureText.toStdString();
    }
    qunsetenv("PAGORA_READ");
}

// Ghostscript reads the file that was opened and checked: a document renamed
// over the input's name once Ghostscript has started is not what it converts.
TEST_F(JobLimits, DocumentSwappedInAfterTheCheckIsNotConverted)
{
    const QString ghostscript = TestFiles::realGhostscript();
    if (ghostscript.isEmpty())
        GTEST_SKIP() << "gs is needed";
    const auto page = [](const QByteArray &text) {
        return "%!PS\n/Helvetica findfont 24 scalefont setfont 72 700 moveto (" + text +
               ") show showpage\n";
    };
    const QString input = doc(QStringLiteral("x.ps"));
    const QString swapped = doc(QStringLiteral("attacker.ps"));
    writeBytes(input, page("Original"));
    writeBytes(swapped, page("Swapped"));
    auto *job = new ConversionJob(ghostscript, input, doc(QStringLiteral("x.pdf")), &m_dialogs);
    QObject::connect(job, &ConversionJob::ghostscriptStarted, [&] {
        ASSERT_EQ(::rename(QFile::encodeName(swapped).constData(),
                           QFile::encodeName(input).constData()),
                  0);
    });
    job->start();
    EXPECT_EQ(JobTestSupport::waitForJob(job), ConversionJob::Outcome::Converted);
    const QString text = QString::fromUtf8(
        TestFiles::runTool(QStringLiteral("pdftotext"), {doc(QStringLiteral("x.pdf")), QStringLiteral("-")}));
    EXPECT_TRUE(text.contains(QStringLiteral("Original"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Swapped")));
}

// Anything but a regular file is refused as soon as it is opened, without
// waiting for a writer and without Ghostscript: a FIFO under a document's
// name would otherwise hold the figure step or Ghostscript until something
// writes to it.
TEST_F(JobLimits, InputThatIsNoRegularFileIsRefusedAtOnce)
{
    const QString fifo = m_docs.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const auto &[name, target] :
         {std::pair{QStringLiteral("x.ps"), fifo}, std::pair{QStringLiteral("x.eps"), fifo},
          std::pair{QStringLiteral("y.eps"), QStringLiteral("/dev/zero")}}) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(QFile::link(target, doc(name)));
        m_dialogs.shown.clear();
        m_starts = 0;
        const qint64 elapsed = run(TestFiles::realGhostscript(), doc(name), 3000);
        EXPECT_LT(elapsed, 1000);
        EXPECT_EQ(m_starts, 0);
        ASSERT_EQ(m_dialogs.shown.size(), 1);
        EXPECT_EQ(m_dialogs.shown.first().message, kFailure);
        EXPECT_TRUE(m_failureText.startsWith(
            QStringLiteral("Die Eingabedatei kann nicht ge\u00f6ffnet werden: ") + doc(name)))
            << m_failureText.toStdString();
    }
}

// The job's time covers the preparation of the input: a huge sparse file
// that takes half a minute to scan ends at the time-out, and a cancel stops
// the scan at once rather than leaving a worker reading on.
TEST_F(JobLimits, PreparationOfAHugeInputEndsWithTheJobsTimeOrItsCancel)
{
    const QString input = doc(QStringLiteral("huge.ps"));
    writeBytes(input, "%!PS\n");
    ASSERT_EQ(::truncate(QFile::encodeName(input).constData(), qint64(16) << 30), 0);

    const qint64 elapsed = run(TestFiles::realGhostscript(), input, 1500);
    EXPECT_LT(elapsed, 4000);
    EXPECT_EQ(m_starts, 0);
    EXPECT_EQ(m_failureText,
              QStringLiteral("Die Vorbereitung der Eingabedatei wurde nach 30 Sekunden abgebrochen."));

    auto *job = new ConversionJob(TestFiles::realGhostscript(), input,
                                  doc(QStringLiteral("x.pdf")), &m_dialogs);
    std::optional<ConversionJob::Outcome> outcome;
    QObject::connect(job, &ConversionJob::finished,
                     [&outcome](ConversionJob::Outcome told) { outcome = told; });
    job->start();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_FALSE(outcome.has_value());
    job->cancel();
    while (!outcome && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(outcome, ConversionJob::Outcome::Cancelled);
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(2000)) << "the scan went on";
}

// The repaired copy stops at its limit instead of filling the disk.
TEST_F(JobLimits, RepairedCopyStopsAtItsLimit)
{
    const QString input = doc(QStringLiteral("big.ps"));
    writeBytes(input, "%!PS\n(Lucida Grande) pop\n" + QByteArray(3 << 20, ' '));
    const int file = ::open(QFile::encodeName(input).constData(), O_RDONLY | O_CLOEXEC);
    const int folder = ::open(QFile::encodeName(m_docs.path()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_THROW(FixPostScriptFonts(file, folder, nullptr, kFontRepairBufferSize, 1 << 20),
                 std::runtime_error);
    EXPECT_TRUE(FixPostScriptFonts(file, folder, nullptr, kFontRepairBufferSize, 4 << 20));
    ::close(file);
    ::close(folder);
}

// A document can print a new "Substituting font" line on every run; the
// retries with substitutes end after three rounds and report the fonts as
// missing, whether nobody is asked or a person keeps saying yes.
TEST_F(JobLimits, SubstitutionRetriesEndAfterThreeRounds)
{
    const QString runs = doc(QStringLiteral("runs"));
    const QString ghostscript = doc(QStringLiteral("gs"));
    TestFiles::writeScript(ghostscript,
                           QStringLiteral("echo run >> '%1'\n"
                                          "echo \"Substituting font Courier for Fake$(wc -l < '%1').\"\n"
                                          "exit 1\n")
                               .arg(runs)
                               .toUtf8());
    writeBytes(doc(QStringLiteral("x.ps")), "%!PS\nshowpage\n");
    for (const ConversionJob::MissingFonts policy :
         {ConversionJob::MissingFonts::Substitute, ConversionJob::MissingFonts::Ask}) {
        QFile::remove(runs);
        ScriptedPresenter dialogs;
        run(ghostscript, doc(QStringLiteral("x.ps")), 20000, policy,
            policy == ConversionJob::MissingFonts::Ask ? &dialogs : nullptr);
        EXPECT_EQ(readBytes(runs).count('\n'), 1 + ConversionJob::kSubstitutionRounds);
        if (policy == ConversionJob::MissingFonts::Substitute) {
            EXPECT_EQ(m_outcome, ConversionJob::Outcome::FontsMissing);
        } else {
            ASSERT_EQ(dialogs.shown.size(), ConversionJob::kSubstitutionRounds + 1);
            EXPECT_EQ(dialogs.shown.last().message, kFailure);
            EXPECT_TRUE(dialogs.shown.last().explanation.contains(
                QStringLiteral("Auch nach 3 Durchg\u00e4ngen mit Ersatzfonts fehlen noch "
                               "Fonts: Fake4")));
        }
    }
}

// Many files each under the limit of one file still fill the disk: the
// workspace as a whole is watched, and the job stops soon after it passes
// its limit, saying why rather than waiting for the time-out.
TEST_F(JobLimits, WorkspaceBeyondItsLimitStopsTheJob)
{
    const QString ghostscript = doc(QStringLiteral("gs"));
    TestFiles::writeScript(ghostscript, "i=0\nwhile :; do\n"
                                        "  head -c 4194304 /dev/zero > f$i || exit 1\n"
                                        "  i=$((i+1))\ndone\n");
    writeBytes(doc(QStringLiteral("x.ps")), "%!PS\nshowpage\n");
    writeBytes(doc(QStringLiteral("x.pdf")), "older");
    const qint64 elapsed = run(ghostscript, doc(QStringLiteral("x.ps")), 10000,
                               ConversionJob::MissingFonts::Ask, nullptr, 64 << 20);
    EXPECT_LT(elapsed, 5000);
    EXPECT_EQ(m_outcome, ConversionJob::Outcome::Failed);
    EXPECT_TRUE(m_failureText.endsWith(QStringLiteral(
        "Ghostscript wurde abgebrochen: Die Konvertierung belegte mehr als 4 GiB auf dem "
        "Datentr\u00e4ger.")))
        << m_failureText.toStdString();
    EXPECT_EQ(readBytes(doc(QStringLiteral("x.pdf"))), QByteArray("older"));
}
