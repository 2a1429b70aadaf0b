#include "InstalledFontConversionTest.h"
#include "TestFiles.h"

#include "convert/fonts/FontIndex.h"
#include "convert/fonts/InstalledFontHandover.h"
#include "convert/fonts/InstalledFonts.h"
#include "convert/job/ConversionJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ostream>

#include <sys/stat.h>
#include <unistd.h>

using TestFiles::writeBytes;

namespace
{

// Conversions with installed fonts whose files lie where other users, or odd
// names, have a hand in them: real fonts, real fontconfig, real Ghostscript.
class InstalledFontFilesTest : public InstalledFontConversionTest
{
protected:
    // A folder the user's fontconfig configuration names, made first.
    QString addFontFolder(const QString &name)
    {
        const QString folder = m_work.filePath(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        EXPECT_TRUE(m_fonts->addFontFolder(folder));
        return folder;
    }

    // pdffonts' lines of the fonts embedded in the PDF.
    QStringList embeddedFonts(const QString &name) const
    {
        const QString listing =
            QString::fromUtf8(TestFiles::runTool(QStringLiteral("pdffonts"), {pdf(name)}));
        QStringList embedded;
        for (const QString &line : listing.split(QLatin1Char('\n'))) {
            const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (columns.size() > 4 && columns.contains(QStringLiteral("yes")))
                embedded << columns.first();
        }
        return embedded;
    }
};

bool namesFont(const QStringList &embedded, const QString &font)
{
    for (const QString &name : embedded) {
        if (name == font || name.endsWith(QLatin1Char('+') + font))
            return true;
    }
    return false;
}

const QByteArray kExtraFontDocument =
    "%!PS\n/PagoraTestExtra-Regular findfont 30 scalefont setfont\n"
    "40 700 moveto (Extra Hamburg) show\nshowpage\n";

// --- A font in a folder the user added to fontconfig --------------------------

struct FolderCase {
    const char *what;
    const char *folder;
};

void PrintTo(const FolderCase &test, std::ostream *os)
{
    *os << test.what;
}

class AddedFontFolderTest : public InstalledFontFilesTest,
                            public ::testing::WithParamInterface<FolderCase>
{
};

// fontconfig lists a font there, and Ghostscript under -dSAFER reads it
// through the descriptor it is handed, whatever the folder's name.
TEST_P(AddedFontFolderTest, AFontThereIsEmbedded)
{
    const QString folder = addFontFolder(QString::fromUtf8(GetParam().folder));
    writeBytes(folder + QStringLiteral("/extra.ttf"), m_fonts->extraFont());
    ASSERT_NE(waitForIndex()->find("PagoraTestExtra-Regular"), nullptr);

    const Result result = convert(kExtraFontDocument, QStringLiteral("extra"));
    EXPECT_EQ(result.outcome, ConversionJob::Outcome::Converted) << result.told.toStdString();
    EXPECT_EQ(result.installed, QByteArrayList{"PagoraTestExtra-Regular"});
    EXPECT_TRUE(namesFont(embeddedFonts(QStringLiteral("extra")),
                          QStringLiteral("PagoraTestExtra-Regular")))
        << embeddedFonts(QStringLiteral("extra")).join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Folders, AddedFontFolderTest,
                         ::testing::Values(FolderCase{"a plain name", "Fonts"},
                                           // What ends a PostScript string, and what Ghostscript
                                           // reads as a pattern in a path it is permitted.
                                           FolderCase{"parenthesis and backslash", "Fonts (alt\\"}),
                         [](const auto &info) { return "case" + std::to_string(info.index); });

// --- A font whose name is no PostScript name token ----------------------------

// A Type 1 font can call itself anything in its /FontName; fontconfig passes
// that on as its PostScript name. Written into the font map as a name it
// would break the map: it is left out, and the rest goes on as usual.
TEST_F(InstalledFontFilesTest, AFontNamedWithDelimitersIsLeftOutOfTheMap)
{
    const QByteArray type1 = RenamedType1Font("(Evil (x) y)");
    if (type1.isEmpty())
        GTEST_SKIP() << "no Type 1 font of URW's to rename";
    writeBytes(addFontFolder(QStringLiteral("Odd")) + QStringLiteral("/evil.t1"), type1);
    const FontIndex::Snapshot fonts = waitForIndex();
    ASSERT_NE(fonts->find("Evil (x) y"), nullptr);

    InstalledFontHandover handover(fonts);
    EXPECT_EQ(handover.add({"Evil (x) y"}), 0);
    EXPECT_TRUE(handover.isEmpty());

    // The name only exists once the document runs: it comes back from
    // Ghostscript as missing, beside a font that goes into the map.
    const QByteArray document =
        "%!PS\n/PagoraTestSans-Bold findfont 30 scalefont setfont 40 700 moveto (Bold) show\n"
        "(Evil \\(x\\) y) cvn findfont 30 scalefont setfont 40 640 moveto (Evil) show\n"
        "showpage\n";
    const Result result = convert(document, QStringLiteral("evil-name"));
    EXPECT_EQ(result.outcome, ConversionJob::Outcome::FontsMissing) << result.told.toStdString();
    EXPECT_TRUE(result.pdfPlaced);
    EXPECT_EQ(result.installed, QByteArrayList{"PagoraTestSans-Bold"});
    EXPECT_EQ(result.missing, QByteArrayList{"Evil (x) y"});
    EXPECT_TRUE(namesFont(embeddedFonts(QStringLiteral("evil-name")),
                          QStringLiteral("PagoraTestSans-Bold")));
}

// --- A link in a shared font folder, turned by its owner ----------------------

// Lets every user walk down to path, as to a system's font folder.
void openTheWayTo(const QString &path, const QString &from)
{
    for (QString folder = path; folder.startsWith(from); folder = QFileInfo(folder).path())
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0) << folder.toStdString();
}

const QByteArray kSecret = "PAGORA-PRIVATE-KEY-4f1c9e";

// A font folder that fontconfig, Ghostscript and the sandbox all know, which
// a group may write, as Debian's /usr/local/share/fonts (root:staff 2775):
// here anybody may, so that nobody can. nobody links a font of nobody's own
// into it, the index is made, and then nobody turns the link at a private
// file of this user's.
class TurnedLinkTest : public InstalledFontFilesTest
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root, to act as a second user";
        InstalledFontFilesTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const QString shared = m_fonts->fontFolder();
        // The test's fonts lie in its temporary folder.
        openTheWayTo(shared, QDir::tempPath());
        ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
        openTheWayTo(m_work.path(), m_work.path());
        const QString own = m_work.filePath(QStringLiteral("nobody"));
        ASSERT_TRUE(QDir().mkpath(own));
        ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0777), 0);
        const QString source = m_work.filePath(QStringLiteral("extra.ttf"));
        writeBytes(source, m_fonts->extraFont());
        const QString secret = m_work.filePath(QStringLiteral("id_ed25519"));
        writeBytes(secret, kSecret + '\n');
        ASSERT_EQ(::chmod(QFile::encodeName(secret).constData(), 0600), 0);

        m_link = shared + QStringLiteral("/evil.ttf");
        ASSERT_TRUE(TestFiles::runAsNobody(QStringLiteral("cp \"$1\" \"$2/own.ttf\" && "
                                                          "ln -s \"$2/own.ttf\" \"$3\""),
                                           {source, own, m_link}));
        ASSERT_NE(waitForIndex()->find("PagoraTestExtra-Regular"), nullptr);
        // fontconfig's index does not look where links point.
        ASSERT_TRUE(
            TestFiles::runAsNobody(QStringLiteral("ln -sfn \"$1\" \"$2\""), {secret, m_link}));
    }

    QString m_link;
};

