#pragma once

#include <QColor>

class QImage;

// Contrast of text against what lies behind it, by the relative luminance of
// sRGB colours, as accessibility guidelines measure it.
namespace TextContrast {

// What body text needs at least against its background.
inline constexpr double kMinimumRatio = 4.5;

double RelativeLuminance(const QColor &colour);
// From 1 (the same luminance) to 21 (black on white).
double ContrastRatio(const QColor &first, const QColor &second);

// The colour for text over these background pixels: the preferred one (the
// palette's) where it reaches the minimum against every pixel, otherwise
// black or white, whichever stands out better against the pixel closest to
// it in luminance.
QColor ReadableTextColour(const QImage &background, const QColor &preferred);

} // namespace TextContrast
