#include "platform/desktop/ProgramSettings.h"

#include <QCoreApplication>

std::unique_ptr<QSettings> ProgramSettings()
{
    const QString application = QCoreApplication::applicationName();
    const QString organisation = QCoreApplication::organizationName();
    return std::make_unique<QSettings>(organisation.isEmpty() ? application : organisation,
                                       application);
}
