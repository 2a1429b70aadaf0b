#include "platform/GhostscriptSandbox.h"
#include "platform/PostScriptString.h"
#include "platform/SandboxRules.h"

#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#ifdef Q_OS_LINUX
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace
{

struct ChildRun {
    bool finished = false;
    int exitCode = -1;
    QByteArray output;
};

// Runs program to its end (bounded), confined when a sandbox is given.
// TMPDIR points into the workspace as it does for a conversion.
ChildRun runChild(const QString &program, const QStringList &arguments, const QString &workspace,
                  const GhostscriptSandbox *sandbox)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), workspace);
    process.setProcessEnvironment(environment);
    if (sandbox != nullptr) {
        const int fd = sandbox->rulesetFd();
        process.setChildProcessModifier([fd] { GhostscriptSandbox::applyInChild(fd); });
    }
    process.start(program, arguments);
    ChildRun run;
    run.finished = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    if (!run.finished)
        process.kill();
    run.exitCode = process.exitCode();
    run.output = process.readAll();
    return run;
}

// A job's layout in a temporary folder: the workspace Ghostscript may write,
// the folder of the dropped document, and a font folder.
class SandboxedJob : public testing::Test
{
protected:
    void SetUp() override
    {
        if (GhostscriptSandbox::support() != SandboxSupport::Landlock)
            GTEST_SKIP() << "this kernel offers no Landlock";
        m_gs = TestFiles::realGhostscript();
        if (m_gs.isEmpty())
            GTEST_SKIP() << "no Ghostscript installed";
        ASSERT_TRUE(m_root.isValid());
        for (const char *name : {"workspace", "documents", "fonts"})
            ASSERT_TRUE(QDir(m_root.path()).mkdir(QString::fromLatin1(name)));
        m_workspace = m_root.filePath(QStringLiteral("workspace"));
        m_documents = m_root.filePath(QStringLiteral("documents"));
        m_fonts = m_root.filePath(QStringLiteral("fonts"));
    }

    SandboxRules rulesFor(const QString &input) const
    {
        SandboxRules rules;
        rules.executable = m_gs;
        rules.workspace = m_workspace;
        rules.readableFiles = {input};
        // The Mac folders of the real font path do not exist here.
        rules.fontFolders = {QStringLiteral("/System/Library/Fonts"), m_fonts};
        return rules;
    }

    // The document goes to Ghostscript as a link inside the workspace, the
    // way a conversion hands it over.
    QStringList argumentsFor(const QString &input, const char *safety) const
    {
        const QString link = m_workspace + QStringLiteral("/input.ps");
        QFile::remove(link);
        EXPECT_TRUE(QFile::link(input, link));
        return {QString::fromLatin1(safety),
                QStringLiteral("-dBATCH"),
                QStringLiteral("-dNOPAUSE"),
                QStringLiteral("-sDEVICE=pdfwrite"),
                QStringLiteral("-sFONTPATH=") + m_fonts,
                QStringLiteral("-sOutputFile=") + m_workspace + QStringLiteral("/out.pdf"),
                link};
    }

    QTemporaryDir m_root;
    QString m_gs;
    QString m_workspace;
    QString m_documents;
    QString m_fonts;
};

// What a document that has taken over Ghostscript tries, and how to see from
// outside whether it got there.
enum class Effect { Created, Removed, Leaked };

struct EscapeCase {
    const char *name;
    // {WS}, {DOCS}, {FONTS}, {HOME}, {TMP} stand for the folders, {TAG} for a
    // name unique to the case, in the document as in the target.
    const char *postscript;
    Effect effect;
    const char *target; // where the effect shows
};

class Escapes : public SandboxedJob, public testing::WithParamInterface<EscapeCase>
{
protected:
    void SetUp() override
    {
        SandboxedJob::SetUp();
        if (IsSkipped())
            return;
        m_tag = QStringLiteral("pagora-sandbox-%1-%2")
                    .arg(::getpid())
                    .arg(QString::fromLatin1(GetParam().name));
        m_places = {
            {QStringLiteral("{WS}"), m_workspace},
            {QStringLiteral("{DOCS}"), m_documents},
            {QStringLiteral("{FONTS}"), m_fonts},
            {QStringLiteral("{HOME}"), QDir::homePath()},
            {QStringLiteral("{TMP}"), QStringLiteral("/tmp")},
            {QStringLiteral("{TAG}"), m_tag},
        };
        // Landlock holds for root too, file permissions do not: the secret
        // is in the home folder, readable by anyone but the sandbox.
        m_secretFolder = QDir::homePath() + QLatin1Char('/') + m_tag + QStringLiteral("-secret");
        ASSERT_TRUE(QDir().mkpath(m_secretFolder));
        TestFiles::writeBytes(m_secretFolder + QStringLiteral("/secret"), "geheim-4711\n");
        ASSERT_TRUE(QFile::link(m_secretFolder + QStringLiteral("/secret"),
                                m_fonts + QStringLiteral("/Evil.pfa")));
        for (const QString &folder : {m_documents, QDir::homePath(), QStringLiteral("/tmp")})
            TestFiles::writeBytes(folder + QLatin1Char('/') + m_tag + QStringLiteral("-victim"),
                                  "victim");
    }

