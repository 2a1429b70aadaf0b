// The PDF on its way from the job's workspace into the user's folder when the
// two lie on different file systems: a copy made by this program, which a
// cancel stops before it replaces anything.
#include "convert/job/ConversionJob.h"

#include "JobTestSupport.h"
#include "ScopedVariable.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QByteArray kOlderPdf = "%PDF older, precious";

// 64 MB between the header and the trailer: large enough that the copy
// takes many blocks and is still under way when the cancel comes.
constexpr qint64 kBodyBytes = qint64(64) << 20;

// What the Ghostscript below writes: a header, the body, and a trailer
// whose cross-reference lies where it says, so that the PDF counts as
// complete.
QByteArray bigPdf()
{
    const QByteArray head = "%PDF-1.7\n%" + QByteArray(kBodyBytes, '\0') + '\n';
    return head + "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 1 >>\nstartxref\n" +
           QByteArray::number(head.size()) + "\n%%EOF\n";
}

const QByteArray kBigPdfGhostscript =
    "for a; do case \"$a\" in -sOutputFile=*) out=\"${a#-sOutputFile=}\";; esac; done\n"
    "{ printf '%%PDF-1.7\\n%%'; head -c " +
    QByteArray::number(kBodyBytes) +
    " /dev/zero; printf '\\n'; } > \"$out\" || exit 1\n"
    "offset=$(wc -c < \"$out\")\n"
    "printf 'xref\\n0 1\\n0000000000 65535 f \\ntrailer\\n<< /Size 1 >>\\nstartxref\\n"
    "%s\\n%%%%EOF\\n' $offset >> \"$out\"\n";

dev_t deviceOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(0);
}

// The documents on the disk, the job's workspace (through TMPDIR) in memory.
class CopiedPlacement : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!m_memory.isValid())
            GTEST_SKIP() << "no /dev/shm here: the workspace cannot go to another file system";
        ASSERT_TRUE(m_docs.isValid());
        if (deviceOf(m_memory.path()) == deviceOf(m_docs.path()))
            GTEST_SKIP() << "/dev/shm and " << m_docs.path().toStdString()
                         << " are one file system here: nothing would be copied";
    }

    QString doc(const QString &name) const { return m_docs.filePath(name); }

    // Made before TMPDIR points into memory.
    QTemporaryDir m_docs{QDir::tempPath() + QStringLiteral("/pagora-docs-XXXXXX")};
    QTemporaryDir m_memory{QStringLiteral("/dev/shm/pagora-test-XXXXXX")};
    ScopedVariable m_tmpdir{"TMPDIR", QFile::encodeName(m_memory.path())};
};

} // namespace

// The copy goes on when nobody stops it, and replaces the older PDF whole;
// a cancel while it runs stops it: the job is cancelled, the older PDF keeps
// its bytes and no staged copy is left beside it.
TEST_F(CopiedPlacement, CancelDuringTheCopyKeepsTheOlderPdf)
{
    const QString ghostscript = doc(QStringLiteral("gs"));
    TestFiles::writeScript(ghostscript, kBigPdfGhostscript);
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("x.ps")));

    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "left to finish");
        writeBytes(doc(QStringLiteral("x.pdf")), kOlderPdf);
        auto *job = new ConversionJob(ghostscript, doc(QStringLiteral("x.ps")),
                                      doc(QStringLiteral("x.pdf")), nullptr);
        ConversionJob::State stateAtCancel = ConversionJob::State::Idle;
        if (cancel) {
            // After Ghostscript has ended the job goes on to place the PDF
            // before it returns to the event loop, where the cancel waits.
            QObject::connect(job, &ConversionJob::ghostscriptFinished, job, [&stateAtCancel, job] {
                QMetaObject::invokeMethod(
                    job,
                    [&stateAtCancel, job] {
                        stateAtCancel = job->state();
                        job->cancel();
                    },
                    Qt::QueuedConnection);
            });
        }
        job->start();
        const ConversionJob::Outcome outcome = JobTestSupport::waitForJob(job);

        const QStringList entries = QDir(m_docs.path())
                                        .entryList(QDir::AllEntries | QDir::Hidden |
                                                   QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        EXPECT_EQ(entries, (QStringList{"gs", "x.pdf", "x.ps"}));
        if (cancel) {
            EXPECT_EQ(stateAtCancel, ConversionJob::State::Placing);
            EXPECT_EQ(outcome, ConversionJob::Outcome::Cancelled);
            EXPECT_EQ(readBytes(doc(QStringLiteral("x.pdf"))), kOlderPdf);
        } else {
            EXPECT_EQ(outcome, ConversionJob::Outcome::Converted);
            EXPECT_TRUE(readBytes(doc(QStringLiteral("x.pdf"))) == bigPdf());
        }
    }
}
