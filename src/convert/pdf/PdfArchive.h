#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The name of an archive's definition file in a job's workspace.
inline const QString kPdfaDefinitionName = QStringLiteral("pdfa_def.ps");

// Ghostscript's own sRGB profile for the Ghostscript at ghostscriptPath: the
// "iccprofiles" folder of the installation it belongs to
// (<prefix>/share/ghostscript/<version>/iccprofiles/srgb.icc, the newest
// version first), found from the program's path and from the path its links
// lead to. Empty when there is none. Looked up once per program and process.
QString FindSrgbProfile(const QString &ghostscriptPath);

// The document's title from the "%%Title:" comment of its header, read from
// the open document at offsets of its own (its file offset stays); empty
// without one. A title written as a PostScript string "(…)" is read as one.
// Bytes that are not UTF-8 are read as Latin-1.
QString DocumentTitle(int document);

// A title as Ghostscript keeps it in a PDF/A: plain printable ASCII without
// parentheses or backslashes. Ghostscript drops the whole document
// information of a PDF/A for any other text (as of 10.0). Umlauts become two
// letters ("ä" -> "ae"), accents are left off, parentheses become brackets, a
// backslash a slash, anything else "?".
QByteArray ArchiveTitle(const QString &title);

// The PostScript file that makes a PDF/A out of what follows it: the title
// (when not empty), and the output intent with the sRGB profile at
// profilePath. When the profile cannot be read it says so in a line that
// PdfaLostLines() finds.
QByteArray PdfaDefinition(const QString &profilePath, const QString &title);

// The lines of Ghostscript's output that say the PDF is not PDF/A after all:
// it went back to an ordinary PDF, gave up on PDF/A, or could not embed a
// font. Empty when it kept to PDF/A.
QStringList PdfaLostLines(const QByteArray &transcript);
