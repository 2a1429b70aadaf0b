#pragma once

#include <QString>

class FileDescriptor;

// Whether the open file begins as a font file does that Ghostscript reads
// from a font map: TrueType or OpenType (a collection too), or Type 1 as
// text or PFB. Read at its start without moving its offset.
bool HasFontSignature(int descriptor);

// Opens an installed font's file to hand to Ghostscript: walked to as
// OpenTrustedFile walks, and kept only when it begins with a font's
// signature, so that a link or a name turned towards anything else (a
// private key) hands over nothing. found gets where the file is, links
// resolved. Invalid when the file is not handed over.
FileDescriptor OpenFontFile(const QString &path, QString *found);
