// The batch's question and summary: their texts agree with the numbers they
// tell, and they say the same words as the dialog of a single file.
#include "convert/queue/BatchReport.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

QueuedFile converted(const QString &name)
{
    QueuedFile file;
    file.input = QStringLiteral("/docs/") + name;
    file.started = file.finished = true;
    file.outcome = ConversionJob::Outcome::Converted;
    file.pdfPlaced = true;
    return file;
}

QueuedFile waiting(const QString &name)
{
    QueuedFile file;
    file.input = QStringLiteral("/docs/") + name;
    return file;
}

QueuedFile withMissingFont(const QString &name)
{
    QueuedFile file = converted(name);
    file.outcome = ConversionJob::Outcome::FontsMissing;
    file.missingFonts = {"LucidaGrande"};
    return file;
}

struct Counts {
    int made;
    int notConverted;
    const char *expected;
};

class BatchSummaryCounts : public testing::TestWithParam<Counts>
{
};

TEST_P(BatchSummaryCounts, AgreeWithTheirNumbers)
{
    QList<QueuedFile> items;
    for (int i = 0; i < GetParam().made; ++i)
        items.append(converted(QStringLiteral("%1.ps").arg(i)));
    for (int i = 0; i < GetParam().notConverted; ++i)
        items.append(waiting(QStringLiteral("w%1.ps").arg(i)));
    const MessageDialog dialog = BatchSummaryDialog(items, {}, GetParam().notConverted > 0);
    EXPECT_EQ(dialog.explanation, QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, BatchSummaryCounts,
    testing::Values(Counts{1, 0, "1 von 1 Datei wurde in PDF umgewandelt."},
                    Counts{2, 0, "2 von 2 Dateien wurden in PDF umgewandelt."},
                    Counts{1, 1,
                           "1 von 2 Dateien wurde in PDF umgewandelt.\n"
                           "Abgebrochen: 1 Datei wurde nicht in PDF umgewandelt."},
                    Counts{0, 1,
                           "0 von 1 Datei wurden in PDF umgewandelt.\n"
                           "Abgebrochen: 1 Datei wurde nicht in PDF umgewandelt."},
                    Counts{2, 3,
                           "2 von 5 Dateien wurden in PDF umgewandelt.\n"
                           "Abgebrochen: 3 Dateien wurden nicht in PDF umgewandelt."}));

TEST(BatchSummary, ToldFontsAreListedOncePerFileUnderOneHead)
{
    QueuedFile substituted = converted(QStringLiteral("a.ps"));
    substituted.substitutedFonts = {"LucidaGrande", "Futura-Bold"};
    QueuedFile missing = withMissingFont(QStringLiteral("b.ps"));
    const MessageDialog dialog = BatchSummaryDialog({substituted, missing}, {}, false);
    EXPECT_EQ(dialog.explanation,
              QStringLiteral("2 von 2 Dateien wurden in PDF umgewandelt.\n\n"
                             "Mit fehlenden Fonts erstellt (ohne Ersatzfont):\n"
                             "  \u2022 b.ps: LucidaGrande\n\n"
                             "Mit Ersatzfonts erstellt:\n"
                             "  \u2022 a.ps: LucidaGrande, Futura-Bold"));
}

TEST(BatchSummary, FailureShowsGhostscriptsErrorLineAndKeepsTheTranscript)
{
    QueuedFile broken = converted(QStringLiteral("broken.ps"));
    broken.pdfPlaced = false;
    broken.outcome = ConversionJob::Outcome::Failed;
    broken.failureText = QStringLiteral(
        "GPL Ghostscript 10.0.0\nError: /undefined in thisoperatordoesnotexist\n"
        "Operand stack:\n\nCurrent allocation mode is local\n"
        "Current file position is 94\nGPL Ghostscript 10.0.0: Unrecoverable error, exit code 1");
    const MessageDialog dialog = BatchSummaryDialog({broken}, {}, false);
    EXPECT_EQ(dialog.explanation,
              QStringLiteral("0 von 1 Datei wurden in PDF umgewandelt.\n\nFehlgeschlagen:\n"
                             "  \u2022 broken.ps\n    Error: /undefined in thisoperatordoesnotexist"));
    EXPECT_TRUE(dialog.details.contains(QStringLiteral("Current allocation mode is local")));
}

TEST(BatchSummary, FailureWithoutAnErrorLineShowsTheExplanationsLastLine)
{
    EXPECT_EQ(FailureReason(QStringLiteral("output\nGhostscript wurde nach 30 Sekunden abgebrochen.\n")),
              QStringLiteral("Ghostscript wurde nach 30 Sekunden abgebrochen."));
    EXPECT_EQ(FailureReason(QString()), QString());
}

TEST(BatchFontsQuestion, OneFileIsAskedAboutInTheSingular)
{
    const MessageDialog one = BatchFontsDialog({withMissingFont(QStringLiteral("a.ps"))});
    EXPECT_EQ(
        one.explanation,
        QStringLiteral("In dieser Datei fehlen Fonts:\n\na.ps:\n"
                       "  \u2022 LucidaGrande\n\n"
                       "Vorgeschlagener Ersatz f\u00fcr 'LucidaGrande':\n  \u2192 Helvetica\n\n"
                       "Soll diese Datei mit dem Ersatzfont erneut konvertiert werden?"));
    EXPECT_EQ(one.actionButton.caption, QStringLiteral("Ja, Ersatzfont verwenden"));
    EXPECT_EQ(one.cancelButton.caption, QStringLiteral("Nein"));
}

// How many files decides "diese Datei" or "diese Dateien"; how many fonts,
// each counted once however many files miss it, "Ersatzfont" or "Ersatzfonts".
struct QuestionCase {
    const char *name;
    QList<QByteArrayList> fontsPerFile;
    const char *head;
    const char *question;
    const char *button;
};

void PrintTo(const QuestionCase &c, std::ostream *os)
{
    *os << c.name;
}

class BatchFontsQuestionCounts : public testing::TestWithParam<QuestionCase>
{
};

TEST_P(BatchFontsQuestionCounts, FilesAndFontsDecideTheirOwnWords)
{
    QList<QueuedFile> files;
    for (const QByteArrayList &fonts : GetParam().fontsPerFile) {
        files.append(withMissingFont(QStringLiteral("%1.ps").arg(files.size())));
        files.last().missingFonts = fonts;
    }
    const MessageDialog dialog = BatchFontsDialog(files);
    EXPECT_TRUE(dialog.explanation.startsWith(QString::fromUtf8(GetParam().head) + '\n'))
        << dialog.explanation.toStdString();
    EXPECT_TRUE(dialog.explanation.endsWith(QStringLiteral("\n\n") +
                                            QString::fromUtf8(GetParam().question)))
        << dialog.explanation.toStdString();
    EXPECT_EQ(dialog.actionButton.caption, QString::fromUtf8(GetParam().button));
    EXPECT_EQ(dialog.cancelButton.caption, QStringLiteral("Nein"));
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, BatchFontsQuestionCounts,
    testing::Values(
        QuestionCase{"OneFileOneFont",
                     {{"LucidaGrande"}},
                     "In dieser Datei fehlen Fonts:",
                     "Soll diese Datei mit dem Ersatzfont erneut konvertiert werden?",
                     "Ja, Ersatzfont verwenden"},
        QuestionCase{"OneFileTwoFonts",
                     {{"LucidaGrande", "Futura-Bold"}},
                     "In dieser Datei fehlen Fonts:",
                     "Soll diese Datei mit den Ersatzfonts erneut konvertiert werden?",
                     "Ja, Ersatzfonts verwenden"},
        QuestionCase{"TwoFilesOneFont",
                     {{"LucidaGrande"}, {"LucidaGrande"}},
                     "In diesen Dateien fehlen Fonts:",
                     "Sollen diese Dateien mit dem Ersatzfont erneut konvertiert werden?",
                     "Ja, Ersatzfont verwenden"},
        QuestionCase{"TwoFilesTwoFonts",
                     {{"LucidaGrande"}, {"Futura-Bold"}},
                     "In diesen Dateien fehlen Fonts:",
                     "Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?",
                     "Ja, Ersatzfonts verwenden"},
        QuestionCase{"ThreeFilesThreeFonts",
                     {{"LucidaGrande", "Futura-Bold"}, {"Futura-Bold"}, {"Gill Sans"}},
                     "In diesen Dateien fehlen Fonts:",
                     "Sollen diese Dateien mit den Ersatzfonts erneut konvertiert werden?",
                     "Ja, Ersatzfonts verwenden"}),
    [](const testing::TestParamInfo<QuestionCase> &info) { return info.param.name; });

} // namespace
