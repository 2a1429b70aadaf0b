#include "convert/job/ConversionJob.h"
#include "convert/queue/ConversionQueue.h"
#include "convert/job/GhostscriptArguments.h"
#include "convert/job/GhostscriptConversion.h"
#include "convert/pdf/PdfArchive.h"
#include "convert/pdf/PdfKind.h"

#include "JobTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <unistd.h>

using TestFiles::readBytes;
using TestFiles::runTool;
using TestFiles::writeBytes;

namespace {

const QString kSuccessHead = QStringLiteral("Die PDF-Datei wurde erstellt:\n");

QString profileOfRealGhostscript()
{
    return FindSrgbProfile(TestFiles::realGhostscript());
}

// The "emb" column of pdffonts, one entry per font.
QStringList embeddedColumn(const QString &pdf)
{
    const QStringList lines = QString::fromUtf8(runTool(QStringLiteral("pdffonts"), {pdf}))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() < 2)
        return {QStringLiteral("pdffonts failed")};
    const qsizetype column = lines.first().indexOf(QLatin1String("emb"));
    QStringList embedded;
    for (qsizetype i = 2; i < lines.size(); ++i)
        embedded << lines.at(i).mid(column, 3);
    return embedded;
}

// The PDF as qpdf writes it with every stream uncompressed: its objects can
// be read as text.
QString plainPdf(const QString &pdf)
{
    const QStringList arguments{QStringLiteral("--qdf"), QStringLiteral("--object-streams=disable"),
                                pdf, QStringLiteral("-")};
    return QString::fromLatin1(runTool(QStringLiteral("qpdf"), arguments));
}

QString pdfInfo(const QString &pdf, const QString &field)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^") + field + QStringLiteral(":\\s+(.*)$"),
                           QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(runTool(QStringLiteral("pdfinfo"), {pdf})));
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

// The first page rendered at a low resolution: whether any pixel has colour.
bool pageHasColour(const QString &pdf)
{
    const QByteArray ppm = runTool(QStringLiteral("pdftoppm"),
                                   {QStringLiteral("-r"), QStringLiteral("30"),
                                    QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                    QStringLiteral("1"), pdf});
    // "P6\n<w> <h>\n255\n" and the pixels.
    const QList<QByteArray> head = ppm.left(64).split('\n');
    EXPECT_GE(head.size(), 3);
    EXPECT_EQ(head.value(0), QByteArray("P6"));
    const qsizetype start = head.value(0).size() + head.value(1).size() + head.value(2).size() + 3;
    EXPECT_GT(ppm.size(), start + 3);
    for (qsizetype i = start; i + 2 < ppm.size(); i += 3) {
        const int r = quint8(ppm.at(i)), g = quint8(ppm.at(i + 1)), b = quint8(ppm.at(i + 2));
        if (r != g || g != b)
            return true;
    }
    return false;
}

// A page with a photograph-like image: 600 x 600 pixels of smooth colour with
// some grain, over two inches (300 dpi).
QByteArray documentWithLargeImage()
{
    constexpr int side = 600;
    QByteArray pixels;
    pixels.reserve(side * side * 3);
    QRandomGenerator random(21);
    const auto channel = [](double value) { return char(std::clamp(int(value), 0, 255)); };
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int grain = random.bounded(-12, 13);
            pixels.append(channel(128 + 100 * std::sin(x / 23.0) * std::cos(y / 31.0) + grain));
            pixels.append(channel(128 + 90 * std::sin((x + y) / 41.0) + grain));
            pixels.append(channel(128 + 80 * std::cos(x * y / 9000.0) + grain));
        }
    }
    return "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n"
           "72 400 translate 144 144 scale\n"
           "600 600 8 [600 0 0 -600 0 600] currentfile false 3 colorimage\n" +
           pixels + "\nshowpage\n%%EOF\n";
}

class PdfKinds : public testing::Test
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

    // Converts input (a fixture or a file of the test) as a single drop of
    // the given kind; the dialogs are kept in m_dialogs.
    ConversionJob::Outcome convert(const QString &input, const QString &output, PdfKind kind,
                                   const QString &gs = TestFiles::realGhostscript())
    {
        ConversionJob *job = ConvertWithGhostscript(gs, input, output, m_dialogs, nullptr, kind);
        return JobTestSupport::waitForJob(job);
    }

    QTemporaryDir m_docs;
    QTemporaryDir m_tmp;
    QByteArray m_savedTmp;
    ScriptedPresenter m_dialogs;
};

} // namespace

