// Pagora --convert, run as a person runs it from a terminal: the built
// program as a child process, without a display, on real files.

#include "app/CommandLine.h"

#include "InstalledTestFonts.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <pty.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

struct Outcome {
    int exitStatus = -1;
    QByteArray out;
    QByteArray err;
};

// A process that is gone, or only a zombie waiting to be reaped.
bool isGone(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return ::kill(pid, 0) != 0;
    return status.readAll().contains(") Z ");
}

// The field after the state in /proc/<pid>/stat is the parent, then the group.
pid_t processGroupOf(pid_t pid)
{
    const QByteArray stat = TestFiles::readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 2 ? fields.at(2).toInt() : 0;
}

// Every live process whose working folder lies below folder.
QList<pid_t> processesWorkingIn(const QString &folder)
{
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number || isGone(pid))
            continue;
        const QString cwd = QFile::symLinkTarget(QStringLiteral("/proc/%1/cwd").arg(pid));
        if (cwd.startsWith(folder + QLatin1Char('/')))
            found << pid;
    }
    return found;
}

bool processGroupGone(pid_t group)
{
    return ::kill(-group, 0) != 0 || [group] {
        // Only zombies left in the group.
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString &entry : entries) {
            bool number = false;
            const pid_t pid = entry.toInt(&number);
            if (number && !isGone(pid) && processGroupOf(pid) == group)
                return false;
        }
        return true;
    }();
}

// Pages of tests/fixtures/hello.ps.
constexpr int kHelloPages = 2;

template <typename Condition> bool within(int milliseconds, Condition condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds)
            return false;
        ::usleep(10000);
    }
    return true;
}

class CommandLineRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(TestFiles::realGhostscript().isEmpty());
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(m_temporary.isValid());
    }

    QString path(const QString &name) const { return m_folder.filePath(name); }
    QString settingsFolder() const { return m_temporary.filePath(QStringLiteral("config")); }

    void copyFixture(const QString &fixture, const QString &name) const
    {
        QDir(m_folder.path()).mkpath(QFileInfo(path(name)).path());
        TestFiles::writeBytes(path(name), TestFiles::readBytes(TestFiles::fixture(fixture)));
    }

    // The program as started from a terminal in the user's folder, but with
    // no display at all: a window (or a QApplication) would end it at once.
    // The window, where a test asks for it, gets the offscreen platform.
    enum class Display { None, Offscreen };
    QProcessEnvironment environmentFor(Display display) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (display == Display::Offscreen)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("TMPDIR"), m_temporary.path());
        // Settings of the test's own, never the user's.
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), settingsFolder());
        return environment;
    }

    void start(QProcess &process, const QStringList &arguments, Display display = Display::None,
               const QString &program = QStringLiteral(PAGORA_EXECUTABLE)) const
    {
        process.setProcessEnvironment(environmentFor(display));
        process.setWorkingDirectory(m_folder.path());
        process.start(program, arguments);
    }

    // The program run in folder with arguments, both given as bytes: QProcess
    // takes them as text, through Qt's own conversion of names, which turns a
    // byte that is no UTF-8 into another one.
    Outcome pagoraWithBytes(const QByteArray &folder, QByteArrayList arguments) const
    {
        QByteArray program(PAGORA_EXECUTABLE);
        std::vector<char *> argv{program.data()};
        for (QByteArray &argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        QByteArrayList environment;
        for (const QString &entry : environmentFor(Display::None).toStringList())
            environment << entry.toLocal8Bit();
        std::vector<char *> envp;
        for (QByteArray &entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        Outcome run;
        int out[2];
        int err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            return run;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            if (::chdir(folder.constData()) == 0)
                ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        pollfd pipes[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        QByteArray *into[2] = {&run.out, &run.err};
        int open = 2;
        QElapsedTimer clock;
        clock.start();
        while (open > 0 && clock.elapsed() < 120000) {
            if (::poll(pipes, 2, 1000) < 0 && errno != EINTR)
                break;
            for (int k = 0; k < 2; ++k) {
                if (pipes[k].fd < 0 || pipes[k].revents == 0)
                    continue;
                char buffer[4096];
                const ssize_t got = ::read(pipes[k].fd, buffer, sizeof buffer);
                if (got > 0) {
                    into[k]->append(buffer, got);
                } else if (got == 0 || errno != EINTR) {
                    ::close(pipes[k].fd);
                    pipes[k].fd = -1;
                    --open;
                }
            }
        }
        for (const pollfd &pipe : pipes) {
            if (pipe.fd >= 0)
                ::close(pipe.fd);
        }
        if (open > 0)
            ::kill(pid, SIGKILL);
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && open == 0)
            run.exitStatus = WEXITSTATUS(status);
        return run;
    }

    Outcome pagora(const QStringList &arguments,
                   const QString &program = QStringLiteral(PAGORA_EXECUTABLE)) const
    {
        QProcess process;
        start(process, arguments, Display::None, program);
        Outcome run;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished(5000);
            return run;
        }
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        if (process.exitStatus() == QProcess::NormalExit)
            run.exitStatus = process.exitCode();
        return run;
    }

    // The job folders in the program's private temporary folder.
    QStringList workspaces() const
    {
        const QDir own(m_temporary.filePath(QStringLiteral("pagora-%1").arg(::getuid())));
        return own.entryList({QStringLiteral("job-*")}, QDir::Dirs | QDir::Hidden);
    }

    QStringList filesInFolder() const
    {
        return QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Waits for Ghostscript to run for the program and returns the processes
    // inside its workspace (Ghostscript and what runs with it).
    QList<pid_t> runningGhostscript() const
    {
        const QString folder = QFileInfo(m_temporary.path()).canonicalFilePath();
        QList<pid_t> found;
        within(30000, [&] {
            found = processesWorkingIn(folder);
            for (const pid_t pid : std::as_const(found)) {
                if (TestFiles::readBytes(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed() ==
                    "gs")
                    return true;
            }
            return false;
        });
        return found;
    }

    QTemporaryDir m_folder;
    QTemporaryDir m_temporary;
};

TEST_F(CommandLineRun, ConvertsEveryFileAndPrintsALineEachInTheirOrder)
{
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("a.ps"));
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("b.eps"));
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("sub/c.PS"));
    const QStringList files{QStringLiteral("a.ps"), QStringLiteral("b.eps"),
                            path(QStringLiteral("sub/c.PS"))};

    const Outcome run = pagora(QStringList{QStringLiteral("--convert")} + files);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(QString::fromUtf8(run.out),
              QStringLiteral("ok  a.ps -> a.pdf\n"
                             "ok  b.eps -> b.pdf\n"
                             "ok  %1 -> %2\n")
                  .arg(path(QStringLiteral("sub/c.PS")), path(QStringLiteral("sub/c.pdf"))));
    EXPECT_EQ(run.err, QByteArray());
    for (const char *pdf : {"a.pdf", "b.pdf", "sub/c.pdf"})
        EXPECT_EQ(TestFiles::pdfPageCount(path(QLatin1String(pdf))), kHelloPages) << pdf;
    EXPECT_TRUE(workspaces().isEmpty());

    const Outcome quiet =
        pagora(QStringList{QStringLiteral("--quiet"), QStringLiteral("--convert")} + files);
    EXPECT_EQ(quiet.exitStatus, 0);
    EXPECT_EQ(quiet.out, QByteArray());
}

