#include "convert/queue/DropIntake.h"
#include "convert/queue/ConversionInputs.h"
#include "convert/job/GhostscriptConversion.h"
#include "install/InstallationHelp.h"

#include "JobTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

struct NameCase {
    const char *dropped;
    const char *pdf; // nullptr: refused
};

class DropNames : public testing::TestWithParam<NameCase> {};

TEST_P(DropNames, OutputPathOrRefusal)
{
    const std::optional<QString> pdf = PdfPathFor(QString::fromUtf8(GetParam().dropped));
    if (GetParam().pdf == nullptr)
        EXPECT_FALSE(pdf.has_value()) << pdf.value_or(QString()).toStdString();
    else
        EXPECT_EQ(pdf.value_or(QStringLiteral("<refused>")), QString::fromUtf8(GetParam().pdf));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DropNames,
    testing::Values(NameCase{"/Users/anna/Bild.PS", "/Users/anna/Bild.pdf"},
                    NameCase{"/Users/anna/Bild.EPS", "/Users/anna/Bild.pdf"},
                    NameCase{"/Users/anna/bericht.entwurf.eps", "/Users/anna/bericht.entwurf.pdf"},
                    NameCase{"/Users/anna/.ps", "/Users/anna/.pdf"},
                    NameCase{"/Users/anna/Mixed.Ps", "/Users/anna/Mixed.pdf"},
                    NameCase{"/Users/anna/Ordner.ps/", "/Users/anna/Ordner.pdf"},
                    NameCase{"/top.eps", "/top.pdf"},
                    NameCase{"/a b/Grüße.ps", "/a b/Grüße.pdf"},
                    NameCase{"/Users/anna/notizen.ps.txt", nullptr},
                    NameCase{"/Users/anna/Bild.pdf", nullptr},
                    NameCase{"/Users/anna/ps", nullptr},
                    NameCase{"/Users/anna/Bild.ps ", nullptr},
                    NameCase{"/Users/anna/Bildps", nullptr}));

namespace {

// A Ghostscript stand-in that notes its last argument (the input) and writes
// the smallest file that ends as a finished PDF does.
QString loggingGhostscript(const QTemporaryDir &dir)
{
    const QString gs = dir.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(gs,
                           QStringLiteral("for a; do last=\"$a\"; done\n"
                                          "echo \"$last\" >> '%1'\n"
                                          "for a; do case \"$a\" in -sOutputFile=*) "
                                          "printf '%%PDF-1.4\\nxref\\nstartxref\\n9\\n%%%%EOF\\n' "
                                          "> \"${a#-sOutputFile=}\";; esac; done\n")
                               .arg(dir.filePath(QStringLiteral("inputs")))
                               .toUtf8());
    return gs;
}

} // namespace

TEST(DropIntake, OnlyTheFirstOfSeveralFilesIsConverted)
{
    QTemporaryDir dir;
    const QString gs = loggingGhostscript(dir);
    const QString first = dir.filePath(QStringLiteral("eins.ps"));
    const QString second = dir.filePath(QStringLiteral("zwei.ps"));
    TestFiles::writeBytes(first, "%!PS\n");
    TestFiles::writeBytes(second, "%!PS\n");

    ScriptedPresenter dialogs;
    JobTestSupport::dropToEnd({first, second}, dialogs, {gs});
    // Ghostscript reads it through a link of the same name in the job's workspace.
    EXPECT_EQ(TestFiles::readBytes(dir.filePath(QStringLiteral("inputs"))), QByteArray("./eins.ps\n"));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].explanation,
              QStringLiteral("Die PDF-Datei wurde erstellt:\n") + dir.filePath(QStringLiteral("eins.pdf")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("zwei.pdf"))));
}

