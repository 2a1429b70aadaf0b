#pragma once

#include "convert/fonts/InstalledFonts.h"

// fontconfig's view of the installed fonts, as the environment of this
// process sets it up (FONTCONFIG_FILE, HOME, XDG_*), held between scans so it
// can tell when fonts were added or removed. Not thread-safe: one thread at a
// time. Where this program is built without fontconfig it finds no fonts.
class FontconfigSource
{
public:
    FontconfigSource();
    ~FontconfigSource();
    FontconfigSource(const FontconfigSource &) = delete;
    FontconfigSource &operator=(const FontconfigSource &) = delete;

    // Whether a font folder or the configuration changed since the last
    // scan(); true before the first.
    bool changed();
    // Every face fontconfig lists with a PostScript name, in a format
    // Ghostscript reads. Loads the configuration afresh when it changed.
    // Reads fontconfig's caches and, where they are stale, the font files:
    // call it off the GUI thread.
    InstalledFonts scan();

private:
    void *m_config = nullptr;
};