    void TearDown() override
    {
        if (m_tag.isEmpty())
            return;
        QDir(m_secretFolder).removeRecursively();
        for (const QString &folder : {QDir::homePath(), QStringLiteral("/tmp")}) {
            for (const char *suffix : {"-victim", "-planted"})
                QFile::remove(folder + QLatin1Char('/') + m_tag + QLatin1String(suffix));
        }
    }

    QString target() const
    {
        QString path = QString::fromLatin1(GetParam().target);
        for (const auto &[name, value] : m_places)
            path.replace(name, value);
        return path;
    }

    QString writeDocument() const
    {
        QByteArray body = GetParam().postscript;
        for (const auto &[name, value] : m_places)
            body.replace(name.toLatin1(), PostScriptStringBody(QFile::encodeName(value)));
        const QString path = m_documents + QStringLiteral("/escape.ps");
        TestFiles::writeBytes(path, "%!PS\n" + body + "\nshowpage\n");
        return path;
    }

    bool achieved() const
    {
        switch (GetParam().effect) {
        case Effect::Created:
            return QFileInfo::exists(target());
        case Effect::Removed:
            return !QFileInfo::exists(target());
        case Effect::Leaked:
            return TestFiles::readBytes(target()).contains("geheim-4711");
        }
        return false;
    }

    QString m_tag;
    QString m_secretFolder;
    std::vector<std::pair<QString, QString>> m_places;
};

// Reads up to 100 bytes of the file named before it and writes them into the
// workspace, where the test looks for them.
#define PAGORA_LEAK_INTO_WORKSPACE                                                                 \
    " (r) file 100 string readstring pop ({WS}/leak) (w) file dup 3 -1 roll writestring closefile"

const EscapeCase kEscapes[] = {
    // Whatever the shell could do: it is stopped from running at all, so
    // its mark, inside the workspace, would be allowed.
    {"ShellThroughPipe", "(%pipe%touch {WS}/shell-ran) (w) file closefile", Effect::Created,
     "{WS}/shell-ran"},
    {"WriteInDocumentsFolder", "({DOCS}/{TAG}-planted) (w) file dup (x) writestring closefile",
     Effect::Created, "{DOCS}/{TAG}-planted"},
    {"WriteInHome", "({HOME}/{TAG}-planted) (w) file dup (x) writestring closefile",
     Effect::Created, "{HOME}/{TAG}-planted"},
    {"WriteInTmp", "({TMP}/{TAG}-planted) (w) file dup (x) writestring closefile", Effect::Created,
     "{TMP}/{TAG}-planted"},
    {"DeleteInDocumentsFolder", "({DOCS}/{TAG}-victim) deletefile", Effect::Removed,
     "{DOCS}/{TAG}-victim"},
    {"DeleteInHome", "({HOME}/{TAG}-victim) deletefile", Effect::Removed, "{HOME}/{TAG}-victim"},
    {"DeleteInTmp", "({TMP}/{TAG}-victim) deletefile", Effect::Removed, "{TMP}/{TAG}-victim"},
    // Written where it may write, then moved out.
    {"MoveOutOfWorkspace",
     "({WS}/made) (w) file dup (x) writestring closefile ({WS}/made) ({DOCS}/{TAG}-moved) "
     "renamefile",
     Effect::Created, "{DOCS}/{TAG}-moved"},
    {"ReadSecretInHome", "({HOME}/{TAG}-secret/secret)" PAGORA_LEAK_INTO_WORKSPACE, Effect::Leaked,
     "{WS}/leak"},
    {"ReadSecretThroughLinkInFontFolder", "({FONTS}/Evil.pfa)" PAGORA_LEAK_INTO_WORKSPACE,
     Effect::Leaked, "{WS}/leak"},
};

TEST_P(Escapes, DeniedConfinedButDoneUnconfined)
{
    const QString input = writeDocument();
    // -dNOSAFER: as if Ghostscript's own wall had already fallen.
    const GhostscriptSandbox sandbox = GhostscriptSandbox::prepare(rulesFor(input));
    ASSERT_TRUE(sandbox.ready()) << sandbox.errorText().toStdString();
    const ChildRun confined =
        runChild(m_gs, argumentsFor(input, "-dNOSAFER"), m_workspace, &sandbox);
    ASSERT_TRUE(confined.finished) << confined.output.toStdString();
    EXPECT_FALSE(achieved()) << "confined:\n" << confined.output.toStdString();
    EXPECT_TRUE(QFileInfo::exists(m_workspace + QStringLiteral("/out.pdf")))
        << "the confined run could not write its own output\n"
        << confined.output.toStdString();

    const ChildRun unconfined =
        runChild(m_gs, argumentsFor(input, "-dNOSAFER"), m_workspace, nullptr);
    ASSERT_TRUE(unconfined.finished);
    EXPECT_TRUE(achieved()) << "the document itself does not work:\n"
                            << unconfined.output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Documents, Escapes, testing::ValuesIn(kEscapes),
                         [](const testing::TestParamInfo<EscapeCase> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
