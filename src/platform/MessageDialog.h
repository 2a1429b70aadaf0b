#pragma once

#include <QString>

struct MessageButton {
    QString caption;
    bool visible = false;
};

// One modal message: a bold first line, a smaller explanation below it and up
// to three buttons. The action button is always shown; the other two only when
// made visible.
struct MessageDialog {
    enum class Icon { None = -1, Note = 0, Caution = 1, Stop = 2, Question = 3 };
    enum class Button { Action, AlternateAction, Cancel };

    Icon iconType = Icon::Note;
    QString message;
    QString explanation;
    MessageButton actionButton{QStringLiteral("OK"), true};
    MessageButton alternateActionButton;
    MessageButton cancelButton;
};

// Shows message dialogs modal to one window and returns the button pressed.
// Production uses the Qt-backed presenter; tests answer as a person would.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual MessageDialog::Button showModal(const MessageDialog &dialog) = 0;
};
