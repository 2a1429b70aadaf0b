#include "fontsheet/FontEnumeration.h"

QStringList ListInstalledFonts()
{
    return {};
}
