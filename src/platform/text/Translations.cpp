#include "platform/text/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace
{

const char kTranslatorName[] = "pagoraTranslator";

void removeInstalled(QCoreApplication &application)
{
    const QList<QTranslator *> installed = application.findChildren<QTranslator *>(
        QLatin1String(kTranslatorName), Qt::FindDirectChildrenOnly);
    for (QTranslator *translator : installed) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

bool install(QCoreApplication &application, QLocale::Language language, const char *name,
             const QStringList &folders)
{
    auto *translator = new QTranslator(&application);
    translator->setObjectName(QLatin1String(kTranslatorName));
    for (const QString &folder : folders) {
        if (translator->load(QLocale(language), QLatin1String(name), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

// Pagora's own, built into the program by qt_add_translations.
void installProgram(QCoreApplication &application, QLocale::Language language)
{
    install(application, language, "pagora", {QStringLiteral(":/i18n")});
}

} // namespace

QLocale::Language ProgramLanguage(const QLocale &system)
{
    const QStringList languages = system.uiLanguages();
    const QLocale first = languages.isEmpty() ? system : QLocale(languages.constFirst());
    if (first.language() == QLocale::German || first.language() == QLocale::C ||
        first.language() == QLocale::AnyLanguage)
        return QLocale::German;
    return QLocale::English;
}

bool InstallTranslations(QCoreApplication &application, const QLocale &system)
{
    removeInstalled(application);
    const QLocale::Language language = ProgramLanguage(system);
    installProgram(application, language);
    // Qt's own texts are English already.
    if (language == QLocale::English)
        return true;
    QStringList folders{QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
#ifdef Q_OS_MACOS
    // The bundle carries its own copy (see CMakeLists.txt).
    folders.append(QCoreApplication::applicationDirPath() +
                   QStringLiteral("/../Resources/translations"));
#endif
    return install(application, language, "qtbase", folders);
}

void InstallCommandLineTranslations(QCoreApplication &application)
{
    removeInstalled(application);
    installProgram(application, QLocale::English);
}
