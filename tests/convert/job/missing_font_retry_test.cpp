#include "MissingFontTestSupport.h"
#include "JobTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include "convert/input/FontRepair.h"
#include "convert/fonts/FontSubstitution.h"
#include "convert/job/GhostscriptConversion.h"
#include "platform/files/TemporaryFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Button = MessageDialog::Button;
using TestFiles::readBytes;
using TestFiles::writeBytes;

namespace {

const QString kMissingFontsQuestionEnd =
    QStringLiteral("\n\nSoll die Konvertierung mit dem Ersatzfont wiederholt werden?");

// Converts fixture documents with the real Ghostscript, started through a
// script that first records its arguments and keeps a copy of the prolog it
// is given, since the program rewrites the prolog on every retry.
class MissingFontRetryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ensureCoreApplication();
        const QString ghostscript = TestFiles::realGhostscript();
        if (ghostscript.isEmpty())
            GTEST_SKIP() << "no Ghostscript installed";
        m_recordingGhostscript = m_work.filePath(QStringLiteral("gs"));
        const QString log = m_work.filePath(QStringLiteral("arguments.log"));
        TestFiles::writeScript(m_recordingGhostscript,
                               QStringLiteral("log='%1'\n"
                                              "run=$(cat \"$log\" 2>/dev/null | grep -c '^--$')\n"
                                              "for argument in \"$@\"; do\n"
                                              "  printf '%s\\n' \"$argument\" >> \"$log\"\n"
                                              "  case \"$argument\" in\n"
                                              "    */%2) cp \"$argument\" '%3'.\"$run\" ;;\n"
                                              "  esac\n"
                                              "done\n"
                                              "echo -- >> \"$log\"\n"
                                              "exec '%4' \"$@\"\n")
                                   .arg(log, kSubstitutionPrologName,
                                        m_work.filePath(QStringLiteral("prolog")), ghostscript)
                                   .toUtf8());
    }

    // Converts a copy of the fixture document, answering the dialogs with answers.
    void convert(const char *document, std::deque<Button> answers)
    {
        m_input = m_work.filePath(QStringLiteral("Dropped %1.ps").arg(QLatin1String(document)));
        m_output = m_work.filePath(QStringLiteral("Dropped %1.pdf").arg(QLatin1String(document)));
        ASSERT_TRUE(QFile::copy(
            TestFiles::fixture(QStringLiteral("missing-fonts/%1.ps").arg(QLatin1String(document))),
            m_input));
        m_dialogs = ScriptedPresenter(std::move(answers));
        JobTestSupport::convertToEnd(m_recordingGhostscript, m_input, m_output, m_dialogs);
    }

    // The argument vector of every Ghostscript run, in order.
    QList<QStringList> runs() const
    {
        QList<QStringList> runs{{}};
        const QString log =
            QString::fromUtf8(readBytes(m_work.filePath(QStringLiteral("arguments.log"))));
        for (const QString &line : log.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line == QLatin1String("--"))
                runs.append(QStringList());
            else
                runs.last().append(line);
        }
        runs.removeLast();
        return runs;
    }

    QByteArray prologOfRun(int run) const
    {
        return readBytes(m_work.filePath(QStringLiteral("prolog.%1").arg(run)));
    }

    static QString withoutOutputFile(QStringList arguments)
    {
        arguments.removeIf([](const QString &argument) {
            return argument.startsWith(QLatin1String("-sOutputFile="));
        });
        return arguments.join(QLatin1Char('|'));
    }

    void expectMissingFontsDialog(const MessageDialog &dialog, const QString &bullets,
                                  const QString &first, const QString &suggestion) const
    {
        EXPECT_EQ(dialog.iconType, MessageDialog::Icon::Caution);
        EXPECT_EQ(dialog.message, QStringLiteral("Fehlende Schriftarten"));
        EXPECT_EQ(dialog.explanation,
                  QStringLiteral("Folgende Fonts wurden nicht gefunden:\n\n") + bullets +
                      QStringLiteral("\nVorgeschlagener Ersatz f\u00fcr '") + first +
                      QStringLiteral("':\n  \u2192 ") + suggestion + kMissingFontsQuestionEnd);
        EXPECT_EQ(dialog.actionButton.caption, QStringLiteral("Ja, Ersatzfont verwenden"));
        EXPECT_EQ(dialog.cancelButton.caption, QStringLiteral("Nein, abbrechen"));
        EXPECT_TRUE(dialog.cancelButton.visible);
        EXPECT_FALSE(dialog.alternateActionButton.visible);
    }

    void expectSuccessWithSubstitutes(const MessageDialog &dialog, const QString &names) const
    {
        EXPECT_EQ(dialog.iconType, MessageDialog::Icon::Note);
        EXPECT_EQ(dialog.message, QStringLiteral("Erfolg!"));
        EXPECT_EQ(dialog.explanation, QStringLiteral("Die PDF-Datei wurde erstellt:\n") + m_output +
                                          QStringLiteral("\nErsetzte Fonts: ") + names);
        EXPECT_EQ(TestFiles::pdfPageCount(m_output), 1);
    }

    PrivateTemporaryFolder m_temporary;
    QTemporaryDir m_work;
    QString m_recordingGhostscript;
    QString m_input;
    QString m_output;
    ScriptedPresenter m_dialogs;
};

} // namespace

