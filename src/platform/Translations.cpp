#include "platform/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The language of the window's texts; the command line speaks English and
// loads none of this.
const QLocale kProgramLanguage(QLocale::German);

bool install(QCoreApplication &application, const char *name, const QStringList &folders)
{
    const QString objectName = QLatin1String("pagoraTranslator_") + QLatin1String(name);
    if (application.findChild<QTranslator *>(objectName) != nullptr)
        return true;
    auto *translator = new QTranslator(&application);
    translator->setObjectName(objectName);
    for (const QString &folder : folders) {
        if (translator->load(kProgramLanguage, QLatin1String(name), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace

void InstallProgramTranslations(QCoreApplication &application)
{
    // Built into the program by qt_add_translations.
    install(application, "pagora", {QStringLiteral(":/i18n")});
}

bool InstallQtTranslations(QCoreApplication &application)
{
    QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
#ifdef Q_OS_MACOS
    // The bundle carries its own copy (see CMakeLists.txt).
    folders.append(QCoreApplication::applicationDirPath() +
                   QStringLiteral("/../Resources/translations"));
#endif
    return install(application, "qtbase", folders);
}