TEST_F(CommandLineRun, FailuresAreToldAndKeepTheOlderPdf)
{
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("hello.ps"));
    copyFixture(QStringLiteral("error.ps"), QStringLiteral("error.ps"));
    TestFiles::writeBytes(path(QStringLiteral("error.pdf")), "older PDF");
    TestFiles::writeBytes(path(QStringLiteral("notes.txt")), "%!PS\n");
    const QStringList arguments{QStringLiteral("--convert"), QStringLiteral("hello.ps"),
                                QStringLiteral("error.ps"), QStringLiteral("notes.txt"),
                                QStringLiteral("gone.ps")};

    const Outcome run = pagora(arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out,
              QByteArray("ok  hello.ps -> hello.pdf\n"
                         "failed  error.ps: Error: /undefined in thisoperatordoesnotexist\n"
                         "failed  notes.txt: not a PostScript file\n"
                         "failed  gone.ps: no such file\n"));
    // Ghostscript's whole transcript, under the name of its file.
    EXPECT_TRUE(run.err.startsWith("Output for error.ps:\n")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("Operand stack:")) << run.err.constData();
    EXPECT_EQ(TestFiles::readBytes(path(QStringLiteral("error.pdf"))), QByteArray("older PDF"));
    EXPECT_EQ(filesInFolder(),
              (QStringList{"error.pdf", "error.ps", "hello.pdf", "hello.ps", "notes.txt"}));

    const Outcome quiet = pagora(QStringList{QStringLiteral("--quiet")} + arguments);
    EXPECT_EQ(quiet.exitStatus, 1);
    EXPECT_EQ(quiet.out,
              QByteArray("failed  error.ps: Error: /undefined in thisoperatordoesnotexist\n"
                         "failed  notes.txt: not a PostScript file\n"
                         "failed  gone.ps: no such file\n"));
}

// The command line speaks English on a German system too, down to the
// reason it passes on from the conversion.
TEST_F(CommandLineRun, SpeaksEnglishOnAGermanSystem)
{
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("hello.ps"));
    // A temporary folder that is a file, and no other place to go.
    const QString notAFolder = path(QStringLiteral("kein-ordner"));
    TestFiles::writeBytes(notAFolder, "");
    QProcessEnvironment environment = environmentFor(Display::None);
    environment.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("de"));
    environment.insert(QStringLiteral("TMPDIR"), notAFolder);
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), notAFolder);
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.remove(QStringLiteral("LC_ALL"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_folder.path());
    process.start(QStringLiteral(PAGORA_EXECUTABLE),
                  {QStringLiteral("--convert"), QStringLiteral("hello.ps")});
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardOutput(),
              "failed  hello.ps: cannot create the working folder: "
              "No temporary folder that only this user can change: " +
                  QFile::encodeName(notAFolder) + '\n');
}

