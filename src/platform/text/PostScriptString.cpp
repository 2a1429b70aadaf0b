#include "platform/text/PostScriptString.h"

#include <cstring>

QByteArray PostScriptStringBody(QByteArrayView bytes)
{
    QByteArray body;
    body.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
        case '\\':
        case '(':
        case ')':
            body.append('\\');
            body.append(c);
            break;
        case '\r':
            body.append("\\r");
            break;
        case '\n':
            body.append("\\n");
            break;
        default:
            body.append(c);
        }
    }
    return body;
}

bool IsPostScriptNameToken(QByteArrayView name)
{
    if (name.isEmpty())
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || std::strchr("()<>[]{}/%", c) != nullptr)
            return false;
    }
    return true;
}
