#pragma once

#include <QString>

#include <stdexcept>

// A failure told in one of the program's own texts: its what() is meant for
// the user, unlike that of any other exception (FailureText).
class ProgramFailure : public std::runtime_error
{
public:
    explicit ProgramFailure(const QString &text) : std::runtime_error(text.toStdString()) {}

    QString text() const { return QString::fromStdString(what()); }
};
