#pragma once

#include "convert/job/GhostscriptConversion.h"

#include "MissingFontTestSupport.h"
#include "JobTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace Hostile
{

inline const QString kSuccess = QStringLiteral("Erfolg!");
inline const QString kFailure = QStringLiteral("Fehler bei der Konvertierung!");
inline const QString kFailureHead = QStringLiteral("Ausgabe:\n");
inline const QString kTimedOut = QStringLiteral("Ghostscript wurde nach 30 Sekunden abgebrochen.");

// What a folder tree holds, entry by entry, without following links and
// without opening anything but regular files: a FIFO must never be opened here.
inline QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st = {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
            continue;
#ifdef Q_OS_MACOS
        const timespec &modified = st.st_mtimespec;
#else
        const timespec &modified = st.st_mtim;
#endif
        QByteArray description = QByteArray::number(st.st_mode) + ' ' +
                                 QByteArray::number(static_cast<qint64>(st.st_size)) + ' ' +
                                 QByteArray::number(static_cast<qint64>(modified.tv_sec)) + '.' +
                                 QByteArray::number(static_cast<qint64>(modified.tv_nsec));
        if (S_ISLNK(st.st_mode)) {
            description += " -> " + QFile::encodeName(QFile::symLinkTarget(path));
        } else if (S_ISREG(st.st_mode) && st.st_size < (64 << 20)) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly)) {
                QCryptographicHash hash(QCryptographicHash::Sha256);
                hash.addData(&file);
                description += ' ' + hash.result().toHex();
            }
        }
        entries.insert(QDir(root).relativeFilePath(path), description);
    }
    return entries;
}

// The entries that were added, removed or changed between two snapshots.
inline QStringList changedEntries(const QMap<QString, QByteArray> &before,
                                  const QMap<QString, QByteArray> &after)
{
    QStringList changed;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (after.value(it.key()) != it.value())
            changed << it.key();
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            changed << it.key();
    }
    changed.sort();
    return changed;
}

// Ticks a timer while a conversion runs and keeps the longest pause between two
// ticks: the longest time the window could not have been repainted.
class ResponsivenessProbe
{
public:
    ResponsivenessProbe()
    {
        m_clock.start();
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start();
    }
    qint64 longestPauseMs()
    {
        tick();
        return m_longest;
    }

private:
    void tick()
    {
        const qint64 now = m_clock.elapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// A documents folder, a home folder and a private temporary location of the
// test's own; afterwards nothing but the output PDF may differ in the first
// two, and the program may only have kept its own two files in the third.
class HostileFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(TestFiles::realGhostscript().isEmpty()) << "gs is needed";
        ASSERT_TRUE(QDir().mkpath(m_home.filePath(QStringLiteral("Library/Fonts"))));
        m_savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(m_home.path()));
    }
    void TearDown() override { qputenv("HOME", m_savedHome); }

    QString doc(const QString &name) const { return m_docs.filePath(name); }
    QString home() const { return m_home.path(); }

    void takeSnapshots()
    {
        m_docsBefore = snapshot(m_docs.path());
        m_homeBefore = snapshot(m_home.path());
    }

    // Runs one conversion as a drop would, with a short time-out where the
    // case needs one, and returns how long it took.
    qint64 convert(const QString &input, const QString &output, int timeoutMs = 30000,
                   const QString &gs = TestFiles::realGhostscript())
    {
        ResponsivenessProbe probe;
        QElapsedTimer clock;
        clock.start();
        JobTestSupport::convertToEnd(gs, input, output, m_dialogs, timeoutMs);
        m_longestPauseMs = probe.longestPauseMs();
        return clock.elapsed();
    }

    // Only the named entries of the documents folder changed, nothing in the
    // home folder, and the private temporary folder holds no run folder nor
    // half-written file.
    void expectOnlyChanged(const QStringList &expected) const
    {
        EXPECT_EQ(changedEntries(m_docsBefore, snapshot(m_docs.path())), expected);
        EXPECT_EQ(changedEntries(m_homeBefore, snapshot(m_home.path())), QStringList());
        const QStringList allowed{QStringLiteral("gs_fixed_temp.ps"),
                                  QStringLiteral("gs_fontsubst_temp.ps")};
        for (const QString &entry : snapshot(m_temporary.path()).keys()) {
            const QString name = entry.section(QLatin1Char('/'), 1);
            if (!name.isEmpty()) {
                EXPECT_TRUE(allowed.contains(name)) << entry.toStdString();
            }
        }
    }

    const MessageDialog &onlyDialog() const
    {
        EXPECT_EQ(m_dialogs.shown.size(), 1);
        return m_dialogs.shown.first();
    }

    QTemporaryDir m_docs;
    QTemporaryDir m_home;
    QTemporaryDir m_temporary;
    QByteArray m_savedHome;
    ScriptedPresenter m_dialogs;
    qint64 m_longestPauseMs = 0;

private:
    struct TemporaryEnvironment {
        explicit TemporaryEnvironment(const QString &path) : m_saved(qgetenv("TMPDIR"))
        {
            qputenv("TMPDIR", QFile::encodeName(path));
        }
        ~TemporaryEnvironment() { qputenv("TMPDIR", m_saved); }
        QByteArray m_saved;
    };
    TemporaryEnvironment m_tmpdir{m_temporary.path()};
    QMap<QString, QByteArray> m_docsBefore;
    QMap<QString, QByteArray> m_homeBefore;
};

} // namespace Hostile
