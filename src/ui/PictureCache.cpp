#include "ui/PictureCache.h"

#include <QGuiApplication>

namespace {

// The picture at twice the size is only worth its decoding, four times as long
// and most of the window's first paint, where a screen shows more than one
// pixel per point.
QString logoPath()
{
    const bool sharp = qGuiApp != nullptr && qGuiApp->devicePixelRatio() > 1.0;
    return QStringLiteral(":/") + QLatin1String(PictureCache::kLogoName) +
           (sharp ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
}

} // namespace

PictureCache &PictureCache::logo()
{
    static PictureCache cache(logoPath());
    return cache;
}

const QImage *PictureCache::picture()
{
    if (!m_picture) {
        QImage opened(m_path);
        if (opened.isNull())
            return nullptr;
        m_picture = std::move(opened);
    }
    return &*m_picture;
}