// What a document prints reaches a terminal with its control characters
// shown as '?': an escape sequence in it must not drive the terminal. Into a
// pipe the transcript goes as Ghostscript wrote it. A name is shown with a C1
// character (CSI) as '?' too, wherever it goes.
TEST_F(CommandLineRun, TranscriptOnATerminalShowsControlCharactersAsQuestionMarks)
{
    const QString name = QStringLiteral("loud\u009b2J.ps");
    TestFiles::writeBytes(path(name),
                          "%!PS\n(\\033]0;owned\\007 \\302\\233x tab\\there) print flush\n"
                          "thisoperatordoesnotexist\n");
    const QStringList arguments{QStringLiteral("--convert"), name};

    const Outcome piped = pagora(arguments);
    EXPECT_EQ(piped.exitStatus, 1);
    EXPECT_TRUE(piped.out.startsWith("failed  loud?2J.ps: ")) << piped.out.constData();
    EXPECT_TRUE(piped.err.contains("\033]0;owned\007 \302\233x tab\there"))
        << piped.err.constData();

    int terminal = -1;
    int terminalSide = -1;
    ASSERT_EQ(::openpty(&terminal, &terminalSide, nullptr, nullptr, nullptr), 0);
    QProcess process;
    process.setChildProcessModifier([terminalSide] { ::dup2(terminalSide, STDERR_FILENO); });
    start(process, arguments);
    ASSERT_TRUE(process.waitForFinished(120000));
    ::close(terminalSide);
    EXPECT_EQ(process.exitCode(), 1);
    ::fcntl(terminal, F_SETFL, O_NONBLOCK);
    QByteArray shown;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, got);
    ::close(terminal);
    EXPECT_TRUE(shown.contains("Output for loud?2J.ps:")) << shown.constData();
    EXPECT_TRUE(shown.contains("?]0;owned? ?x tab\there")) << shown.constData();
    for (const char control : {'\033', '\007'})
        EXPECT_FALSE(shown.contains(control));
    EXPECT_FALSE(shown.contains("\302\233"));
}

TEST_F(CommandLineRun, UsageErrorsEndWithTwoAndConvertNothing)
{
    const char *const kNoDisplayError = "Pagora: no display to open the window on; to convert "
                                        "without one, use --convert\n";
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("hello.ps"));
    const struct {
        QStringList arguments;
        const char *error;
    } cases[] = {
        {{"--convert"}, "Pagora: no files to convert\n"},
        {{"--convert", "--bogus", "hello.ps"}, "Pagora: Unknown option 'bogus'.\n"},
        {{"--convert", "hello.ps", "--output-dir"},
         "Pagora: Missing value after '--output-dir'.\n"},
        {{"--convert", "--output-dir", "missing", "hello.ps"},
         "Pagora: --output-dir missing: not a folder\n"},
        {{"--convert", "--output-dir=hello.ps", "hello.ps"},
         "Pagora: --output-dir hello.ps: not a folder\n"},
        {{"--quiet", "hello.ps"},
         "Pagora: --substitute-fonts, --output-dir and --quiet go with --convert\n"},
        // Mistyped, or a window without a display: said before Qt would abort.
        {{"--conver", "hello.ps"}, "Pagora: Unknown option 'conver'.\n"},
        {{"-platform", "offscreen", "-bogus", "hello.ps"}, "Pagora: Unknown option 'bogus'.\n"},
        {{"hello.ps"}, kNoDisplayError},
        {{}, kNoDisplayError},
        {{"-platform", "xcb", "-style", "fusion", "hello.ps"}, kNoDisplayError},
        // What the user typed shows without the controls a terminal acts on.
        {{"--convert", "--pdf=x\033]0;pwned\007", "hello.ps"},
         "Pagora: --pdf x?]0;pwned?: unknown kind; use standard, pdfa, print, small or gray\n"},
        {{"--convert", "--output-dir", "/nope\033[31m", "hello.ps"},
         "Pagora: --output-dir /nope?[31m: not a folder\n"},
        {{"--convert", "--\033[2J", "hello.ps"}, "Pagora: Unknown option '?[2J'.\n"},
        {{"--convert", "--x\302\233y", "hello.ps"}, "Pagora: Unknown option 'x?y'.\n"},
        {{"--watch", "W", "hello.ps"}, "Pagora: --watch takes no files: put them into W/In\n"},
        {{"--watch", "W", "--convert"}, "Pagora: --watch and --convert go apart\n"},
        {{"--watch", "W", "--jobs", "0"}, "Pagora: --jobs 0: not a number from 1 to 64\n"},
        {{"--convert", "--jobs", "2", "hello.ps"}, "Pagora: --jobs goes with --watch\n"},
    };
    for (const auto &usage : cases) {
        const Outcome run = pagora(usage.arguments);
        const QString shown = usage.arguments.join(QLatin1Char(' '));
        EXPECT_EQ(run.exitStatus, 2) << shown.toStdString();
        EXPECT_EQ(run.out, QByteArray()) << shown.toStdString();
        EXPECT_EQ(run.err, QByteArray(usage.error) + "Try 'Pagora --help'.\n")
            << shown.toStdString();
    }
    EXPECT_EQ(filesInFolder(), QStringList{"hello.ps"});
}

