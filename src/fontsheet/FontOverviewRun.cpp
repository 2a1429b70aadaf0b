#include "fontsheet/FontOverviewRun.h"

#include "platform/DesktopServices.h"

std::optional<QString> RunFontOverview(SaveFileChooser &chooser, const FontLister &listFonts)
{
    Q_UNUSED(chooser);
    Q_UNUSED(listFonts);
    return std::nullopt;
}
