#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// What a Linux system says about itself in os-release: lines of KEY=value,
// the value as a shell would read it (double or single quotes, backslash
// escapes), comments and empty lines ignored.
class OsRelease
{
public:
    OsRelease() = default;

    // The first of the files that can be opened; nothing known when none can.
    static OsRelease read(const QStringList &files);
    static OsRelease parse(const QByteArray &text);

    QString value(const QString &key) const { return m_values.value(key); }
    // The system's own identifier, lower case.
    QString id() const;
    // The systems it derives from, closest first.
    QStringList idLike() const;

private:
    QHash<QString, QString> m_values;
};
