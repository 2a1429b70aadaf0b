#include "platform/text/Translations.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Widget code under test needs a platform; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // As the window's application: the numerus forms of the German texts.
    InstallTranslations(application, QLocale(QLocale::German));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
