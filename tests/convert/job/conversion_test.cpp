#include "convert/queue/DropIntake.h"
#include "convert/job/GhostscriptConversion.h"
#include "convert/job/GhostscriptArguments.h"

#include "JobTestSupport.h"
#include "ScriptedPresenter.h"
#include "ScopedVariable.h"
#include "TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QString kSuccessHead = QStringLiteral("Die PDF-Datei wurde erstellt:\n");
const QString kFailureHead = QStringLiteral("Ausgabe:\n");

// Every conversion test gets its own folder for documents and its own
// temporary location, so leftovers of a run can be seen.
class Conversion : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(TestFiles::realGhostscript().isEmpty()) << "gs is needed";
        m_savedTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", m_tmp.path().toUtf8());
    }
    void TearDown() override { qputenv("TMPDIR", m_savedTmp); }

    QString doc(const QString &name) const { return m_docs.filePath(name); }

    void convert(const QString &input, const QString &output, int timeoutMs = 30000,
                 const QString &gs = TestFiles::realGhostscript())
    {
        JobTestSupport::convertToEnd(gs, input, output, m_dialogs, timeoutMs);
    }

    // Nothing but the named files is left in the documents folder, and no run
    // folder is left in the temporary location.
    void expectNoLeftovers(const QStringList &expected, const QString &folder = {}) const
    {
        QDir dir(folder.isEmpty() ? m_docs.path() : folder);
        QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QStringList want = expected;
        names.sort();
        want.sort();
        EXPECT_EQ(names, want);
        const QStringList privateFolders =
            QDir(m_tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : privateFolders)
            EXPECT_TRUE(QDir(m_tmp.filePath(name)).isEmpty()) << name.toStdString();
    }

    const MessageDialog &onlyDialog() const
    {
        EXPECT_EQ(m_dialogs.shown.size(), 1);
        return m_dialogs.shown.first();
    }

    QTemporaryDir m_docs;
    QTemporaryDir m_tmp;
    QByteArray m_savedTmp;
    ScriptedPresenter m_dialogs;
};

} // namespace

TEST_F(Conversion, GhostscriptArgumentVector)
{
    const QStringList arguments = GhostscriptArguments(
        QStringLiteral("/in put.ps"), QStringLiteral("/out/100%.pdf"), QStringLiteral("/p/pro log.ps"));
    EXPECT_EQ(arguments,
              (QStringList{"-dBATCH", "-dNOPAUSE", "-dSAFER", "-sDEVICE=pdfwrite",
                           "-sFONTPATH=/System/Library/Fonts:/Library/Fonts:" + QDir::homePath() +
                               "/Library/Fonts",
                           "-sOutputFile=/out/100%%.pdf", "/p/pro log.ps", "/in put.ps"}));
    EXPECT_EQ(GhostscriptArguments(QStringLiteral("/a.ps"), QStringLiteral("/a.pdf"), QString()).last(),
              QStringLiteral("/a.ps"));
}

class ConversionOfAwkwardNames : public Conversion,
                                 public testing::WithParamInterface<const char *> {};

TEST_P(ConversionOfAwkwardNames, PdfIsWrittenNextToTheInput)
{
    const QString name = QString::fromUtf8(GetParam());
    const QString folder = doc(name);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString input = folder + QLatin1Char('/') + name + QStringLiteral(".ps");
    const QString output = folder + QLatin1Char('/') + name + QStringLiteral(".pdf");
    ASSERT_TRUE(QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), input));

    ScriptedPresenter dialogs;
    JobTestSupport::dropToEnd({input}, dialogs);

    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].message, QStringLiteral("Erfolg!"));
    EXPECT_EQ(dialogs.shown[0].iconType, MessageDialog::Icon::Note);
    EXPECT_EQ(dialogs.shown[0].explanation, kSuccessHead + output);
    EXPECT_EQ(TestFiles::pdfPageCount(output), 2);
    expectNoLeftovers({name + ".ps", name + ".pdf"}, folder);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("pwned")));
}

