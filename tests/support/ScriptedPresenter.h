#pragma once

#include "platform/MessageDialog.h"

#include <QList>

#include <deque>

// Answers message dialogs the way a person would, from a list of buttons to
// press, and keeps every dialog it was shown. With no answer left it presses
// the action button.
class ScriptedPresenter : public MessagePresenter
{
public:
    explicit ScriptedPresenter(std::deque<MessageDialog::Button> answers = {})
        : m_answers(std::move(answers))
    {
    }

    MessageDialog::Button showModal(const MessageDialog &dialog) override
    {
        shown.append(dialog);
        if (m_answers.empty())
            return MessageDialog::Button::Action;
        const MessageDialog::Button answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    QList<MessageDialog> shown;

private:
    std::deque<MessageDialog::Button> m_answers;
};
