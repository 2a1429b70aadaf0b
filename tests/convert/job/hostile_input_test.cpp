// Documents and file names that attack the conversion, run through real
// Ghostscript: nothing outside the output path and the private temporary
// folder may change, an older PDF survives every failure, the wait keeps the
// event loop turning, and the user gets a dialog that says what happened.

#include "convert/queue/DropIntake.h"
#include "convert/input/FontRepair.h"

#include "HostileTestSupport.h"

#include <QFileInfo>
#include <QUrl>

#include <iostream>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>

using namespace Hostile;
using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QByteArray kOlderPdf = "%PDF older, precious";

// Long enough for a document that ends by itself, short enough for the suite.
constexpr int kShortTimeoutMs = 2500;

struct HostileDocument {
    const char *name;
    // %1 stands for the documents folder, %2 for the home folder.
    const char *body;
    // What Ghostscript's transcript names as the reason for refusing.
    const char *reason;
    int timeoutMs;
};

void PrintTo(const HostileDocument &document, std::ostream *os)
{
    *os << document.name;
}

const HostileDocument kHostileDocuments[] = {
    {"Pipe", "(%pipe%touch %1/pwned) (w) file", "invalidfileaccess", 30000},
    {"ReadPasswd", "(/etc/passwd) (r) file 4000 string readstring pop print", "invalidfileaccess",
     30000},
    {"WriteHome", "(%2/pwned.ps) (w) file (x) writestring", "invalidfileaccess", 30000},
    // The fonts folder in the home folder is on Ghostscript's font path: readable only.
    {"WriteFontFolder", "(%2/Library/Fonts/pwned.ps) (w) file (x) writestring", "invalidfileaccess",
     30000},
    {"DeleteBeside", "(%1/beside.txt) deletefile", "deletefile", 30000},
    {"RenameBeside", "(%1/beside.txt) (%1/moved.txt) renamefile", "renamefile", 30000},
    {"OlderPdfOverwritten", "(%1/x.pdf) (w) file (owned) writestring", "invalidfileaccess", 30000},
    {"EndlessLoop", "{ } loop", "abgebrochen", kShortTimeoutMs},
    {"EndlessTailCall", "/f { f } def f", "abgebrochen", kShortTimeoutMs},
    {"DeepRecursion", "/f { [ f ] } def f", "execstackoverflow", 30000},
    {"DeepDictionaries", "/f { 1 dict begin f } def f", "dictstackoverflow", 30000},
};

class HostileDocumentTest : public HostileFixture,
                            public testing::WithParamInterface<HostileDocument>
{
};

} // namespace

TEST_P(HostileDocumentTest, IsRefusedWithoutTouchingAnythingAndKeepsTheOlderPdf)
{
    const HostileDocument &attack = GetParam();
    writeBytes(doc(QStringLiteral("beside.txt")), "keep me");
    writeBytes(doc(QStringLiteral("x.pdf")), kOlderPdf);
    writeBytes(home() + QStringLiteral("/Library/Fonts/Existing.ps"), "%!PS font");
    const QString body = QString::fromUtf8(attack.body)
                             .replace(QLatin1String("%1"), m_docs.path())
                             .replace(QLatin1String("%2"), home());
    writeBytes(doc(QStringLiteral("x.ps")), "%!PS\n" + body.toUtf8() + "\nshowpage\n");
    takeSnapshots();

    const qint64 elapsed =
        convert(doc(QStringLiteral("x.ps")), doc(QStringLiteral("x.pdf")), attack.timeoutMs);

    const MessageDialog &dialog = onlyDialog();
    EXPECT_EQ(dialog.message, kFailure);
    EXPECT_EQ(dialog.iconType, MessageDialog::Icon::Stop);
    EXPECT_TRUE(dialog.explanation.startsWith(kFailureHead));
    EXPECT_TRUE(dialog.explanation.contains(QLatin1String(attack.reason)))
        << dialog.explanation.left(2000).toStdString();
    EXPECT_FALSE(dialog.explanation.contains(QLatin1String("root:")));
    EXPECT_EQ(readBytes(doc(QStringLiteral("x.pdf"))), kOlderPdf);
    expectOnlyChanged({});
    EXPECT_LT(elapsed, attack.timeoutMs + 5000);
    EXPECT_LT(m_longestPauseMs, 2000);
}