TEST(PdfKindTable, EachKindAddsItsOwnArgumentsAndStandardAddsNone)
{
    const QString in = QStringLiteral("in.ps");
    const QString out = QStringLiteral("output.pdf");
    const QStringList standard = GhostscriptArguments(in, out, QString(), false);
    EXPECT_EQ(GhostscriptArguments(in, out, QString(), false, PdfKind::Standard), standard);
    // With a prolog and as a figure too.
    EXPECT_EQ(GhostscriptArguments(in, out, QStringLiteral("p.ps"), true, PdfKind::Standard),
              GhostscriptArguments(in, out, QStringLiteral("p.ps"), true));

    const QStringList embedAll{"-c", "<< /NeverEmbed [ ] >> setdistillerparams", "-f"};
    const struct {
        PdfKind kind;
        const char *key;
        const char *name;
        QStringList added;
    } cases[] = {
        {PdfKind::Standard, "standard", "Standard", {}},
        {PdfKind::Archive, "pdfa", "Archiv (PDF/A-2b)",
         QStringList{"-dPDFA=2", "-dPDFACompatibilityPolicy=1", "-sColorConversionStrategy=RGB",
                     "--permit-file-read=/gs/srgb.icc"} +
             embedAll + QStringList{"./pdfa_def.ps"}},
        {PdfKind::Print, "print", "Druck",
         QStringList{"-dPDFSETTINGS=/prepress", "-dEmbedAllFonts=true"} + embedAll},
        {PdfKind::SmallFile, "small", "Kleine Datei", {"-dPDFSETTINGS=/ebook"}},
        {PdfKind::Grayscale, "gray", "Graustufen", {"-sColorConversionStrategy=Gray"}},
    };
    for (const auto &entry : cases) {
        SCOPED_TRACE(entry.key);
        const QStringList arguments = GhostscriptArguments(
            in, out, QStringLiteral("prolog.ps"), false, entry.kind, QStringLiteral("/gs/srgb.icc"),
            PdfKindNeedsDefinition(entry.kind) ? kPdfaDefinitionName : QString());
        // The kind's own between the output and the files, the prolog and
        // the input last, as in every run.
        const QStringList plain = GhostscriptArguments(in, out, QStringLiteral("prolog.ps"), false);
        EXPECT_EQ(arguments,
                  plain.mid(0, plain.size() - 2) + entry.added + plain.mid(plain.size() - 2));
        EXPECT_EQ(PdfKindKey(entry.kind), QLatin1String(entry.key));
        EXPECT_EQ(PdfKindFromKey(QLatin1String(entry.key)), entry.kind);
        EXPECT_EQ(PdfKindName(entry.kind), QString::fromUtf8(entry.name));
    }
    for (const char *unknown : {"", "PDFA", "pdf/a", "grey", "standard "})
        EXPECT_FALSE(PdfKindFromKey(QLatin1String(unknown))) << unknown;
}

TEST(PdfKindTable, TitleComesFromTheHeadersTitleComment)
{
    const struct {
        QByteArray document;
        QString title;
        QByteArray ascii;
    } cases[] = {
        {"%!PS-Adobe-3.0\n%%Title: Jahresbericht 2024\n%%EndComments\n", "Jahresbericht 2024",
         "Jahresbericht 2024"},
        {"%!PS\r\n%%Creator: x\r\n%%Title: (Gr\\374\\337e \\(Entwurf\\) a\\\\b)\r\n",
         QString::fromUtf8("Grüße (Entwurf) a\\b"), "Gruesse [Entwurf] a/b"},
        {"%!PS\n%%Title: caf\xc3\xa9  \t na\xc3\xafve\n", QString::fromUtf8("café naïve"),
         "cafe naive"},
        {"%!PS\n%%Title: \xe6\x97\xa5\xe6\x9c\xac\n", QString::fromUtf8("日本"), "??"},
        // Not in the header, deferred to the trailer, or no PostScript.
        {"%!PS\n%%EndComments\n%%Title: late\n", {}, {}},
        {"%!PS\n/x 1 def\n%%Title: late\n", {}, {}},
        {"%!PS\n%%Title: (atend)\n", {}, {}},
        {"%%Title: no header\n", {}, {}},
        {"", {}, {}},
    };
    for (const auto &entry : cases) {
        SCOPED_TRACE(entry.document.constData());
        QTemporaryFile file;
        ASSERT_TRUE(file.open());
        file.write(entry.document);
        file.flush();
        EXPECT_EQ(DocumentTitle(file.handle()), entry.title);
        EXPECT_EQ(ArchiveTitle(entry.title), entry.ascii);
        // Read at offsets of its own: the document's file offset stays.
        EXPECT_EQ(::lseek(file.handle(), 0, SEEK_CUR), entry.document.size());
    }
}

