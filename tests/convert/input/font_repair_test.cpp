#include "MissingFontTestSupport.h"
#include "TestFiles.h"

#include "convert/input/FontRepair.h"
#include "platform/files/TemporaryFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#include <stdexcept>

using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

// Where the copy goes: a job's workspace, here the private temporary folder.
QString copyFolder()
{
    return TemporaryFolder().nativePath();
}

QString repairedCopyPath()
{
    return TemporaryFolder().child(kRepairedCopyName).nativePath();
}

struct RepairCase {
    const char *label;
    QByteArray input;
    std::optional<QByteArray> copy; // nothing: Ghostscript reads the input itself
};

void PrintTo(const RepairCase &repairCase, std::ostream *os)
{
    *os << repairCase.label;
}

const QByteArray kBinary = QByteArray("\x00\xff\x80\x1b\r\n\r", 7);

const RepairCase kRepairCases[] = {
    {"every spelling and letter case, binary bytes and CR/LF kept",
     "%!PS\r\n(Lucida Grande) cvn findfont\r\n" + kBinary + "(LUCIDA grande)(lucida Grande)" +
         kBinary + "x(Lucida Grande)",
     "%!PS\r\n(LucidaGrande) cvn findfont\r\n" + kBinary + "(LucidaGrande)(LucidaGrande)" +
         kBinary + "x(LucidaGrande)"},
    {"only the joined spelling: an identical copy",
     "%!PS\n/F (LucidaGrande) cvn findfont def\n" + kBinary,
     "%!PS\n/F (LucidaGrande) cvn findfont def\n" + kBinary},
    {"the joined spelling in capitals", "(LUCIDAGRANDE)", "(LUCIDAGRANDE)"},
    {"a partial name at the very end is kept", "(Lucida Grande)(Lucida Gran",
     "(LucidaGrande)(Lucida Gran"},
    {"near misses are no match", "Lucida Grande (Lucida  Grande) (Lucida-Grande) (LucidaGrand)",
     std::nullopt},
    {"an empty file", "", std::nullopt},
};

// Each case with a buffer so small that every match straddles a boundary, with
// buffers a byte either side of the pattern's length, and with the default.
const qint64 kBufferSizes[] = {1, 2, 14, 15, 16, kFontRepairBufferSize};

class FontRepairTest : public ::testing::TestWithParam<std::tuple<RepairCase, qint64>>
{
protected:
    PrivateTemporaryFolder m_temporary;
    QTemporaryDir m_work;
};

} // namespace

TEST_P(FontRepairTest, CopiesTheInputWithTheNameRepairedOnlyWhenItIsUsed)
{
    const auto &[repairCase, bufferSize] = GetParam();
    const QString input = m_work.filePath(QStringLiteral("dropped.ps"));
    writeBytes(input, repairCase.input);

    const QString path = FixPostScriptFonts(input, copyFolder(), bufferSize);

    if (repairCase.copy) {
        EXPECT_EQ(path, repairedCopyPath());
        EXPECT_EQ(readBytes(path), *repairCase.copy);
    } else {
        EXPECT_EQ(path, input);
        EXPECT_FALSE(QFileInfo::exists(repairedCopyPath()));
    }
    EXPECT_EQ(readBytes(input), repairCase.input);
}

INSTANTIATE_TEST_SUITE_P(Inputs, FontRepairTest,
                         ::testing::Combine(::testing::ValuesIn(kRepairCases),
                                            ::testing::ValuesIn(kBufferSizes)));

class FontRepairFileTest : public ::testing::Test
{
protected:
    PrivateTemporaryFolder m_temporary;
    QTemporaryDir m_work;
};

TEST_F(FontRepairFileTest, FindsMatchesAcrossTheBoundariesOfALargeFile)
{
    // Several buffers long, with matches cut by the first and the fourth
    // buffer boundary.
    QByteArray input;
    for (int i = 0; input.size() < 5 * kFontRepairBufferSize; ++i)
        input += char(i * 131 % 256);
    input.replace(kFontRepairBufferSize - 7, 15, "(Lucida Grande)");
    input.replace(4 * kFontRepairBufferSize - 1, 15, "(lucida GRANDE)");
    QByteArray expected = input;
    expected.replace("(Lucida Grande)", "(LucidaGrande)");
    expected.replace("(lucida GRANDE)", "(LucidaGrande)");
    ASSERT_EQ(expected.size(), input.size() - 2);
    const QString inputPath = m_work.filePath(QStringLiteral("large.ps"));
    writeBytes(inputPath, input);

    const QString path = FixPostScriptFonts(inputPath, copyFolder());

    ASSERT_EQ(path, repairedCopyPath());
    EXPECT_TRUE(readBytes(path) == expected);
}

TEST_F(FontRepairFileTest, LeavesAnEarlierCopyAloneWhenTheInputHasNoName)
{
    const QString earlier = repairedCopyPath();
    writeBytes(earlier, "left by an earlier conversion");
    const QString input = m_work.filePath(QStringLiteral("plain.ps"));
    writeBytes(input, "%!PS\n/Helvetica findfont\n");

    EXPECT_EQ(FixPostScriptFonts(input, copyFolder()), input);
    EXPECT_EQ(readBytes(earlier), QByteArray("left by an earlier conversion"));
}

TEST_F(FontRepairFileTest, GivesAMissingInputBackUnchanged)
{
    const QString missing = m_work.filePath(QStringLiteral("gone.ps"));
    EXPECT_EQ(FixPostScriptFonts(missing, copyFolder()), missing);
    EXPECT_FALSE(QFileInfo::exists(repairedCopyPath()));
}

TEST_F(FontRepairFileTest, ReplacesTheCopyItselfRatherThanWritingThroughALink)
{
#ifdef Q_OS_UNIX
    const QString victim = m_work.filePath(QStringLiteral("victim"));
    writeBytes(victim, "precious");
    ASSERT_TRUE(QFile::link(victim, repairedCopyPath()));
    const QString input = m_work.filePath(QStringLiteral("lucida.ps"));
    writeBytes(input, "(Lucida Grande)");

    ASSERT_EQ(FixPostScriptFonts(input, copyFolder()), repairedCopyPath());

    EXPECT_EQ(readBytes(victim), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(repairedCopyPath()).isSymLink());
    EXPECT_EQ(readBytes(repairedCopyPath()), QByteArray("(LucidaGrande)"));
#else
    GTEST_SKIP() << "symbolic links are a POSIX matter";
#endif
}

TEST_F(FontRepairFileTest, GivesAnythingButARegularFileBackUnopened)
{
    // Each passes the drop's name test. Opened, the FIFO would wait for a
    // writer and the device would never end; Ghostscript gets them instead,
    // under its time-out.
    const QString folder = m_work.filePath(QStringLiteral("folder.ps"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(FixPostScriptFonts(folder, copyFolder()), folder);
#ifdef Q_OS_UNIX
    const QString fifo = m_work.filePath(QStringLiteral("fifo.ps"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(FixPostScriptFonts(fifo, copyFolder()), fifo);
    const QString device = m_work.filePath(QStringLiteral("zero.ps"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device));
    EXPECT_EQ(FixPostScriptFonts(device, copyFolder()), device);
#endif
    EXPECT_FALSE(QFileInfo::exists(repairedCopyPath()));
}
