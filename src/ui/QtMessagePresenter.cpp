#include "ui/QtMessagePresenter.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QGridLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QMessageBox::Icon iconFor(MessageDialog::Icon icon)
{
    switch (icon) {
    case MessageDialog::Icon::Note:
        return QMessageBox::Information;
    case MessageDialog::Icon::Caution:
        return QMessageBox::Warning;
    case MessageDialog::Icon::Stop:
        return QMessageBox::Critical;
    case MessageDialog::Icon::Question:
        return QMessageBox::Question;
    case MessageDialog::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

bool isLong(const QString &text)
{
    return text.size() > QtMessagePresenter::kLongExplanationChars ||
           text.count(QLatin1Char('\n')) >= QtMessagePresenter::kLongExplanationLines;
}

} // namespace

MessageDialog::Button QtMessagePresenter::showModal(const MessageDialog &dialog)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(QString());
    box.setIcon(iconFor(dialog.iconType));
    box.setText(dialog.message);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(m_parent ? Qt::WindowModal : Qt::ApplicationModal);

    if (isLong(dialog.explanation)) {
        // QMessageBox would grow past the screen; a text area shows all of it.
        auto *area = new QPlainTextEdit(dialog.explanation, &box);
        area->setObjectName(QStringLiteral("explanationArea"));
        area->setReadOnly(true);
        area->setLineWrapMode(QPlainTextEdit::NoWrap);
        area->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        area->setMinimumSize(520, 260);
        auto *grid = qobject_cast<QGridLayout *>(box.layout());
        if (grid)
            grid->addWidget(area, grid->rowCount(), 0, 1, grid->columnCount());
    } else {
        box.setInformativeText(dialog.explanation);
    }

    QPushButton *action = box.addButton(dialog.actionButton.caption, QMessageBox::AcceptRole);
    QPushButton *alternate = nullptr;
    QPushButton *cancel = nullptr;
    if (dialog.alternateActionButton.visible)
        alternate = box.addButton(dialog.alternateActionButton.caption, QMessageBox::RejectRole);
    if (dialog.cancelButton.visible)
        cancel = box.addButton(dialog.cancelButton.caption, QMessageBox::RejectRole);
    box.setDefaultButton(action);
    box.setEscapeButton(cancel ? cancel : alternate ? alternate : action);

    box.exec();
    const QAbstractButton *pressed = box.clickedButton();
    if (pressed != nullptr && pressed == alternate)
        return MessageDialog::Button::AlternateAction;
    if (pressed != nullptr && pressed == cancel)
        return MessageDialog::Button::Cancel;
    if (pressed == action)
        return MessageDialog::Button::Action;
    // Closed without a button: the escape button's answer.
    return cancel ? MessageDialog::Button::Cancel
                  : alternate ? MessageDialog::Button::AlternateAction : MessageDialog::Button::Action;
}
