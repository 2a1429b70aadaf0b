#include "convert/fonts/FontconfigSource.h"

#include <QFile>

#ifdef PAGORA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

// macOS: fontconfig comes with Homebrew's Ghostscript, which uses it to find
// fonts; the build links Homebrew's library (CMakeLists.txt). Without it the
// index stays empty and Ghostscript finds what it finds by itself; CoreText
// (CTFontManagerCopyAvailablePostScriptNames, kCTFontURLAttribute) would be
// the place to ask instead.

FontconfigSource::FontconfigSource() = default;

FontconfigSource::~FontconfigSource()
{
#ifdef PAGORA_HAVE_FONTCONFIG
    if (m_config != nullptr)
        FcConfigDestroy(static_cast<FcConfig *>(m_config));
#endif
}

bool FontconfigSource::changed()
{
#ifdef PAGORA_HAVE_FONTCONFIG
    return m_config == nullptr || !FcConfigUptoDate(static_cast<FcConfig *>(m_config));
#else
    return false;
#endif
}

#ifdef PAGORA_HAVE_FONTCONFIG
namespace {

// The formats Ghostscript reads from a font map entry; bitmap fonts and the
// rest are left out.
bool formatOf(const FcChar8 *name, InstalledFace::Format &format)
{
    const QByteArray text(reinterpret_cast<const char *>(name));
    if (text == "TrueType")
        format = InstalledFace::Format::TrueType;
    else if (text == "CFF")
        format = InstalledFace::Format::OpenTypeCff;
    else if (text == "Type 1")
        format = InstalledFace::Format::Type1;
    else
        return false;
    return true;
}

} // namespace
#endif

InstalledFonts FontconfigSource::scan()
{
    InstalledFonts fonts;
#ifdef PAGORA_HAVE_FONTCONFIG
    if (changed()) {
        // A configuration of our own, not the process-wide one: it is made
        // anew here and nobody else holds it meanwhile.
        if (m_config != nullptr)
            FcConfigDestroy(static_cast<FcConfig *>(m_config));
        m_config = FcInitLoadConfigAndFonts();
        if (m_config == nullptr)
            return fonts;
    }
    FcPattern *pattern = FcPatternCreate();
    FcObjectSet *objects =
        FcObjectSetBuild(FC_POSTSCRIPT_NAME, FC_FILE, FC_INDEX, FC_FONTFORMAT, nullptr);
    FcFontSet *set = FcFontList(static_cast<FcConfig *>(m_config), pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    if (set == nullptr)
        return fonts;
    for (int i = 0; i < set->nfont; ++i) {
        FcChar8 *name = nullptr;
        FcChar8 *file = nullptr;
        FcChar8 *format = nullptr;
        int index = 0;
        const FcPattern *face = set->fonts[i];
        if (FcPatternGetString(face, FC_POSTSCRIPT_NAME, 0, &name) != FcResultMatch ||
            FcPatternGetString(face, FC_FILE, 0, &file) != FcResultMatch ||
            FcPatternGetString(face, FC_FONTFORMAT, 0, &format) != FcResultMatch)
            continue;
        FcPatternGetInteger(face, FC_INDEX, 0, &index);
        InstalledFace installed;
        if (!formatOf(format, installed.format))
            continue;
        // A variable font's named instances share the file's index in the
        // low 16 bits; Ghostscript knows no instances.
        if (index < 0 || (index >> 16) != 0)
            continue;
        installed.index = index;
        installed.file = QFile::decodeName(reinterpret_cast<const char *>(file));
        fonts.add(QByteArray(reinterpret_cast<const char *>(name)), installed);
    }
    FcFontSetDestroy(set);
#endif
    return fonts;
}
