// Hostile drops seen from the window: while Ghostscript is held up by a FIFO,
// or floods its output, the window keeps painting, the user gets a dialog
// that opens at once, and the next drop is handled as usual.

#include "convert/job/ConversionJob.h"
#include "ui/Window1.h"

#include "ui/DropCanvas.h"

#include "ScriptedPresenter.h"
#include "TestFiles.h"
#include "WindowTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFailure = QStringLiteral("Fehler bei der Konvertierung!");

// Asks the drop zone to repaint every tick and keeps the longest time between
// two paints it really got.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *widget) : m_widget(widget)
    {
        widget->installEventFilter(this);
        m_clock.start();
        m_ticker.setInterval(50);
        connect(&m_ticker, &QTimer::timeout, this, [this] { m_widget->update(); });
        m_ticker.start();
    }
    qint64 longestGapMs() const { return std::max(m_longest, m_clock.elapsed() - m_last); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            m_longest = std::max(m_longest, m_clock.elapsed() - m_last);
            m_last = m_clock.elapsed();
        }
        return false;
    }

private:
    QWidget *m_widget;
    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace

class TestHostileDrops : public QObject
{
    Q_OBJECT

private slots:
    void fifoIsRefusedWithoutHoldingTheWindow();
    void floodOfOutputGivesADialogThatOpensAtOnce();

private:
    Window1Services services(MessagePresenter *dialogs, const QString &ghostscript);

    TestWindowServices m_window;
};

Window1Services TestHostileDrops::services(MessagePresenter *dialogs, const QString &ghostscript)
{
    Window1Services services = m_window.services(dialogs);
    services.dropCandidates = {ghostscript};
    return services;
}

void TestHostileDrops::fifoIsRefusedWithoutHoldingTheWindow()
{
    const QString gs = TestFiles::realGhostscript();
    QVERIFY2(!gs.isEmpty(), "gs is needed");
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("x.ps"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    TestFiles::writeBytes(dir.filePath(QStringLiteral("x.pdf")), "older PDF");
    ScriptedPresenter dialogs;
    Window1 window(services(&dialogs, gs));
    QVERIFY(OpenWindow(window));

    // Should anything open the FIFO with no time-out, its other end is opened
    // after a while, so that the test fails instead of hanging.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread rescuer([&] {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, std::chrono::seconds(45), [&] { return done; })) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    });
    bool progressShown = false;
    QTimer poll;
    poll.setInterval(50);
    connect(&poll, &QTimer::timeout, &window, [&] {
        const auto *progress = window.findChild<QDialog *>(QStringLiteral("conversionProgress"));
        progressShown = progressShown || (progress != nullptr && progress->isVisible());
    });
    poll.start();
    PaintWatch paints(window.Canvas1());
    QElapsedTimer clock;
    clock.start();

    QVERIFY(DropFiles(window.Canvas1(), {fifo}));
    QTRY_VERIFY_WITH_TIMEOUT(!dialogs.shown.isEmpty(), 60000);
    const qint64 elapsed = clock.elapsed();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_all();
    rescuer.join();

    qInfo("failure dialog after %lld ms; longest pause between paints %lld ms", elapsed,
          paints.longestGapMs());
    // Refused as soon as it is opened, before any progress dialog is due.
    QVERIFY2(elapsed < 2000, qPrintable(QString::number(elapsed)));
    QCOMPARE(dialogs.shown.first().message, kFailure);
    QVERIFY(dialogs.shown.first().explanation.endsWith(
        QStringLiteral(": Es handelt sich nicht um eine gew\u00f6hnliche Datei, sondern etwa um "
                       "eine Pipe oder ein Ger\u00e4t.")));
    QVERIFY(!progressShown);
    QVERIFY2(paints.longestGapMs() < 2000, qPrintable(QString::number(paints.longestGapMs())));
    QCOMPARE(TestFiles::readBytes(dir.filePath(QStringLiteral("x.pdf"))), QByteArray("older PDF"));

    // The window takes the next drop as usual.
    const QString hello = dir.filePath(QStringLiteral("hello.ps"));
    QVERIFY(QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), hello));
    QVERIFY(DropFiles(window.Canvas1(), {hello}));
    QTRY_VERIFY_WITH_TIMEOUT(dialogs.shown.size() == 2, 30000);
    QCOMPARE(dialogs.shown.at(1).message, QStringLiteral("Erfolg!"));
}

void TestHostileDrops::floodOfOutputGivesADialogThatOpensAtOnce()
{
    // A Ghostscript that prints 100 MiB on one line, the hardest text to lay
    // out, and fails. The dialog is the window's own Qt message box.
    QTemporaryDir dir;
    const QString talker = dir.filePath(QStringLiteral("gs"));
    TestFiles::writeScript(talker, "printf 'Anfang '\n"
                                   "head -c 104857600 /dev/zero | tr '\\0' x\n"
                                   "printf ' Ende'\nexit 1\n");
    const QString input = dir.filePath(QStringLiteral("x.ps"));
    QVERIFY(QFile::copy(TestFiles::fixture(QStringLiteral("hello.ps")), input));
    Window1 window(services(nullptr, talker));
    QVERIFY(OpenWindow(window));
    PaintWatch paints(window.Canvas1());

    QElapsedTimer clock;
    qint64 shownAt = -1;
    // When Ghostscript had said all: making 100 MiB takes a loaded machine
    // seconds, which is not the dialog's time.
    qint64 endedAt = -1;
    bool watching = false;
    QString message;
    QString shownText;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, &window, [&] {
        if (!watching && window.RunningConversion() != nullptr) {
            watching = true;
            connect(window.RunningConversion(), &ConversionJob::ghostscriptFinished, &window,
                    [&] { endedAt = clock.elapsed(); });
        }
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        if (shownAt < 0) {
            shownAt = clock.elapsed();
            message = box->text();
            if (const auto *area = box->findChild<QPlainTextEdit *>(QStringLiteral("explanationArea")))
                shownText = area->toPlainText();
        }
        box->buttons().first()->click();
    });
    poll.start();

    clock.start();
    QVERIFY(DropFiles(window.Canvas1(), {input}));
    QTRY_VERIFY_WITH_TIMEOUT(shownAt >= 0, 60000);

    qInfo("dialog open %lld ms after the drop, %lld ms after Ghostscript ended; longest pause "
          "between paints %lld ms",
          shownAt, shownAt - endedAt, paints.longestGapMs());
    QCOMPARE(message, kFailure);
    QVERIFY(endedAt >= 0);
    QVERIFY2(shownAt - endedAt < 5000, qPrintable(QString::number(shownAt - endedAt)));
    QVERIFY(shownText.startsWith(QStringLiteral("Ausgabe:\nAnfang xxx")));
    QVERIFY(shownText.endsWith(QStringLiteral("xxx Ende")));
    QVERIFY(shownText.contains(QStringLiteral(" Bytes der Ausgabe ausgelassen")));
    QVERIFY(shownText.size() < 300 * 1024);
    QVERIFY2(paints.longestGapMs() < 3000, qPrintable(QString::number(paints.longestGapMs())));

    // Closed, it leaves the window ready for the next drop.
    shownAt = -1;
    QVERIFY(DropFiles(window.Canvas1(), {dir.filePath(QStringLiteral("notes.txt"))}));
    QTRY_VERIFY_WITH_TIMEOUT(shownAt >= 0, 10000);
    QCOMPARE(message, QStringLiteral("Keine PostScript-Datei"));
}

QTEST_MAIN(TestHostileDrops)
#include "tst_HostileDrops.moc"
