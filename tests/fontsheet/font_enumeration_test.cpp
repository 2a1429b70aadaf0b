#include "fontsheet/FontEnumeration.h"
#include "fontsheet/FontListing.h"

#include "FontSheetTestSupport.h"
#include "ScopedVariable.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAreArray;

namespace {

struct ListingCase {
    const char *what;
    QString listing;
    QStringList names;
};

void PrintTo(const ListingCase &c, std::ostream *os)
{
    *os << c.what;
}

class ParseFontListingTest : public ::testing::TestWithParam<ListingCase>
{
};

TEST_P(ParseFontListingTest, GivesTheNamesInListingOrder)
{
    EXPECT_EQ(ParseFontListing(GetParam().listing), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Listings, ParseFontListingTest,
    ::testing::Values(
        ListingCase{
            "two folder sections",
            QStringLiteral("/System/Library/Fonts/:\nAlpha Sans.ttf\nBeta.ttc\n\n"
                           "/Library/Fonts/:\nGamma.Bold.otf\n"),
            {QStringLiteral("Alpha Sans"), QStringLiteral("Beta"), QStringLiteral("Gamma")}},
        ListingCase{"white space around the entry",
                    QStringLiteral("  Delta.otf  \n\tEpsilon.ttf\r\n"),
                    {QStringLiteral("Delta"), QStringLiteral("Epsilon")}},
        ListingCase{"white space before the first dot",
                    QStringLiteral("Omega .ttf\n"),
                    {QStringLiteral("Omega")}},
        ListingCase{"hidden entry and sub-folder",
                    QStringLiteral(".DS_Store\n . ttf\nExtra\n"),
                    {QStringLiteral("Extra")}},
        ListingCase{"same file in two folders",
                    QStringLiteral("/a:\nSame.ttf\n\n/b:\nSame.otf\n"),
                    {QStringLiteral("Same"), QStringLiteral("Same")}},
        ListingCase{"line ending in a colon is dropped, a colon inside is kept",
                    QStringLiteral("Not a heading:\nOdd: Name.ttf\n"),
                    {QStringLiteral("Odd: Name")}},
        ListingCase{"unsorted and without a last line feed",
                    QStringLiteral("Zeta.ttf\nAlpha.ttf"),
                    {QStringLiteral("Zeta"), QStringLiteral("Alpha")}},
        ListingCase{"non-ASCII name",
                    QStringLiteral("Grotesk \u00dc.otf\n"),
                    {QStringLiteral("Grotesk \u00dc")}},
        ListingCase{"empty output", QString(), {}},
        ListingCase{"only headings and empty lines", QStringLiteral("/a:\n\n/b:\n\n"), {}}));

// The names of one listing, waited for as the window's event loop would.
QStringList listFonts(FontListing::Source source)
{
    FontListing listing(source);
    QSignalSpy finished(&listing, &FontListing::finished);
    listing.start();
    EXPECT_TRUE(listing.isRunning());
    EXPECT_TRUE(finished.isEmpty()) << "told from inside start()";
    EXPECT_TRUE(finished.wait(30000));
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(listing.isRunning());
    return finished.isEmpty() ? QStringList() : finished.first().first().toStringList();
}

// A fontconfig set-up that knows only the fonts of one folder of its own.
class FontconfigFixture
{
public:
    FontconfigFixture()
    {
        m_fonts = m_dir.filePath(QStringLiteral("fonts"));
        QDir().mkpath(m_fonts + QStringLiteral("/sub"));
        const QString config = m_dir.filePath(QStringLiteral("fonts.conf"));
        TestFiles::writeBytes(config, QStringLiteral("<?xml version=\"1.0\"?>\n"
                                                     "<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                                     "<fontconfig>\n"
                                                     "  <dir>%1</dir>\n"
                                                     "  <cachedir>%2</cachedir>\n"
                                                     "</fontconfig>\n")
                                          .arg(m_fonts, m_dir.filePath(QStringLiteral("cache")))
                                          .toUtf8());
        m_config.emplace("FONTCONFIG_FILE", QFile::encodeName(config));
    }

    // Copies one of the URW fonts to the given name inside the folder.
    bool add(const QString &urwFile, const QString &name)
    {
        return QFile::copy(QStringLiteral("/usr/share/fonts/type1/urw-base35/") + urwFile,
                           m_fonts + QLatin1Char('/') + name);
    }

    QString fontsFolder() const { return m_fonts; }

private:
    QTemporaryDir m_dir;
    QString m_fonts;
    std::optional<ScopedVariable> m_config;
};

// fontconfig's own list for a set-up made here: each file's name up to its
// first ".", once, sorted; files fontconfig does not take as fonts give
// nothing.
TEST(FontListingTest, FontconfigListsTheFontsItKnowsOnceEachSorted)
{
    FontconfigFixture fontconfig;
    ASSERT_TRUE(fontconfig.add(QStringLiteral("NimbusSans-Regular.t1"),
                               QStringLiteral("NimbusSans-Regular.t1")));
    ASSERT_TRUE(
        fontconfig.add(QStringLiteral("NimbusSans-Bold.t1"), QStringLiteral("NimbusSans-Bold.t1")));
    // The same font once more, in a sub-folder and under a second name.
    ASSERT_TRUE(fontconfig.add(QStringLiteral("NimbusSans-Regular.t1"),
                               QStringLiteral("sub/NimbusSans-Regular.t1")));
    ASSERT_TRUE(
        fontconfig.add(QStringLiteral("C059-Roman.t1"), QStringLiteral("c059 Kopie.Roman.t1")));
    ASSERT_TRUE(fontconfig.add(QStringLiteral("C059-Roman.afm"), QStringLiteral("C059-Roman.afm")));
    TestFiles::writeBytes(fontconfig.fontsFolder() + QStringLiteral("/Notiz.txt"), "keine Schrift");

    EXPECT_EQ(listFonts(FontListing::Source::Fontconfig),
              (QStringList{"c059 Kopie", "NimbusSans-Bold", "NimbusSans-Regular"}));
}

// Stand-ins for fc-list on the search path: what the listing keeps of
// output it cannot use whole, or of a lister that does not end.
class StandInLister
{
public:
    explicit StandInLister(const QByteArray &script)
    {
        TestFiles::writeScript(m_dir.filePath(QStringLiteral("fc-list")), script);
        m_path.emplace("PATH", QFile::encodeName(m_dir.path()) + ':' + qgetenv("PATH"));
    }

private:
    QTemporaryDir m_dir;
    std::optional<ScopedVariable> m_path;
};

TEST(FontListingTest, HugeListingIsCutToItsBeginningAndEndWithoutBrokenNames)
{
    // 400 000 paths of 22 bytes: about twice what is kept.
    const StandInLister lister("seq -f '/fonts/Font%06g.ttf' 0 399999\n");

    const QStringList names = listFonts(FontListing::Source::Fontconfig);

    const qint64 kept = 4 * 1024 * 1024;
    const qint64 line = 22;
    EXPECT_LE(names.size(), kept / line);
    EXPECT_GE(names.size(), kept / line - 2);
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.first(), QStringLiteral("Font000000"));
    EXPECT_EQ(names.last(), QStringLiteral("Font399999"));
    const QRegularExpression whole(QStringLiteral("^Font\\d{6}$"));
    for (const QString &name : names)
        ASSERT_TRUE(whole.match(name).hasMatch()) << name.toStdString();
}

TEST(FontListingTest, ListerThatDoesNotEndGivesWhatItSaidWithinFiveSeconds)
{
    const StandInLister lister("echo /fonts/Beta.otf; echo /fonts/Alpha.ttf; exec sleep 60\n");
    QElapsedTimer clock;
    clock.start();

    EXPECT_EQ(listFonts(FontListing::Source::Fontconfig), (QStringList{"Alpha", "Beta"}));
    // A coarse timer may fire up to 5 % early.
    EXPECT_GE(clock.elapsed(), 4700);
    EXPECT_LT(clock.elapsed(), 9000);
}

TEST(FontListingTest, NoListerGivesNoNames)
{
    QTemporaryDir empty;
    const ScopedVariable path("PATH", QFile::encodeName(empty.path()));

    EXPECT_EQ(listFonts(FontListing::Source::Fontconfig), QStringList());
}

// The real command through the real shell: "~" is the user's home folder, and
// the folders that do not exist on this machine leave no error text behind.
TEST(ListInstalledFontsTest, ListsTheUserFontFolderThroughTheShell)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString fonts = home.filePath(QStringLiteral("Library/Fonts"));
    ASSERT_TRUE(QDir().mkpath(fonts + QStringLiteral("/Extra")));
    for (const char *name : {"Alpha Sans.ttf", "Beta.ttc", ".DS_Store", "Grotesk \xc3\x9c.otf"}) {
        QFile file(fonts + QLatin1Char('/') + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const ScopedVariable scopedHome("HOME", QFile::encodeName(home.path()));

    const QStringList names = listFonts(FontListing::Source::FontFolders);

    const QStringList ours = {QStringLiteral("Alpha Sans"), QStringLiteral("Beta"),
                              QStringLiteral("Extra"), QStringLiteral("Grotesk \u00dc")};
    ASSERT_GE(names.size(), ours.size());
    EXPECT_EQ(names.mid(names.size() - ours.size()), ours);
    if (!QDir(QStringLiteral("/System/Library/Fonts")).exists() &&
        !QDir(QStringLiteral("/Library/Fonts")).exists()) {
        EXPECT_THAT(names, ElementsAreArray(ours));
    }
}

} // namespace
