#pragma once

#include "platform/desktop/DesktopServices.h"

#include <QCoreApplication>
#include <QList>
#include <QMetaObject>

#include <deque>
#include <optional>
#include <utility>

// Answers the save dialog the way a person would, with the files to choose
// in turn (nothing: cancel; with no answer left it cancels), and keeps every
// request. The answer comes from the event loop, as the real dialog's does.
// After holdAnswers() every dialog stays open until the test answers it with
// choose(): what happens while it is on screen can then be watched.
class ScriptedSaveChooser : public SaveFileChooser
{
public:
    struct Request {
        QString filter;
        QString proposedName;
    };

    explicit ScriptedSaveChooser(QList<std::optional<FolderItem>> answers = {})
        : m_answers(std::move(answers))
    {
    }

    void saveFileDialog(const QString &filter, const QString &proposedName, Chosen chosen) override
    {
        shown.append({filter, proposedName});
        if (m_holding) {
            m_waiting.push_back(std::move(chosen));
            return;
        }
        answer(std::move(chosen));
    }

    void holdAnswers() { m_holding = true; }
    // The dialogs on screen, waiting for choose().
    int openDialogs() const { return static_cast<int>(m_waiting.size()); }
    // Gives the next answer of the list to the dialog that has waited
    // longest; false when none is open.
    bool choose()
    {
        if (m_waiting.empty())
            return false;
        Chosen chosen = std::move(m_waiting.front());
        m_waiting.pop_front();
        answer(std::move(chosen));
        return true;
    }

    QList<Request> shown;

private:
    void answer(Chosen chosen)
    {
        const std::optional<FolderItem> file =
            m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [chosen = std::move(chosen), file] { chosen(file); },
            Qt::QueuedConnection);
    }

    QList<std::optional<FolderItem>> m_answers;
    bool m_holding = false;
    std::deque<Chosen> m_waiting;
};