TEST(PdfKindTable, GhostscriptsLinesThatGiveUpPdfAAreFound)
{
    const QByteArray transcript =
        "GPL Ghostscript 10.00.0 (2022-09-21)\n"
        "Annotation set to non-printing,\n"
        " not permitted in PDF/A, annotation will not be present in output file\n"
        "GPL Ghostscript 10.00.0: Transparency not permitted in PDF/A-1, reverting to normal PDF "
        "output\n"
        "\tColorConversionStrategy not set, falling back to ProcessColorModel, output may not be "
        "valid PDF/A.\n"
        "PDF/A processing aborted: the sRGB profile cannot be read.\n";
    EXPECT_EQ(PdfaLostLines(transcript),
              (QStringList{"GPL Ghostscript 10.00.0: Transparency not permitted in PDF/A-1, "
                           "reverting to normal PDF output",
                           "ColorConversionStrategy not set, falling back to ProcessColorModel, "
                           "output may not be valid PDF/A.",
                           "PDF/A processing aborted: the sRGB profile cannot be read."}));
    EXPECT_TRUE(PdfaLostLines("Loading NimbusSans-Regular font ... done.\n").isEmpty());
}

TEST_F(PdfKinds, ArchiveIsPdfA2bWithItsOutputIntentTitleAndEveryFontEmbedded)
{
    ASSERT_FALSE(profileOfRealGhostscript().isEmpty()) << "Ghostscript's srgb.icc is needed";
    const QString output = doc(QStringLiteral("report.pdf"));
    ASSERT_EQ(convert(TestFiles::fixture(QStringLiteral("kinds/report.ps")), output,
                      PdfKind::Archive),
              ConversionJob::Outcome::Converted);
    ASSERT_EQ(m_dialogs.shown.size(), 1);
    EXPECT_EQ(m_dialogs.shown.first().explanation,
              kSuccessHead + output + QStringLiteral("\nPDF-Art: Archiv (PDF/A-2b)"));

    const QString plain = plainPdf(output);
    ASSERT_FALSE(plain.isEmpty());
    EXPECT_TRUE(plain.contains(QRegularExpression(QStringLiteral("pdfaid:part=['\"]2['\"]"))));
    EXPECT_TRUE(
        plain.contains(QRegularExpression(QStringLiteral("pdfaid:conformance=['\"]B['\"]"))));
    EXPECT_TRUE(plain.contains(QStringLiteral("Jahresbericht [Entwurf] Gruesse</rdf:li>")));
    EXPECT_EQ(pdfInfo(output, QStringLiteral("Title")),
              QStringLiteral("Jahresbericht [Entwurf] Gruesse"));
    EXPECT_EQ(pdfInfo(output, QStringLiteral("Encrypted")), QStringLiteral("no"));

    // The output intent, and the ICC profile embedded in it.
    EXPECT_TRUE(plain.contains(QStringLiteral("/S /GTS_PDFA1")));
    const QRegularExpressionMatch intent =
        QRegularExpression(QStringLiteral("/DestOutputProfile (\\d+) 0 R")).match(plain);
    ASSERT_TRUE(intent.hasMatch());
    // Object numbers as in the text above, which qpdf renumbered.
    const QString qdf = doc(QStringLiteral("report.qdf"));
    writeBytes(qdf, plain.toLatin1());
    const QByteArray profile = runTool(QStringLiteral("qpdf"),
                                       {QStringLiteral("--show-object=") + intent.captured(1),
                                        QStringLiteral("--filtered-stream-data"), qdf});
    EXPECT_EQ(profile.mid(36, 4), QByteArray("acsp")); // an ICC profile's signature
    EXPECT_EQ(profile, readBytes(profileOfRealGhostscript()));

    const QStringList embedded = embeddedColumn(output);
    EXPECT_EQ(embedded, QStringList(3, QStringLiteral("yes")));

    const QByteArray check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), output});
    EXPECT_TRUE(check.contains("No syntax or stream encoding errors found")) << check.constData();
}

