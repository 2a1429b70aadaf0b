#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// How many bytes at the end of a PDF hold its trailer: "startxref", the
// offset of the cross-reference section and "%%EOF".
inline constexpr qint64 kPdfTrailerBytes = 1024;

// The offset that the last "startxref" of a PDF's end names, when "%%EOF"
// follows it; nothing when the end is cut off or malformed.
std::optional<qint64> StartXrefOffset(const QByteArray &tail);

// True when bytes begin a cross-reference section: the keyword "xref", or a
// cross-reference stream's "<number> <number> obj".
bool StartsCrossReference(const QByteArray &bytes);

// True when the file at path ends as a finished PDF does and the offset its
// trailer names leads to a cross-reference section. Ghostscript exits with 0
// even when the disk filled up under the PDF it was writing; a file cut short
// fails this test.
bool IsCompletePdf(const QString &path);
// The same for an open file, read at offsets of its own.
bool IsCompletePdf(int descriptor);
