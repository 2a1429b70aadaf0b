#include "fontsheet/FontOverviewRun.h"

#include "FontSheetTestSupport.h"
#include "ScriptedSaveChooser.h"
#include "TestEvents.h"
#include "TestFiles.h"
#include "fontsheet/FontSampleSheet.h"
#include "platform/text/Translations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// Runs the overview as the window does and waits, in the test's own loop,
// for its result. Nothing when none came, more than one came, or one came
// from within the call.
std::optional<FontOverviewResult> runOverview(SaveFileChooser &chooser, const QStringList &names)
{
    auto results = std::make_shared<QList<FontOverviewResult>>();
    RunFontOverview(chooser, names,
                    [results](const FontOverviewResult &result) { results->append(result); });
    if (!results->isEmpty() || !QTest::qWaitFor([&] { return !results->isEmpty(); }, 10000))
        return std::nullopt;
    QTest::qWait(20);
    if (results->size() != 1)
        return std::nullopt;
    return results->first();
}

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
    ScriptedSaveChooser chooser({FolderItem(path)});

    const std::optional<FontOverviewResult> result = runOverview(chooser, kThreeFonts);

    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->status, QStringLiteral("3 Fonts gefunden.\n"));
    EXPECT_EQ(result->failure, std::nullopt);
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
    ScriptedSaveChooser chooser({FolderItem(dir.filePath(QStringLiteral("Fonts.ps")))});

    const std::optional<FontOverviewResult> result = runOverview(chooser, QStringList());

    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->status, QStringLiteral("Keine Fonts gefunden!"));
    EXPECT_EQ(result->failure, std::nullopt);
    EXPECT_TRUE(chooser.shown.isEmpty());
    EXPECT_TRUE(everyEntry(dir).isEmpty());
}

TEST(FontOverviewRunTest, CancelWritesNothingAndKeepsTheLabel)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedSaveChooser chooser({std::nullopt});

    const std::optional<FontOverviewResult> result = runOverview(chooser, kThreeFonts);

    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->status, std::nullopt);
    EXPECT_EQ(result->failure, std::nullopt);
    EXPECT_EQ(chooser.shown.size(), 1);
    EXPECT_TRUE(everyEntry(dir).isEmpty());
}

// Every run replaces what the chosen file held.
// The count reads "1 Fonts gefunden." in German as for any number, and
// tells one font from several in English.
TEST(FontOverviewRunTest, CountIsToldInTheWindowsLanguage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("SystemFonts.ps"));
    const struct {
        const char *locale;
        QString one;
        QString three;
    } cases[] = {
        {"de_DE", QStringLiteral("1 Fonts gefunden.\n"), QStringLiteral("3 Fonts gefunden.\n")},
        {"en_US", QStringLiteral("1 font found.\n"), QStringLiteral("3 fonts found.\n")},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.locale);
        InstallTranslations(*QCoreApplication::instance(),
                            QLocale(QString::fromLatin1(test.locale)));
        ScriptedSaveChooser chooser({FolderItem(path), FolderItem(path)});
        EXPECT_EQ(runOverview(chooser, {QStringLiteral("Alpha Sans")})->status, test.one);
        EXPECT_EQ(runOverview(chooser, kThreeFonts)->status, test.three);
    }
    InstallTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
}

TEST(FontOverviewRunTest, EachPressReplacesTheChosenFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("SystemFonts.ps"));
    TestFiles::writeBytes(path, QByteArray(100000, 'x'));
    ScriptedSaveChooser chooser({FolderItem(path), FolderItem(path)});

    EXPECT_EQ(runOverview(chooser, kThreeFonts)->status, QStringLiteral("3 Fonts gefunden.\n"));
    EXPECT_EQ(TestFiles::readBytes(path), BuildFontSampleSheet(kThreeFonts));

    QStringList more;
    for (int k = 0; k < 25; ++k)
        more.append(QStringLiteral("Font %1").arg(k));
    EXPECT_EQ(runOverview(chooser, more)->status, QStringLiteral("25 Fonts gefunden.\n"));
    EXPECT_EQ(TestFiles::readBytes(path), BuildFontSampleSheet(more));
    EXPECT_THAT(everyEntry(dir), ElementsAre(QStringLiteral("SystemFonts.ps")));
}

// The sheet is written only once the file has been chosen; until then the
// event loop goes on and the run waits.
TEST(FontOverviewRunTest, GoesOnFromTheChoiceOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("SystemFonts.ps"));
    ScriptedSaveChooser chooser({FolderItem(path)});
    chooser.holdAnswers();
    QList<FontOverviewResult> results;

    RunFontOverview(chooser, kThreeFonts,
                    [&results](const FontOverviewResult &result) { results.append(result); });

    ASSERT_EQ(chooser.openDialogs(), 1);
    EXPECT_TRUE(TestEvents::timerAndChildProcessArrive());
    EXPECT_TRUE(results.isEmpty());
    EXPECT_TRUE(everyEntry(dir).isEmpty());

    ASSERT_TRUE(chooser.choose());
    EXPECT_TRUE(results.isEmpty()); // the answer comes from the event loop
    ASSERT_TRUE(QTest::qWaitFor([&] { return !results.isEmpty(); }, 10000));
    QTest::qWait(20);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results.first().status, QStringLiteral("3 Fonts gefunden.\n"));
    EXPECT_EQ(TestFiles::readBytes(path), BuildFontSampleSheet(kThreeFonts));
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
    ScriptedSaveChooser chooser({FolderItem(path)});

    std::optional<FontOverviewResult> result;
    {
        const WriteObstacle obstacle(GetParam(), dir.path());
        if (!obstacle.active())
            GTEST_SKIP() << "cannot make a read-only folder here";
        result = runOverview(chooser, kThreeFonts);
    }

    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->status, std::nullopt);
    ASSERT_TRUE(result->failure.has_value());
    const QString message = *result->failure;
    EXPECT_THAT(message.toStdString(), StartsWith("Die Font\xc3\xbc"
                                                  "bersicht kann nicht gespeichert werden: "));
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