TEST_F(PdfKinds, PrintEmbedsTheStandardFontsThatStandardLeavesOut)
{
    const QString input = TestFiles::fixture(QStringLiteral("kinds/report.ps"));
    const QString standard = doc(QStringLiteral("standard.pdf"));
    const QString print = doc(QStringLiteral("print.pdf"));
    ASSERT_EQ(convert(input, standard, PdfKind::Standard), ConversionJob::Outcome::Converted);
    ASSERT_EQ(convert(input, print, PdfKind::Print), ConversionJob::Outcome::Converted);
    EXPECT_EQ(embeddedColumn(standard), QStringList(3, QStringLiteral("no ")));
    EXPECT_EQ(embeddedColumn(print), QStringList(3, QStringLiteral("yes")));
    ASSERT_EQ(m_dialogs.shown.size(), 2);
    EXPECT_EQ(m_dialogs.shown.at(0).explanation, kSuccessHead + standard);
    EXPECT_EQ(m_dialogs.shown.at(1).explanation, kSuccessHead + print + "\nPDF-Art: Druck");
}

TEST_F(PdfKinds, SmallFileIsAtMostHalfTheSizeOfStandard)
{
    const QString input = doc(QStringLiteral("photo.ps"));
    writeBytes(input, documentWithLargeImage());
    const QString standard = doc(QStringLiteral("standard.pdf"));
    const QString small = doc(QStringLiteral("small.pdf"));
    ASSERT_EQ(convert(input, standard, PdfKind::Standard), ConversionJob::Outcome::Converted);
    ASSERT_EQ(convert(input, small, PdfKind::SmallFile), ConversionJob::Outcome::Converted);
    const qint64 standardSize = QFileInfo(standard).size();
    const qint64 smallSize = QFileInfo(small).size();
    EXPECT_GT(standardSize, 20 * 1024);
    EXPECT_LE(smallSize * 2, standardSize) << smallSize << " of " << standardSize;
    EXPECT_EQ(TestFiles::pdfPageCount(small), 1);
    EXPECT_EQ(m_dialogs.shown.at(1).explanation, kSuccessHead + small + "\nPDF-Art: Kleine Datei");
}

TEST_F(PdfKinds, GrayscaleLeavesNoColourOnThePage)
{
    const QString input = TestFiles::fixture(QStringLiteral("kinds/report.ps"));
    const QString standard = doc(QStringLiteral("standard.pdf"));
    const QString gray = doc(QStringLiteral("gray.pdf"));
    ASSERT_EQ(convert(input, standard, PdfKind::Standard), ConversionJob::Outcome::Converted);
    ASSERT_EQ(convert(input, gray, PdfKind::Grayscale), ConversionJob::Outcome::Converted);
    EXPECT_TRUE(pageHasColour(standard));
    EXPECT_FALSE(pageHasColour(gray));
    EXPECT_FALSE(plainPdf(gray).contains(
        QRegularExpression(QStringLiteral("/DeviceRGB|/DeviceCMYK|/ICCBased"))));
    EXPECT_EQ(m_dialogs.shown.at(1).explanation, kSuccessHead + gray + "\nPDF-Art: Graustufen");
}

// A font the document names and nobody has: the retry binds Ghostscript's
// substitute, which an archive embeds like every other font.
TEST_F(PdfKinds, ArchiveRetriesWithSubstitutesAndNamesThem)
{
    ASSERT_FALSE(profileOfRealGhostscript().isEmpty()) << "Ghostscript's srgb.icc is needed";
    const QString input = doc(QStringLiteral("fonts.ps"));
    writeBytes(input, "%!PS\n/Pagora-Nowhere-Sans findfont 14 scalefont setfont\n"
                      "72 720 moveto (Ersatz) show showpage\n");
    const QString output = doc(QStringLiteral("fonts.pdf"));
    ConversionOptions options;
    options.missingFonts = ConversionJob::MissingFonts::Substitute;
    options.pdfKind = PdfKind::Archive;
    ConversionQueue queue(TestFiles::realGhostscript(), options);
    queue.add(input);
    QSignalSpy finished(&queue, &ConversionQueue::finished);
    queue.start();
    ASSERT_TRUE(finished.wait(120000));
    const QueuedFile &file = queue.file(0);
    EXPECT_EQ(file.outcome, ConversionJob::Outcome::Converted) << file.failureText.toStdString();
    EXPECT_EQ(file.substitutedFonts, QByteArrayList{"Pagora-Nowhere-Sans"});
    EXPECT_EQ(embeddedColumn(output), QStringList{QStringLiteral("yes")});
    EXPECT_TRUE(plainPdf(output).contains(QStringLiteral("/S /GTS_PDFA1")));
}

