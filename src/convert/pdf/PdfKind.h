#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a PDF is made for. Standard is what Pagora has always made; the
// others ask Ghostscript for a PDF fit for one end: an archive (PDF/A-2b),
// a print shop, an e-mail attachment, a grey print.
enum class PdfKind { Standard, Archive, Print, SmallFile, Grayscale };

// Every kind, in the order the menu lists them.
QList<PdfKind> AllPdfKinds();

// The kind's name on the command line and in the settings ("standard",
// "pdfa", "print", "small", "gray").
QString PdfKindKey(PdfKind kind);
std::optional<PdfKind> PdfKindFromKey(const QString &key);

// The kind's name as the dialogs give it ("Archiv (PDF/A-2b)", in English "Archive
// (PDF/A-2b)").
QString PdfKindName(PdfKind kind);

// What the kind adds to Ghostscript's options, in front of the files it
// reads. An archive names the sRGB profile its definition file reads
// (profilePath), which Ghostscript must be allowed to read under -dSAFER.
QStringList PdfKindOptions(PdfKind kind, const QString &profilePath = QString());

// The PostScript code the kind runs before the first file, or empty: every
// font embedded, the 14 standard ones included.
QString PdfKindSetupCode(PdfKind kind);

// Whether the kind writes a definition file (PDF/A's output intent).
bool PdfKindNeedsDefinition(PdfKind kind);
