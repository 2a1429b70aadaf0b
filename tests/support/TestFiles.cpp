#include "TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <stdexcept>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace TestFiles {

QString fixture(const QString &name)
{
    return QStringLiteral(PAGORA_FIXTURES "/") + name;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void writeScript(const QString &path, const QByteArray &body)
{
    writeBytes(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

bool runAsNobody(const QString &shellScript)
{
    return runAsNobody(shellScript, {});
}

bool runAsNobody(const QString &shellScript, const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("setpriv"),
                  QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                              QStringLiteral("--clear-groups"), QStringLiteral("/bin/sh"),
                              QStringLiteral("-c"), shellScript, QStringLiteral("sh")} +
                      arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

int pdfPageCount(const QString &pdfPath)
{
    const QString info = QString::fromUtf8(runTool(QStringLiteral("pdfinfo"), {pdfPath}));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : m_path(path)
{
#ifdef Q_OS_UNIX
    if (::geteuid() == 0) {
        m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        m_active = m_immutable;
        return;
    }
#endif
    m_active = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_immutable)
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
    else
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString realGhostscript()
{
    return QStandardPaths::findExecutable(QStringLiteral("gs"));
}

} // namespace TestFiles
