#pragma once

#include <QString>

#include <exception>

// Why the system refused, for the user: the common reasons in the language
// the program speaks (the C library's own texts are English under the C and
// POSIX locales, where the window is German), the C library's text for the
// rest.
QString SystemErrorText(int error);

// What the user is told of a failure: a ProgramFailure's own text, the
// system's reason of a system error (std::filesystem_error among them), a
// sentence of ours for a lack of memory or anything else; never the raw text
// of an exception, which is written for programmers.
QString FailureText(const std::exception &failure);
