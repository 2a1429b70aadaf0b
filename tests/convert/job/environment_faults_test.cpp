// Faults of the machine rather than of the document: a disk that fills up, a
// Ghostscript that is killed or talks without end. Each ends in a failure
// dialog that says what happened; an older PDF and the input survive.

#include "convert/input/FontRepair.h"
#include "convert/job/ConversionTexts.h"
#include "platform/sandbox/GhostscriptSandbox.h"
#include "platform/text/Translations.h"

#include "HostileTestSupport.h"
#include "ScopedVariable.h"

#include <QFileInfo>

#include <cstring>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

using namespace Hostile;
using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QByteArray kOlderPdf = "%PDF older, precious";

// A one-megabyte file system over a folder, where this machine lets us make
// one (root on Linux); the folder's earlier contents are hidden meanwhile.
class SmallFileSystem
{
public:
    explicit SmallFileSystem(const QString &folder) : m_folder(QFile::encodeName(folder))
    {
#ifdef Q_OS_LINUX
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=1m") == 0;
#endif
    }
    ~SmallFileSystem()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
#endif
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;
    bool mounted() const
    {
        return m_mounted;
    }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

// One page of 1.5 MB of image data that does not compress: its PDF cannot fit
// into the small file system.
const QByteArray kBigPagePostScript =
    "%!PS\n"
    "<< /AutoFilterColorImages false /ColorImageFilter /FlateEncode\n"
    "   /DownsampleColorImages false >> setdistillerparams\n"
    "/seed 1 def\n"
    "/rnd { seed 75 mul 74 add 65537 mod dup /seed exch def 255 and } def\n"
    "/row 1536 string def\n"
    "72 72 translate 400 400 scale\n"
    "512 1024 8 [512 0 0 1024 0 0] { 0 1 1535 { row exch rnd put } for row } false 3 colorimage\n"
    "showpage\n";

} // namespace

TEST_F(HostileFixture, DiskFullUnderThePdfIsAFailureAndKeepsTheOlderPdf)
{
    SmallFileSystem disk(m_docs.path());
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    writeBytes(doc(QStringLiteral("big.ps")), kBigPagePostScript);
    writeBytes(doc(QStringLiteral("big.pdf")), kOlderPdf);
    takeSnapshots();

    convert(doc(QStringLiteral("big.ps")), doc(QStringLiteral("big.pdf")));

    // Ghostscript writes in its workspace on another file system; the copy
    // into the full one fails and says so.
    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_TRUE(onlyDialog().explanation.contains(
        QStringLiteral("\nDie PDF-Datei kann nicht am Zielort abgelegt werden: ")))
        << onlyDialog().explanation.toStdString();
    EXPECT_EQ(readBytes(doc(QStringLiteral("big.pdf"))), kOlderPdf);
    expectOnlyChanged({});
}

TEST_F(HostileFixture, DiskFullUnderGhostscriptsOwnPdfIsAFailureAndKeepsTheOlderPdf)
{
    // The workspace, where Ghostscript writes, is on the full file system.
    QTemporaryDir temporary(QStringLiteral("/tmp/pagora-small-XXXXXX"));
    SmallFileSystem disk(temporary.path());
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));
    writeBytes(doc(QStringLiteral("big.ps")), kBigPagePostScript);
    writeBytes(doc(QStringLiteral("big.pdf")), kOlderPdf);
    takeSnapshots();

    convert(doc(QStringLiteral("big.ps")), doc(QStringLiteral("big.pdf")));
    qputenv("TMPDIR", savedTmp);

    // Its temporary files or its PDF run out of room: a failure either way.
    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_TRUE(onlyDialog().explanation.contains(QLatin1String("No space left on device")) ||
                onlyDialog().explanation.endsWith(QStringLiteral(
                    "\nDie PDF-Datei wurde nicht vollst\u00e4ndig geschrieben (ist der "
                    "Datentr\u00e4ger voll?).")))
        << onlyDialog().explanation.toStdString();
    EXPECT_EQ(readBytes(doc(QStringLiteral("big.pdf"))), kOlderPdf);
    expectOnlyChanged({});
}

