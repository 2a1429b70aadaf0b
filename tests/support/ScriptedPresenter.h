#pragma once

#include "platform/desktop/MessageDialog.h"

#include <QCoreApplication>
#include <QList>
#include <QMetaObject>

#include <deque>
#include <utility>

// Answers message dialogs the way a person would, from a list of buttons to
// press, and keeps every dialog it was shown. With no answer left it presses
// the action button. The answer comes from the event loop, as a real
// dialog's does. After holdAnswers() every dialog stays open until the test
// presses its button with press(): what happens while it is on screen can
// then be watched.
class ScriptedPresenter : public MessagePresenter
{
public:
    explicit ScriptedPresenter(std::deque<MessageDialog::Button> answers = {})
        : m_answers(std::move(answers))
    {
    }

    void open(const MessageDialog &dialog, Answered answered) override
    {
        shown.append(dialog);
        if (m_holding) {
            m_waiting.push_back(std::move(answered));
            return;
        }
        answer(std::move(answered));
    }

    void holdAnswers() { m_holding = true; }
    // The dialogs on screen, waiting for press().
    int openDialogs() const { return static_cast<int>(m_waiting.size()); }
    // Presses the next button of the list on the dialog that has waited
    // longest; false when none is open.
    bool press()
    {
        if (m_waiting.empty())
            return false;
        Answered answered = std::move(m_waiting.front());
        m_waiting.pop_front();
        answer(std::move(answered));
        return true;
    }

    QList<MessageDialog> shown;

private:
    void answer(Answered answered)
    {
        MessageDialog::Button button = MessageDialog::Button::Action;
        if (!m_answers.empty()) {
            button = m_answers.front();
            m_answers.pop_front();
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [answered = std::move(answered), button] { answered(button); }, Qt::QueuedConnection);
    }

    std::deque<MessageDialog::Button> m_answers;
    bool m_holding = false;
    std::deque<Answered> m_waiting;
};