INSTANTIATE_TEST_SUITE_P(Attacks, HostileDocumentTest, testing::ValuesIn(kHostileDocuments),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(HostileFixture, EndlessOutputIsStoppedAndShownInPart)
{
    // Ghostscript prints tens of megabytes a second here; all of it in the
    // dialog would take minutes to lay out and gigabytes to hold.
    writeBytes(doc(QStringLiteral("x.pdf")), kOlderPdf);
    writeBytes(doc(QStringLiteral("x.ps")), "%!PS\n(first words\\n) print\n"
                                            "/s 1000 string def 0 1 999 { s exch 120 put } for\n"
                                            "{ s print } loop\n");
    takeSnapshots();

    convert(doc(QStringLiteral("x.ps")), doc(QStringLiteral("x.pdf")), kShortTimeoutMs);

    const QString explanation = onlyDialog().explanation;
    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_TRUE(explanation.startsWith(kFailureHead));
    EXPECT_TRUE(explanation.left(1000).contains(QStringLiteral("\nfirst words\n")));
    EXPECT_TRUE(explanation.contains(QStringLiteral("Bytes der Ausgabe ausgelassen")));
    EXPECT_TRUE(explanation.endsWith(kTimedOut));
    EXPECT_LT(explanation.size(), 300 * 1024);
    EXPECT_EQ(readBytes(doc(QStringLiteral("x.pdf"))), kOlderPdf);
    expectOnlyChanged({});
    EXPECT_LT(m_longestPauseMs, 2000);
}

TEST_F(HostileFixture, GigabyteInputIsScannedWithoutBeingHeldInMemory)
{
    // A sparse file: a gigabyte of NUL bytes, which PostScript reads as white
    // space, between a header and a page.
    const QString input = doc(QStringLiteral("huge.ps"));
    {
        QFile file(input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%!PS\n/Helvetica findfont 20 scalefont setfont 72 720 moveto (huge) show\n");
        ASSERT_TRUE(file.resize(qint64(1) << 30));
        ASSERT_TRUE(file.seek(qint64(1) << 30));
        file.write("\nshowpage\n");
    }
    writeBytes(doc(QStringLiteral("huge.pdf")), kOlderPdf);
    takeSnapshots();
    struct rusage before {
    };
    ::getrusage(RUSAGE_SELF, &before);

    convert(input, doc(QStringLiteral("huge.pdf")));

    struct rusage after {
    };
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_EQ(onlyDialog().message, kSuccess) << onlyDialog().explanation.toStdString();
    EXPECT_EQ(TestFiles::pdfPageCount(doc(QStringLiteral("huge.pdf"))), 1);
    expectOnlyChanged({QStringLiteral("huge.pdf")});
    // Peak memory grew by far less than the input's size.
#ifdef Q_OS_MACOS
    const long unit = 1; // bytes
#else
    const long unit = 1024; // kilobytes
#endif
    EXPECT_LT((after.ru_maxrss - before.ru_maxrss) * unit, 512L << 20);
    EXPECT_LT(m_longestPauseMs, 2000);
}

// File names: what the drop hands over, and what the PDF is called.
struct AwkwardName {
    const char *label;
    QByteArray input;  // the file's name as bytes on disk
    QByteArray output; // the PDF's name, or empty when none can be made
};

void PrintTo(const AwkwardName &name, std::ostream *os)
{
    *os << name.label;
}

const AwkwardName kAwkwardNames[] = {
    {"Newlines", "zwei\nZeilen\n.ps", "zwei\nZeilen\n.pdf"},
    {"LineFeedAndReturn", "a\r\nb.ps", "a\r\nb.pdf"},
    {"LongestName", QByteArray(251, 'n') + ".eps", QByteArray(251, 'n') + ".pdf"},
    {"LongestUtf8Name", QByteArray("\xc3\xa4").repeated(125) + "a.eps",
     QByteArray("\xc3\xa4").repeated(125) + "a.pdf"},
    // The PDF's name is one byte longer than any name may be.
    {"NameWithNoRoomForPdf", QByteArray(252, 'n') + ".ps", ""},
};

class AwkwardNameTest : public HostileFixture, public testing::WithParamInterface<AwkwardName>
{
};

TEST_P(AwkwardNameTest, ConvertsBesideTheInputOrSaysWhyNot)
{
    const AwkwardName &name = GetParam();
    const QString input = m_docs.path() + QLatin1Char('/') + QFile::decodeName(name.input);
    ASSERT_TRUE(QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), input));
    takeSnapshots();

    JobTestSupport::dropToEnd({input}, m_dialogs);

    if (name.output.isEmpty()) {
        EXPECT_EQ(onlyDialog().message, kFailure);
        // The system's reason in the window's language, not the C library's English.
        EXPECT_TRUE(onlyDialog().explanation.endsWith(QStringLiteral(".pdf: Der Name ist zu lang")))
            << onlyDialog().explanation.toStdString();
        expectOnlyChanged({});
        return;
    }
    const QString output = m_docs.path() + QLatin1Char('/') + QFile::decodeName(name.output);
    EXPECT_EQ(onlyDialog().message, kSuccess) << onlyDialog().explanation.toStdString();
    EXPECT_EQ(onlyDialog().explanation, QStringLiteral("Die PDF-Datei wurde erstellt:\n") + output);
    EXPECT_EQ(TestFiles::pdfPageCount(output), 2);
    expectOnlyChanged({QFile::decodeName(name.output)});
}

