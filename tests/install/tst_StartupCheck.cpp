#include "install/InstallationHelp.h"
#include "install/StartupCheck.h"
#include "platform/desktop/DesktopServices.h"

#include "ScriptedPresenter.h"
#include "TestEvents.h"
#include "TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

class RecordingUrlOpener : public UrlOpener
{
public:
    void showUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

// Notes whether the check still counted as running while its dialog was up.
class WatchingPresenter : public ScriptedPresenter
{
public:
    using ScriptedPresenter::ScriptedPresenter;
    void open(const MessageDialog &dialog, Answered answered) override
    {
        runningWhileShown.append(check != nullptr && check->isRunning());
        ScriptedPresenter::open(dialog, std::move(answered));
    }
    const StartupCheck *check = nullptr;
    QList<bool> runningWhileShown;
};

const QString kMacExplanation =
    QString::fromUtf8("F\u00fcr die PDF-Erstellung wird Ghostscript ben\u00f6tigt.\n"
                      "\n"
                      "Installation unter macOS:\n"
                      "1. Terminal \u00f6ffnen\n"
                      "2. Befehl eingeben:\n"
                      "   brew install ghostscript");

QString linuxExplanation(const char *command)
{
    return QString::fromUtf8("F\u00fcr die PDF-Erstellung wird Ghostscript ben\u00f6tigt.\n"
                             "\n"
                             "Installation unter Linux:\n"
                             "1. Terminal \u00f6ffnen\n"
                             "2. Befehl eingeben:\n"
                             "   ") +
           QString::fromUtf8(command);
}

const QString kLinuxGeneralExplanation =
    QString::fromUtf8("F\u00fcr die PDF-Erstellung wird Ghostscript ben\u00f6tigt.\n"
                      "\n"
                      "Installation unter Linux:\n"
                      "Ghostscript \u00fcber die Paketverwaltung des Systems installieren.");

// Runs the check to its end as the window does; false when it did not end.
bool runCheck(StartupCheck &check, const QStringList &candidates)
{
    QSignalSpy finished(&check, &StartupCheck::finished);
    check.start(candidates);
    if (!check.isRunning() || !finished.isEmpty())
        return false;
    return finished.wait(30000) && finished.size() == 1 && !check.isRunning();
}

} // namespace

class TestStartupCheck : public QObject
{
    Q_OBJECT

private slots:
    void workingGhostscriptShowsNothing();
    void missingGhostscriptShowsInstallationHelp_data();
    void missingGhostscriptShowsInstallationHelp();
    void linuxCommandFollowsOsRelease_data();
    void linuxCommandFollowsOsRelease();
    void answerOpensPageBySystemAndBrewPresence_data();
    void answerOpensPageBySystemAndBrewPresence();
    void failingBrowserIsReportedAndEndsTheCheck();
    void checkGoesOnFromTheAnswerOnly();
};

void TestStartupCheck::workingGhostscriptShowsNothing()
{
    const QString gs = TestFiles::realGhostscript();
    QVERIFY2(!gs.isEmpty(), "these tests need Ghostscript");
    ScriptedPresenter dialogs;
    RecordingUrlOpener urls;
    StartupCheck check(dialogs, urls);

    QVERIFY(runCheck(check, {QStringLiteral("/nonexistent/gs"), gs}));

    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(urls.opened.isEmpty());
}

void TestStartupCheck::missingGhostscriptShowsInstallationHelp_data()
{
    QTest::addColumn<InstallationHelp::System>("system");
    QTest::addColumn<QString>("explanation");

    QTest::newRow("macOS") << InstallationHelp::System::MacOS << kMacExplanation;
    QTest::newRow("Linux") << InstallationHelp::System::Linux
                           << linuxExplanation("sudo apt install ghostscript");
}

void TestStartupCheck::missingGhostscriptShowsInstallationHelp()
{
    QFETCH(InstallationHelp::System, system);
    QFETCH(QString, explanation);
    QTemporaryDir dir;
    // Answers, but is no Ghostscript; and one that fails outright.
    const QString impostor = dir.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(impostor, "echo 'some other tool 1.0'\n");
    const QString broken = dir.filePath(QStringLiteral("broken-gs"));
    TestFiles::writeScript(broken, "echo 'GPL Ghostscript 10.00.0'; exit 1\n");
    const QString osRelease = dir.filePath(QStringLiteral("os-release"));
    TestFiles::writeBytes(osRelease, "NAME=\"Debian GNU/Linux\"\nID=debian\n");
    WatchingPresenter dialogs({MessageDialog::Button::AlternateAction});
    RecordingUrlOpener urls;
    StartupCheck check(dialogs, urls, InstallationHelp(system, kBrewLocations, {osRelease}));
    dialogs.check = &check;

    QVERIFY(runCheck(check, {dir.filePath(QStringLiteral("missing")), impostor, broken}));

    QCOMPARE(dialogs.shown.size(), 1);
    const MessageDialog &shown = dialogs.shown.first();
    QCOMPARE(shown.iconType, MessageDialog::Icon::Caution);
    QCOMPARE(shown.message, QStringLiteral("Ghostscript nicht gefunden"));
    QCOMPARE(shown.explanation, explanation);
    QCOMPARE(shown.actionButton.caption, QStringLiteral("Installationshilfe"));
    QVERIFY(shown.alternateActionButton.visible);
    QCOMPARE(shown.alternateActionButton.caption, QString::fromUtf8("Sp\u00e4ter"));
    QVERIFY(!shown.cancelButton.visible);
    QVERIFY(urls.opened.isEmpty());
    // The window takes no drop while the dialog is up.
    QCOMPARE(dialogs.runningWhileShown, QList<bool>{true});
}

