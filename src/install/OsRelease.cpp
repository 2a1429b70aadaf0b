#include "install/OsRelease.h"

#include <QFile>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The value of one assignment as the shell reads it: quoted and unquoted
// pieces run together, and the first blank outside quotes ends the value
// (whatever follows, such as a comment, is not part of it).
QString shellValue(QStringView text)
{
    QString value;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quote == QLatin1Char('\'')) {
            if (c == quote)
                quote = QChar();
            else
                value += c;
        } else if (quote == QLatin1Char('"')) {
            if (c == quote) {
                quote = QChar();
            } else if (c == QLatin1Char('\\') && i + 1 < text.size() &&
                       QStringLiteral("\"\\$`").contains(text.at(i + 1))) {
                value += text.at(++i);
            } else {
                value += c;
            }
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            value += text.at(++i);
        } else if (isBlank(c)) {
            break;
        } else {
            value += c;
        }
    }
    return value;
}

} // namespace

OsRelease OsRelease::read(const QStringList &files)
{
    for (const QString &path : files) {
        QFile file(path);
        // The file is a few hundred bytes; anything far larger is not one.
        if (file.open(QIODevice::ReadOnly))
            return parse(file.read(64 * 1024));
    }
    return {};
}

OsRelease OsRelease::parse(const QByteArray &text)
{
    OsRelease release;
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals);
        if (key.contains(QLatin1Char(' ')) || key.contains(QLatin1Char('\t')))
            continue;
        release.m_values.insert(key, shellValue(QStringView(line).mid(equals + 1)));
    }
    return release;
}

QString OsRelease::id() const
{
    return value(QStringLiteral("ID")).toLower();
}

QStringList OsRelease::idLike() const
{
    return value(QStringLiteral("ID_LIKE"))
        .toLower()
        .simplified()
        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
}