// A full disk can cut the PDF short while Ghostscript still exits with 0:
// what it leaves ends before its cross-reference, and that is no PDF.
TEST_F(HostileFixture, PdfCutBeforeItsCrossReferenceIsAFailureAndKeepsTheOlderPdf)
{
    const QString ghostscript = m_home.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(ghostscript,
                           "for a; do case \"$a\" in -sOutputFile=*) out=\"${a#-sOutputFile=}\";; "
                           "esac; done\n"
                           "printf '%%PDF-1.7\\n1 0 obj\\n<< /Type /Catalog /Pages 2 0 R >>\\n"
                           "endobj\\n2 0 obj\\n<< /Type /Pages /Kids [] /Count 0 >>\\nendobj\\n' "
                           "> \"$out\"\n"
                           "exit 0\n");
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("cut.ps")));
    writeBytes(doc(QStringLiteral("cut.pdf")), kOlderPdf);
    takeSnapshots();

    convert(doc(QStringLiteral("cut.ps")), doc(QStringLiteral("cut.pdf")), 30000, ghostscript);

    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_TRUE(onlyDialog().explanation.endsWith(
        QString(ConversionTexts::kIncompletePdfLine)))
        << onlyDialog().explanation.toStdString();
    EXPECT_EQ(readBytes(doc(QStringLiteral("cut.pdf"))), kOlderPdf);
    expectOnlyChanged({});
}

TEST_F(HostileFixture, DiskFullUnderTheRepairedCopyIsAFailureAndLeavesNoPartialCopy)
{
    SmallFileSystem disk(m_temporary.path());
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here";
    // The name to repair, then two megabytes of comments.
    QByteArray input = "%!PS\n/F (Lucida Grande) cvn def\n";
    while (input.size() < (2 << 20))
        input += "% " + QByteArray(76, 'x') + '\n';
    writeBytes(doc(QStringLiteral("lucida.ps")), input);
    writeBytes(doc(QStringLiteral("lucida.pdf")), kOlderPdf);
    takeSnapshots();

    convert(doc(QStringLiteral("lucida.ps")), doc(QStringLiteral("lucida.pdf")));

    EXPECT_EQ(onlyDialog().message, kFailure);
    // Ghostscript never ran: no heading of its output stands above our sentence.
    EXPECT_TRUE(onlyDialog().explanation.startsWith(
        QStringLiteral("Die Eingabedatei kann nicht vorbereitet werden: ")));
    EXPECT_TRUE(onlyDialog().explanation.endsWith(
        QStringLiteral(": Auf dem Datentr\u00e4ger ist kein Platz mehr frei")))
        << onlyDialog().explanation.toStdString();
    EXPECT_EQ(readBytes(doc(QStringLiteral("lucida.pdf"))), kOlderPdf);
    expectOnlyChanged({});
    // Not even a half-written copy is left to fill the disk.
    for (const QString &entry : snapshot(m_temporary.path()).keys())
        EXPECT_FALSE(entry.contains(kRepairedCopyName)) << entry.toStdString();
}

TEST_F(HostileFixture, GhostscriptKilledMidRunIsAFailureThatSaysSo)
{
    // The real Ghostscript, on an endless document, killed by a signal from
    // outside after a second.
    const QString wrapper = m_home.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(wrapper, QStringLiteral("( sleep 1; kill -KILL $$ ) &\n"
                                                   "exec '%1' \"$@\"\n")
                                        .arg(TestFiles::realGhostscript())
                                        .toUtf8());
    QFile::copy(TestFiles::fixture(QStringLiteral("loop.ps")), doc(QStringLiteral("loop.ps")));
    writeBytes(doc(QStringLiteral("loop.pdf")), kOlderPdf);
    takeSnapshots();

    const qint64 elapsed =
        convert(doc(QStringLiteral("loop.ps")), doc(QStringLiteral("loop.pdf")), 30000, wrapper);

    EXPECT_LT(elapsed, 10000);
    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_TRUE(onlyDialog().explanation.contains(QLatin1String("Ghostscript")));
    EXPECT_TRUE(onlyDialog().explanation.endsWith(
        QStringLiteral("\nGhostscript wurde von au\u00dfen beendet oder ist abgest\u00fcrzt.")));
    EXPECT_EQ(readBytes(doc(QStringLiteral("loop.pdf"))), kOlderPdf);
    expectOnlyChanged({});
    EXPECT_LT(m_longestPauseMs, 2000);
}

