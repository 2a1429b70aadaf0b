#include "convert/watch/WatchedFolder.h"

#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray page(const QByteArray &text)
{
    return "/Helvetica findfont 12 scalefont setfont 72 720 moveto (" + text + ") show showpage\n";
}

QByteArray document(int pages)
{
    QByteArray bytes = "%!PS\n";
    for (int i = 1; i <= pages; ++i)
        bytes += page("page " + QByteArray::number(i));
    return bytes;
}

// A watched folder W with real inotify and a real Ghostscript.
class WatchedFolderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_gs = TestFiles::realGhostscript();
        ASSERT_FALSE(m_gs.isEmpty()) << "gs is needed";
        ASSERT_TRUE(QDir().mkpath(in()));
    }

    void start(WatchOptions options = {})
    {
        options.settleMs = 300;
        m_folder = std::make_unique<WatchedFolder>(m_gs, m_dir.path(), options);
        QObject::connect(m_folder.get(), &WatchedFolder::fileDone,
                         [this](const WatchedFile &file) { m_done << file; });
        QString error;
        ASSERT_TRUE(m_folder->start(&error)) << error.toStdString();
    }

    // Lets the event loop run until count files are done, then a little
    // longer, to see that none is done twice.
    void waitFor(qsizetype count, int milliseconds = 60000)
    {
        QElapsedTimer clock;
        clock.start();
        while (m_done.size() < count && clock.elapsed() < milliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const qint64 doneAt = clock.elapsed();
        while (clock.elapsed() < doneAt + 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    QString in(const QString &name = {}) const { return subfolder(QStringLiteral("In"), name); }
    QString out(const QString &name = {}) const { return subfolder(QStringLiteral("Out"), name); }
    QString errors(const QString &name = {}) const
    {
        return subfolder(QStringLiteral("Errors"), name);
    }
    QString subfolder(const QString &folder, const QString &name) const
    {
        return m_dir.filePath(name.isEmpty() ? folder : folder + QLatin1Char('/') + name);
    }
    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                          QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    QStringList converted() const
    {
        QStringList names;
        for (const WatchedFile &file : m_done)
            if (file.converted)
                names << file.output;
        names.sort();
        return names;
    }

    QString m_gs;
    QTemporaryDir m_dir;
    std::unique_ptr<WatchedFolder> m_folder;
    QList<WatchedFile> m_done;
};

// What was there before watching began and a corpus copied in at once: each
// converted once, its PDF and then its input in Out, In left empty.
TEST_F(WatchedFolderTest, FilesPresentAtStartAndACorpusCopiedAtOnceAreEachConvertedOnce)
{
    TestFiles::writeBytes(in(QStringLiteral("early1.ps")), document(1));
    TestFiles::writeBytes(in(QStringLiteral("early2.ps")), document(2));
    start();
    QTemporaryDir corpus;
    for (int i = 1; i <= 4; ++i)
        TestFiles::writeBytes(corpus.filePath(QStringLiteral("doc%1.ps").arg(i)), document(i));
    ASSERT_EQ(QProcess::execute(QStringLiteral("/bin/sh"),
                                {QStringLiteral("-c"),
                                 QStringLiteral("cp '%1'/* '%2'/").arg(corpus.path(), in())}),
              0);
    waitFor(6);
    EXPECT_EQ(converted(), (QStringList{"Out/doc1.pdf", "Out/doc2.pdf", "Out/doc3.pdf",
                                        "Out/doc4.pdf", "Out/early1.pdf", "Out/early2.pdf"}));
    EXPECT_EQ(m_done.size(), 6);
    EXPECT_EQ(entries(in()), QStringList());
    EXPECT_EQ(entries(errors()), QStringList());
    EXPECT_EQ(TestFiles::pdfPageCount(out(QStringLiteral("doc3.pdf"))), 3);
    EXPECT_EQ(TestFiles::readBytes(out(QStringLiteral("doc4.ps"))), document(4));
}

// Written page by page through one descriptor, with pauses longer than the
// settle time: converted once, whole.
TEST_F(WatchedFolderTest, AFileWrittenSlowlyIsConvertedOnceWhole)
{
    start();
    QProcess writer;
    QString script = QStringLiteral("exec 3>'%1'; printf '%%%%!PS\\n' >&3; ")
                         .arg(in(QStringLiteral("slow.ps")));
    for (int i = 1; i <= 3; ++i)
        script += QStringLiteral("printf '%1' >&3; sleep 1; ").arg(QString::fromLatin1(page("p")));
    writer.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script + "exec 3>&-"});
    waitFor(1);
    writer.waitForFinished(10000);
    ASSERT_EQ(m_done.size(), 1);
    EXPECT_TRUE(m_done.first().converted) << m_done.first().reason.toStdString();
    EXPECT_EQ(TestFiles::pdfPageCount(out(QStringLiteral("slow.pdf"))), 3);
}

