#pragma once

#include "convert/GhostscriptLocator.h"

#include <QString>
#include <QStringList>

#include <optional>

struct ConversionContext;

// Where the PDF for a dropped file goes: beside it, under the name up to its
// last ".", with ".pdf". Nothing when the name does not end in ".ps" or ".eps"
// (in any letter case).
std::optional<QString> PdfPathForDrop(const QString &droppedPath);

// A drop on the window: the first of the dropped local files is checked,
// Ghostscript looked up and the conversion run. An empty list is ignored.
void IntakeDrop(const QStringList &droppedPaths, ConversionContext &context,
                const QStringList &ghostscriptCandidates = kDropTimeCandidates);