INSTANTIATE_TEST_SUITE_P(Names, ConversionOfAwkwardNames,
                         testing::Values("plain", "mit Leerzeichen", "quote\"d 'single'",
                                         "dollar$(touch pwned)", "back`touch pwned`tick",
                                         "back\\slash", "Grüße Ärger", "percent%d%s",
                                         "-dNOSAFER", "|pipe"));

TEST_F(Conversion, LargerGeneratedDocumentKeepsItsPages)
{
    // A manual page of our own, typeset by groff: many pages, real fonts.
    QByteArray roff = ".TH PAGORA 1\n.SH NAME\npagora \\- PostScript nach PDF\n";
    for (int section = 1; section <= 40; ++section) {
        roff += ".SH ABSCHNITT " + QByteArray::number(section) + "\n";
        for (int paragraph = 0; paragraph < 6; ++paragraph)
            roff += ".PP\nDer Text dieses Absatzes f\\(:ullt die Seite mit \\fBfetten\\fP und "
                    "\\fIkursiven\\fP W\\(:ortern, damit groff viele Seiten setzt.\n";
    }
    writeBytes(doc(QStringLiteral("pagora.1")), roff);
    const QByteArray ps = TestFiles::runTool(
        QStringLiteral("groff"), {QStringLiteral("-Tps"), QStringLiteral("-man"), doc(QStringLiteral("pagora.1"))});
    ASSERT_FALSE(ps.isEmpty()) << "groff -Tps failed";
    const int pages =
        QString::fromLatin1(ps).section(QStringLiteral("%%Pages: "), 1).section('\n', 0, 0).toInt();
    ASSERT_GT(pages, 5);
    writeBytes(doc(QStringLiteral("pagora.ps")), ps);

    convert(doc(QStringLiteral("pagora.ps")), doc(QStringLiteral("pagora.pdf")));
    EXPECT_EQ(onlyDialog().message, QStringLiteral("Erfolg!"));
    EXPECT_EQ(TestFiles::pdfPageCount(doc(QStringLiteral("pagora.pdf"))), pages);
    const QByteArray text = TestFiles::runTool(QStringLiteral("pdftotext"),
                                               {doc(QStringLiteral("pagora.pdf")), QStringLiteral("-")});
    EXPECT_TRUE(text.contains("ABSCHNITT 40"));
}

TEST_F(Conversion, HostileDocumentCannotRunCommandsNorTouchFilesOutside)
{
    const QString planted = doc(QStringLiteral("planted"));
    const QString beside = doc(QStringLiteral("beside.txt"));
    writeBytes(beside, "keep me");
    // Each attempt is caught inside the document, which then draws its page.
    const QString ps = QStringLiteral(
        "%!PS\n"
        "{ (%pipe%touch %1) (w) file closefile } stopped pop\n"
        "{ (%1) (w) file dup (x) writestring closefile } stopped pop\n"
        "{ (%2) deletefile } stopped pop\n"
        "{ (%2) (%1) renamefile } stopped pop\n"
        "/Helvetica findfont 20 scalefont setfont 72 720 moveto (still here) show showpage\n")
                           .arg(planted, beside);
    writeBytes(doc(QStringLiteral("attack.ps")), ps.toUtf8());

    convert(doc(QStringLiteral("attack.ps")), doc(QStringLiteral("attack.pdf")));
    EXPECT_EQ(onlyDialog().message, QStringLiteral("Erfolg!"));
    EXPECT_FALSE(QFileInfo::exists(planted));
    EXPECT_EQ(readBytes(beside), QByteArray("keep me"));
    EXPECT_EQ(TestFiles::pdfPageCount(doc(QStringLiteral("attack.pdf"))), 1);
    expectNoLeftovers({"attack.ps", "attack.pdf", "beside.txt"});
}

struct FailureCase {
    const char *name;
    void (*prepare)(const QString &input); // makes the input at this path
    // How the explanation begins: Ghostscript's output under its heading, or
    // our sentence alone where Ghostscript never ran.
    const char *head;
};