TEST_F(MissingFontRetryTest, AcceptedSubstitutionRunsAgainWithThePrologInFrontOfTheInput)
{
    convert("lucida_futura", {Button::Action});

    // The repair turned "(Lucida Grande)" into "(LucidaGrande)" before the first run.
    ASSERT_EQ(m_dialogs.shown.size(), 2);
    expectMissingFontsDialog(m_dialogs.shown[0],
                             QStringLiteral("  \u2022 LucidaGrande\n  \u2022 Futura-Bold\n"),
                             QStringLiteral("LucidaGrande"), QStringLiteral("Helvetica"));
    // Ghostscript stands in for both fonts again, and the prolog bound both:
    // asking once more would change nothing.
    expectSuccessWithSubstitutes(m_dialogs.shown[1], QStringLiteral("LucidaGrande, Futura-Bold"));

    const QList<QStringList> arguments = runs();
    ASSERT_EQ(arguments.size(), 2);
    // Both are read from the job's workspace, where Ghostscript runs.
    const QString repairedCopy = QStringLiteral("./") + kRepairedCopyName;
    const QString prolog = QStringLiteral("./") + kSubstitutionPrologName;
    EXPECT_EQ(arguments[0].last(), repairedCopy);
    QStringList expectedRetry = arguments[0];
    expectedRetry.insert(expectedRetry.size() - 1, prolog);
    EXPECT_EQ(withoutOutputFile(arguments[1]), withoutOutputFile(expectedRetry));
    EXPECT_EQ(prologOfRun(1),
              QByteArray("% Temporaere Font-Substitution\n"
                         "(LucidaGrande) cvn /LucidaGrande findfont definefont pop\n"
                         "(Futura-Bold) cvn /Futura-Bold findfont definefont pop\n"));
}

TEST_F(MissingFontRetryTest, DecliningEndsSilentlyAndKeepsTheFirstRunsPdf)
{
    convert("lucida_futura", {Button::Cancel});

    ASSERT_EQ(m_dialogs.shown.size(), 1);
    EXPECT_EQ(m_dialogs.shown[0].message, QStringLiteral("Fehlende Schriftarten"));
    EXPECT_EQ(runs().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(TemporaryFolder().child(kSubstitutionPrologName).nativePath()));
    EXPECT_EQ(TestFiles::pdfPageCount(m_output), 1);
}