TEST(DropIntake, RefusesOtherFilesAndIgnoresEmptyDrops)
{
    QTemporaryDir dir;
    const QString gs = loggingGhostscript(dir);
    ScriptedPresenter dialogs;

    JobTestSupport::dropToEnd({}, dialogs, {gs});
    JobTestSupport::dropToEnd({QString()}, dialogs, {gs});
    EXPECT_TRUE(dialogs.shown.isEmpty());

    JobTestSupport::dropToEnd(
        {dir.filePath(QStringLiteral("notizen.ps.txt")), dir.filePath(QStringLiteral("b.ps"))},
        dialogs, {gs});
    ASSERT_EQ(dialogs.shown.size(), 1);
    const MessageDialog &refusal = dialogs.shown[0];
    EXPECT_EQ(refusal.iconType, MessageDialog::Icon::Stop);
    EXPECT_EQ(refusal.message, QStringLiteral("Keine PostScript-Datei"));
    EXPECT_EQ(refusal.explanation, QStringLiteral("Die Datei ist keine PostScript-Datei (.ps oder .eps)."));
    EXPECT_EQ(refusal.actionButton.caption, QStringLiteral("OK"));
    EXPECT_FALSE(refusal.alternateActionButton.visible);
    EXPECT_FALSE(refusal.cancelButton.visible);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("inputs"))));
}

struct NoGhostscriptCase {
    const char *name;
    InstallationHelp::System system;
    const char *osRelease; // nullptr: no such file
    const char *explanation;
};

class WithoutGhostscript : public testing::TestWithParam<NoGhostscriptCase>
{
};

// The refusal names the command that installs Ghostscript on this system,
// found as the installation help finds it.
TEST_P(WithoutGhostscript, RefusalSaysHowToInstallIt)
{
    const NoGhostscriptCase &param = GetParam();
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("a.ps"));
    TestFiles::writeBytes(input, "%!PS\n");
    const QString osRelease = dir.filePath(QStringLiteral("os-release"));
    if (param.osRelease != nullptr)
        TestFiles::writeBytes(osRelease, param.osRelease);
    ScriptedPresenter dialogs;

    ConversionJob *job = IntakeDrop(
        {input}, dialogs,
        {dir.filePath(QStringLiteral("no-gs")), dir.filePath(QStringLiteral("none"))}, nullptr,
        InstallationHelp(param.system, {dir.filePath(QStringLiteral("brew"))}, {osRelease}));
    ASSERT_EQ(job, nullptr);
    QCoreApplication::processEvents();

    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].iconType, MessageDialog::Icon::Stop);
    EXPECT_EQ(dialogs.shown[0].message, QStringLiteral("Ghostscript nicht gefunden"));
    EXPECT_EQ(dialogs.shown[0].explanation, QString::fromUtf8(param.explanation));
    EXPECT_EQ(dialogs.shown[0].actionButton.caption, QStringLiteral("OK"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("a.pdf"))));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WithoutGhostscript,
    testing::Values(
        // macOS says what it always said, whatever an os-release would say.
        NoGhostscriptCase{"MacOS", InstallationHelp::System::MacOS, "ID=fedora\n",
                          "Bitte installieren mit:\nbrew install ghostscript"},
        NoGhostscriptCase{"Debian", InstallationHelp::System::Linux,
                          "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
                          "Bitte installieren mit:\nsudo apt install ghostscript"},
        NoGhostscriptCase{"RhelClone", InstallationHelp::System::Linux,
                          "ID=\"rocky\"\nID_LIKE=\"rhel centos fedora\"\n",
                          "Bitte installieren mit:\nsudo dnf install ghostscript"},
        NoGhostscriptCase{"ArchDerivative", InstallationHelp::System::Linux,
                          "ID=manjaro\nID_LIKE=arch\n",
                          "Bitte installieren mit:\nsudo pacman -S ghostscript"},
        NoGhostscriptCase{"OpenSuse", InstallationHelp::System::Linux,
                          "ID=\"opensuse-leap\"\nID_LIKE=\"suse opensuse\"\n",
                          "Bitte installieren mit:\nsudo zypper install ghostscript"},
        NoGhostscriptCase{"UnknownSystem", InstallationHelp::System::Linux, "ID=nixos\n",
                          "Ghostscript \u00fcber die Paketverwaltung des Systems installieren."},
        NoGhostscriptCase{"NoOsRelease", InstallationHelp::System::Linux, nullptr,
                          "Ghostscript \u00fcber die Paketverwaltung des Systems installieren."}),
    [](const auto &info) { return std::string(info.param.name); });
