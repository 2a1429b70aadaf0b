#pragma once

#include <QFuture>
#include <QMutex>

#include <QDeadlineTimer>

#include <memory>

class FontconfigSource;
class InstalledFonts;

// The index of installed fonts that every conversion of this process shares.
// It is built once, on a worker thread, and made anew when fontconfig finds
// its configuration or a font folder changed. Only the very first conversion
// may have to wait for it: later ones take the index at hand while a newer
// one is made in the background.
class FontIndex : public std::enable_shared_from_this<FontIndex>
{
public:
    using Snapshot = std::shared_ptr<const InstalledFonts>;

    // How often, at most, fontconfig is asked whether fonts changed.
    static constexpr int kRecheckMs = 2000;

    // The index of this process, from the environment it started with.
    static std::shared_ptr<FontIndex> shared();

    // An index of its own, from the environment as it is now; for a caller
    // that changes the environment (a test with fonts of its own).
    FontIndex();
    ~FontIndex();

    // Starts the first build, if none has started yet.
    void prepare();
    // The newest index: a finished future when there is one (a check for
    // changes then runs in the background, at most every kRecheckMs), or the
    // future of the first build.
    QFuture<Snapshot> snapshot();

private:
    void startBuild(bool rebuild);

    std::shared_ptr<FontconfigSource> m_source;
    QMutex m_mutex;
    Snapshot m_current;
    QFuture<Snapshot> m_first;
    bool m_started = false;
    bool m_checking = false;
    QDeadlineTimer m_nextCheck;
};
