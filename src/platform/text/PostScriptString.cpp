#include "platform/text/PostScriptString.h"

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