class ConversionFailure : public Conversion, public testing::WithParamInterface<FailureCase> {};

TEST_P(ConversionFailure, ShowsTheOutputAndKeepsTheOlderPdf)
{
    const QString input = doc(QStringLiteral("x.ps"));
    const QString output = doc(QStringLiteral("x.pdf"));
    GetParam().prepare(input);
    writeBytes(output, "%PDF older, precious");

    convert(input, output);
    const MessageDialog &dialog = onlyDialog();
    EXPECT_EQ(dialog.message, QStringLiteral("Fehler bei der Konvertierung!"));
    EXPECT_EQ(dialog.iconType, MessageDialog::Icon::Stop);
    const QString head = QString::fromUtf8(GetParam().head);
    EXPECT_TRUE(dialog.explanation.startsWith(head)) << dialog.explanation.toStdString();
    EXPECT_GT(dialog.explanation.size(), head.size()); // it says why
    EXPECT_EQ(readBytes(output), QByteArray("%PDF older, precious"));
    expectNoLeftovers(QFileInfo::exists(input) ? QStringList{"x.ps", "x.pdf"} : QStringList{"x.pdf"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConversionFailure,
    testing::Values(FailureCase{"PostScriptError",
                                [](const QString &in) {
                                    QFile::copy(TestFiles::fixture("error.ps"), in);
                                },
                                "Ausgabe:\n"},
                    FailureCase{"NotPostScript",
                                [](const QString &in) {
                                    QFile::copy(TestFiles::fixture("not_postscript.ps"), in);
                                },
                                "Ausgabe:\n"},
                    FailureCase{"FolderNamedPs", [](const QString &in) { QDir().mkpath(in); },
                                "Die Eingabedatei kann nicht ge\u00f6ffnet werden: "},
                    FailureCase{"MissingInput", [](const QString &) {},
                                "Die Eingabedatei kann nicht ge\u00f6ffnet werden: "}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Conversion, UnwritableOutputFolderFailsWithoutTouchingAnything)
{
    const QString input = doc(QStringLiteral("x.ps"));
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), input);
    writeBytes(doc(QStringLiteral("x.pdf")), "older");
    TestFiles::ReadOnlyFolder readOnly(m_docs.path());
    if (!readOnly.active())
        GTEST_SKIP() << "cannot make a read-only folder here";

    convert(input, doc(QStringLiteral("x.pdf")));
    EXPECT_EQ(onlyDialog().message, QStringLiteral("Fehler bei der Konvertierung!"));
    EXPECT_TRUE(onlyDialog().explanation.startsWith(
        QStringLiteral("Die PDF-Datei kann in diesem Ordner nicht angelegt werden: ")));
    EXPECT_EQ(readBytes(doc(QStringLiteral("x.pdf"))), QByteArray("older"));
}

TEST_F(Conversion, EndlessDocumentIsStoppedAtTheTimeOut)
{
    const QString input = doc(QStringLiteral("loop.ps"));
    QFile::copy(TestFiles::fixture(QStringLiteral("loop.ps")), input);
    writeBytes(doc(QStringLiteral("loop.pdf")), "older");

    convert(input, doc(QStringLiteral("loop.pdf")), 1500);
    EXPECT_EQ(onlyDialog().message, QStringLiteral("Fehler bei der Konvertierung!"));
    EXPECT_TRUE(onlyDialog().explanation.startsWith(kFailureHead));
    EXPECT_TRUE(onlyDialog().explanation.endsWith(
        QStringLiteral("\nGhostscript wurde nach 30 Sekunden abgebrochen.")));
    EXPECT_EQ(readBytes(doc(QStringLiteral("loop.pdf"))), QByteArray("older"));
    expectNoLeftovers({"loop.ps", "loop.pdf"});
}

TEST_F(Conversion, GhostscriptThatCannotStartShowsWhy)
{
    const QString notRunnable = doc(QStringLiteral("gs"));
    writeBytes(notRunnable, "no program");
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("a.ps")));

    convert(doc(QStringLiteral("a.ps")), doc(QStringLiteral("a.pdf")), 30000, notRunnable);
    EXPECT_EQ(onlyDialog().message, QStringLiteral("Fehler bei der Konvertierung!"));
    EXPECT_GT(onlyDialog().explanation.size(), kFailureHead.size());
    EXPECT_FALSE(QFileInfo::exists(doc(QStringLiteral("a.pdf"))));
}