TEST_F(HostileFixture, HundredMegabytesOfOutputAreShownByTheirBeginningAndEnd)
{
    const QString talker = m_home.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(talker, "printf 'Anfang\\n'\n"
                                   "yes 'eine Zeile Ausgabe von Ghostscript' | head -c 104857600\n"
                                   "printf 'Ende\\n'\nexit 1\n");
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("x.ps")));
    writeBytes(doc(QStringLiteral("x.pdf")), kOlderPdf);
    takeSnapshots();

    const qint64 elapsed =
        convert(doc(QStringLiteral("x.ps")), doc(QStringLiteral("x.pdf")), 30000, talker);

    const QString explanation = onlyDialog().explanation;
    EXPECT_EQ(onlyDialog().message, kFailure);
    EXPECT_TRUE(explanation.startsWith(kFailureHead + QStringLiteral("Anfang\neine Zeile")));
    EXPECT_TRUE(explanation.endsWith(QStringLiteral("Ghostscript\neine Zeile AusgEnde\n")))
        << explanation.right(100).toStdString();
    const qsizetype omitted = explanation.indexOf(QStringLiteral(" Bytes der Ausgabe ausgelassen"));
    ASSERT_GT(omitted, 0);
    const qint64 count =
        explanation.left(omitted).section(QStringLiteral("[\u2026 "), -1).toLongLong();
    // Everything but the kept beginning and end is counted as left out.
    EXPECT_EQ(count, qint64(7 + 104857600 + 5) - ConversionJob::kTranscriptLimit);
    EXPECT_LT(explanation.size(), 300 * 1024);
    EXPECT_EQ(readBytes(doc(QStringLiteral("x.pdf"))), kOlderPdf);
    expectOnlyChanged({});
    EXPECT_LT(elapsed, 20000);
    EXPECT_LT(m_longestPauseMs, 2000);
}

// A conversion that gets no private folder or no sandbox says why in the
// window's language, German or English, the system's reason too; Ghostscript
// never ran, so no heading of its output stands above.
TEST_F(HostileFixture, NoWorkspaceOrSandboxIsToldInTheWindowsLanguage)
{
    const QString hello = doc(QStringLiteral("hello.ps"));
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), hello);
    // A temporary folder that is a file, and no other place to go.
    const QString notAFolder = m_home.filePath(QStringLiteral("kein-ordner"));
    writeBytes(notAFolder, "");
    // A font folder that leads round in a circle cannot be granted.
    const QString fonts = m_home.filePath(QStringLiteral("Library/Fonts"));
    ASSERT_TRUE(QDir(fonts).removeRecursively());
    ASSERT_TRUE(QFile::link(QStringLiteral("Fonts"), fonts));
    const bool landlock = GhostscriptSandbox::support() == SandboxSupport::Landlock;

    const struct {
        const char *locale;
        QString workspace;
        QString sandbox;
        QString loop;
    } cases[] = {
        {"de_DE",
         QStringLiteral("Der Arbeitsordner f\u00fcr die Konvertierung kann nicht angelegt werden: "
                        "Kein tempor\u00e4rer Ordner, den nur dieser Benutzer \u00e4ndern kann: ") +
             notAFolder,
         QStringLiteral("Ghostscript kann nicht in seiner Sandbox gestartet werden: "
                        "Der Zugriff auf %1 l\u00e4sst sich nicht freigeben: ")
             .arg(fonts),
         QStringLiteral("Ein symbolischer Link, dem nicht gefolgt wird, oder zu viele Links")},
        {"en_US",
         QStringLiteral("The conversion's work folder cannot be created: "
                        "No temporary folder that only this user can change: ") +
             notAFolder,
         QStringLiteral("Ghostscript cannot be started in its sandbox: "
                        "Access to %1 cannot be granted: ")
             .arg(fonts),
         QStringLiteral("A symbolic link that is not followed, or too many links")},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.locale);
        InstallTranslations(*QCoreApplication::instance(),
                            QLocale(QString::fromLatin1(test.locale)));
        m_dialogs.shown.clear();
        {
            ScopedVariable tmpdir("TMPDIR", QFile::encodeName(notAFolder));
            ScopedVariable runtime("XDG_RUNTIME_DIR", QByteArray());
            ScopedVariable cache("XDG_CACHE_HOME", QFile::encodeName(notAFolder));
            convert(hello, doc(QStringLiteral("hello.pdf")));
        }
        ASSERT_EQ(m_dialogs.shown.size(), 1);
        EXPECT_EQ(m_dialogs.shown.first().explanation, test.workspace);

        if (landlock) {
            m_dialogs.shown.clear();
            convert(hello, doc(QStringLiteral("hello.pdf")));
            ASSERT_EQ(m_dialogs.shown.size(), 1);
            const QString explanation = m_dialogs.shown.first().explanation;
            EXPECT_TRUE(explanation.startsWith(test.sandbox)) << explanation.toStdString();
            // The reason for a circle of links closes the line.
            EXPECT_TRUE(explanation.endsWith(test.loop)) << explanation.toStdString();
        }
    }
    InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
    EXPECT_FALSE(QFileInfo::exists(doc(QStringLiteral("hello.pdf"))));
}
