#include "fontsheet/FontEnumeration.h"

#include "FontSheetTestSupport.h"

#include <QDir>
#include <QFile>
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

// Restores the environment variable however the test ends.
class ScopedHome
{
public:
    explicit ScopedHome(const QString &home)
        : m_had(qEnvironmentVariableIsSet("HOME")), m_old(qgetenv("HOME"))
    {
        qputenv("HOME", QFile::encodeName(home));
    }
    ~ScopedHome()
    {
        if (m_had)
            qputenv("HOME", m_old);
        else
            qunsetenv("HOME");
    }

private:
    bool m_had;
    QByteArray m_old;
};

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
    const ScopedHome scopedHome(home.path());

    const QStringList names = ListInstalledFonts();

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
