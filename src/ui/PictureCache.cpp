#include "ui/PictureCache.h"

PictureCache &PictureCache::logo()
{
    static PictureCache cache(QStringLiteral(":/") + QLatin1String(kLogoName) +
                              QStringLiteral(".png"));
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
