#include "ui/WatchResultsDialog.h"

#include "ui/FolderWatching.h"
#include "ui/WatchingTexts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

WatchResultsDialog::WatchResultsDialog(FolderWatching &watching, QWidget *parent)
    : QDialog(parent), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("watchResults"));
    setWindowTitle(WatchingTexts::kResultsTitle);
    setModal(false);
    m_list->setObjectName(QStringLiteral("results"));
    m_list->setWordWrap(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSpacing(2);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    // The list is read, not worked in: the keys go to the button.
    buttons->button(QDialogButtonBox::Close)->setFocus();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(560, 320);

    for (const WatchResult &result : watching.results())
        append(result);
    m_list->setCurrentRow(-1);
    connect(&watching, &FolderWatching::fileDone, this, &WatchResultsDialog::append);
}

void WatchResultsDialog::append(const WatchResult &result)
{
    const WatchedFile &file = result.file;
    const QDir folder(result.folder);
    const QString name = QFileInfo(file.input).fileName();
    QString text;
    if (file.converted) {
        text = WatchingTexts::kConvertedEntry.arg(
            name, QDir::toNativeSeparators(folder.filePath(file.output)));
    } else {
        text = WatchingTexts::kFailedEntry.arg(name, file.reason);
        if (!file.log.isEmpty())
            text += QLatin1Char('\n') + WatchingTexts::kLogEntry.arg(
                                            QDir::toNativeSeparators(folder.filePath(file.log)));
    }
    auto *item = new QListWidgetItem(text);
    item->setToolTip(QDir::toNativeSeparators(folder.filePath(file.input)));
    // A failure stands out; a success is a plain line.
    if (!file.converted) {
        item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
    }
    item->setData(Qt::UserRole, file.converted);
    m_list->addItem(item);
    while (m_list->count() > FolderWatching::kKeptResults)
        delete m_list->takeItem(0);
    m_list->scrollToBottom();
}
