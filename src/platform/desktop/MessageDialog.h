#pragma once

#include <QString>

#include <functional>

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
    // Shown on request below the explanation (a batch's whole transcripts).
    QString details;
    MessageButton actionButton{QStringLiteral("OK"), true};
    MessageButton alternateActionButton;
    MessageButton cancelButton;
};

// Shows message dialogs modal to one window. Production uses the Qt-backed
// presenter; tests answer as a person would.
class MessagePresenter
{
public:
    using Answered = std::function<void(MessageDialog::Button)>;

    virtual ~MessagePresenter() = default;
    // Shows the dialog and returns at once; answered gets the button pressed
    // later, from the event loop, never from within this call. Nothing waits
    // for the answer in a loop of its own, so no other event (a drop, a quit)
    // is handled inside a dialog's wait.
    virtual void open(const MessageDialog &dialog, Answered answered) = 0;
};
