// EPS figures come out as PDF pages of their own size: their bounding box.
#include "JobTestSupport.h"
#include "MissingFontTestSupport.h"
#include "ScriptedPresenter.h"
#include "TestFiles.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <optional>

using TestFiles::writeBytes;

namespace {

const QByteArray kFigure = "newpath 100 100 moveto 300 250 lineto 2 setlinewidth stroke\n"
                           "/Helvetica findfont 12 scalefont setfont 110 230 moveto (Fig) show\n";

// A figure with a DOS binary header in front: the PostScript section, then a
// preview that Ghostscript passes over.
QByteArray withBinaryHeader(const QByteArray &postScript)
{
    const QByteArray preview(200, '\x2a');
    QByteArray header(30, '\0');
    auto put = [&header](int at, quint32 value) { qToLittleEndian(value, header.data() + at); };
    header.replace(0, 4, "\xC5\xD0\xD3\xC6");
    put(4, 30);                                        // PostScript section
    put(8, quint32(postScript.size()));
    put(12, 0);                                        // no WMF preview
    put(16, 0);
    put(20, quint32(30 + postScript.size()));          // TIFF preview
    put(24, quint32(preview.size()));
    header[28] = '\xff';
    header[29] = '\xff';
    return header + postScript + preview;
}

struct Size {
    double width;
    double height;
};

std::optional<Size> pageSize(const QString &pdf)
{
    const QString info =
        QString::fromUtf8(TestFiles::runTool(QStringLiteral("pdfinfo"), {pdf}));
    static const QRegularExpression line(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
    const QRegularExpressionMatch match = line.match(info);
    if (!match.hasMatch())
        return std::nullopt;
    return Size{match.captured(1).toDouble(), match.captured(2).toDouble()};
}

struct FigureCase {
    const char *name;
    QByteArray bytes;   // empty: the file named in source
    const char *source; // a real figure on this machine
    double width;       // of its bounding box; 0: a whole default page
    double height;
};

void PrintTo(const FigureCase &figureCase, std::ostream *os)
{
    *os << figureCase.name;
}

const QByteArray kEpsHead = "%!PS-Adobe-3.0 EPSF-3.0\n";

const FigureCase kFigures[] = {
    {"tk_logo", {}, "/usr/share/tcltk/tk8.6/images/logo.eps", 370.5213 - 251.3386,
     511.775 - 331.5616},
    {"tk_pwrd_logo", {}, "/usr/share/tcltk/tk8.6/images/pwrdLogo.eps", 376.3322 - 242.0523,
     512.5323 - 302.5199},
    {"plain_box", kEpsHead + "%%BoundingBox: 90 90 310 260\n%%EndComments\n" + kFigure, nullptr,
     220, 170},
    {"hires_box",
     kEpsHead + "%%BoundingBox: 90 90 311 261\n%%HiResBoundingBox: 90.5 90.25 310.75 260.5\n"
                "%%EndComments\n" + kFigure,
     nullptr, 220.25, 170.25},
    {"atend",
     kEpsHead + "%%BoundingBox: (atend)\n%%EndComments\n" + kFigure +
         "%%Trailer\n%%BoundingBox: 90 90 310 260\n%%EOF\n",
     nullptr, 220, 170},
    {"binary_header",
     withBinaryHeader(kEpsHead + "%%BoundingBox: 90 90 310 260\n%%EndComments\n" + kFigure),
     nullptr, 220, 170},
    {"no_box", kEpsHead + "%%EndComments\n" + kFigure, nullptr, 0, 0},
};

class EpsCrop : public testing::TestWithParam<FigureCase>
{
protected:
    PrivateTemporaryFolder m_temporary;
    QTemporaryDir m_docs;
};

} // namespace

TEST_P(EpsCrop, PdfPageIsTheFiguresBoundingBox)
{
    const FigureCase &figure = GetParam();
    const QString input = m_docs.filePath(QString::fromLatin1(figure.name) + ".EPS");
    if (figure.source) {
        if (!QFile::exists(QString::fromLatin1(figure.source)))
            GTEST_SKIP() << figure.source << " is not installed";
        ASSERT_TRUE(QFile::copy(QString::fromLatin1(figure.source), input));
    } else {
        writeBytes(input, figure.bytes);
    }
    const QString output = m_docs.filePath(QString::fromLatin1(figure.name) + ".pdf");
    ScriptedPresenter dialogs;
    ASSERT_EQ(JobTestSupport::convertToEnd(TestFiles::realGhostscript(), input, output, dialogs),
              ConversionJob::Outcome::Converted)
        << (dialogs.shown.isEmpty() ? std::string() : dialogs.shown.last().explanation.toStdString());

    const std::optional<Size> size = pageSize(output);
    ASSERT_TRUE(size);
    if (figure.width == 0) {
        // Without a box Ghostscript keeps its default page, larger than any figure here.
        EXPECT_GT(size->width, 500);
        EXPECT_GT(size->height, 500);
        return;
    }
    EXPECT_NEAR(size->width, figure.width, 1.0);
    EXPECT_NEAR(size->height, figure.height, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Figures, EpsCrop, testing::ValuesIn(kFigures),
                         [](const auto &info) { return std::string(info.param.name); });

// A document named ".ps" keeps its page, even with a figure's header.
TEST(EpsCropOnlyForFigures, PostScriptDocumentKeepsItsPage)
{
    PrivateTemporaryFolder temporary;
    QTemporaryDir docs;
    const QByteArray document = kEpsHead + "%%BoundingBox: 90 90 310 260\n%%EndComments\n" +
                                kFigure + "showpage\n";
    writeBytes(docs.filePath(QStringLiteral("page.ps")), document);
    writeBytes(docs.filePath(QStringLiteral("plain.ps")), document);
    ScriptedPresenter dialogs;
    ASSERT_EQ(JobTestSupport::convertToEnd(TestFiles::realGhostscript(),
                                           docs.filePath(QStringLiteral("page.ps")),
                                           docs.filePath(QStringLiteral("page.pdf")), dialogs),
              ConversionJob::Outcome::Converted);
    // What Ghostscript makes of it on its own, without cropping.
    TestFiles::runTool(TestFiles::realGhostscript(),
                       {QStringLiteral("-q"), QStringLiteral("-dBATCH"), QStringLiteral("-dNOPAUSE"),
                        QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=pdfwrite"),
                        QStringLiteral("-sOutputFile=") + docs.filePath(QStringLiteral("plain.pdf")),
                        docs.filePath(QStringLiteral("plain.ps"))});
    const std::optional<Size> ours = pageSize(docs.filePath(QStringLiteral("page.pdf")));
    const std::optional<Size> plain = pageSize(docs.filePath(QStringLiteral("plain.pdf")));
    ASSERT_TRUE(ours && plain);
    EXPECT_DOUBLE_EQ(ours->width, plain->width);
    EXPECT_DOUBLE_EQ(ours->height, plain->height);
}
