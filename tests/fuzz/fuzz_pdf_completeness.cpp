// The end of the file Ghostscript wrote is read back to tell a finished PDF
// from one cut short: any bytes as that end, and as the bytes at the offset.

#include "convert/pdf/PdfCompleteness.h"

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (const std::optional<qint64> offset = StartXrefOffset(bytes)) {
        Fuzz::check(*offset >= 0, "negative offset", bytes);
        Fuzz::check(bytes.contains("startxref") && bytes.contains("%%EOF"), "no trailer", bytes);
        qsizetype end = bytes.size();
        while (end > 0 && QByteArray(" \n\r\t\f", 5).append('\0').contains(bytes.at(end - 1)))
            --end;
        Fuzz::check(bytes.left(end).endsWith("%%EOF"), "something after %%EOF", bytes);
    }
    if (StartsCrossReference(bytes))
        Fuzz::check(bytes.startsWith("xref") || bytes.contains("obj"), "no xref nor obj", bytes);
    return 0;
}