// Each kind by its name; the kind the window keeps in its settings plays no
// part; an unknown kind, or --pdf without --convert, is a usage error.
TEST_F(CommandLineRun, PdfOptionChoosesTheKindOfEveryPdf)
{
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("hello.ps"));
    ASSERT_TRUE(QDir().mkpath(settingsFolder() + QStringLiteral("/Pagora")));
    TestFiles::writeBytes(settingsFolder() + QStringLiteral("/Pagora/Pagora.conf"),
                          "[Conversion]\npdfKind=pdfa\n");
    const struct {
        QStringList arguments;
        bool archive; // the PDF claims PDF/A
    } kinds[] = {
        {{}, false},
        {{"--pdf=standard"}, false},
        {{"--pdf=pdfa"}, true},
        {{"--pdf", "PDFA"}, true},
        {{"--pdf=print"}, false},
        {{"--pdf=small"}, false},
        {{"--pdf=gray"}, false},
    };
    for (const auto &kind : kinds) {
        const QString shown = kind.arguments.join(QLatin1Char(' '));
        QFile::remove(path(QStringLiteral("hello.pdf")));
        const Outcome run =
            pagora(QStringList{"--convert"} + kind.arguments + QStringList{"hello.ps"});
        EXPECT_EQ(run.exitStatus, 0) << shown.toStdString() << run.err.constData();
        EXPECT_EQ(run.out, QByteArray("ok  hello.ps -> hello.pdf\n")) << shown.toStdString();
        const QByteArray pdf = TestFiles::readBytes(path(QStringLiteral("hello.pdf")));
        EXPECT_EQ(pdf.contains("pdfaid:part"), kind.archive) << shown.toStdString();
        EXPECT_EQ(TestFiles::pdfPageCount(path(QStringLiteral("hello.pdf"))), kHelloPages);
    }

    const struct {
        QStringList arguments;
        const char *error;
    } wrong[] = {
        {{"--convert", "--pdf=pdf/a", "hello.ps"},
         "Pagora: --pdf pdf/a: unknown kind; use standard, pdfa, print, small or gray\n"},
        {{"--convert", "--pdf=", "hello.ps"},
         "Pagora: --pdf : unknown kind; use standard, pdfa, print, small or gray\n"},
        {{"--pdf=pdfa", "hello.ps"},
         "Pagora: --pdf goes with --convert; the window has its PDF menu\n"},
    };
    QFile::remove(path(QStringLiteral("hello.pdf")));
    for (const auto &usage : wrong) {
        const Outcome run = pagora(usage.arguments);
        const QString shown = usage.arguments.join(QLatin1Char(' '));
        EXPECT_EQ(run.exitStatus, 2) << shown.toStdString();
        EXPECT_EQ(run.out, QByteArray()) << shown.toStdString();
        EXPECT_EQ(run.err, QByteArray(usage.error) + "Try 'Pagora --help'.\n")
            << shown.toStdString();
    }
    EXPECT_EQ(filesInFolder(), QStringList{"hello.ps"});
    const Outcome help = pagora({QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains("--pdf <kind>")) << help.out.constData();
}

TEST_F(CommandLineRun, HelpAndVersionNeedNoDisplay)
{
    const Outcome help = pagora({QStringLiteral("--help")});
    EXPECT_EQ(help.exitStatus, 0);
    for (const char *text : {"--convert", "--substitute-fonts", "--output-dir <dir>", "--quiet",
                             "fonts  INPUT: missing NAME, NAME (suggested: REPLACEMENT)",
                             "with missing fonts counts as failed"})
        EXPECT_TRUE(help.out.contains(text)) << text;

    const Outcome version = pagora({QStringLiteral("--version")});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, QByteArray("Pagora 1.0.0\n"));

    // The window's own options, with their values, are no usage error.
    for (const QStringList &arguments :
         {QStringList{"-platform", "offscreen", "--version"},
          QStringList{"-style", "fusion", "-reverse", "-qwindowtitle", "T", "--version"},
          QStringList{"-qmljsdebugger=port:1234", "-nograb", "-fn", "Serif", "-v"}}) {
        const Outcome run = pagora(arguments);
        EXPECT_EQ(run.exitStatus, 0) << arguments.join(' ').toStdString() << run.err.constData();
        EXPECT_EQ(run.out, QByteArray("Pagora 1.0.0\n"));
    }
}

TEST_F(CommandLineRun, OutputFolderTakesThePdfsAndOneNameOnlyOnce)
{
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("a.ps"));
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("other/a.eps"));
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("b.ps"));
    QDir(m_folder.path()).mkdir(QStringLiteral("out"));

    const Outcome run =
        pagora({QStringLiteral("--convert"), QStringLiteral("--output-dir"), QStringLiteral("out/"),
                QStringLiteral("a.ps"), QStringLiteral("other/a.eps"), QStringLiteral("b.ps")});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, QByteArray("ok  a.ps -> out/a.pdf\n"
                                  "failed  other/a.eps: same PDF as a.ps\n"
                                  "ok  b.ps -> out/b.pdf\n"));
    EXPECT_EQ(QDir(path(QStringLiteral("out"))).entryList(QDir::Files),
              (QStringList{"a.pdf", "b.pdf"}));
    EXPECT_EQ(filesInFolder(), (QStringList{"a.ps", "b.ps"}));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("other/a.pdf"))));
}

