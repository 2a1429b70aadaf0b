#include "convert/fonts/FontFile.h"

#include "platform/files/FileDescriptor.h"
#include "platform/files/TrustedFile.h"

#include <QByteArray>

#include <cerrno>

#include <unistd.h>

bool HasFontSignature(int descriptor)
{
    static const QByteArray signatures[] = {
        // TrueType, TrueType of Apple's, OpenType with CFF outlines, collections
        QByteArray("\x00\x01\x00\x00", 4),
        "true",
        "OTTO",
        "ttcf",
        // Type 1 as text, and as PFB
        "%!PS-AdobeFont",
        "%!FontType1",
        QByteArray("\x80\x01", 2),
    };
    char start[16];
    ssize_t length = -1;
    do
        length = ::pread(descriptor, start, sizeof start, 0);
    while (length < 0 && errno == EINTR);
    if (length <= 0)
        return false;
    const QByteArray begin(start, length);
    for (const QByteArray &signature : signatures) {
        if (begin.startsWith(signature))
            return true;
    }
    return false;
}

FileDescriptor OpenFontFile(const QString &path, QString *found)
{
    TrustedFile opened = OpenTrustedFile(path);
    if (!opened.file.isValid() || !HasFontSignature(opened.file.get()))
        return {};
    *found = opened.path;
    return std::move(opened.file);
}