TEST_F(MissingFontRetryTest, RetryThatMeetsANewFontAsksAgainAndKeepsEarlierBindings)
{
    // The document asks for "Extra Font" only once "Gill Sans" is defined.
    // The third answer declines, so that a retry loop fails here instead of
    // running on.
    convert("font_on_retry", {Button::Action, Button::Action, Button::Cancel});

    ASSERT_EQ(m_dialogs.shown.size(), 3);
    expectMissingFontsDialog(m_dialogs.shown[0], QStringLiteral("  \u2022 Gill Sans\n"),
                             QStringLiteral("Gill Sans"), QStringLiteral("Helvetica"));
    // Ghostscript reports the bound fonts under their targets' names
    // ("GillSans"); every dialog names them as the document does.
    expectMissingFontsDialog(m_dialogs.shown[1],
                             QStringLiteral("  \u2022 Gill Sans\n  \u2022 Extra Font\n"),
                             QStringLiteral("Gill Sans"), QStringLiteral("Helvetica"));
    expectSuccessWithSubstitutes(m_dialogs.shown[2], QStringLiteral("Gill Sans, Extra Font"));

    EXPECT_EQ(runs().size(), 3);
    EXPECT_EQ(prologOfRun(1), QByteArray("% Temporaere Font-Substitution\n"
                                         "(Gill Sans) cvn /GillSans findfont definefont pop\n"));
    // Binding only the second report's names would lose "Gill Sans", and the
    // document would go back to asking for it.
    EXPECT_EQ(prologOfRun(2), QByteArray("% Temporaere Font-Substitution\n"
                                         "(Gill Sans) cvn /GillSans findfont definefont pop\n"
                                         "(Extra Font) cvn /ExtraFont findfont definefont pop\n"));
}

struct OddNamesCase {
    const char *document;
    const char *substitutes;
};

void PrintTo(const OddNamesCase &oddNames, std::ostream *os)
{
    *os << oddNames.document;
}

class OddFontNamesTest : public MissingFontRetryTest,
                         public ::testing::WithParamInterface<OddNamesCase>
{
};

TEST_P(OddFontNamesTest, PrologStaysValidPostScriptForEveryName)
{
    convert(GetParam().document, {Button::Action, Button::Cancel});

    ASSERT_EQ(m_dialogs.shown.size(), 2);
    EXPECT_EQ(m_dialogs.shown[0].message, QStringLiteral("Fehlende Schriftarten"));
    expectSuccessWithSubstitutes(m_dialogs.shown[1], QString::fromUtf8(GetParam().substitutes));
}

// The substitutes are named as the document names them, spaces and all.
INSTANTIATE_TEST_SUITE_P(Documents, OddFontNamesTest,
                         ::testing::Values(OddNamesCase{"parentheses",
                                                        R"(Weird (Draft) Sans, Back\slash Serif, )"
                                                        R"(Half( Open, Font for Titles.)"},
                                           OddNamesCase{"utf8", "Schrift Ä Grotesk, Gill Sans"}));

// Every job has a workspace of its own: what stands under the temporary
// files' names in the shared temporary folder (another job's or another
// running copy's files, or a folder planted there) is never read or written.
TEST_F(MissingFontRetryTest, FilesUnderTheTemporaryNamesInTheSharedFolderAreNotUsed)
{
    const QString repairedCopy = TemporaryFolder().child(kRepairedCopyName).nativePath();
    const QString prolog = TemporaryFolder().child(kSubstitutionPrologName).nativePath();
    ASSERT_TRUE(QDir().mkdir(repairedCopy));
    writeBytes(prolog, "(other document) print\n");
    convert("lucida_futura", {Button::Action});

    ASSERT_EQ(m_dialogs.shown.size(), 2);
    expectSuccessWithSubstitutes(m_dialogs.shown[1], QStringLiteral("LucidaGrande, Futura-Bold"));
    EXPECT_TRUE(QFileInfo(repairedCopy).isDir());
    EXPECT_EQ(readBytes(prolog), QByteArray("(other document) print\n"));
}