// A folder named through a link and directly is one folder: the second file
// that would write its PDF is refused as a clash of spellings is.
TEST_F(CommandLineRun, OneFolderThroughALinkIsTheSameOutput)
{
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("a/x.ps"));
    ASSERT_EQ(::symlink("a", QFile::encodeName(path(QStringLiteral("link-to-a"))).constData()), 0);

    const Outcome run = pagora(
        {QStringLiteral("--convert"), QStringLiteral("a/x.ps"), QStringLiteral("link-to-a/x.ps")});
    EXPECT_EQ(run.exitStatus, 1) << run.err.constData();
    EXPECT_EQ(run.out, QByteArray("ok  a/x.ps -> a/x.pdf\n"
                                  "failed  link-to-a/x.ps: same PDF as a/x.ps\n"));
    EXPECT_EQ(TestFiles::pdfPageCount(path(QStringLiteral("a/x.pdf"))), kHelloPages);
}

TEST_F(CommandLineRun, MissingFontsFailUnlessSubstituted)
{
    copyFixture(QStringLiteral("missing-fonts/lucida_futura.ps"), QStringLiteral("fonts.ps"));

    const Outcome reported = pagora({QStringLiteral("--convert"), QStringLiteral("fonts.ps")});
    EXPECT_EQ(reported.exitStatus, 1);
    EXPECT_EQ(reported.out,
              QByteArray("fonts  fonts.ps: missing LucidaGrande, Futura-Bold (suggested: "
                         "Helvetica)\n"));
    // Made with Ghostscript's own stand-ins, and kept.
    EXPECT_EQ(TestFiles::pdfPageCount(path(QStringLiteral("fonts.pdf"))), 1);
    const Outcome quiet = pagora(
        {QStringLiteral("--convert"), QStringLiteral("--quiet"), QStringLiteral("fonts.ps")});
    EXPECT_EQ(quiet.out, reported.out);

    const Outcome substituted =
        pagora({QStringLiteral("--convert"), QStringLiteral("--substitute-fonts"),
                QStringLiteral("fonts.ps")});
    EXPECT_EQ(substituted.exitStatus, 0);
    EXPECT_EQ(substituted.out,
              QByteArray("ok  fonts.ps -> fonts.pdf (substituted: LucidaGrande, Futura-Bold)\n"));
    EXPECT_EQ(TestFiles::pdfPageCount(path(QStringLiteral("fonts.pdf"))), 1);
    EXPECT_TRUE(workspaces().isEmpty());
}

TEST_F(CommandLineRun, InstalledFontsComeOutRealAndOnlyTheMissingOneIsReported)
{
    const InstalledTestFonts fonts;
    ASSERT_TRUE(fonts.isValid()) << fonts.error().toStdString();
    TestFiles::writeBytes(path(QStringLiteral("mixed.ps")), MixedFontsDocument());

    const Outcome reported = pagora({QStringLiteral("--convert"), QStringLiteral("mixed.ps")});
    EXPECT_EQ(reported.exitStatus, 1);
    EXPECT_TRUE(reported.out.startsWith("fonts  mixed.ps: missing PagoraNowhere-Regular ("))
        << reported.out.constData();
    EXPECT_EQ(reported.out.count('\n'), 1);
    EXPECT_EQ(TestFiles::pdfPageCount(path(QStringLiteral("mixed.pdf"))), 1);
}

TEST_F(CommandLineRun, HostileNamesAreFilesAndNothingElse)
{
    const QStringList names{
        QStringLiteral("with space.ps"),
        QStringLiteral("it's \"quoted\".ps"),
        QStringLiteral("$(touch planted).ps"),
        QStringLiteral("`touch planted`.eps"),
        QStringLiteral("-dSAFER.ps"),
        QStringLiteral("--quiet.ps"),
        QStringLiteral("star*.ps"),
        QStringLiteral("100%d.ps"),
        QStringLiteral("pipe|.ps"),
        QStringLiteral("back\\slash.ps"),
    };
    QByteArray expected;
    for (const QString &name : names) {
        copyFixture(QStringLiteral("hello.ps"), name);
        const QString pdf = name.left(name.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".pdf");
        expected += QStringLiteral("ok  %1 -> %2\n").arg(name, pdf).toUtf8();
    }

    const Outcome run =
        pagora(QStringList{QStringLiteral("--convert"), QStringLiteral("--")} + names);
    EXPECT_EQ(run.exitStatus, 0) << run.err.constData();
    EXPECT_EQ(run.out, expected);
    for (const QString &name : names) {
        const QString pdf = name.left(name.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".pdf");
        EXPECT_EQ(TestFiles::pdfPageCount(path(pdf)), kHelloPages) << pdf.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("planted"))));
    EXPECT_EQ(filesInFolder().size(), 2 * names.size());
}

