#include "convert/input/DocumentFontNames.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

bool isDelimiter(char c)
{
    return isSpace(c) || std::strchr("()<>[]{}/%", c) != nullptr;
}

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

bool startsWith(const char *at, const char *end, std::string_view text)
{
    return end - at >= qsizetype(text.size()) && std::memcmp(at, text.data(), text.size()) == 0;
}

// The next occurrence of word in [from, to), or to.
const char *find(const char *from, const char *to, std::string_view word)
{
    if (to - from < qsizetype(word.size()))
        return to;
    const void *found = ::memmem(from, size_t(to - from), word.data(), word.size());
    return found ? static_cast<const char *>(found) : to;
}

// The token that ends right before end on the same line (blanks skipped),
// as [begin, end); an empty range when there is none.
std::pair<const char *, const char *> tokenBefore(const char *lineBegin, const char *end)
{
    while (end > lineBegin && isSpace(end[-1]))
        --end;
    const char *begin = end;
    while (begin > lineBegin && !isDelimiter(begin[-1]))
        --begin;
    return {begin, end};
}

bool isNumber(const char *begin, const char *end)
{
    return begin < end && std::all_of(begin, end, [](char c) {
               return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+';
           });
}

} // namespace

void DocumentFontNames::feed(const QByteArray &block, bool last)
{
    // Only whole lines are looked at; the last, unfinished one waits for
    // the next block.
    const QByteArray text = m_carry.isEmpty() ? block : m_carry + block;
    const char *const begin = text.constData();
    const char *const end = begin + text.size();
    const char *complete = end;
    if (!last) {
        complete = begin;
        for (const char *at = end; at > begin; --at) {
            if (isLineEnd(at[-1])) {
                complete = at;
                break;
            }
            // A line this long holds no comment worth reading whole.
            if (end - at >= kMaxLine)
                break;
        }
    }
    scan(begin, complete);
    const qsizetype rest = end - complete;
    m_carry = rest > kMaxLine ? QByteArray(end - kMaxLine, kMaxLine)
                              : QByteArray(complete, rest);
    if (last)
        m_carry.clear();
}

void DocumentFontNames::scan(const char *begin, const char *end)
{
    // "font" stands in every form looked for but "%%DocumentFonts:", which
    // is rare enough to be searched for on its own.
    for (const std::string_view word : {std::string_view("font"), std::string_view("%%DocumentFonts:"),
                                        std::string_view("%%+")}) {
        if (word == "%%+" && !m_inDocumentFonts)
            continue;
        for (const char *at = find(begin, end, word); at < end;
             at = find(at + word.size(), end, word)) {
            if (m_names.size() >= kMaxNames)
                return;
            const char *lineBegin = at;
            while (lineBegin > begin && !isLineEnd(lineBegin[-1]) && at - lineBegin < kMaxLine)
                --lineBegin;
            const char *lineEnd = at;
            while (lineEnd < end && !isLineEnd(*lineEnd) && lineEnd - at < kMaxLine)
                ++lineEnd;
            lookAt(lineBegin, at, lineEnd);
        }
    }
}

void DocumentFontNames::lookAt(const char *lineBegin, const char *word, const char *lineEnd)
{
    if (startsWith(word, lineEnd, "%%DocumentFonts:")) {
        m_inDocumentFonts = true;
        addTokens(word + 16, lineEnd);
        return;
    }
    if (startsWith(word, lineEnd, "%%+")) {
        if (word == lineBegin)
            addTokens(word + 3, lineEnd);
        return;
    }
    // "font" itself.
    const char *after = word + 4;
    if (after < lineEnd && !isDelimiter(*after))
        return;
    if (startsWith(lineBegin, lineEnd, "%%")) {
        // "%%DocumentNeededResources: font A B", "%%IncludeResource: font A",
        // "%%+ font C": the word "font" right after the keyword.
        const char *keyword = lineBegin;
        const bool listsFonts = startsWith(keyword, lineEnd, "%%DocumentNeededResources:") ||
                                startsWith(keyword, lineEnd, "%%IncludeResource:") ||
                                startsWith(keyword, lineEnd, "%%+");
        if (!listsFonts)
            return;
        const char *colon = keyword + 2;
        while (colon < word && *colon != ':' && *colon != '+')
            ++colon;
        const auto [begin, end] = tokenBefore(colon + 1, word);
        if (begin == end)
            addTokens(after, lineEnd);
        return;
    }
    const bool findfont = word - lineBegin >= 4 && startsWith(word - 4, lineEnd, "findfont");
    const bool selectfont = word - lineBegin >= 6 && startsWith(word - 6, lineEnd, "selectfont");
    if (!findfont && !selectfont)
        return;
    const char *operatorBegin = word - (findfont ? 4 : 6);
    if (operatorBegin > lineBegin && !isDelimiter(operatorBegin[-1]))
        return;
    auto [begin, end] = tokenBefore(lineBegin, operatorBegin);
    // "/Name 12 selectfont": the size stands between.
    if (selectfont && isNumber(begin, end))
        std::tie(begin, end) = tokenBefore(lineBegin, begin);
    if (begin > lineBegin && begin[-1] == '/' && begin < end)
        add(begin, end);
}

void DocumentFontNames::addTokens(const char *from, const char *lineEnd)
{
    while (from < lineEnd) {
        while (from < lineEnd && isSpace(*from))
            ++from;
        const char *to = from;
        while (to < lineEnd && !isSpace(*to))
            ++to;
        // "(atend)" promises the list at the end of the document.
        if (to > from && *from != '(')
            add(from, to);
        from = to;
    }
}

void DocumentFontNames::add(const char *begin, const char *end)
{
    if (end - begin > kMaxNameLength || m_names.size() >= kMaxNames)
        return;
    if (std::any_of(begin, end, [](char c) { return isDelimiter(c) || c < 0x21 || c > 0x7e; }))
        return;
    QByteArray name(begin, end - begin);
    if (m_seen.contains(name))
        return;
    m_seen.insert(name);
    m_names.append(name);
}
