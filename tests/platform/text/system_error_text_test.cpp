// The system's reasons reach the user in the program's language: under the C
// locale the C library speaks English while the window speaks German.
#include "platform/text/ProgramFailure.h"
#include "platform/text/SystemErrorText.h"
#include "platform/text/Translations.h"

#include <QCoreApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

namespace
{

struct Reason {
    int error;
    const char *german;
    const char *english;
};

const Reason kReasons[] = {
    {EACCES, "Keine Berechtigung", "Permission denied"},
    {EPERM, "Der Vorgang ist nicht erlaubt", "Operation not permitted"},
    {ENOENT, "Datei oder Ordner nicht gefunden", "No such file or folder"},
    {ENOSPC, "Auf dem Datenträger ist kein Platz mehr frei", "No space left on the disk"},
    {EDQUOT, "Das Speicherkontingent ist ausgeschöpft", "Disk quota exceeded"},
    {EROFS, "Der Datenträger ist schreibgeschützt", "The disk is read-only"},
    {EEXIST, "Die Datei existiert bereits", "The file already exists"},
    {EISDIR, "Es ist ein Ordner", "It is a folder"},
    {ENOTDIR, "Es ist kein Ordner", "It is not a folder"},
    {ELOOP, "Ein symbolischer Link, dem nicht gefolgt wird, oder zu viele Links",
     "A symbolic link that is not followed, or too many links"},
    {ENAMETOOLONG, "Der Name ist zu lang", "The name is too long"},
    {EMFILE, "Zu viele Dateien sind geöffnet", "Too many open files"},
    {EXDEV, "Das geht nicht über Dateisystemgrenzen hinweg", "Not possible across file systems"},
    {EBUSY, "Das Gerät oder die Ressource ist belegt", "Device or resource busy"},
    {EIO, "Fehler beim Lesen oder Schreiben des Datenträgers", "Input/output error on the disk"},
};

// The C library's messages in the C locale, as on a system that names no
// language; the program's language is set apart from it.
class SystemErrorTextTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const char *messages = std::setlocale(LC_MESSAGES, nullptr);
        m_savedMessages = messages != nullptr ? messages : "";
        std::setlocale(LC_MESSAGES, "C");
    }
    void TearDown() override
    {
        std::setlocale(LC_MESSAGES, m_savedMessages.c_str());
        speak(QLocale::German);
    }
    static void speak(QLocale::Language language)
    {
        InstallTranslations(*QCoreApplication::instance(), QLocale(language));
    }

    std::string m_savedMessages;
};

} // namespace

TEST_F(SystemErrorTextTest, CommonReasonsAreToldInTheProgramsLanguage)
{
    for (const Reason &reason : kReasons) {
        SCOPED_TRACE(reason.english);
        speak(QLocale::German);
        EXPECT_EQ(SystemErrorText(reason.error), QString::fromUtf8(reason.german));
        speak(QLocale::English);
        EXPECT_EQ(SystemErrorText(reason.error), QString::fromUtf8(reason.english));
    }
}

TEST_F(SystemErrorTextTest, OtherReasonsAreTheSystemsOwn)
{
    for (const int error : {E2BIG, ENOEXEC, ETXTBSY}) {
        SCOPED_TRACE(error);
        speak(QLocale::German);
        EXPECT_EQ(SystemErrorText(error), QString::fromLocal8Bit(std::strerror(error)));
    }
}

// An exception's own text is written for programmers; the user reads ours.
TEST_F(SystemErrorTextTest, FailuresAreNeverToldInTheExceptionsOwnWords)
{
    const struct {
        const char *name;
        std::exception_ptr failure;
        const char *german;
        const char *english;
    } cases[] = {
        {"no memory", std::make_exception_ptr(std::bad_alloc()), "Nicht genug Arbeitsspeicher.",
         "Not enough memory."},
        {"a file system error",
         std::make_exception_ptr(std::filesystem::filesystem_error(
             "filesystem error: cannot open", std::filesystem::path("/x"),
             std::error_code(EACCES, std::generic_category()))),
         "Keine Berechtigung", "Permission denied"},
        {"a system error",
         std::make_exception_ptr(std::system_error(ENOSPC, std::system_category(), "write")),
         "Auf dem Datenträger ist kein Platz mehr frei", "No space left on the disk"},
        {"anything else", std::make_exception_ptr(std::logic_error("vector::_M_range_check")),
         "Ein unerwarteter interner Fehler ist aufgetreten.",
         "An unexpected internal error occurred."},
        {"one of ours", std::make_exception_ptr(ProgramFailure(QStringLiteral("Ü: Grund"))),
         "Ü: Grund", "Ü: Grund"},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.name);
        try {
            std::rethrow_exception(each.failure);
        } catch (const std::exception &failure) {
            speak(QLocale::German);
            EXPECT_EQ(FailureText(failure), QString::fromUtf8(each.german));
            speak(QLocale::English);
            EXPECT_EQ(FailureText(failure), QString::fromUtf8(each.english));
        }
    }
}
