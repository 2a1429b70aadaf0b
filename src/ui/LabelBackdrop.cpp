#include "ui/LabelBackdrop.h"

#include "ui/TextContrast.h"

#include <QImage>
#include <QLabel>

void LabelBackdrop::match(QLabel *label, const QImage *picture, const QWidget &area)
{
    const QPalette &palette = area.palette();
    const QRgb text = palette.color(QPalette::WindowText).rgba();
    const QRgb window = palette.color(QPalette::Window).rgba();
    const qint64 pictureKey = picture ? picture->cacheKey() : 0;
    if (label == nullptr || (pictureKey == m_pictureKey && text == m_paletteText &&
                             window == m_paletteWindow))
        return;
    m_pictureKey = pictureKey;
    m_paletteText = text;
    m_paletteWindow = window;

    // The part of the stretched picture that lies behind the label; without
    // one the window's background shows there.
    QImage behind;
    if (picture != nullptr) {
        const QSizeF size = area.size();
        const double sx = picture->width() / size.width();
        const double sy = picture->height() / size.height();
        const QRectF frame = label->geometry();
        behind = picture->copy(
            QRectF(frame.x() * sx, frame.y() * sy, frame.width() * sx, frame.height() * sy)
                .toAlignedRect());
    } else {
        behind = QImage(1, 1, QImage::Format_RGB32);
        behind.fill(QColor::fromRgba(window));
    }
    QPalette labelPalette = label->palette();
    labelPalette.setColor(QPalette::WindowText,
                          TextContrast::ReadableTextColour(behind, QColor::fromRgba(text)));
    // Setting the colour repaints the label, not the area: no paint loop.
    label->setPalette(labelPalette);
}