INSTANTIATE_TEST_SUITE_P(Names, AwkwardNameTest, testing::ValuesIn(kAwkwardNames),
                         [](const auto &info) { return std::string(info.param.label); });

TEST_F(HostileFixture, NameThatIsNoUtf8FailsWithoutWritingAnything)
{
    // A drop hands the name over as a URL, read as UTF-8: bytes that are no
    // UTF-8 do not survive that, so the file is not there to open, and the
    // failure says so.
    const QByteArray raw = QFile::encodeName(m_docs.path()) + "/bild\xff\xfe.ps";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray ps = readBytes(TestFiles::fixture(QStringLiteral("hello.ps")));
    ASSERT_EQ(::write(fd, ps.constData(), ps.size()), ps.size());
    ::close(fd);
    takeSnapshots();

    const QUrl dropped = QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"));
    JobTestSupport::dropToEnd({dropped.toLocalFile()}, m_dialogs);

    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_TRUE(onlyDialog().explanation.contains(
        QStringLiteral("Die Eingabedatei kann nicht ge\u00f6ffnet werden: ")))
        << onlyDialog().explanation.toStdString();
    expectOnlyChanged({});
    ::unlink(raw.constData()); // QTemporaryDir cannot name it to remove it
}

TEST_F(HostileFixture, LinkedInputIsConvertedBesideTheLinkAndItsTargetIsLeftAlone)
{
    QTemporaryDir elsewhere(m_docs.path() + QStringLiteral("-elsewhere-XXXXXX"));
    const QString target = elsewhere.filePath(QStringLiteral("original.ps"));
    ASSERT_TRUE(QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), target));
    ASSERT_TRUE(QFile::link(target, doc(QStringLiteral("x.ps"))));
    // The older PDF is a link too: it is replaced, the file it names is kept.
    const QString olderTarget = elsewhere.filePath(QStringLiteral("older.pdf"));
    writeBytes(olderTarget, kOlderPdf);
    ASSERT_TRUE(QFile::link(olderTarget, doc(QStringLiteral("x.pdf"))));
    const auto elsewhereBefore = snapshot(elsewhere.path());
    takeSnapshots();

    JobTestSupport::dropToEnd({doc(QStringLiteral("x.ps"))}, m_dialogs);

    EXPECT_EQ(onlyDialog().message, kSuccess);
    EXPECT_FALSE(QFileInfo(doc(QStringLiteral("x.pdf"))).isSymLink());
    EXPECT_EQ(TestFiles::pdfPageCount(doc(QStringLiteral("x.pdf"))), 2);
    EXPECT_EQ(changedEntries(elsewhereBefore, snapshot(elsewhere.path())), QStringList());
    expectOnlyChanged({QStringLiteral("x.pdf")});
}

