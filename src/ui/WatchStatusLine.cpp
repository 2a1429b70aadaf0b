#include "ui/WatchStatusLine.h"

#include "ui/FolderWatching.h"
#include "ui/WatchingTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>

namespace
{

// The room the line has in the window, less the status bar's margins.
constexpr int kRoom = 376;
const QString kResultsLink = QStringLiteral("results");

} // namespace

WatchStatusLine::WatchStatusLine(FolderWatching &watching, QWidget *parent)
    : QLabel(parent), m_watching(watching)
{
    setObjectName(QStringLiteral("watchLine"));
    setTextFormat(Qt::RichText);
    // Centred, as the window's other texts are, with room above the edge.
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    setContentsMargins(6, 2, 6, 4);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(this, &QLabel::linkActivated, this, &WatchStatusLine::resultsRequested);
    connect(&m_watching, &FolderWatching::changed, this, &WatchStatusLine::update);
    connect(&m_watching, &FolderWatching::fileDone, this, &WatchStatusLine::update);
    update();
}

void WatchStatusLine::update()
{
    const QList<WatchedFolderEntry> folders = m_watching.folders();
    QStringList names;
    QStringList paths;
    for (const WatchedFolderEntry &entry : folders) {
        names << QFileInfo(entry.folder).fileName();
        paths << QDir::toNativeSeparators(entry.folder) + QStringLiteral(" (") +
                     PdfKindName(entry.kind) + QLatin1Char(')');
    }
    QString counts;
    if (m_watching.converted() + m_watching.failed() > 0)
        counts =
            WatchingTexts::kWatchingCounts.arg(m_watching.converted()).arg(m_watching.failed());
    const QFontMetrics metrics(font());
    const QString tail = counts.isEmpty() ? QString() : QStringLiteral(" \u2013 ") + counts;
    const int room =
        kRoom - metrics.horizontalAdvance(WatchingTexts::kWatchingLine.arg(QString()) + tail);
    const QString shown =
        metrics.elidedText(names.join(QStringLiteral(", ")), Qt::ElideMiddle, qMax(room, 40));
    QString html = WatchingTexts::kWatchingLine.arg(shown.toHtmlEscaped());
    if (!counts.isEmpty())
        html += QStringLiteral(" \u2013 <a href=\"%1\">%2</a>")
                    .arg(kResultsLink, counts.toHtmlEscaped());
    setText(html);
    setToolTip(paths.join(QLatin1Char('\n')));
    if (!counts.isEmpty())
        setAccessibleDescription(WatchingTexts::kShowResults);
}
