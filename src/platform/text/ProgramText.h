#pragma once

#include <QCoreApplication>
#include <QString>

#include <utility>

// One of the program's own texts: written in German, the source language,
// and read in the language the program speaks when it is shown. A constant
// of this kind is translated each time it becomes a QString, so a
// translation installed at start applies to texts defined before it; where
// none is installed (the tests, a German system) it reads as written.
class ProgramText
{
public:
    constexpr ProgramText(const char *context, const char *source,
                          const char *disambiguation = nullptr)
        : m_context(context), m_source(source), m_disambiguation(disambiguation)
    {
    }

    QString toString() const
    {
        return QCoreApplication::translate(m_context, m_source, m_disambiguation);
    }
    operator QString() const { return toString(); }

    template <typename... Arguments> QString arg(Arguments &&...arguments) const
    {
        return toString().arg(std::forward<Arguments>(arguments)...);
    }

private:
    const char *m_context;
    const char *m_source;
    const char *m_disambiguation;
};

inline QString operator+(const ProgramText &text, const QString &tail)
{
    return text.toString() + tail;
}
inline QString operator+(const QString &head, const ProgramText &text)
{
    return head + text.toString();
}
inline QString operator+(const ProgramText &head, const ProgramText &tail)
{
    return head.toString() + tail.toString();
}
inline QString operator+(const ProgramText &text, QChar tail)
{
    return text.toString() + tail;
}
inline QString operator+(QChar head, const ProgramText &text)
{
    return head + text.toString();
}
inline bool operator==(const QString &shown, const ProgramText &text)
{
    return shown == text.toString();
}

// Declares a text of the given context (one per subsystem); lupdate reads it
// as QT_TRANSLATE_NOOP (see CMakeLists.txt).
#define PAGORA_TEXT(context, source) ProgramText(context, source)
// The same German text where another language says it in two ways;
// disambiguation tells the two apart (lupdate: QT_TRANSLATE_NOOP3).
#define PAGORA_TEXT_FOR(context, source, disambiguation)                                           \
    ProgramText(context, source, disambiguation)
