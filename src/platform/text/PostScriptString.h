#pragma once

#include <QByteArray>
#include <QByteArrayView>

// What to write between "(" and ")" so that a PostScript reader gives back
// exactly these bytes: a backslash or a parenthesis would end the string early
// or swallow the next character, and the reader turns a carriage return, alone
// or before a line feed, into a line feed. Line breaks are escaped as well, so
// the string stays on one line. Every other byte is written as it is.
QByteArray PostScriptStringBody(QByteArrayView bytes);

// True when "/" + name reads back as this one name: printable ASCII without
// PostScript delimiters. Bytes 128 to 159 start binary tokens, so a UTF-8
// name would fall apart after the "/" (measured: "/SchriftÄGrotesk" ends in
// /undefined); inside a string every byte stays what it is.
bool IsPostScriptNameToken(QByteArrayView name);
