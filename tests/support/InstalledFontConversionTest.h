#pragma once

#include "InstalledTestFonts.h"
#include "JobTestSupport.h"
#include "MissingFontTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include "convert/fonts/FontIndex.h"
#include "convert/job/ConversionJob.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Conversions with the test fonts installed for the user: real fonts, real
// fontconfig, real Ghostscript, and a font index of the test's own (the
// process's one was made from another home).
class InstalledFontConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ensureCoreApplication();
        m_ghostscript = TestFiles::realGhostscript();
        if (m_ghostscript.isEmpty())
            GTEST_SKIP() << "no Ghostscript installed";
        m_fonts = std::make_unique<InstalledTestFonts>();
        ASSERT_TRUE(m_fonts->isValid()) << m_fonts->error().toStdString();
        m_index = std::make_shared<FontIndex>();
    }

    FontIndex::Snapshot waitForIndex()
    {
        QFuture<FontIndex::Snapshot> snapshot = m_index->snapshot();
        snapshot.waitForFinished();
        return snapshot.result();
    }

    struct Result {
        ConversionJob::Outcome outcome = ConversionJob::Outcome::Failed;
        QByteArrayList installed;
        QByteArrayList missing;
        bool pdfPlaced = false;
        qint64 ms = 0;
        // Everything the job told: its failure text, and its dialogs when
        // nobody else answered them.
        QString told;
    };

    // Converts document, written as NAME.ps, to NAME.pdf. Without dialogs,
    // every dialog is answered with its default button and kept in told.
    Result convert(const QByteArray &document, const QString &name,
                   ConversionJob::MissingFonts policy = ConversionJob::MissingFonts::Report,
                   MessagePresenter *dialogs = nullptr)
    {
        const QString input = m_work.filePath(name + QStringLiteral(".ps"));
        TestFiles::writeBytes(input, document);
        ScriptedPresenter ownDialogs;
        auto *job = new ConversionJob(m_ghostscript, input, pdf(name),
                                      dialogs != nullptr ? dialogs : &ownDialogs);
        job->setFontIndex(m_index);
        job->setMissingFonts(policy);
        Result result;
        QObject::connect(job, &ConversionJob::finished, [&result, job] {
            result.installed = job->installedFonts();
            result.missing = job->missingFonts();
            result.pdfPlaced = job->pdfPlaced();
            result.told = job->failureText();
        });
        QElapsedTimer clock;
        clock.start();
        job->start();
        result.outcome = JobTestSupport::waitForJob(job, 90000);
        result.ms = clock.elapsed();
        for (const MessageDialog &dialog : std::as_const(ownDialogs.shown))
            result.told += dialog.message + dialog.explanation + dialog.details;
        return result;
    }

    QString pdf(const QString &name) const
    {
        return m_work.filePath(name + QStringLiteral(".pdf"));
    }

    QString m_ghostscript;
    std::unique_ptr<InstalledTestFonts> m_fonts;
    std::shared_ptr<FontIndex> m_index;
    QTemporaryDir m_work;
    PrivateTemporaryFolder m_temporary;
};
