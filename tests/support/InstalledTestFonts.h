#pragma once

#include "ScopedVariable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// A temporary home whose user font folder (~/.local/share/fonts) holds fonts
// no font map knows, made from Debian's DejaVu fonts by
// tests/support/make_test_fonts.py:
//   PagoraTestSans.ttc    a collection: PagoraTestSans-Regular, -Bold, -Mono
//   PagoraTestSerif.otf   OpenType with CFF outlines: PagoraTestSerif-Regular
// and, installed nowhere until a test puts it somewhere (extraFont()):
//   PagoraTestExtra.ttf   TrueType: PagoraTestExtra-Regular
// HOME, XDG_DATA_HOME, XDG_CACHE_HOME and XDG_CONFIG_HOME point into it for
// the fixture's life, so fontconfig (ours and Ghostscript's) sees the
// system's fonts and these, and keeps its cache here.
class InstalledTestFonts
{
public:
    InstalledTestFonts();
    // False (with the reason) when the fonts could not be made, e.g. for
    // want of python3-fonttools.
    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    QString home() const;
    QString fontFolder() const;
    QString collection() const;
    QString cffFont() const;
    // A font map entry for each font above, in Ghostscript's syntax: what a
    // plain Ghostscript is told for a reference rendering.
    QByteArray referenceMap() const;

    QByteArray extraFont() const;
    // Adds folder to the font folders of the user's fontconfig configuration,
    // as a user does in ~/.config/fontconfig/fonts.conf; false when the
    // configuration cannot be written.
    bool addFontFolder(const QString &folder);

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<ScopedVariable>> m_variables;
    QString m_error;
    QStringList m_addedFolders;
};

// A Type 1 font of the system's (URW's P052-Roman, which Debian's Ghostscript
// depends on) with fontName as the value of its /FontName, the token as it
// stands ("/Name", or a string "(A (b) c)", which FreeType and so fontconfig
// read as the name too); empty when the system has no such font.
QByteArray RenamedType1Font(const QByteArray &fontName);

// Pixel-wise comparison of two PDFs rendered by pdftoppm at a low resolution:
// the share of differing pixels of page 1 (0 = the same picture), or -1 when
// either cannot be rendered.
double RenderedDifference(const QString &pdfA, const QString &pdfB);

// A page in every test font, one line each, and in one font installed
// nowhere (PagoraNowhere-Regular); spelt so the streaming scan sees every name.
QByteArray MixedFontsDocument();
