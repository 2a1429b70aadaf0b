#include "ui/QtMessagePresenter.h"

#include <QAbstractButton>
#include <QCoreApplication>
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

// The buttons of one box, to tell which answer a click means.
struct Buttons {
    QPushButton *action = nullptr;
    QPushButton *alternate = nullptr;
    QPushButton *cancel = nullptr;

    MessageDialog::Button answer(const QAbstractButton *pressed) const
    {
        if (pressed != nullptr && pressed == alternate)
            return MessageDialog::Button::AlternateAction;
        if (pressed != nullptr && pressed == cancel)
            return MessageDialog::Button::Cancel;
        if (pressed == action)
            return MessageDialog::Button::Action;
        // Closed without a button: the escape button's answer.
        return cancel      ? MessageDialog::Button::Cancel
               : alternate ? MessageDialog::Button::AlternateAction
                           : MessageDialog::Button::Action;
    }
};

// The box is made window-modal by QMessageBox::open().
Buttons fill(QMessageBox &box, const MessageDialog &dialog)
{
    box.setWindowTitle(QString());
    box.setIcon(iconFor(dialog.iconType));
    box.setText(dialog.message);
    box.setTextFormat(Qt::PlainText);

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

    if (!dialog.details.isEmpty())
        box.setDetailedText(dialog.details);

    Buttons buttons;
    buttons.action = box.addButton(dialog.actionButton.caption, QMessageBox::AcceptRole);
    if (dialog.alternateActionButton.visible)
        buttons.alternate =
            box.addButton(dialog.alternateActionButton.caption, QMessageBox::RejectRole);
    if (dialog.cancelButton.visible)
        buttons.cancel = box.addButton(dialog.cancelButton.caption, QMessageBox::RejectRole);
    box.setDefaultButton(buttons.action);
    box.setEscapeButton(buttons.cancel      ? buttons.cancel
                        : buttons.alternate ? buttons.alternate
                                            : buttons.action);
    return buttons;
}

} // namespace

void QtMessagePresenter::open(const MessageDialog &dialog, Answered answered)
{
    auto *box = new QMessageBox(m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    const Buttons buttons = fill(*box, dialog);
    // finished comes once, whether a button or the close box ended it; the
    // answer is handed over after the box has gone from the screen.
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, answered] {
        const MessageDialog::Button answer = buttons.answer(box->clickedButton());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [answered, answer] { answered(answer); },
            Qt::QueuedConnection);
    });
    box->open();
}
