#pragma once

#include <QStringList>

// The entries of the three font folders, each cut at its first ".".
QStringList ListInstalledFonts();
