#include "ui/EditCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {

bool clipboardHasText()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr && !clipboard->text().isEmpty();
}

bool canPerform(const QLineEdit &edit, EditCommand command)
{
    const bool editable = !edit.isReadOnly();
    // A password field never gives its text away.
    const bool revealing = edit.echoMode() == QLineEdit::Normal;
    switch (command) {
    case EditCommand::Undo:
        return editable && edit.isUndoAvailable();
    case EditCommand::Cut:
        return editable && revealing && edit.hasSelectedText();
    case EditCommand::Copy:
        return revealing && edit.hasSelectedText();
    case EditCommand::Paste:
        return editable && clipboardHasText();
    case EditCommand::Clear:
        return editable && edit.hasSelectedText();
    case EditCommand::SelectAll:
        return !edit.text().isEmpty();
    }
    return false;
}

void perform(QLineEdit &edit, EditCommand command)
{
    switch (command) {
    case EditCommand::Undo:
        edit.undo();
        break;
    case EditCommand::Cut:
        edit.cut();
        break;
    case EditCommand::Copy:
        edit.copy();
        break;
    case EditCommand::Paste:
        edit.paste();
        break;
    case EditCommand::Clear:
        edit.del();
        break;
    case EditCommand::SelectAll:
        edit.selectAll();
        break;
    }
}

// QTextEdit and QPlainTextEdit offer the same editing interface without a
// common base that has it.
template <typename TextEdit>
bool canPerformOnText(const TextEdit &edit, EditCommand command)
{
    const bool editable = !edit.isReadOnly();
    const bool selected = edit.textCursor().hasSelection();
    switch (command) {
    case EditCommand::Undo:
        return editable && edit.document()->isUndoAvailable();
    case EditCommand::Cut:
    case EditCommand::Clear:
        return editable && selected;
    case EditCommand::Copy:
        return selected;
    case EditCommand::Paste:
        return editable && edit.canPaste();
    case EditCommand::SelectAll:
        return !edit.document()->isEmpty();
    }
    return false;
}

template <typename TextEdit>
void performOnText(TextEdit &edit, EditCommand command)
{
    switch (command) {
    case EditCommand::Undo:
        edit.undo();
        break;
    case EditCommand::Cut:
        edit.cut();
        break;
    case EditCommand::Copy:
        edit.copy();
        break;
    case EditCommand::Paste:
        edit.paste();
        break;
    case EditCommand::Clear: {
        QTextCursor cursor = edit.textCursor();
        cursor.removeSelectedText();
        edit.setTextCursor(cursor);
        break;
    }
    case EditCommand::SelectAll:
        edit.selectAll();
        break;
    }
}

} // namespace

bool CanPerformEditCommand(const QWidget *widget, EditCommand command)
{
    if (widget == nullptr || !widget->isEnabled())
        return false;
    if (const auto *line = qobject_cast<const QLineEdit *>(widget))
        return canPerform(*line, command);
    if (const auto *text = qobject_cast<const QTextEdit *>(widget))
        return canPerformOnText(*text, command);
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(widget))
        return canPerformOnText(*plain, command);
    return false;
}

void PerformEditCommand(QWidget *widget, EditCommand command)
{
    if (!CanPerformEditCommand(widget, command))
        return;
    if (auto *line = qobject_cast<QLineEdit *>(widget))
        perform(*line, command);
    else if (auto *text = qobject_cast<QTextEdit *>(widget))
        performOnText(*text, command);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(widget))
        performOnText(*plain, command);
}
