#pragma once

#include <QRgb>
#include <QtGlobal>

class QImage;
class QLabel;
class QWidget;

// Keeps a label that lies on a picture legible: its text takes a colour that
// stands out against the pixels behind it. The colour is chosen anew only
// when the picture or the palette has changed.
class LabelBackdrop
{
public:
    // picture (null: none, the area's background shows) is stretched over
    // area, on which label lies.
    void match(QLabel *label, const QImage *picture, const QWidget &area);

private:
    qint64 m_pictureKey = -1;
    QRgb m_paletteText = 0;
    QRgb m_paletteWindow = 0;
};
