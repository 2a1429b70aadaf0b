#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QSet>

// The fonts a PostScript document says it needs, gathered while its bytes
// stream past: the DSC comments "%%DocumentNeededResources: font …",
// "%%IncludeResource: font …" and their "%%+ font …" lines,
// "%%DocumentFonts: …", and the names before "findfont" and "selectfont"
// ("/Name findfont", "/Name 12 selectfont"). A name built at run time is not
// seen; the conversion learns of it from Ghostscript's transcript instead.
// Bounded: lines are looked at only around these words, and at most
// kMaxNames names are kept.
class DocumentFontNames
{
public:
    static constexpr qsizetype kMaxNames = 256;
    // The longest PostScript name Ghostscript accepts.
    static constexpr qsizetype kMaxNameLength = 127;
    // What of a line that goes on into the next block is held back.
    static constexpr qsizetype kMaxLine = 1024;

    // The next block of the document; last is true after the final one.
    void feed(const QByteArray &block, bool last = false);
    // In the order first met.
    QByteArrayList names() const { return m_names; }

private:
    void scan(const char *begin, const char *end);
    void lookAt(const char *lineBegin, const char *word, const char *lineEnd);
    void addTokens(const char *from, const char *lineEnd);
    void add(const char *begin, const char *end);

    QByteArray m_carry;
    QByteArrayList m_names;
    QSet<QByteArray> m_seen;
    // The "%%+" lines after "%%DocumentFonts:" continue its list of names.
    bool m_inDocumentFonts = false;
};
