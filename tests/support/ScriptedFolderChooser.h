#pragma once

#include "platform/desktop/DesktopServices.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QStringList>

#include <utility>

// Answers the folder dialog the way a person would, with the folders to
// choose in turn (with no answer left it cancels). The answer comes from the
// event loop, as the real dialog's does.
class ScriptedFolderChooser : public FolderChooser
{
public:
    explicit ScriptedFolderChooser(QStringList answers = {}) : m_answers(std::move(answers)) {}

    void chooseFolderDialog(const QString &, const QString &, Chosen chosen) override
    {
        const QString answer = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [chosen = std::move(chosen), answer] { chosen(answer); },
            Qt::QueuedConnection);
    }

    void answerNext(const QString &folder) { m_answers.append(folder); }

private:
    QStringList m_answers;
};