// A name that is no UTF-8 (a Latin-1 "café" on an old archive) names its file,
// in a folder that is no UTF-8 either: the PDF gets the same bytes, beside
// the input or in the output folder, and the terminal is shown '?' for a
// byte it cannot show.
TEST_F(CommandLineRun, NamesThatAreNoUtf8AreConvertedUnderTheirOwnBytes)
{
    const QByteArray root = QFile::encodeName(m_folder.path());
    const QByteArray archive = root + "/Archiv\xe4";
    // QTemporaryDir cannot name these to remove them.
    const auto removeArchive = qScopeGuard([&archive] {
        ::nftw(
            archive.constData(),
            [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 8,
            FTW_DEPTH | FTW_PHYS);
    });
    ASSERT_EQ(::mkdir(archive.constData(), 0700), 0);
    ASSERT_EQ(::mkdir((archive + "/aus\xe9").constData(), 0700), 0);
    const QByteArray hello = TestFiles::readBytes(TestFiles::fixture(QStringLiteral("hello.ps")));
    for (const QByteArray &name : {QByteArray("caf\xe9.ps"), QByteArray("\374ber.eps")}) {
        std::FILE *file = std::fopen((archive + '/' + name).constData(), "wbx");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(std::fwrite(hello.constData(), 1, size_t(hello.size()), file),
                  size_t(hello.size()));
        std::fclose(file);
    }

    const Outcome beside =
        pagoraWithBytes(archive, {"--convert", "caf\xe9.ps", archive + "/\374ber.eps"});
    EXPECT_EQ(beside.exitStatus, 0) << beside.err.constData();
    EXPECT_EQ(beside.out, "ok  caf?.ps -> caf?.pdf\nok  " + root + "/Archiv?/?ber.eps -> " + root +
                              "/Archiv?/?ber.pdf\n");

    const Outcome intoFolder =
        pagoraWithBytes(archive, {"--convert", "--output-dir", "aus\xe9", "caf\xe9.ps"});
    EXPECT_EQ(intoFolder.exitStatus, 0) << intoFolder.err.constData();
    EXPECT_EQ(intoFolder.out, QByteArray("ok  caf?.ps -> aus?/caf?.pdf\n"));
    const Outcome noFolder =
        pagoraWithBytes(archive, {"--convert", "--output-dir", "caf\xe9.ps", "caf\xe9.ps"});
    EXPECT_EQ(noFolder.exitStatus, 2);
    EXPECT_TRUE(noFolder.err.startsWith("Pagora: --output-dir caf?.ps: not a folder\n"))
        << noFolder.err.constData();

    const auto entries = [](const QByteArray &folder) {
        QByteArrayList names;
        if (DIR *listing = ::opendir(folder.constData())) {
            while (const dirent *entry = ::readdir(listing)) {
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                    names << QByteArray(entry->d_name);
            }
            ::closedir(listing);
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(entries(archive), (QByteArrayList{"aus\xe9", "caf\xe9.pdf", "caf\xe9.ps",
                                                "\374ber.eps", "\374ber.pdf"}));
    EXPECT_EQ(entries(archive + "/aus\xe9"), QByteArrayList{"caf\xe9.pdf"});
    // Counted under a plain name: the tools take their arguments as text too.
    int copy = 0;
    for (const QByteArray &pdf : {QByteArray("/caf\xe9.pdf"), QByteArray("/\374ber.pdf"),
                                  QByteArray("/aus\xe9/caf\xe9.pdf")}) {
        const QString plain = path(QStringLiteral("counted-%1.pdf").arg(++copy));
        ASSERT_EQ(::link((archive + pdf).constData(), QFile::encodeName(plain).constData()), 0);
        EXPECT_EQ(TestFiles::pdfPageCount(plain), kHelloPages) << copy;
    }
    EXPECT_TRUE(workspaces().isEmpty());
}

// Ctrl+C in the terminal, a kill, a closed terminal: the program ends with
// 128 + the signal's number and leaves nothing behind.
class TerminationOfCommandLineRun : public CommandLineRun, public ::testing::WithParamInterface<int>
{
};

TEST_P(TerminationOfCommandLineRun, StopsGhostscriptAndLeavesNothing)
{
    const int signalNumber = GetParam();
    // One endless document for every job that runs at once, and one more
    // that waits for a free place and never gets it.
    QStringList arguments{QStringLiteral("--convert")};
    QStringList left;
    for (int i = 0; i <= QThread::idealThreadCount(); ++i) {
        const QString name = QStringLiteral("endless-%1.ps").arg(i);
        copyFixture(QStringLiteral("loop.ps"), name);
        arguments << name;
        left << name;
    }
    TestFiles::writeBytes(path(QStringLiteral("endless-0.pdf")), "older PDF");
    left << QStringLiteral("endless-0.pdf");
    left.sort();
    QProcess process;
    start(process, arguments);
    const QList<pid_t> ghostscript = runningGhostscript();
    ASSERT_FALSE(ghostscript.isEmpty());
    const pid_t group = processGroupOf(ghostscript.first());

    ::kill(static_cast<pid_t>(process.processId()), signalNumber);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 128 + signalNumber);
    for (const pid_t pid : ghostscript)
        EXPECT_TRUE(within(2000, [pid] { return isGone(pid); })) << pid;
    EXPECT_TRUE(within(2000, [group] { return processGroupGone(group); }));
    EXPECT_EQ(TestFiles::readBytes(path(QStringLiteral("endless-0.pdf"))), QByteArray("older PDF"));
    EXPECT_EQ(filesInFolder(), left);
    EXPECT_TRUE(workspaces().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationOfCommandLineRun,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP));

TEST_F(CommandLineRun, KilledRunTakesGhostscriptAlongAndTheNextClearsItsWorkspace)
{
    copyFixture(QStringLiteral("loop.ps"), QStringLiteral("endless.ps"));
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("hello.ps"));
    QProcess process;
    start(process, {QStringLiteral("--convert"), QStringLiteral("endless.ps")});
    const QList<pid_t> ghostscript = runningGhostscript();
    ASSERT_FALSE(ghostscript.isEmpty());

#ifdef Q_OS_LINUX
    // The converter runs without the window's libraries.
    const QByteArray mapped =
        TestFiles::readBytes(QStringLiteral("/proc/%1/maps").arg(process.processId()));
    EXPECT_TRUE(mapped.contains("libQt6Core"));
    EXPECT_FALSE(mapped.contains("libQt6Gui"));
#endif

    ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    ASSERT_TRUE(process.waitForFinished(5000));
    for (const pid_t pid : ghostscript)
        EXPECT_TRUE(within(2000, [pid] { return isGone(pid); })) << pid;
    EXPECT_EQ(workspaces().size(), 1);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("endless.pdf"))));

    const Outcome next = pagora({QStringLiteral("--convert"), QStringLiteral("hello.ps")});
    EXPECT_EQ(next.exitStatus, 0);
    EXPECT_TRUE(workspaces().isEmpty());
}