TEST_F(TurnedLinkTest, HandsOverNothingAndThePrivateFileStaysUnread)
{
    // The name is built at run time, so the scan of the document misses it
    // and only Ghostscript's report of it as missing brings it in. Once
    // Ghostscript has asked fontconfig for it, it lets a document read the
    // font folders; the document reads the link then and shows what it read.
    const QByteArray document =
        "%!PS\n"
        "(PagoraTest) (Extra-Regular) concatstrings cvn { findfont } stopped\n"
        "{ pop /Courier findfont } if 30 scalefont setfont\n"
        "mark { (" +
        QFile::encodeName(m_link) +
        ") (r) file 200 string readstring pop } stopped\n"
        "{ cleartomark (none) } { exch pop } ifelse\n"
        "dup (read: ) print =\n"
        "[ /Keywords 3 -1 roll /DOCINFO pdfmark\n"
        "40 700 moveto (Hello) show showpage\n";
    const Result result = convert(document, QStringLiteral("turned"));
    EXPECT_FALSE(result.installed.contains("PagoraTestExtra-Regular"));
    EXPECT_FALSE(TestFiles::readBytes(pdf(QStringLiteral("turned"))).contains(kSecret));
    EXPECT_FALSE(result.told.contains(QString::fromLatin1(kSecret))) << result.told.toStdString();
}

} // namespace
