#include "fontsheet/FontOverviewRun.h"

#include "FontSheetTestSupport.h"
#include "TestFiles.h"
#include "fontsheet/FontSampleSheet.h"
#include "platform/DesktopServices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// Answers the save dialog the way a person would: picks a file or cancels.
class ScriptedSaveFileChooser : public SaveFileChooser
{
public:
    explicit ScriptedSaveFileChooser(std::optional<FolderItem> answer) : m_answer(answer) {}

    std::optional<FolderItem> showSaveFileDialog(const QString &filter,
                                                 const QString &proposedName) override
    {
        shown.append({filter, proposedName});
        return m_answer;
    }

    struct Request {
        QString filter;
        QString proposedName;
    };
    QList<Request> shown;

private:
    std::optional<FolderItem> m_answer;
};

QStringList everyEntry(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

const QStringList kThreeFonts = {QStringLiteral("Alpha Sans"), QStringLiteral("Beta"),
                                 QStringLiteral("Gamma")};

TEST(FontOverviewRunTest, WritesTheSheetAndReportsTheCount)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Fonts.ps"));
    ScriptedSaveFileChooser chooser{FolderItem(path)};

    const std::optional<QString> label = RunFontOverview(chooser, kThreeFonts);

    EXPECT_EQ(label, QStringLiteral("3 Fonts gefunden.\n"));
    ASSERT_EQ(chooser.shown.size(), 1);
    EXPECT_EQ(chooser.shown.at(0).filter, QString());
    EXPECT_EQ(chooser.shown.at(0).proposedName, QStringLiteral("SystemFonts.ps"));
    EXPECT_EQ(TestFiles::readBytes(path), BuildFontSampleSheet(kThreeFonts));
    EXPECT_THAT(everyEntry(dir), ElementsAre(QStringLiteral("Fonts.ps")));
}

TEST(FontOverviewRunTest, NoFontsShowsNoDialog)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedSaveFileChooser chooser{FolderItem(dir.filePath(QStringLiteral("Fonts.ps")))};

    EXPECT_EQ(RunFontOverview(chooser, QStringList()), QStringLiteral("Keine Fonts gefunden!"));
    EXPECT_TRUE(chooser.shown.isEmpty());
    EXPECT_TRUE(everyEntry(dir).isEmpty());
}

TEST(FontOverviewRunTest, CancelWritesNothingAndKeepsTheLabel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedSaveFileChooser chooser{std::nullopt};

    EXPECT_EQ(RunFontOverview(chooser, kThreeFonts), std::nullopt);
    EXPECT_EQ(chooser.shown.size(), 1);
    EXPECT_TRUE(everyEntry(dir).isEmpty());
}

// Every run replaces what the chosen file held.
TEST(FontOverviewRunTest, EachPressReplacesTheChosenFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("SystemFonts.ps"));
    TestFiles::writeBytes(path, QByteArray(100000, 'x'));
    ScriptedSaveFileChooser chooser{FolderItem(path)};

    EXPECT_EQ(RunFontOverview(chooser, kThreeFonts), QStringLiteral("3 Fonts gefunden.\n"));
    EXPECT_EQ(TestFiles::readBytes(path), BuildFontSampleSheet(kThreeFonts));

    QStringList more;
    for (int k = 0; k < 25; ++k)
        more.append(QStringLiteral("Font %1").arg(k));
    EXPECT_EQ(RunFontOverview(chooser, more), QStringLiteral("25 Fonts gefunden.\n"));
    EXPECT_EQ(TestFiles::readBytes(path), BuildFontSampleSheet(more));
    EXPECT_THAT(everyEntry(dir), ElementsAre(QStringLiteral("SystemFonts.ps")));
}

#ifdef Q_OS_UNIX

// Makes the folder unwritable, or lets no file of this process grow past a
// few bytes (as a full disk would), for the lifetime of the object.
class WriteObstacle
{
public:
    enum Kind { ReadOnlyFolder, FullDisk };

    WriteObstacle(Kind kind, const QString &folder) : m_kind(kind), m_folder(folder)
    {
        if (m_kind == ReadOnlyFolder) {
            m_readOnly.emplace(m_folder);
        } else {
            m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &m_oldLimit);
            rlimit small = m_oldLimit;
            small.rlim_cur = 1024;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
    }
    ~WriteObstacle()
    {
        if (m_kind == ReadOnlyFolder) {
            m_readOnly.reset();
        } else {
            ::setrlimit(RLIMIT_FSIZE, &m_oldLimit);
            std::signal(SIGXFSZ, m_oldHandler);
        }
    }

private:
    Kind m_kind;
    QString m_folder;
    std::optional<TestFiles::ReadOnlyFolder> m_readOnly;
    rlimit m_oldLimit{};
    void (*m_oldHandler)(int) = nullptr;

public:
    bool active() const { return m_kind != ReadOnlyFolder || m_readOnly->active(); }
};

class FailedWriteTest : public ::testing::TestWithParam<WriteObstacle::Kind>
{
};

TEST_P(FailedWriteTest, LeavesTheEarlierFileWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("SystemFonts.ps"));
    const QByteArray earlier = "%!PS-Adobe-3.0\n% an earlier sheet\n";
    TestFiles::writeBytes(path, earlier);
    ScriptedSaveFileChooser chooser{FolderItem(path)};

    std::optional<QString> label;
    QString message;
    {
        const WriteObstacle obstacle(GetParam(), dir.path());
        if (!obstacle.active())
            GTEST_SKIP() << "cannot make a read-only folder here";
        try {
            label = RunFontOverview(chooser, kThreeFonts);
        } catch (const std::runtime_error &error) {
            message = QString::fromUtf8(error.what());
        }
    }

    EXPECT_EQ(label, std::nullopt);
    EXPECT_THAT(message.toStdString(), StartsWith("Die Font\xc3\xbc"
                                                  "bersicht kann nicht gesichert werden: "));
    EXPECT_THAT(message.toStdString(), HasSubstr(path.toStdString()));
    EXPECT_EQ(TestFiles::readBytes(path), earlier);
    EXPECT_THAT(everyEntry(dir), ElementsAre(QStringLiteral("SystemFonts.ps")));
}

INSTANTIATE_TEST_SUITE_P(Obstacles, FailedWriteTest,
                         ::testing::Values(WriteObstacle::ReadOnlyFolder, WriteObstacle::FullDisk),
                         [](const auto &info) {
                             return info.param == WriteObstacle::ReadOnlyFolder
                                        ? std::string("ReadOnlyFolder")
                                        : std::string("FullDisk");
                         });

#endif

} // namespace
