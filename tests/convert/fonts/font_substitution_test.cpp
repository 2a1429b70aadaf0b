#include "MissingFontTestSupport.h"
#include "TestFiles.h"

#include "convert/fonts/FontSubstitution.h"
#include "platform/files/TemporaryFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

struct NameCase {
    const char *fontName;
    const char *expected;
};

void PrintTo(const NameCase &nameCase, std::ostream *os)
{
    *os << '"' << nameCase.fontName << '"';
}

class SuggestionTest : public ::testing::TestWithParam<NameCase>
{
};

class TargetNameTest : public ::testing::TestWithParam<NameCase>
{
};

class PrologLineTest : public ::testing::TestWithParam<NameCase>
{
};

} // namespace

TEST_P(SuggestionTest, TakesTheFirstRowWithAKeywordInTheName)
{
    EXPECT_EQ(SuggestReplacementFont(QString::fromUtf8(GetParam().fontName)),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SuggestionTest,
    ::testing::Values(NameCase{"Times New Roman", "Times-Roman"},
                      NameCase{"Courier New", "Courier"}, NameCase{"Gill Sans", "Helvetica"},
                      // Earlier rows win over the generic words of later ones.
                      NameCase{"Helvetica Roman", "Helvetica"},
                      NameCase{"Palatino Roman", "Palatino"}, NameCase{"Futura Mono", "Helvetica"},
                      NameCase{"Letter Gothic Mono", "Helvetica"},
                      NameCase{"Sans Serif", "Times-Roman"},
                      // No keyword at all.
                      NameCase{"Lucida Grande", "Helvetica"}, NameCase{"ZapfDingbats", "Helvetica"},
                      NameCase{"", "Helvetica"},
                      // Every other row, in any letter case.
                      NameCase{"Swiss 721", "Helvetica"}, NameCase{"ARIAL Black", "Arial"},
                      NameCase{"SymbolMT", "Symbol"}, NameCase{"Adobe Garamond", "Garamond"},
                      NameCase{"Myriad Pro", "Myriad"}, NameCase{"Big Caslon", "Times-Roman"},
                      NameCase{"MinionPro-Regular", "Times-Roman"},
                      NameCase{"Univers LT", "Helvetica"}, NameCase{"Neue Grotesk", "Helvetica"},
                      NameCase{"American Typewriter", "Courier"}));

TEST_P(TargetNameTest, RemovesSpacesExceptForTheTwoKnownSpellings)
{
    EXPECT_EQ(SubstitutionTargetName(QByteArray(GetParam().fontName)),
              QByteArray(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Table, TargetNameTest,
                         ::testing::Values(NameCase{"Lucida Grande", "LucidaGrande"},
                                           NameCase{"lucida grande", "LucidaGrande"},
                                           NameCase{"Apple Chancery", "AppleChancery"},
                                           NameCase{"APPLE CHANCERY", "AppleChancery"},
                                           NameCase{"Helvetica Neue", "HelveticaNeue"},
                                           NameCase{"MinionPro-Regular", "MinionPro-Regular"},
                                           NameCase{" Gill  Sans ", "GillSans"},
                                           NameCase{"Schrift Ä", "SchriftÄ"}));

TEST_P(PrologLineTest, BindsTheNameToItsTargetInValidPostScript)
{
    EXPECT_EQ(FontSubstitutionLine(QByteArray(GetParam().fontName)),
              QByteArray(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Names, PrologLineTest,
    ::testing::Values(
        NameCase{"Lucida Grande", "(Lucida Grande) cvn /LucidaGrande findfont definefont pop"},
        NameCase{"Futura-Bold", "(Futura-Bold) cvn /Futura-Bold findfont definefont pop"},
        // Bytes of UTF-8 after "/" would be read as binary tokens.
        NameCase{"Schrift Ä", "(Schrift Ä) cvn (SchriftÄ) cvn findfont definefont pop"},
        // A backslash is a plain character in a name but an escape in a string.
        NameCase{R"(Back\slash Serif)",
                 R"((Back\\slash Serif) cvn /Back\slashSerif findfont definefont pop)"},
        // A parenthesis would end the string, and cut "/" + target into tokens.
        NameCase{"Weird (Draft) Sans",
                 R"((Weird \(Draft\) Sans) cvn (Weird\(Draft\)Sans) cvn findfont definefont pop)"},
        NameCase{"Half( Open", R"((Half\( Open) cvn (Half\(Open) cvn findfont definefont pop)"},
        NameCase{"A/B [x]", R"((A/B [x]) cvn (A/B[x]) cvn findfont definefont pop)"},
        // Not UTF-8: the name's own bytes, as Ghostscript printed them.
        NameCase{"Schrift\304Grotesk",
                 "(Schrift\304Grotesk) cvn (Schrift\304Grotesk) cvn findfont definefont pop"}));

class SubstitutionPrologTest : public ::testing::Test
{
protected:
    PrivateTemporaryFolder m_temporary;
    QTemporaryDir m_work;
};

TEST_F(SubstitutionPrologTest, WritesOneLinePerNameAndReturnsThePlainPath)
{
    const QString expectedPath = TemporaryFolder().child(kSubstitutionPrologName).nativePath();

    const QString path =
        BuildFontSubstitution({QByteArrayLiteral("Lucida Grande"), QByteArrayLiteral("Futura Bold")}, TemporaryFolder().nativePath());

    EXPECT_EQ(path, expectedPath);
    EXPECT_EQ(readBytes(path),
              QByteArray("% Temporaere Font-Substitution\n"
                         "(Lucida Grande) cvn /LucidaGrande findfont definefont pop\n"
                         "(Futura Bold) cvn /FuturaBold findfont definefont pop\n"));

    // Every writing replaces the prolog whole.
    EXPECT_EQ(BuildFontSubstitution({QByteArrayLiteral("Gill Sans")}, TemporaryFolder().nativePath()), expectedPath);
    EXPECT_EQ(readBytes(path), QByteArray("% Temporaere Font-Substitution\n"
                                          "(Gill Sans) cvn /GillSans findfont definefont pop\n"));
}

TEST_F(SubstitutionPrologTest, ReplacesThePrologRatherThanWritingThroughALink)
{
#ifdef Q_OS_UNIX
    const QString victim = m_work.filePath(QStringLiteral("victim"));
    writeBytes(victim, "precious");
    const QString planted = TemporaryFolder().child(kSubstitutionPrologName).nativePath();
    ASSERT_TRUE(QFile::link(victim, planted));

    EXPECT_EQ(BuildFontSubstitution({QByteArrayLiteral("Gill Sans")}, TemporaryFolder().nativePath()), planted);

    EXPECT_EQ(readBytes(victim), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(planted).isSymLink());
#else
    GTEST_SKIP() << "symbolic links are a POSIX matter";
#endif
}
