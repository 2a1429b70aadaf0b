#include "convert/FontRepair.h"

QString FixPostScriptFonts(const QString &inputPath)
{
    return inputPath;
}
