#pragma once

// Shared by the libFuzzer targets: a reference reader for PostScript string
// literals, written from the language's rules rather than from our writer,
// and a check that stops the run with a message.

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace Fuzz
{

[[noreturn]] inline void fail(const char *what, const QByteArray &detail = {})
{
    std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, detail.toHex(' ').constData());
    std::abort();
}

inline void check(bool condition, const char *what, const QByteArray &detail = {})
{
    if (!condition)
        fail(what, detail);
}

struct StringLiteral {
    QByteArray value; // the bytes the reader gives back
    qsizetype end;    // the index after the closing ")"
};

// Reads a string literal whose "(" stands at text[start]: balanced
// parentheses stay in, a backslash escapes, any end of line (CR, LF or CR LF)
// reads as one LF, and a backslash before an end of line joins the lines.
inline std::optional<StringLiteral> readStringLiteral(const QByteArray &text, qsizetype start)
{
    if (start >= text.size() || text.at(start) != '(')
        return std::nullopt;
    QByteArray value;
    int depth = 0;
    qsizetype i = start + 1;
    while (i < text.size()) {
        const char c = text.at(i++);
        if (c == '(') {
            ++depth;
            value.append(c);
        } else if (c == ')') {
            if (depth == 0)
                return StringLiteral{value, i};
            --depth;
            value.append(c);
        } else if (c == '\r') {
            if (i < text.size() && text.at(i) == '\n')
                ++i;
            value.append('\n');
        } else if (c == '\\') {
            if (i >= text.size())
                return std::nullopt;
            const char e = text.at(i++);
            switch (e) {
            case 'n':
                value.append('\n');
                break;
            case 'r':
                value.append('\r');
                break;
            case 't':
                value.append('\t');
                break;
            case 'b':
                value.append('\b');
                break;
            case 'f':
                value.append('\f');
                break;
            case '\\':
            case '(':
            case ')':
                value.append(e);
                break;
            case '\n':
                break;
            case '\r':
                if (i < text.size() && text.at(i) == '\n')
                    ++i;
                break;
            default:
                if (e >= '0' && e <= '7') {
                    int code = e - '0';
                    for (int n = 1;
                         n < 3 && i < text.size() && text.at(i) >= '0' && text.at(i) <= '7'; ++n)
                        code = code * 8 + (text.at(i++) - '0');
                    value.append(static_cast<char>(code & 0xff));
                } else {
                    value.append(e); // an unknown escape: the backslash is dropped
                }
            }
        } else {
            value.append(c);
        }
    }
    return std::nullopt;
}

} // namespace Fuzz
