#pragma once

#include <QImage>
#include <QString>

#include <optional>

// One picture, opened on first use and kept. A picture that cannot be opened
// is not remembered as missing: every request tries again, so a picture that
// turns up later is still shown.
class PictureCache
{
public:
    static constexpr const char *kLogoName = "Pagora";

    explicit PictureCache(QString path) : m_path(std::move(path)) {}

    // The logo, opened by its name from the application's resources; one for
    // the whole process, at the resolution of the sharpest screen when it is
    // first asked for.
    static PictureCache &logo();

    // The picture, or nullptr while it cannot be opened.
    const QImage *picture();

private:
    QString m_path;
    std::optional<QImage> m_picture;
};