namespace {

struct LostCase {
    const char *name;
    bool withProfile; // the stand-in has an installation with srgb.icc
    const char *explanationPart;
};

class ArchiveThatIsNoArchive : public PdfKinds, public testing::WithParamInterface<LostCase> {};

} // namespace

// Ghostscript gives up on PDF/A and writes an ordinary PDF (a stand-in says
// so as the real one does), or it has no profile to give: the conversion
// fails, no PDF is put in place and the older one stays.
TEST_P(ArchiveThatIsNoArchive, FailsAndKeepsTheOlderPdf)
{
    ASSERT_FALSE(profileOfRealGhostscript().isEmpty()) << "Ghostscript's srgb.icc is needed";
    // <prefix>/bin/gs beside <prefix>/share/ghostscript/<version>/iccprofiles.
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir().mkpath(prefix.filePath(QStringLiteral("bin"))));
    if (GetParam().withProfile) {
        const QString profiles =
            prefix.filePath(QStringLiteral("share/ghostscript/10.0/iccprofiles"));
        ASSERT_TRUE(QDir().mkpath(profiles));
        ASSERT_TRUE(
            QFile::link(profileOfRealGhostscript(), profiles + QStringLiteral("/srgb.icc")));
    }
    const QString gs = prefix.filePath(QStringLiteral("bin/gs"));
    TestFiles::writeScript(
        gs, "echo 'GPL Ghostscript 10.00.0: Transparency not permitted in PDF/A-2, reverting to "
            "normal PDF output'\n"
            "for a; do case \"$a\" in -sOutputFile=*) "
            "printf '%%PDF-1.4\\nxref\\nstartxref\\n9\\n%%%%EOF\\n' > \"${a#-sOutputFile=}\";; "
            "esac; done\n");

    const QString input = doc(QStringLiteral("x.ps"));
    const QString output = doc(QStringLiteral("x.pdf"));
    writeBytes(input, readBytes(TestFiles::fixture(QStringLiteral("hello.ps"))));
    writeBytes(output, "%PDF older, precious");

    EXPECT_EQ(convert(input, output, PdfKind::Archive, gs), ConversionJob::Outcome::Failed);
    ASSERT_EQ(m_dialogs.shown.size(), 1);
    const MessageDialog &dialog = m_dialogs.shown.first();
    EXPECT_EQ(dialog.message, QStringLiteral("Fehler bei der Konvertierung!"));
    // Without a profile Ghostscript never runs: no heading of its output.
    EXPECT_EQ(dialog.explanation.startsWith(QStringLiteral("Ausgabe:\n")), GetParam().withProfile)
        << dialog.explanation.toStdString();
    const QString part =
        QString::fromUtf8(GetParam().explanationPart).replace(QLatin1String("%1"), gs);
    EXPECT_TRUE(dialog.explanation.contains(part)) << dialog.explanation.toStdString();
    EXPECT_EQ(readBytes(output), QByteArray("%PDF older, precious"));
    EXPECT_EQ(QDir(m_docs.path()).entryList(QDir::Files), (QStringList{"x.pdf", "x.ps"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArchiveThatIsNoArchive,
    testing::Values(
        LostCase{"FallsBackToOrdinaryPdf", true,
                 "Ghostscript konnte kein gültiges PDF/A erzeugen; es wurde keine PDF-Datei "
                 "abgelegt:\n  • GPL Ghostscript 10.00.0: Transparency not permitted in PDF/A-2, "
                 "reverting to normal PDF output"},
        LostCase{"HasNoProfile", false,
                 "Für PDF/A fehlt das sRGB-Farbprofil von Ghostscript (iccprofiles/srgb.icc) "
                 "in der Installation von %1."}),
    [](const testing::TestParamInfo<LostCase> &info) { return info.param.name; });