// Without --convert the program opens its window, from the module beside it,
// and converts the files it was given as a drop; the window stays open.
// Pagora --watch W: one line per file as it arrives; a signal during a
// conversion ends the run with 0, nothing half-made, the input still in In,
// and the next run converts it.
TEST_F(CommandLineRun, WatchConvertsWhatArrivesAndASignalLeavesTheRunningInputForTheNextRun)
{
    QProcess watching;
    start(watching, {QStringLiteral("--watch"), QStringLiteral("W")});
    ASSERT_TRUE(within(5000, [this] { return QFileInfo(path(QStringLiteral("W/In"))).isDir(); }));
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("W/In/hello.ps"));
    QByteArray out;
    ASSERT_TRUE(within(30000, [&] {
        watching.waitForReadyRead(50);
        out += watching.readAllStandardOutput();
        return out.contains('\n');
    }));
    EXPECT_EQ(out, "ok  In/hello.ps -> Out/hello.pdf\n");
    // A document busy for far longer than the test waits.
    TestFiles::writeBytes(path(QStringLiteral("W/In/busy.ps")),
                          "%!PS\n0 1 2000000000 { pop } for\nshowpage\n");
    ASSERT_TRUE(within(10000, [this] { return !runningGhostscript().isEmpty(); }));
    ::kill(static_cast<pid_t>(watching.processId()), SIGTERM);
    ASSERT_TRUE(watching.waitForFinished(10000));
    EXPECT_EQ(watching.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watching.exitCode(), 0);
    EXPECT_EQ(watching.readAllStandardOutput(), QByteArray());
    EXPECT_TRUE(workspaces().isEmpty());
    EXPECT_EQ(QDir(path(QStringLiteral("W/In"))).entryList(QDir::Files), QStringList{"busy.ps"});
    EXPECT_EQ(QDir(path(QStringLiteral("W/Out"))).entryList(QDir::Files),
              (QStringList{"hello.pdf", "hello.ps"}));

    // Picked up when watching starts again (made to fail at once here, so
    // that the test need not wait for the busy one): to Errors with its log.
    TestFiles::writeBytes(path(QStringLiteral("W/In/busy.ps")), "%!PS\nnosuchoperator\n");
    QProcess again;
    start(again, {QStringLiteral("--watch"), QStringLiteral("W")});
    out.clear();
    ASSERT_TRUE(within(30000, [&] {
        again.waitForReadyRead(50);
        out += again.readAllStandardOutput();
        return out.contains('\n');
    }));
    EXPECT_EQ(out, "failed  In/busy.ps: Error: /undefined in nosuchoperator\n");
    ::kill(static_cast<pid_t>(again.processId()), SIGINT);
    ASSERT_TRUE(again.waitForFinished(10000));
    EXPECT_EQ(again.exitCode(), 0);
    EXPECT_EQ(QDir(path(QStringLiteral("W/Errors"))).entryList(QDir::Files),
              (QStringList{"busy.ps", "busy.ps.log"}));
}