TEST_F(Conversion, SilentFailureShowsAnEmptyTranscriptAndGhostscriptGetsItsOwnTemporaryFolder)
{
    // A Ghostscript that notes where its temporary folder is, writes a file
    // there and fails without a word. It runs in its job's workspace, and the
    // temporary folder is named relative to it. TEMP and TMP, which only
    // Windows reads, it does not get at all.
    const QString fake = doc(QStringLiteral("gs"));
    const QString seen = doc(QStringLiteral("seen"));
    const QString script =
        QStringLiteral("echo \"$PWD/$TMPDIR|${TEMP-unset}|${TMP-unset}\" > '%1'\n"
                       "touch \"$TMPDIR/junk\"\nexit 1\n")
            .arg(seen);
    TestFiles::writeScript(fake, script.toUtf8());
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("a.ps")));

    convert(doc(QStringLiteral("a.ps")), doc(QStringLiteral("a.pdf")), 30000, fake);
    EXPECT_EQ(onlyDialog().explanation, kFailureHead);
    const QStringList folders = QString::fromUtf8(readBytes(seen)).trimmed().split('|');
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(folders[1], QStringLiteral("unset"));
    EXPECT_EQ(folders[2], QStringLiteral("unset"));
    EXPECT_TRUE(folders[0].startsWith(m_tmp.path() + QLatin1Char('/')));
    EXPECT_FALSE(QFileInfo::exists(folders[0]));
    expectNoLeftovers({"a.ps", "gs", "seen"});
}

#ifdef Q_OS_LINUX
// Ghostscript gets an environment of its own: the user's tunables, set for
// the session's programs, are not among it.
TEST_F(Conversion, GhostscriptsHeapAsksForHugePagesWhateverTheUsersOwnTunables)
{
    const QString fake = doc(QStringLiteral("gs"));
    const QString seen = doc(QStringLiteral("seen"));
    TestFiles::writeScript(fake, QStringLiteral("printf '%s' \"$GLIBC_TUNABLES\" > '%1'\nexit 1\n")
                                     .arg(seen)
                                     .toUtf8());
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("a.ps")));
    const struct {
        const char *users;
        const char *ghostscripts;
    } cases[] = {
        {"", "glibc.malloc.hugetlb=1"},
        {"glibc.malloc.arena_max=2", "glibc.malloc.hugetlb=1"},
        {"glibc.malloc.hugetlb=0", "glibc.malloc.hugetlb=1"},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.users);
        const ScopedVariable users("GLIBC_TUNABLES", each.users);
        m_dialogs.shown.clear();
        convert(doc(QStringLiteral("a.ps")), doc(QStringLiteral("a.pdf")), 30000, fake);
        EXPECT_EQ(readBytes(seen), QByteArray(each.ghostscripts));
    }
}
#endif

TEST_F(Conversion, ExitZeroWithoutAPdfIsAFailure)
{
    const QString fake = doc(QStringLiteral("gs"));
    TestFiles::writeScript(fake, "echo 'all fine, honestly'\n");
    QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), doc(QStringLiteral("a.ps")));
    writeBytes(doc(QStringLiteral("a.pdf")), "older");

    convert(doc(QStringLiteral("a.ps")), doc(QStringLiteral("a.pdf")), 30000, fake);
    EXPECT_EQ(onlyDialog().message, QStringLiteral("Fehler bei der Konvertierung!"));
    EXPECT_EQ(onlyDialog().explanation, kFailureHead + QStringLiteral("all fine, honestly\n"));
    EXPECT_EQ(readBytes(doc(QStringLiteral("a.pdf"))), QByteArray("older"));
}
