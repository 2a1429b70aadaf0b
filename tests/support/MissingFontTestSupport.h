#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include <ostream>

// The conversion waits for Ghostscript in an event loop, which needs an
// application object; the first test that runs one makes it.
inline void ensureCoreApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "convert_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// Points TMPDIR at a fresh folder for one test, so the program's private
// temporary folder (and the files it keeps there) start empty every time.
class PrivateTemporaryFolder
{
public:
    PrivateTemporaryFolder()
        : m_hadTmpdir(qEnvironmentVariableIsSet("TMPDIR")), m_savedTmpdir(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", m_dir.path().toLocal8Bit());
    }
    ~PrivateTemporaryFolder()
    {
        if (m_hadTmpdir)
            qputenv("TMPDIR", m_savedTmpdir);
        else
            qunsetenv("TMPDIR");
    }
    PrivateTemporaryFolder(const PrivateTemporaryFolder &) = delete;
    PrivateTemporaryFolder &operator=(const PrivateTemporaryFolder &) = delete;

private:
    QTemporaryDir m_dir;
    bool m_hadTmpdir;
    QByteArray m_savedTmpdir;
};

// Failure messages show texts as text rather than as UTF-16 code units.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