// A broken document, a text file, and entries that are no files: each in
// Errors with its log. The link's target, a PostScript file outside, is
// never converted; the FIFO is never opened, or the test would hang.
TEST_F(WatchedFolderTest, WhatCannotBeConvertedGoesToErrorsWithItsLog)
{
    QTemporaryDir outside;
    TestFiles::writeBytes(outside.filePath(QStringLiteral("private.ps")), document(1));
    start();
    TestFiles::writeBytes(in(QStringLiteral("broken.ps")), "%!PS\nthisoperatordoesnotexist\n");
    TestFiles::writeBytes(in(QStringLiteral("notes.txt")), "plain text\n");
    ASSERT_EQ(::symlink(QFile::encodeName(outside.filePath(QStringLiteral("private.ps"))),
                        QFile::encodeName(in(QStringLiteral("link.ps")))),
              0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(in(QStringLiteral("pipe.ps"))), 0600), 0);
    ASSERT_TRUE(QDir(in()).mkdir(QStringLiteral("folder.ps")));
    waitFor(5);
    EXPECT_EQ(m_done.size(), 5);
    EXPECT_EQ(converted(), QStringList());
    EXPECT_EQ(entries(out()), QStringList());
    EXPECT_EQ(entries(in()), QStringList());
    EXPECT_EQ(entries(errors()),
              (QStringList{"broken.ps", "broken.ps.log", "folder.ps", "folder.ps.log", "link.ps",
                           "link.ps.log", "notes.txt", "notes.txt.log", "pipe.ps",
                           "pipe.ps.log"}));
    const QByteArray broken = TestFiles::readBytes(errors(QStringLiteral("broken.ps.log")));
    EXPECT_TRUE(broken.startsWith("Error: /undefined in thisoperatordoesnotexist\n\n"))
        << broken.constData();
    EXPECT_TRUE(broken.contains("GPL Ghostscript")) << "the transcript follows the reason";
    EXPECT_EQ(TestFiles::readBytes(errors(QStringLiteral("notes.txt.log"))),
              "Die Datei ist keine PostScript-Datei (.ps oder .eps).\n");
    EXPECT_TRUE(TestFiles::readBytes(errors(QStringLiteral("link.ps.log")))
                    .startsWith("Es handelt sich um einen symbolischen Link"));
    EXPECT_TRUE(QFileInfo(errors(QStringLiteral("link.ps"))).isSymLink());
}

// A second file of a name already converted gets a number; the first PDF
// and its input stay as they were. One with missing fonts never asks: it
// goes to Errors with the fonts named, and its PDF with it.
TEST_F(WatchedFolderTest, ASecondFileOfANameIsNumberedAndMissingFontsAreErrors)
{
    start();
    TestFiles::writeBytes(in(QStringLiteral("x.ps")), document(1));
    waitFor(1);
    TestFiles::writeBytes(in(QStringLiteral("x.ps")), document(2));
    QFile::copy(TestFiles::fixture(QStringLiteral("missing-fonts/lucida_futura.ps")),
                in(QStringLiteral("fonts.ps")));
    waitFor(3);
    EXPECT_EQ(converted(), (QStringList{"Out/x (2).pdf", "Out/x.pdf"}));
    EXPECT_EQ(TestFiles::pdfPageCount(out(QStringLiteral("x.pdf"))), 1);
    EXPECT_EQ(TestFiles::pdfPageCount(out(QStringLiteral("x (2).pdf"))), 2);
    EXPECT_EQ(TestFiles::readBytes(out(QStringLiteral("x (2).ps"))), document(2));
    EXPECT_EQ(entries(out()), (QStringList{"x (2).pdf", "x (2).ps", "x.pdf", "x.ps"}));
    EXPECT_EQ(entries(errors()), (QStringList{"fonts.pdf", "fonts.ps", "fonts.ps.log"}));
    EXPECT_TRUE(TestFiles::readBytes(errors(QStringLiteral("fonts.ps.log")))
                    .startsWith("Fehlende Fonts: LucidaGrande"));
}

} // namespace
