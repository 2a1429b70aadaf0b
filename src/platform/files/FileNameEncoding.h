#pragma once

#include <QByteArray>
#include <QString>

// File names as the system has them, bytes, and as text. Qt's own conversion
// turns a byte that is no UTF-8 (0xE9 of a Latin-1 "café" on an old archive
// or a network share) into U+FFFD, and that names another file, or none.
// These two round-trip any name: valid UTF-8 decodes as usual, and each byte
// of a sequence that is no UTF-8 becomes the lone surrogate U+DC80 + byte,
// which valid UTF-8 never decodes to, so the mapping back is unambiguous. On
// macOS names are always UTF-8 and Qt's conversion is used.

// The name's bytes as text; EncodeFileName gives the same bytes back.
QString DecodeFileName(const QByteArray &bytes);

// The bytes for a system call: a lone surrogate U+DC80..U+DCFF becomes its
// byte again; any other lone surrogate, which no decoded name holds, becomes
// U+FFFD, never a byte of its own choosing such as '/'.
QByteArray EncodeFileName(const QString &name);

// The name made absolute against the current folder and cleaned of "." and
// ".." (as QDir::cleanPath does), keeping its bytes and those of the current
// folder; Qt's own way goes through its lossy conversion.
QString AbsoluteFileName(const QString &name);
