#include "ui/TextContrast.h"

#include <QImage>

#include <algorithm>
#include <cmath>

namespace TextContrast {

namespace {

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// The least contrast the colour has against any pixel of the background.
double worstContrast(const QImage &background, const QColor &colour)
{
    double worst = 21.0;
    const QImage pixels = background.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            worst = std::min(worst, ContrastRatio(colour, QColor(row[x])));
    }
    return worst;
}

} // namespace

double RelativeLuminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double ContrastRatio(const QColor &first, const QColor &second)
{
    const double a = RelativeLuminance(first);
    const double b = RelativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor ReadableTextColour(const QImage &background, const QColor &preferred)
{
    if (worstContrast(background, preferred) >= kMinimumRatio)
        return preferred;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return worstContrast(background, black) >= worstContrast(background, white) ? black : white;
}

} // namespace TextContrast
