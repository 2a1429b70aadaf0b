#include "TestFiles.h"

#include "convert/MissingFonts.h"

#include <gtest/gtest.h>

namespace {

struct TranscriptCase {
    const char *document; // the fixture Ghostscript 10 ran, without its ".ps"
    QStringList missing;
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
    const QString transcript = QString::fromUtf8(
        TestFiles::readBytes(TestFiles::fixture(QStringLiteral("missing-fonts/%1.transcript.txt")
                                                    .arg(QLatin1String(GetParam().document)))));
    ASSERT_FALSE(transcript.isEmpty());
    EXPECT_EQ(RecognizeMissingFonts(transcript), GetParam().missing);
}

INSTANTIATE_TEST_SUITE_P(
    GhostscriptTranscripts, RecognitionTest,
    ::testing::Values(
        TranscriptCase{"lucida_futura",
                       {QStringLiteral("Lucida Grande"), QStringLiteral("Futura-Bold")}},
        // Printed raw; only the sentence's own full stop goes.
        TranscriptCase{"parentheses",
                       {QStringLiteral("Weird (Draft) Sans"), QStringLiteral("Back\\slash Serif"),
                        QStringLiteral("Half( Open"), QStringLiteral("Font for Titles.")}},
        TranscriptCase{"utf8",
                       {QStringLiteral("Schrift \u00c4 Grotesk"), QStringLiteral("Gill Sans")}},
        // The document asks for both fonts again after dropping them.
        TranscriptCase{"twice", {QStringLiteral("Futura-Bold"), QStringLiteral("Lucida Grande")}},
        // "Can't find (or can't open) font file" comes before a font that is found.
        TranscriptCase{"none_missing", {}}));

TEST(RecognitionLineTest, IgnoresLinesThatOnlyLookAlike)
{
    const QString transcript = QStringLiteral("Substituting font Courier for Lucida Grande\n"
                                              "  Substituting font Courier for Indented.\n"
                                              "Substituting font Courier.\n"
                                              "Substituting font Helvetica for Gill Sans.\r\n"
                                              "Substituting font Helvetica for gill sans.");
    // Font names are case-sensitive in PostScript, so both spellings need a binding.
    EXPECT_EQ(RecognizeMissingFonts(transcript),
              (QStringList{QStringLiteral("Gill Sans"), QStringLiteral("gill sans")}));
}

TEST(MissingFontsDialogTest, ListsEveryFontAndProposesAReplacementForTheFirst)
{
    const QString explanation =
        MissingFontsExplanation({QStringLiteral("Lucida Grande"), QStringLiteral("Futura Bold")});

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
    const QStringList bound{QStringLiteral("Lucida Grande"), QStringLiteral("Futura-Bold")};

    EXPECT_TRUE(
        AreAllSubstituted({QStringLiteral("LucidaGrande"), QStringLiteral("Futura-Bold")}, bound));
    EXPECT_TRUE(AreAllSubstituted({QStringLiteral("Lucida Grande")}, bound));
    EXPECT_FALSE(
        AreAllSubstituted({QStringLiteral("LucidaGrande"), QStringLiteral("Gill Sans")}, bound));
    // A first run has no prolog and binds nothing.
    EXPECT_FALSE(AreAllSubstituted({QStringLiteral("Futura-Bold")}, {}));

    // The next prolog keeps what was bound and adds only what is new.
    EXPECT_EQ(FontsToSubstitute(bound, {QStringLiteral("LucidaGrande"), QStringLiteral("Gill Sans"),
                                        QStringLiteral("Futura-Bold")}),
              (QStringList{QStringLiteral("Lucida Grande"), QStringLiteral("Futura-Bold"),
                           QStringLiteral("Gill Sans")}));
}