void TestStartupCheck::linuxCommandFollowsOsRelease_data()
{
    QTest::addColumn<QByteArray>("etc");    // the first file; empty: not there
    QTest::addColumn<QByteArray>("usrLib"); // the second file; empty: not there
    QTest::addColumn<QString>("explanation");

    const QString apt = linuxExplanation("sudo apt install ghostscript");
    const QString dnf = linuxExplanation("sudo dnf install ghostscript");
    const QString pacman = linuxExplanation("sudo pacman -S ghostscript");
    const QString zypper = linuxExplanation("sudo zypper install ghostscript");

    QTest::newRow("Debian") << QByteArray("PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
                                          "ID=debian\nVERSION_ID=\"12\"\n")
                            << QByteArray() << apt;
    QTest::newRow("Ubuntu, quoted and commented")
        << QByteArray("# written by the installer\n\nID=\"ubuntu\"\nID_LIKE=debian\n")
        << QByteArray() << apt;
    QTest::newRow("derivative of a derivative")
        << QByteArray("ID=linuxmint\nID_LIKE=\"ubuntu debian\"\n") << QByteArray() << apt;
    QTest::newRow("Fedora") << QByteArray("ID=fedora\n") << QByteArray() << dnf;
    QTest::newRow("RHEL clone, closest first")
        << QByteArray("ID=\"rocky\"\nID_LIKE=\"rhel centos fedora\"\n") << QByteArray() << dnf;
    QTest::newRow("Arch derivative, single quotes")
        << QByteArray("ID='manjaro'\nID_LIKE='arch'\n") << QByteArray() << pacman;
    QTest::newRow("openSUSE edition")
        << QByteArray("ID=\"opensuse-tumbleweed\"\nID_LIKE=\"opensuse suse\"\n") << QByteArray()
        << zypper;
    QTest::newRow("SLES") << QByteArray("ID=\"sles\"\nID_LIKE=\"suse\"\n") << QByteArray()
                          << zypper;
    QTest::newRow("own id before the family")
        << QByteArray("ID=arch\nID_LIKE=debian\n") << QByteArray() << pacman;
    QTest::newRow("upper case and blanks around the list")
        << QByteArray("ID=Something\nID_LIKE=\"  Fedora\t \"\n") << QByteArray() << dnf;
    QTest::newRow("escaped quote inside the value")
        << QByteArray("NAME=\"A \\\"quoted\\\" name\"\nID=\"debian\" # comment\n") << QByteArray()
        << apt;
    QTest::newRow("a name only inside another value does not count")
        << QByteArray("ID=gentoo\nNAME=\"not debian\"\nHOME_URL=\"https://arch.example\"\n")
        << QByteArray() << kLinuxGeneralExplanation;
    QTest::newRow("unknown family")
        << QByteArray("ID=nixos\nID_LIKE=\"\"\n") << QByteArray() << kLinuxGeneralExplanation;
    QTest::newRow("no ID line") << QByteArray("NAME=Linux\n") << QByteArray()
                                << kLinuxGeneralExplanation;
    QTest::newRow("second file when the first is missing")
        << QByteArray() << QByteArray("ID=fedora\n") << dnf;
    QTest::newRow("first file wins")
        << QByteArray("ID=arch\n") << QByteArray("ID=fedora\n") << pacman;
    QTest::newRow("neither file") << QByteArray() << QByteArray() << kLinuxGeneralExplanation;
}

void TestStartupCheck::linuxCommandFollowsOsRelease()
{
    QFETCH(QByteArray, etc);
    QFETCH(QByteArray, usrLib);
    QFETCH(QString, explanation);
    QTemporaryDir dir;
    const QStringList files{dir.filePath(QStringLiteral("etc-os-release")),
                            dir.filePath(QStringLiteral("usr-lib-os-release"))};
    if (!etc.isEmpty())
        TestFiles::writeBytes(files[0], etc);
    if (!usrLib.isEmpty())
        TestFiles::writeBytes(files[1], usrLib);

    const InstallationHelp help(InstallationHelp::System::Linux, kBrewLocations, files);

    QCOMPARE(help.dialog().explanation, explanation);
}

