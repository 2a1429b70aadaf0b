#include "convert/queue/ConversionInputs.h"

#include "platform/files/FileNameEncoding.h"
#include "platform/files/FolderItem.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

bool IsPostScriptName(const QString &name)
{
    return name.endsWith(QLatin1String(".ps"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".eps"), Qt::CaseInsensitive);
}

std::optional<QString> PdfPathFor(const QString &input, const QString &outputFolder)
{
    const FolderItem file(input);
    const QString name = file.name();
    if (!IsPostScriptName(name))
        return std::nullopt;

    const QString pdfName = name.left(name.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".pdf");
    if (!outputFolder.isEmpty())
        return AbsoluteFileName(outputFolder + QLatin1Char('/') + pdfName);
    QString folderPath = file.parent().nativePath();
    if (!folderPath.endsWith(QLatin1Char('/')))
        folderPath += QLatin1Char('/');
    return folderPath + pdfName;
}

QString OutputIdentity(const QString &output)
{
    const FolderItem file(output);
    struct stat folder {
    };
    if (::stat(EncodeFileName(file.parent().nativePath()).constData(), &folder) != 0)
        return QDir::cleanPath(output);
    return QStringLiteral("%1:%2/").arg(folder.st_dev).arg(folder.st_ino) + file.name();
}

bool IsBatch(const QStringList &paths)
{
    return paths.size() > 1 || (paths.size() == 1 && QFileInfo(paths.first()).isDir());
}

BatchSelection SelectBatchInputs(const QStringList &paths)
{
    BatchSelection selection;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            // Hidden files are no documents of the user's: "._x.ps" holds the
            // attributes macOS writes beside x.ps on FAT and exFAT volumes.
            const QFileInfoList entries = QDir(path).entryInfoList(QDir::Files, QDir::Name);
            for (const QFileInfo &entry : entries) {
                if (!entry.fileName().startsWith(QLatin1Char('.')) &&
                    IsPostScriptName(entry.fileName()))
                    selection.inputs.append(entry.absoluteFilePath());
            }
            continue;
        }
        if (IsPostScriptName(info.fileName()))
            selection.inputs.append(path);
        else
            selection.skipped.append(path);
    }
    return selection;
}