TEST_F(CommandLineRun, FilesNamedWithoutConvertAreConvertedByTheWindow)
{
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("hello.ps"));
    QProcess process;
    start(process, {QStringLiteral("hello.ps")}, Display::Offscreen);
    ASSERT_TRUE(process.waitForStarted(10000));
    EXPECT_TRUE(within(60000, [&] { return QFile::exists(path(QStringLiteral("hello.pdf"))); }))
        << process.readAllStandardError().constData();
    EXPECT_EQ(process.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 128 + SIGTERM);
    EXPECT_EQ(TestFiles::pdfPageCount(path(QStringLiteral("hello.pdf"))), kHelloPages);
    EXPECT_TRUE(workspaces().isEmpty());
}

// The window's module is loaded only from a place that no other user can
// change; an executable without one still converts, and says why no window
// opens instead of opening none in silence.
TEST_F(CommandLineRun, WindowModuleOnlyFromASafePlaceAndConvertingWithoutIt)
{
    const QString realModule = QFileInfo(QStringLiteral(PAGORA_EXECUTABLE)).absolutePath() +
                               QStringLiteral("/libpagora_window.so");
    ASSERT_TRUE(QFileInfo::exists(realModule));
    copyFixture(QStringLiteral("hello.ps"), QStringLiteral("hello.ps"));
    const struct {
        const char *name;
        std::function<void(const QString &folder, const QString &module)> plant;
        const char *says;
        bool parentWritableByEverybody = false;
    } cases[] = {
        {"none beside it", [](const QString &, const QString &) {}, "is in none of: "},
        {"writable by everybody",
         [&](const QString &, const QString &module) {
             QFile::copy(realModule, module);
             ::chmod(QFile::encodeName(module).constData(), 0666);
         },
         "can be changed by other users"},
        {"writable by its group",
         [&](const QString &, const QString &module) {
             QFile::copy(realModule, module);
             ::chmod(QFile::encodeName(module).constData(), 0664);
         },
         "can be changed by other users"},
        {"in a folder whose parent is writable by everybody, not sticky",
         [&](const QString &, const QString &module) { QFile::copy(realModule, module); },
         "can be changed by other users", true},
        {"in a folder writable by everybody",
         [&](const QString &folder, const QString &module) {
             QFile::copy(realModule, module);
             ::chmod(QFile::encodeName(folder).constData(), 0777);
         },
         "can be changed by other users"},
        {"another user's",
         [&](const QString &, const QString &module) {
             QFile::copy(realModule, module);
             const struct passwd *nobody = ::getpwnam("nobody");
             ASSERT_NE(nobody, nullptr);
             ASSERT_EQ(
                 ::chown(QFile::encodeName(module).constData(), nobody->pw_uid, nobody->pw_gid), 0);
         },
         "can be changed by other users"},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.name);
        if (::geteuid() != 0 && std::string_view(each.name) == "another user's")
            continue; // only the administrator can give a file away
        QTemporaryDir elsewhere;
        ASSERT_TRUE(elsewhere.isValid());
        QString folder = QFileInfo(elsewhere.path()).canonicalFilePath();
        if (each.parentWritableByEverybody) {
            ::chmod(QFile::encodeName(folder).constData(), 0777);
            folder += QStringLiteral("/inner");
            ASSERT_TRUE(QDir().mkdir(folder));
        }
        const QString copy = folder + QStringLiteral("/Pagora");
        ASSERT_TRUE(QFile::copy(QStringLiteral(PAGORA_EXECUTABLE), copy));
        each.plant(folder, folder + QStringLiteral("/libpagora_window.so"));

        const Outcome window = pagora(
            {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("hello.ps")},
            copy);
        EXPECT_EQ(window.exitStatus, 1);
        EXPECT_TRUE(window.out.isEmpty());
        EXPECT_TRUE(window.err.startsWith("Pagora: cannot load the window: "))
            << window.err.constData();
        EXPECT_TRUE(window.err.contains(folder.toUtf8())) << window.err.constData();
        EXPECT_TRUE(window.err.contains(each.says)) << window.err.constData();
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("hello.pdf"))));
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        ::chmod(QFile::encodeName(elsewhere.path()).constData(), 0700);
    }

    QTemporaryDir elsewhere;
    const QString copy = elsewhere.filePath(QStringLiteral("Pagora"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PAGORA_EXECUTABLE), copy));
    const Outcome converter =
        pagora({QStringLiteral("--convert"), QStringLiteral("hello.ps")}, copy);
    EXPECT_EQ(converter.exitStatus, 0) << converter.err.constData();
    EXPECT_EQ(TestFiles::pdfPageCount(path(QStringLiteral("hello.pdf"))), kHelloPages);
}

TEST(WindowStartFiles, NamesBecomeAbsolutePathsAndFileAddressesLocalOnes)
{
    const QString here = QDir::currentPath();
    const struct {
        QString name;
        QString path;
    } cases[] = {
        {"a.ps", here + "/a.ps"},          {"sub/b b.eps", here + "/sub/b b.eps"},
        {"/tmp/c.ps", "/tmp/c.ps"},        {"file:///tmp/with%20space.ps", "/tmp/with space.ps"},
        {"FILE:///tmp/d.ps", "/tmp/d.ps"}, {"file:relative.ps", here + "/relative.ps"},
    };
    for (const auto &start : cases)
        EXPECT_EQ(WindowStartFiles({start.name}), QStringList{start.path})
            << start.name.toStdString();
}

} // namespace
