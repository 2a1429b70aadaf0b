#include "ui/PdfKindChoice.h"

#include "platform/desktop/ProgramSettings.h"
#include "ui/MainMenuBar.h"

#include <QAction>
#include <QMenu>

namespace {

const QString kKey = QStringLiteral("Conversion/pdfKind");

} // namespace

PdfKindChoice::PdfKindChoice(MainMenuBar &bar, QObject *parent)
    : QObject(parent), m_bar(bar), m_kind(saved())
{
    QMenu *menu = m_bar.findMenu(QStringLiteral("PdfMenu"));
    if (menu == nullptr)
        return;
    const QList<QAction *> items = menu->actions();
    for (QAction *item : items) {
        const std::optional<PdfKind> kind = PdfKindFromKey(item->data().toString());
        if (!kind)
            continue;
        // The bar outlives every window: the item shows this window's choice.
        item->setChecked(*kind == m_kind);
        connect(item, &QAction::triggered, this, [this, kind = *kind] { choose(kind); });
    }
}

PdfKind PdfKindChoice::saved()
{
    return PdfKindFromKey(ProgramSettings()->value(kKey).toString()).value_or(PdfKind::Standard);
}

void PdfKindChoice::setEnabled(bool enabled)
{
    QMenu *menu = m_bar.findMenu(QStringLiteral("PdfMenu"));
    if (menu == nullptr)
        return;
    menu->menuAction()->setEnabled(enabled);
    // A disabled item does nothing when triggered, by a shortcut or a script.
    const QList<QAction *> items = menu->actions();
    for (QAction *item : items)
        item->setEnabled(enabled);
}

void PdfKindChoice::choose(PdfKind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    ProgramSettings()->setValue(kKey, PdfKindKey(kind));
    emit chosen(kind);
}
