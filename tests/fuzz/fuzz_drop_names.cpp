// A dropped file's name is outside text: any bytes, as a drop hands them over
// (a URL list read by the drop zone, or one file's name as bytes), go through
// the name test and the PDF path, and on into Ghostscript's argument vector. The PDF must land
// beside the input under the input's base name, never on the input itself, and no name may turn
// into an option, a pipe or an output file pattern.

#include "convert/queue/ConversionInputs.h"
#include "convert/queue/DropIntake.h"
#include "convert/job/GhostscriptArguments.h"
#include "platform/files/FolderItem.h"
#include "ui/DropCanvas.h"

#include "FuzzSupport.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <cstddef>
#include <cstdint>

namespace {

void checkFileArgument(const QString &argument, const QByteArray &detail)
{
    Fuzz::check(!argument.isEmpty(), "empty file argument", detail);
    const QChar first = argument.front();
    Fuzz::check(first != QLatin1Char('-') && first != QLatin1Char('|') && first != QLatin1Char('%'),
                "file argument reads as an option or a device", detail);
}

void checkArguments(const QString &inputName, const QString &outputName, const QByteArray &detail)
{
    const QStringList arguments = GhostscriptArguments(inputName, outputName, QString());
    checkFileArgument(arguments.last(), detail);
    const QString outputArgument = arguments.at(arguments.size() - 2);
    Fuzz::check(outputArgument.startsWith(QLatin1String("-sOutputFile=")), "no output", detail);
    QString file = outputArgument.mid(13);
    checkFileArgument(file, detail);
    // Every "%" is doubled, so none starts a page number or a device.
    file.remove(QStringLiteral("%%"));
    Fuzz::check(!file.contains(QLatin1Char('%')), "single % in the output file", detail);
}

void checkDroppedPath(const QString &dropped, const QByteArray &bytes)
{
    const FolderItem input(dropped);
    const QString name = input.name();
    const std::optional<QString> output = PdfPathFor(dropped);
    const QString lowered = name.toLower();
    const bool postScript =
        lowered.endsWith(QLatin1String(".ps")) || lowered.endsWith(QLatin1String(".eps"));
    Fuzz::check(output.has_value() == postScript, "name test disagrees", bytes);
    if (!output)
        return;

    const FolderItem pdf(*output);
    Fuzz::check(output->endsWith(QLatin1String(".pdf")), "no .pdf", bytes);
    Fuzz::check(pdf.nativePath() != input.nativePath(), "PDF would replace the input", bytes);
    Fuzz::check(pdf.parent() == input.parent(), "PDF lands in another folder", bytes);
    Fuzz::check(pdf.name() ==
                    name.left(name.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".pdf"),
                "PDF name is not the base name", bytes);

    // Ghostscript runs in the job's workspace and gets the input under its
    // own name there where that name is plain; the paths themselves are what
    // a direct run (the benchmark's) gives it.
    checkArguments(input.name(), pdf.name(), bytes);
    checkArguments(input.nativePath(), *output, bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // The bytes as the URL list a drag carries.
    QMimeData dragged;
    dragged.setData(QStringLiteral("text/uri-list"), bytes);
    for (const QString &path : DropCanvas::localFilePaths(dragged))
        checkDroppedPath(path, bytes);

    // The bytes as one file's name, put into a URL as a file manager does.
    const QUrl url = QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"));
    if (url.isLocalFile())
        checkDroppedPath(url.toLocalFile(), bytes);
    checkDroppedPath(QFile::decodeName(bytes), bytes);
    return 0;
}
