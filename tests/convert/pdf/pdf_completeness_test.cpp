#include "convert/pdf/PdfCompleteness.h"

#include "TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A PDF as Ghostscript writes it, and its trailer's offset.
class PdfCompleteness : public testing::Test
{
protected:
    void SetUp() override
    {
        const QString gs = TestFiles::realGhostscript();
        ASSERT_FALSE(gs.isEmpty()) << "gs is needed";
        TestFiles::runTool(gs, {QStringLiteral("-q"), QStringLiteral("-dBATCH"),
                                QStringLiteral("-dNOPAUSE"), QStringLiteral("-dSAFER"),
                                QStringLiteral("-sDEVICE=pdfwrite"),
                                QStringLiteral("-sOutputFile=") + path(),
                                TestFiles::fixture(QStringLiteral("hello.ps"))});
        m_pdf = TestFiles::readBytes(path());
        ASSERT_GT(m_pdf.size(), 1000);
    }

    QString path() const { return m_dir.filePath(QStringLiteral("x.pdf")); }
    bool completeAfterWriting(const QByteArray &bytes) const
    {
        TestFiles::writeBytes(path(), bytes);
        return IsCompletePdf(path());
    }

    QTemporaryDir m_dir;
    QByteArray m_pdf;
};

} // namespace

TEST_F(PdfCompleteness, GhostscriptsPdfIsCompleteAndEveryCutOfItIsNot)
{
    EXPECT_TRUE(completeAfterWriting(m_pdf));
    EXPECT_TRUE(completeAfterWriting(m_pdf.chopped(1))); // the last line feed is no matter
    for (const qsizetype kept : {qsizetype(0), qsizetype(9), m_pdf.size() / 2, m_pdf.size() - 4,
                                 m_pdf.size() - 7, m_pdf.size() - 20}) {
        EXPECT_FALSE(completeAfterWriting(m_pdf.left(kept))) << kept;
    }
}

TEST_F(PdfCompleteness, TrailerMustLeadToTheCrossReferenceSection)
{
    const std::optional<qint64> offset = StartXrefOffset(m_pdf.right(kPdfTrailerBytes));
    ASSERT_TRUE(offset.has_value());
    EXPECT_TRUE(m_pdf.mid(*offset).startsWith("xref"));

    // A hole before the section, as when one write failed and later ones did
    // not, moves the section away from where the trailer says it is.
    QByteArray shifted = m_pdf;
    shifted.remove(*offset / 2, 100);
    EXPECT_FALSE(completeAfterWriting(shifted));
    // Anything but white space after the end marker.
    EXPECT_FALSE(completeAfterWriting(m_pdf + "garbage"));
    EXPECT_TRUE(completeAfterWriting(m_pdf + "\r\n  \n"));
}

TEST(PdfTrailer, OffsetsAndSectionStarts)
{
    EXPECT_EQ(StartXrefOffset("startxref\n2358\n%%EOF\n"), 2358);
    EXPECT_EQ(StartXrefOffset("startxref 1\r\nstartxref\r\n77\r\n%%EOF"), 77);
    EXPECT_FALSE(StartXrefOffset("startxref\n2358\n%%EO").has_value());
    EXPECT_FALSE(StartXrefOffset("startxref\n\n%%EOF\n").has_value());
    EXPECT_FALSE(StartXrefOffset("startxref\n99999999999999999999\n%%EOF\n").has_value());
    EXPECT_FALSE(StartXrefOffset("%%EOF\n").has_value());

    EXPECT_TRUE(StartsCrossReference("xref\n0 1\n"));
    EXPECT_TRUE(StartsCrossReference("12 0 obj\n<</Type/XRef>>"));
    EXPECT_FALSE(StartsCrossReference(" xref"));
    EXPECT_FALSE(StartsCrossReference("12 0 ob"));
    EXPECT_FALSE(StartsCrossReference("endobj"));
    EXPECT_FALSE(StartsCrossReference(""));
}