void TestStartupCheck::answerOpensPageBySystemAndBrewPresence_data()
{
    QTest::addColumn<InstallationHelp::System>("system");
    QTest::addColumn<MessageDialog::Button>("answer");
    QTest::addColumn<bool>("brewAtFirst");
    QTest::addColumn<bool>("brewAtSecond");
    QTest::addColumn<QString>("expectedUrl"); // empty: nothing opened

    const auto mac = InstallationHelp::System::MacOS;
    const auto linux = InstallationHelp::System::Linux;
    const auto help = MessageDialog::Button::Action;
    const QString formula = QStringLiteral("https://formulae.brew.sh/formula/ghostscript");
    const QString home = QStringLiteral("https://brew.sh");
    const QString download = QStringLiteral("https://ghostscript.com/releases/gsdnld.html");
    QTest::newRow("help, brew at the first place") << mac << help << true << false << formula;
    QTest::newRow("help, brew at the second place only") << mac << help << false << true << formula;
    QTest::newRow("help, brew at both") << mac << help << true << true << formula;
    QTest::newRow("help, no brew") << mac << help << false << false << home;
    QTest::newRow("later") << mac << MessageDialog::Button::AlternateAction << true << true
                           << QString();
    QTest::newRow("Linux: help") << linux << help << false << false << download;
    QTest::newRow("Linux: help, brew present") << linux << help << true << true << download;
    QTest::newRow("Linux: later") << linux << MessageDialog::Button::AlternateAction << false
                                  << false << QString();
}

void TestStartupCheck::answerOpensPageBySystemAndBrewPresence()
{
    QFETCH(InstallationHelp::System, system);
    QFETCH(MessageDialog::Button, answer);
    QFETCH(bool, brewAtFirst);
    QFETCH(bool, brewAtSecond);
    QFETCH(QString, expectedUrl);

    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("first"));
    QDir(dir.path()).mkpath(QStringLiteral("second"));
    const QStringList brewLocations{dir.filePath(QStringLiteral("first/brew")),
                                    dir.filePath(QStringLiteral("second/brew"))};
    if (brewAtFirst)
        TestFiles::writeScript(brewLocations[0], "exit 0\n");
    if (brewAtSecond)
        TestFiles::writeScript(brewLocations[1], "exit 0\n");
    ScriptedPresenter dialogs({answer});
    RecordingUrlOpener urls;
    StartupCheck check(
        dialogs, urls,
        InstallationHelp(system, brewLocations, {dir.filePath(QStringLiteral("os-release"))}));

    QVERIFY(runCheck(check, {dir.filePath(QStringLiteral("no-gs"))}));

    QCOMPARE(dialogs.shown.size(), 1);
    if (expectedUrl.isEmpty()) {
        QVERIFY(urls.opened.isEmpty());
    } else {
        QCOMPARE(urls.opened, QList<QUrl>{QUrl(expectedUrl)});
    }
}

void TestStartupCheck::failingBrowserIsReportedAndEndsTheCheck()
{
    class FailingUrlOpener : public UrlOpener
    {
    public:
        void showUrl(const QUrl &) override { throw std::runtime_error("Kein Browser"); }
    } urls;
    ScriptedPresenter dialogs({MessageDialog::Button::Action});
    QTemporaryDir dir;
    StartupCheck check(dialogs, urls);
    QSignalSpy failures(&check, &StartupCheck::failed);

    QVERIFY(runCheck(check, {dir.filePath(QStringLiteral("no-gs"))}));

    QCOMPARE(failures.size(), 1);
    // The exception's own words are written for programmers, not shown.
    QCOMPARE(failures.first().first().toString(),
             QStringLiteral("Ein unerwarteter interner Fehler ist aufgetreten."));
}

void TestStartupCheck::checkGoesOnFromTheAnswerOnly()
{
    QTemporaryDir dir;
    ScriptedPresenter dialogs({MessageDialog::Button::Action});
    dialogs.holdAnswers();
    RecordingUrlOpener urls;
    StartupCheck check(dialogs, urls,
                       InstallationHelp(InstallationHelp::System::Linux, kBrewLocations,
                                        {dir.filePath(QStringLiteral("os-release"))}));
    QSignalSpy finished(&check, &StartupCheck::finished);

    check.start({dir.filePath(QStringLiteral("no-gs"))});
    QTRY_COMPARE(dialogs.openDialogs(), 1);

    // The help is on screen: events go on, the check waits.
    QVERIFY(TestEvents::timerAndChildProcessArrive());
    QVERIFY(check.isRunning());
    QVERIFY(finished.isEmpty());
    QVERIFY(urls.opened.isEmpty());

    QVERIFY(dialogs.press());
    QVERIFY(urls.opened.isEmpty()); // the answer comes from the event loop
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.size(), 1);
    QVERIFY(!check.isRunning());
    QCOMPARE(urls.opened,
             QList<QUrl>{QUrl(QStringLiteral("https://ghostscript.com/releases/gsdnld.html"))});
    QCOMPARE(dialogs.shown.size(), 1);
}

QTEST_GUILESS_MAIN(TestStartupCheck)
#include "tst_StartupCheck.moc"
