#include "fontsheet/FontSampleSheet.h"

#include "TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList numberedNames(int count)
{
    QStringList names;
    for (int k = 1; k <= count; ++k)
        names.append(QStringLiteral("Name%1").arg(k));
    return names;
}

QByteArray oneFontGolden()
{
    const QByteArray golden = TestFiles::readBytes(TestFiles::fixture("fontsheet/one_font.ps"));
    EXPECT_FALSE(golden.isEmpty());
    return golden;
}

TEST(FontSampleSheetTest, OneFontIsTheGoldenSheet)
{
    EXPECT_EQ(BuildFontSampleSheet({QStringLiteral("Alpha")}).toStdString(),
              oneFontGolden().toStdString());
}

// The escape goes into the definition line only; every other byte is the one
// of the plain sheet.
struct NameCase {
    const char *what;
    QString name;
    QByteArray definition;
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << c.what;
}

class FontNameInSheetTest : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(FontNameInSheetTest, OnlyTheDefinitionLineChanges)
{
    QByteArray expected = oneFontGolden();
    expected.replace("/Font1 (Alpha) def\n", "/Font1 (" + GetParam().definition + ") def\n");
    EXPECT_EQ(BuildFontSampleSheet({GetParam().name}).toStdString(), expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Names, FontNameInSheetTest,
    ::testing::Values(
        NameCase{"unbalanced parenthesis", QStringLiteral("Schrift (Kursiv"), "Schrift \\(Kursiv"},
        NameCase{"both parentheses", QStringLiteral("(Bold)"), "\\(Bold\\)"},
        NameCase{"backslash", QStringLiteral("Back\\slash"), "Back\\\\slash"},
        NameCase{"percent and spaces stay", QStringLiteral("50% Grau"), "50% Grau"},
        NameCase{"non-ASCII as UTF-8", QStringLiteral("Grotesk \u00dc"), "Grotesk \xc3\x9c"}));

struct PagesCase {
    int fonts;
    int pages;
    QByteArrayList inOrder; // pieces that follow each other in the sheet
    QByteArray ending;
};

void PrintTo(const PagesCase &c, std::ostream *os)
{
    *os << c.fonts << " fonts";
}

class SheetPagesTest : public ::testing::TestWithParam<PagesCase>
{
};

TEST_P(SheetPagesTest, TwentyBlocksToAPage)
{
    const PagesCase &c = GetParam();
    const QByteArray sheet = BuildFontSampleSheet(numberedNames(c.fonts));

    EXPECT_TRUE(sheet.startsWith("%!PS-Adobe-3.0\n%%BoundingBox: 0 0 595 842\n"));
    EXPECT_TRUE(sheet.endsWith(c.ending)) << sheet.right(c.ending.size()).constData();
    EXPECT_EQ(sheet.count("\nshowpage\n"), c.pages);
    EXPECT_EQ(sheet.count("/Helvetica findfont 8 scalefont setfont\n"), c.pages);
    EXPECT_EQ(sheet.count("(Systemfonts - Seite "), c.pages);
    EXPECT_EQ(sheet.count(" PrintFontBlock\n"), c.fonts);

    // One empty line after the header, the vector, the procedure, the
    // definitions, the calls, the page device, the block procedure and every
    // page but the last; never two in a row.
    EXPECT_EQ(sheet.count("\n\n"), 7 + c.pages - 1);
    EXPECT_FALSE(sheet.contains("\n\n\n"));

    const QByteArray last = QByteArray::number(c.fonts);
    const QByteArrayList sections = {
        "/Font1 (Name1) def\n/Font2 (Name2) def\n",
        "/Font" + last + " (Name" + last + ") def\n\nFont1 Fix_Encoding\nFont2 Fix_Encoding\n",
        "Font" + last + " Fix_Encoding\n\n<</PageSize [595 842]>> setpagedevice\n\n",
        "} def\n\n/Helvetica findfont 8 scalefont setfont\n"
        "30 835 moveto (Systemfonts - Seite 1) show\nFont1 820 PrintFontBlock\n"
        "Font2 780 PrintFontBlock\n"};
    qsizetype from = 0;
    for (const QByteArray &piece : sections + c.inOrder) {
        const qsizetype at = sheet.indexOf(piece, from);
        ASSERT_GE(at, 0) << "missing or out of order: " << piece.constData();
        from = at + piece.size();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, SheetPagesTest,
    ::testing::Values(
        PagesCase{
            20, 1, {}, "Font19 100 PrintFontBlock\nFont20 60 PrintFontBlock\nshowpage\n%%EOF\n"},
        PagesCase{21,
                  2,
                  {},
                  "Font20 60 PrintFontBlock\nshowpage\n\n"
                  "/Helvetica findfont 8 scalefont setfont\n"
                  "30 835 moveto (Systemfonts - Seite 2) show\n"
                  "Font21 820 PrintFontBlock\nshowpage\n%%EOF\n"},
        PagesCase{40,
                  2,
                  {"Font20 60 PrintFontBlock\nshowpage\n\n"
                   "/Helvetica findfont 8 scalefont setfont\n"
                   "30 835 moveto (Systemfonts - Seite 2) show\n"
                   "Font21 820 PrintFontBlock\n"},
                  "Font39 100 PrintFontBlock\nFont40 60 PrintFontBlock\nshowpage\n%%EOF\n"},
        PagesCase{1001,
                  51,
                  {"(Systemfonts - Seite 50) show\nFont981 820 PrintFontBlock\n"},
                  "Font1000 60 PrintFontBlock\nshowpage\n\n"
                  "/Helvetica findfont 8 scalefont setfont\n"
                  "30 835 moveto (Systemfonts - Seite 51) show\n"
                  "Font1001 820 PrintFontBlock\nshowpage\n%%EOF\n"},
        // Five-digit font numbers: the sheet's room is reserved ahead (a
        // debug build checks the estimate).
        PagesCase{12345, 618, {}, "Font12345 660 PrintFontBlock\nshowpage\n%%EOF\n"}));

TEST(FontSampleSheetTest, EqualNamesKeepTheirOwnEntries)
{
    const QByteArray sheet = BuildFontSampleSheet({QStringLiteral("Same"), QStringLiteral("Same")});
    EXPECT_TRUE(sheet.contains("\n/Font1 (Same) def\n/Font2 (Same) def\n\n"));
    EXPECT_TRUE(sheet.contains("\nFont1 Fix_Encoding\nFont2 Fix_Encoding\n\n"));
    EXPECT_TRUE(sheet.contains("\nFont1 820 PrintFontBlock\nFont2 780 PrintFontBlock\nshowpage\n"));
}

// The vector follows the code page: ASCII names from 32 to 126, the code page
// 1252 names with five holes above 127, the Latin-1 names from 160 on.
TEST(FontSampleSheetTest, EncodingVectorHas256EntriesInCodeOrder)
{
    const QByteArray sheet = BuildFontSampleSheet({QStringLiteral("Alpha")});
    const QByteArray head = "\n/ISO1252Encoding [\n";
    const qsizetype start = sheet.indexOf(head) + head.size();
    const qsizetype end = sheet.indexOf("\n] def\n\n/Fix_Encoding {\n", start);
    ASSERT_GT(start, head.size());
    ASSERT_GT(end, start);
    const QByteArrayList rows = sheet.mid(start, end - start).split('\n');
    ASSERT_EQ(rows.size(), 32);
    QByteArrayList codes;
    for (const QByteArray &row : rows) {
        const QByteArrayList names = row.split(' ');
        EXPECT_EQ(names.size(), 8) << row.constData();
        codes += names;
    }
    ASSERT_EQ(codes.size(), 256);

    for (int code = 0; code < 32; ++code)
        EXPECT_EQ(codes.at(code), "/.notdef") << code;
    for (int code : {127, 129, 141, 143, 144, 157})
        EXPECT_EQ(codes.at(code), "/unused") << code;
    const std::pair<int, const char *> named[] = {
        {32, "/space"},      {39, "/quotesingle"}, {40, "/parenleft"},   {65, "/A"},
        {92, "/backslash"},  {96, "/grave"},       {126, "/asciitilde"}, {128, "/Euro"},
        {134, "/dagger"},    {159, "/Ydieresis"},  {160, "/space"},      {173, "/hyphen"},
        {196, "/Adieresis"}, {223, "/germandbls"}, {255, "/ydieresis"}};
    for (const auto &[code, name] : named)
        EXPECT_EQ(codes.at(code), name) << code;
}

// The sheet as an interpreter sees it: real fonts, a name no font has and
// names that need the escape, on two pages.
TEST(FontSampleSheetTest, GhostscriptTurnsTheSheetIntoPages)
{
    const QString gs = TestFiles::realGhostscript();
    ASSERT_FALSE(gs.isEmpty()) << "gs is needed for this test";
    // Fonts that Ghostscript's own font resources hold, then names it has no
    // font for: it substitutes one and goes on.
    QStringList names =
        QStringLiteral("C059-BdIta C059-Bold C059-Italic C059-Roman D050000L NimbusMonoPS-Bold "
                       "NimbusMonoPS-BoldItalic NimbusMonoPS-Italic NimbusMonoPS-Regular "
                       "NimbusRoman-Bold NimbusRoman-BoldItalic NimbusRoman-Italic "
                       "NimbusRoman-Regular NimbusSans-Bold NimbusSans-BoldItalic "
                       "NimbusSans-Italic NimbusSans-Regular NimbusSansNarrow-Bold P052-Roman "
                       "StandardSymbolsPS URWBookman-Light URWGothic-Book Z003-MediumItalic")
            .split(QLatin1Char(' '));
    names += {QStringLiteral("Keine Solche Schrift"), QStringLiteral("Schrift (Kursiv"),
              QStringLiteral("Back\\slash"), QStringLiteral("Grotesk \u00dc")};
    const int pages = (names.size() + 19) / 20;
    ASSERT_EQ(pages, 2);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sheetPath = dir.filePath(QStringLiteral("SystemFonts.ps"));
    const QString pdfPath = dir.filePath(QStringLiteral("SystemFonts.pdf"));
    TestFiles::writeBytes(sheetPath, BuildFontSampleSheet(names));

    QProcess ghostscript;
    ghostscript.setProcessChannelMode(QProcess::MergedChannels);
    ghostscript.start(gs, {"-dBATCH", "-dNOPAUSE", "-dSAFER", "-sDEVICE=pdfwrite",
                           "-sOutputFile=" + pdfPath, sheetPath});
    const bool ended = ghostscript.waitForFinished(120000);
    const QByteArray output = ghostscript.readAll();
    ASSERT_TRUE(ended) << output.constData();
    ASSERT_EQ(ghostscript.exitStatus(), QProcess::NormalExit) << output.constData();
    ASSERT_EQ(ghostscript.exitCode(), 0) << output.constData();
    EXPECT_FALSE(output.contains("Error:")) << output.constData();

    EXPECT_EQ(TestFiles::pdfPageCount(pdfPath), pages);
    const QString text = QString::fromUtf8(TestFiles::runTool("pdftotext", {pdfPath, "-"}));
    EXPECT_TRUE(text.contains(QStringLiteral("Systemfonts - Seite 1")));
    EXPECT_TRUE(text.contains(QStringLiteral("Systemfonts - Seite 2")));
    EXPECT_FALSE(text.contains(QStringLiteral("Systemfonts - Seite 3")));
    EXPECT_TRUE(text.contains(
        QStringLiteral("Ottilie Brunhild Quessnar, Freifrau zu Wendholm * 9.1.1954 \u2020 2008")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("NimbusSans-Regular :")));
    EXPECT_TRUE(text.contains(QStringLiteral("Schrift (Kursiv :")));
    EXPECT_TRUE(text.contains(QStringLiteral("Back\\slash :")));
}

} // namespace
