#include "ui/FolderWatching.h"

#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/MessageDialog.h"
#include "platform/desktop/ProgramSettings.h"
#include "ui/WatchingTexts.h"
#include "ui/WindowTexts.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace
{

const QString kArray = QStringLiteral("WatchedFolders");
const QString kFolderKey = QStringLiteral("folder");
const QString kKindKey = QStringLiteral("pdfKind");

QString absolute(const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

FolderWatching::FolderWatching(MessagePresenter &dialogs, FolderChooser &chooser, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_chooser(chooser)
{
}

// The folders go with this object, and with them what runs: the inputs under
// way stay in In.
FolderWatching::~FolderWatching() = default;

QList<WatchedFolderEntry> FolderWatching::saved()
{
    QList<WatchedFolderEntry> entries;
    const auto settings = ProgramSettings();
    const int count = settings->beginReadArray(kArray);
    for (int index = 0; index < count; ++index) {
        settings->setArrayIndex(index);
        const QString folder = settings->value(kFolderKey).toString();
        if (folder.isEmpty())
            continue;
        entries.append(
            {absolute(folder),
             PdfKindFromKey(settings->value(kKindKey).toString()).value_or(PdfKind::Standard)});
    }
    settings->endArray();
    return entries;
}

void FolderWatching::save() const
{
    const auto settings = ProgramSettings();
    settings->remove(kArray);
    settings->beginWriteArray(kArray, int(m_watched.size()));
    for (int index = 0; index < m_watched.size(); ++index) {
        settings->setArrayIndex(index);
        settings->setValue(kFolderKey, m_watched.at(index).entry.folder);
        settings->setValue(kKindKey, PdfKindKey(m_watched.at(index).entry.kind));
    }
    settings->endArray();
}

void FolderWatching::start(const QString &ghostscriptPath)
{
    if (!m_ghostscriptPath.isEmpty() || ghostscriptPath.isEmpty() || m_stopped)
        return;
    m_ghostscriptPath = ghostscriptPath;
    const QList<WatchedFolderEntry> kept = saved();
    for (const WatchedFolderEntry &entry : kept) {
        QString reason;
        if (!startWatching(entry, &reason))
            tellCannotWatch(reason);
    }
    // One that could not be watched is kept no longer.
    if (folders() != kept)
        save();
    emit changed();
}

bool FolderWatching::startWatching(const WatchedFolderEntry &entry, QString *reason)
{
    for (const Watched &watched : std::as_const(m_watched)) {
        if (watched.entry.folder == entry.folder)
            return true;
    }
    // Nobody is there to answer a question: the options' own policy reports
    // missing fonts.
    WatchOptions options;
    options.pdfKind = entry.kind;
    auto *folder = new WatchedFolder(m_ghostscriptPath, entry.folder, options, this);
    if (!folder->start(reason)) {
        retire(folder);
        return false;
    }
    connect(folder, &WatchedFolder::fileDone, this,
            [this, name = entry.folder](const WatchedFile &file) { onFileDone(name, file); });
    m_watched.append({entry, folder});
    return true;
}

void FolderWatching::chooseFolder(PdfKind kind)
{
    if (!isStarted() || isAsking())
        return;
    m_choosing = true;
    emit changed();
    const QString from = m_watched.isEmpty()
                             ? QDir::homePath()
                             : QFileInfo(m_watched.constLast().entry.folder).absolutePath();
    // The dialog belongs to the window and goes with it, and with it its answer.
    m_chooser.chooseFolderDialog(
        WatchingTexts::kChooseFolderTitle, from,
        [self = QPointer<FolderWatching>(this), kind](const QString &folder) {
            if (self)
                self->folderChosen(folder, kind);
        });
}

void FolderWatching::folderChosen(const QString &folder, PdfKind kind)
{
    m_choosing = false;
    if (!folder.isEmpty())
        watch(folder, kind);
    emit changed();
}

bool FolderWatching::watch(const QString &folder, PdfKind kind)
{
    if (!isStarted())
        return false;
    QString reason;
    if (!startWatching({absolute(folder), kind}, &reason)) {
        tellCannotWatch(reason);
        return false;
    }
    save();
    emit changed();
    return true;
}

void FolderWatching::stopWatching(const QString &folder)
{
    for (qsizetype index = 0; index < m_watched.size(); ++index) {
        if (m_watched.at(index).entry.folder != folder)
            continue;
        retire(m_watched.takeAt(index).folder);
        save();
        emit changed();
        return;
    }
}

void FolderWatching::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    const QList<Watched> watched = std::exchange(m_watched, {});
    for (const Watched &entry : watched)
        retire(entry.folder);
    emit changed();
}

void FolderWatching::retire(WatchedFolder *folder)
{
    if (folder == nullptr)
        return;
    // It goes once what ran has ended (a cancelled conversion leaves its
    // input in In), or with its parent.
    connect(folder, &WatchedFolder::stopped, folder, &QObject::deleteLater);
    folder->stop();
}

QList<WatchedFolderEntry> FolderWatching::folders() const
{
    QList<WatchedFolderEntry> entries;
    for (const Watched &watched : m_watched)
        entries.append(watched.entry);
    return entries;
}

void FolderWatching::onFileDone(const QString &folder, const WatchedFile &file)
{
    ++(file.converted ? m_converted : m_failed);
    m_results.append({folder, file});
    if (m_results.size() > kKeptResults)
        m_results.removeFirst();
    emit fileDone(m_results.constLast());
}

void FolderWatching::tellCannotWatch(const QString &reason)
{
    m_untold.append(reason);
    if (!m_telling)
        tellNext();
}

void FolderWatching::tellNext()
{
    if (m_untold.isEmpty()) {
        m_telling = false;
        emit changed();
        return;
    }
    if (!std::exchange(m_telling, true))
        emit changed();
    MessageDialog dialog;
    dialog.iconType = MessageDialog::Icon::Caution;
    dialog.message = WatchingTexts::kCannotWatch;
    dialog.explanation = m_untold.takeFirst();
    dialog.actionButton.caption = WindowTexts::kOk;
    const QPointer<FolderWatching> self(this);
    try {
        m_dialogs.open(dialog, [self](MessageDialog::Button) {
            if (self)
                self->tellNext();
        });
    } catch (...) {
        // Nothing more can be said; the next one may still be.
        QMetaObject::invokeMethod(this, &FolderWatching::tellNext, Qt::QueuedConnection);
    }
}
