#include "support/WorkingCopies.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>

WorkingCopies::WorkingCopies(const QStringList &documents)
    : m_folder(QDir::tempPath() + QLatin1Char('/') + QCoreApplication::applicationName() +
               QLatin1String("-XXXXXX"))
{
    if (!m_folder.isValid()) {
        std::fprintf(stderr, "no folder for the working copies: %s\n",
                     qPrintable(m_folder.errorString()));
        return;
    }
    const QDir folder(m_folder.path());
    QSet<QString> taken;
    for (qsizetype i = 0; i < documents.size(); ++i) {
        const QString name = QFileInfo(documents.at(i)).fileName();
        // Documents of the same name from different folders keep their name,
        // as the tables show it, in a sub-folder of their own.
        QString copy = folder.filePath(name);
        if (taken.contains(name)) {
            const QString room = QString::number(i);
            if (!folder.mkdir(room)) {
                std::fprintf(stderr, "cannot make %s\n", qPrintable(folder.filePath(room)));
                return;
            }
            copy = folder.filePath(room + QLatin1Char('/') + name);
        }
        if (!QFile::copy(documents.at(i), copy)) {
            std::fprintf(stderr, "cannot copy %s to %s\n", qPrintable(documents.at(i)),
                         qPrintable(copy));
            return;
        }
        taken.insert(name);
        m_files.append(copy);
    }
    m_valid = true;
}
