// Any bytes as the dropped file, read with any buffer size: the repaired copy
// must be the input with exactly every "(Lucida Grande)" (any letter case)
// replaced, and must be made exactly when either spelling occurs. The first
// input byte picks the buffer size.

#include "convert/input/FontRepair.h"
#include "platform/files/FolderItem.h"

#include "FuzzSupport.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString g_work;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fuzz::fail("cannot read back", path.toUtf8());
    return file.readAll();
}

// The repair done the plain way, on the whole text at once.
QByteArray expectedCopy(const QByteArray &input)
{
    const QByteArray folded = input.toLower();
    QByteArray copy;
    qsizetype written = 0;
    for (qsizetype at = folded.indexOf("(lucida grande)"); at >= 0;
         at = folded.indexOf("(lucida grande)", written)) {
        copy += input.mid(written, at - written) + "(LucidaGrande)";
        written = at + 15;
    }
    return copy + input.mid(written);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A folder of its own, standing in for a job's workspace, so the
    // repaired copy is ours alone.
    QByteArray pattern = QDir::tempPath().toUtf8() + "/pagora-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    g_work = QString::fromUtf8(pattern);
    std::atexit([] { QDir(g_work).removeRecursively(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qint64 bufferSize = data[0] == 0 ? kFontRepairBufferSize : data[0] % 40 + 1;
    const QByteArray input(reinterpret_cast<const char *>(data + 1),
                           static_cast<qsizetype>(size - 1));

    const QString inputPath = g_work + QStringLiteral("/dropped.ps");
    QFile file(inputPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
        Fuzz::fail("cannot write the input");
    file.close();
    const QString copyPath = FolderItem(g_work).child(kRepairedCopyName).nativePath();
    QFile::remove(copyPath);

    const QString result = FixPostScriptFonts(inputPath, g_work, bufferSize);

    const QByteArray folded = input.toLower();
    const bool mentioned = folded.contains("(lucida grande)") || folded.contains("(lucidagrande)");
    if (!mentioned) {
        Fuzz::check(result == inputPath, "copy made without the name", input);
        Fuzz::check(!QFile::exists(copyPath), "copy written without the name", input);
        return 0;
    }
    Fuzz::check(result == copyPath, "no copy for a named font", input);
    Fuzz::check(readFile(copyPath) == expectedCopy(input), "copy differs from the plain repair",
                input);
    Fuzz::check(readFile(inputPath) == input, "input changed", input);
    return 0;
}
