#include "TestFiles.h"

#include "convert/fonts/MissingFonts.h"

#include <gtest/gtest.h>

namespace {

struct TranscriptCase {
    const char *document; // the fixture Ghostscript 10 ran, without its ".ps"
    QByteArrayList missing;
};

void PrintTo(const TranscriptCase &transcriptCase, std::ostream *os)
{
    *os << transcriptCase.document;
}

class RecognitionTest : public ::testing::TestWithParam<TranscriptCase>
{
};

} // namespace

// The transcripts are what Ghostscript 10 printed for the documents beside
// them in tests/fixtures/missing-fonts/ (-dSAFER, pdfwrite, the program's font
// path).
TEST_P(RecognitionTest, ListsEachSubstitutedFontOnceInTheOrderSeen)
{
    const QByteArray transcript =
        TestFiles::readBytes(TestFiles::fixture(QStringLiteral("missing-fonts/%1.transcript.txt")
                                                    .arg(QLatin1String(GetParam().document))));
    ASSERT_FALSE(transcript.isEmpty());
    EXPECT_EQ(RecognizeMissingFonts(transcript), GetParam().missing);
}

INSTANTIATE_TEST_SUITE_P(
    GhostscriptTranscripts, RecognitionTest,
    ::testing::Values(
        TranscriptCase{"lucida_futura",
                       {QByteArrayLiteral("Lucida Grande"), QByteArrayLiteral("Futura-Bold")}},
        // Printed raw; only the sentence's own full stop goes.
        TranscriptCase{"parentheses",
                       {QByteArrayLiteral("Weird (Draft) Sans"), QByteArrayLiteral("Back\\slash Serif"),
                        QByteArrayLiteral("Half( Open"), QByteArrayLiteral("Font for Titles.")}},
        TranscriptCase{"utf8",
                       {QByteArray("Schrift \xc3\x84 Grotesk"), QByteArrayLiteral("Gill Sans")}},
        // The document asks for both fonts again after dropping them.
        TranscriptCase{"twice", {QByteArrayLiteral("Futura-Bold"), QByteArrayLiteral("Lucida Grande")}},
        // "Can't find (or can't open) font file" comes before a font that is found.
        TranscriptCase{"none_missing", {}}));

TEST(RecognitionLineTest, IgnoresLinesThatOnlyLookAlike)
{
    const QByteArray transcript("Substituting font Courier for Lucida Grande\n"
                                              "  Substituting font Courier for Indented.\n"
                                              "Substituting font Courier.\n"
                                              "Substituting font Helvetica for Gill Sans.\r\n"
                                "Substituting font Helvetica for gill sans.\n"
                                "Substituting font Helvetica for Schrift\304Grotesk.");
    // Font names are case-sensitive in PostScript, so both spellings need a binding.
    EXPECT_EQ(RecognizeMissingFonts(transcript),
              (QByteArrayList{"Gill Sans", "gill sans", "Schrift\304Grotesk"}));
}

TEST(MissingFontsDialogTest, ShowsANameThatIsNotUtf8WithoutLosingItsNeighbours)
{
    const QString explanation = MissingFontsExplanation({QByteArray("Schrift\304Grotesk")});
    EXPECT_TRUE(explanation.contains(QStringLiteral("  \u2022 Schrift\ufffdGrotesk\n")));
    EXPECT_TRUE(explanation.contains(QStringLiteral("  \u2192 Helvetica\n")));
}

TEST(MissingFontsDialogTest, ListsEveryFontAndProposesAReplacementForTheFirst)
{
    const QString explanation =
        MissingFontsExplanation({QByteArrayLiteral("Lucida Grande"), QByteArrayLiteral("Futura Bold")});

    EXPECT_EQ(explanation,
              QStringLiteral("Folgende Fonts wurden nicht gefunden:\n"
                             "\n"
                             "  \u2022 Lucida Grande\n"
                             "  \u2022 Futura Bold\n"
                             "\n"
                             "Vorgeschlagener Ersatz f\u00fcr 'Lucida Grande':\n"
                             "  \u2192 Helvetica\n"
                             "\n"
                             "Soll die Konvertierung mit dem Ersatzfont wiederholt werden?"));
    EXPECT_EQ(explanation.split(QLatin1Char('\n')).size(), 9);
}

TEST(SubstitutedFontsTest, CountsAFontAsBoundByItsNameOrItsTargetName)
{
    const QByteArrayList bound{QByteArrayLiteral("Lucida Grande"), QByteArrayLiteral("Futura-Bold")};

    EXPECT_TRUE(
        AreAllSubstituted({QByteArrayLiteral("LucidaGrande"), QByteArrayLiteral("Futura-Bold")}, bound));
    EXPECT_TRUE(AreAllSubstituted({QByteArrayLiteral("Lucida Grande")}, bound));
    EXPECT_FALSE(
        AreAllSubstituted({QByteArrayLiteral("LucidaGrande"), QByteArrayLiteral("Gill Sans")}, bound));
    // A first run has no prolog and binds nothing.
    EXPECT_FALSE(AreAllSubstituted({QByteArrayLiteral("Futura-Bold")}, QByteArrayList()));

    // The next prolog keeps what was bound and adds only what is new.
    EXPECT_EQ(FontsToSubstitute(bound, {QByteArrayLiteral("LucidaGrande"), QByteArrayLiteral("Gill Sans"),
                                        QByteArrayLiteral("Futura-Bold")}),
              (QByteArrayList{QByteArrayLiteral("Lucida Grande"), QByteArrayLiteral("Futura-Bold"),
                           QByteArrayLiteral("Gill Sans")}));
}