TEST_F(HostileFixture, LinkLoopFailsAtOnce)
{
    ASSERT_TRUE(QFile::link(doc(QStringLiteral("y.ps")), doc(QStringLiteral("x.ps"))));
    ASSERT_TRUE(QFile::link(doc(QStringLiteral("x.ps")), doc(QStringLiteral("y.ps"))));
    writeBytes(doc(QStringLiteral("x.pdf")), kOlderPdf);
    takeSnapshots();

    const qint64 elapsed = convert(doc(QStringLiteral("x.ps")), doc(QStringLiteral("x.pdf")));

    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_GT(onlyDialog().explanation.size(), kFailureHead.size());
    EXPECT_LT(elapsed, 10000);
    expectOnlyChanged({});
}

TEST_F(HostileFixture, FifoNamedLikeADocumentIsRefusedWithoutHoldingTheWindow)
{
    const QString fifo = doc(QStringLiteral("x.ps"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeBytes(doc(QStringLiteral("x.pdf")), kOlderPdf);
    takeSnapshots();

    // Should anything block opening the FIFO without a time-out, this opens
    // its other end after a while, so that the test fails instead of hanging.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread rescuer([&] {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, std::chrono::seconds(20), [&] { return done; })) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    });

    const qint64 elapsed = convert(fifo, doc(QStringLiteral("x.pdf")), kShortTimeoutMs);
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_all();
    rescuer.join();

    // Refused as soon as it is opened: no reader waits for its writer.
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_EQ(onlyDialog().explanation,
              QStringLiteral("Die Eingabedatei kann nicht ge\u00f6ffnet werden: %1: Es handelt "
                             "sich nicht um eine gew\u00f6hnliche Datei, sondern etwa um eine "
                             "Pipe oder ein Ger\u00e4t.")
                  .arg(fifo));
    EXPECT_LT(m_longestPauseMs, 2000);
    EXPECT_EQ(readBytes(doc(QStringLiteral("x.pdf"))), kOlderPdf);
    expectOnlyChanged({});
}

TEST_F(HostileFixture, FileDeletedAfterItWasOpenedIsStillConverted)
{
    // The input is opened once, before Ghostscript starts; removing its name
    // afterwards changes nothing of what is read.
    const QString wrapper = m_home.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(wrapper, QStringLiteral("for last; do :; done\nrm -f \"$(readlink -f \"$last\")\"\n"
                                                   "exec '%1' \"$@\"\n")
                                        .arg(TestFiles::realGhostscript())
                                        .toUtf8());
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("x.ps")));
    writeBytes(doc(QStringLiteral("x.pdf")), kOlderPdf);

    convert(doc(QStringLiteral("x.ps")), doc(QStringLiteral("x.pdf")), 30000, wrapper);

    EXPECT_EQ(onlyDialog().message, kSuccess);
    EXPECT_EQ(TestFiles::pdfPageCount(doc(QStringLiteral("x.pdf"))), 2);
    EXPECT_FALSE(QFileInfo::exists(doc(QStringLiteral("x.ps"))));
}

TEST_F(HostileFixture, FolderWhereThePdfWouldGoIsKept)
{
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("x.ps")));
    ASSERT_TRUE(QDir().mkdir(doc(QStringLiteral("x.pdf"))));
    writeBytes(doc(QStringLiteral("x.pdf/inside.txt")), "keep me");
    takeSnapshots();

    convert(doc(QStringLiteral("x.ps")), doc(QStringLiteral("x.pdf")));

    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_TRUE(onlyDialog().explanation.contains(
        QStringLiteral("\nDie PDF-Datei kann nicht am Zielort abgelegt werden: ")))
        << onlyDialog().explanation.toStdString();
    expectOnlyChanged({});
}
