#include "InstalledFontConversionTest.h"
#include "InstalledTestFonts.h"
#include "JobTestSupport.h"
#include "MissingFontTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include "convert/job/ConversionJob.h"
#include "convert/input/DocumentFontNames.h"
#include "convert/fonts/FontIndex.h"
#include "convert/fonts/InstalledFontHandover.h"
#include "convert/fonts/InstalledFonts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

using TestFiles::writeBytes;

namespace {

// --- The names a document's text gives away --------------------------------

struct NamesCase {
    const char *what;
    QByteArray text;
    QByteArrayList names;
};

class DocumentFontNamesTest : public ::testing::TestWithParam<NamesCase>
{
};

TEST_P(DocumentFontNamesTest, FindsTheNamedFontsWhateverTheBlocks)
{
    const NamesCase &test = GetParam();
    // Whole, and in blocks so small that every name and comment is cut.
    for (const qsizetype blockSize : {test.text.size() + 1, qsizetype(1), qsizetype(5)}) {
        DocumentFontNames names;
        for (qsizetype at = 0; at < test.text.size(); at += blockSize)
            names.feed(test.text.mid(at, blockSize));
        names.feed({}, true);
        EXPECT_EQ(names.names(), test.names) << test.what << ", blocks of " << blockSize;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DocumentFontNamesTest,
    ::testing::Values(
        NamesCase{"DSC needed resources, continued",
                  "%!PS-Adobe-3.0\n%%DocumentNeededResources: font A-Regular B-Bold\n"
                  "%%+ font C-Mono\n%%+ procset Foo 1 0\n%%EndComments\n",
                  {"A-Regular", "B-Bold", "C-Mono"}},
        NamesCase{"DSC document fonts, continued, CR line ends",
                  "%!PS-Adobe-2.0\r%%DocumentFonts: Times-Roman X-Y\r%%+ Z-W\r%%EndComments\r",
                  {"Times-Roman", "X-Y", "Z-W"}},
        NamesCase{"(atend) and include resource",
                  "%%DocumentNeededResources: (atend)\n%%IncludeResource: font Q-R\n",
                  {"Q-R"}},
        NamesCase{"findfont and selectfont in the body",
                  "/F1 /Alpha-Regular findfont 12 scalefont def\n/Beta-Bold  9.5 selectfont\n"
                  "/Gamma [10 0 0 10 0 0] selectfont /Delta findfont\n",
                  {"Alpha-Regular", "Beta-Bold", "Delta"}},
        NamesCase{"look-alikes name nothing",
                  "/FontName /X def definefont pop /refindfont load\n% /Y findfonts\n"
                  "(Z) cvn findfont\n%%DocumentNeededResources: procset font\n",
                  {}},
        NamesCase{"each name once", "/A findfont /A findfont\n%%DocumentFonts: A\n", {"A"}}),
    [](const auto &info) { return "case" + std::to_string(info.index); });

TEST(DocumentFontNamesBoundsTest, KeepsABoundedNumberOfShortNames)
{
    DocumentFontNames names;
    QByteArray text;
    for (int i = 0; i < 2 * DocumentFontNames::kMaxNames; ++i)
        text += "/F" + QByteArray::number(i) + " findfont\n";
    text += "/" + QByteArray(200, 'L') + " findfont\n";
    names.feed(text, true);
    EXPECT_EQ(names.names().size(), DocumentFontNames::kMaxNames);
    EXPECT_FALSE(names.names().contains(QByteArray(200, 'L')));
}

// --- Real fonts, real fontconfig, real Ghostscript ---------------------------

// The same, with names that only exist once the document runs.
const QByteArray kHiddenNamesDocument =
    "%!PS\n"
    "(PagoraTestSans-) dup length 4 add string dup 0 4 -1 roll putinterval\n"
    "dup 15 (Bold) putinterval cvn findfont 30 scalefont setfont\n"
    "40 700 moveto (Bold Hamburg) show\n"
    "(PagoraTestSerif-Regular) cvn findfont 30 scalefont setfont 40 640 moveto (Serif) show\n"
    "showpage\n";

class InstalledFontsTest : public InstalledFontConversionTest
{
protected:
    // The document made by a plain Ghostscript, told where every test font
    // is by an explicit map entry, or (map false) left to its own search.
    QString reference(const QByteArray &document, bool map = true)
    {
        const QString input = m_work.filePath(QStringLiteral("reference.ps"));
        const QString mapFile = m_work.filePath(QStringLiteral("reference.map"));
        const QString output =
            m_work.filePath(map ? QStringLiteral("reference.pdf") : QStringLiteral("plain.pdf"));
        writeBytes(input, document);
        writeBytes(mapFile, m_fonts->referenceMap());
        QStringList arguments{QStringLiteral("-q"), QStringLiteral("-dBATCH"),
                              QStringLiteral("-dNOPAUSE"), QStringLiteral("-sDEVICE=pdfwrite"),
                              QStringLiteral("-sOutputFile=") + output};
        if (map)
            arguments << QStringLiteral("-sFONTMAP=Fontmap.GS:") + mapFile
                      << QStringLiteral("--permit-file-read=") + mapFile;
        QProcess gs;
        gs.start(m_ghostscript, arguments << input);
        EXPECT_TRUE(gs.waitForFinished(60000));
        return output;
    }
};

TEST_F(InstalledFontsTest, IndexNamesEveryFaceOfACollectionAndAnOpenTypeFont)
{
    const FontIndex::Snapshot fonts = waitForIndex();
    ASSERT_TRUE(fonts);
    int index = 0;
    for (const char *name : {"PagoraTestSans-Regular", "PagoraTestSans-Bold", "PagoraTestSans-Mono"}) {
        const InstalledFace *face = fonts->find(name);
        ASSERT_NE(face, nullptr) << name;
        EXPECT_EQ(face->file, m_fonts->collection());
        EXPECT_EQ(face->index, index++);
        EXPECT_EQ(face->format, InstalledFace::Format::TrueType);
    }
    const InstalledFace *cff = fonts->find("PagoraTestSerif-Regular");
    ASSERT_NE(cff, nullptr);
    EXPECT_EQ(cff->file, m_fonts->cffFont());
    EXPECT_EQ(cff->format, InstalledFace::Format::OpenTypeCff);
    EXPECT_EQ(fonts->find("PagoraNowhere-Regular"), nullptr);

    // Handed over: the installed ones alone, never a standard font, each
    // face by its place in the collection.
    InstalledFontHandover handover(fonts);
    EXPECT_TRUE(handover.arguments(QStringLiteral("/w")).isEmpty());
    EXPECT_EQ(handover.add({"Helvetica", "PagoraNowhere-Regular"}), 0);
    EXPECT_EQ(handover.add({"PagoraTestSans-Mono", "PagoraTestSerif-Regular", "PagoraTestSans-Mono"}), 2);
    EXPECT_EQ(handover.descriptors().size(), 2);
    // Each file by its link in the workspace, which leads to the descriptor.
    EXPECT_EQ(handover.mapText(QStringLiteral("/w")),
              "/PagoraTestSans-Mono << /Path (/w/_font_1) /FontType 42 /SubfontID 2 >> ;\n"
              "/PagoraTestSerif-Regular (/w/_font_2) ;\n");
    EXPECT_EQ(handover.arguments(QStringLiteral("/w")),
              QStringList({QStringLiteral("-sFONTMAP=Fontmap.GS:/w/installed_fonts.map"),
                           QStringLiteral("--permit-file-read=/w/installed_fonts.map"),
                           QStringLiteral("--permit-file-read=/w/_font_1"),
                           QStringLiteral("--permit-file-read=/w/_font_2")}));
    EXPECT_EQ(handover.files(), QStringList({m_fonts->collection(), m_fonts->cffFont()}));
}

TEST_F(InstalledFontsTest, IndexForgetsAFontRemovedSinceItWasMade)
{
    ASSERT_NE(waitForIndex()->find("PagoraTestSerif-Regular"), nullptr);
    // fontconfig compares folder times in whole seconds.
    QThread::msleep(1100);
    ASSERT_TRUE(QFile::remove(m_fonts->cffFont()));
    QElapsedTimer clock;
    clock.start();
    while (m_index->snapshot().result()->find("PagoraTestSerif-Regular") != nullptr &&
           clock.elapsed() < 3 * FontIndex::kRecheckMs + 2000)
        QThread::msleep(50);
    EXPECT_EQ(m_index->snapshot().result()->find("PagoraTestSerif-Regular"), nullptr);
    EXPECT_NE(m_index->snapshot().result()->find("PagoraTestSans-Bold"), nullptr);
}

TEST_F(InstalledFontsTest, EveryInstalledFontComesOutRealAndOnlyTheMissingOneIsReported)
{
    const Result result = convert(MixedFontsDocument(), QStringLiteral("mixed"));
    EXPECT_EQ(result.outcome, ConversionJob::Outcome::FontsMissing);
    EXPECT_EQ(result.missing, QByteArrayList{"PagoraNowhere-Regular"});
    ASSERT_TRUE(result.pdfPlaced);
    EXPECT_EQ(RenderedDifference(pdf(QStringLiteral("mixed")), reference(MixedFontsDocument())), 0.0);
    // The picture tells the faces apart: Ghostscript's own search does not.
    EXPECT_GT(RenderedDifference(reference(MixedFontsDocument(), false), reference(MixedFontsDocument())),
              0.001);
}

TEST_F(InstalledFontsTest, NamesTheScanCannotSeeAreHandedOverOnARetryWithoutAsking)
{
    ScriptedPresenter dialogs;
    const Result result = convert(kHiddenNamesDocument, QStringLiteral("hidden"),
                                  ConversionJob::MissingFonts::Ask, &dialogs);
    EXPECT_EQ(result.outcome, ConversionJob::Outcome::Converted);
    // The collection's second face; the OpenType font, a file's first face,
    // Ghostscript may find by itself.
    EXPECT_EQ(result.installed.value(0), QByteArray("PagoraTestSans-Bold"));
    // Only the verdict was shown: no question.
    EXPECT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(RenderedDifference(pdf(QStringLiteral("hidden")), reference(kHiddenNamesDocument)),
              0.0);
}

// A font whose file is gone or broken once the index is made: the document
// ends, asked about or failed, and never waits for the job's time to run out.
TEST_F(InstalledFontsTest, AFontGoneOrBrokenAfterIndexingEndsTheConversionPromptly)
{
    ASSERT_TRUE(waitForIndex());
    const QByteArray document =
        "%!PS\n/PagoraTestSans-Bold findfont 30 scalefont setfont 40 700 moveto (B) show\n"
        "/PagoraTestSerif-Regular findfont 30 scalefont setfont 40 640 moveto (S) show\n"
        "showpage\n";
    ASSERT_TRUE(QFile::remove(m_fonts->collection()));
    writeBytes(m_fonts->cffFont(), QByteArray(4096, 'x'));

    ScriptedPresenter dialogs({MessageDialog::Button::Cancel});
    const Result asked = convert(document, QStringLiteral("gone"),
                                 ConversionJob::MissingFonts::Ask, &dialogs);
    EXPECT_LT(asked.ms, 20000);
    EXPECT_TRUE(asked.outcome == ConversionJob::Outcome::Declined ||
                asked.outcome == ConversionJob::Outcome::Failed)
        << int(asked.outcome);
    ASSERT_FALSE(dialogs.shown.isEmpty());
    EXPECT_TRUE(dialogs.shown.first().explanation.contains(QStringLiteral("PagoraTestSans-Bold")));

    const Result reported = convert(document, QStringLiteral("gone-report"));
    EXPECT_LT(reported.ms, 20000);
    EXPECT_NE(reported.outcome, ConversionJob::Outcome::Converted);
}

} // namespace
