// The prolog and the sample sheet carry font names inside PostScript strings.
// Real Ghostscript reads them here, for a table of awkward names and for the
// names of the fuzzer's committed corpus, and each must come back byte for byte.

#include "convert/fonts/FontSubstitution.h"
#include "fontsheet/FontSampleSheet.h"

#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kCorpus = QStringLiteral(PAGORA_FIXTURES "/../fuzz/corpus/fuzz_postscript_strings");

QStringList awkwardNames()
{
    QStringList names{
        QStringLiteral("Lucida Grande"),
        QStringLiteral("Odd(Name"),
        QStringLiteral("Odd)Name("),
        QStringLiteral("back\\slash\\"),
        QStringLiteral("\\101 looks octal"),
        QStringLiteral("carriage\rreturn"),
        QStringLiteral("both\r\nbreaks"),
        QStringLiteral("line\nfeed"),
        QStringLiteral("Schrift\u00c4Grotesk \u2022 \U0001F600"),
        QStringLiteral("%not a comment"),
        QStringLiteral("/Slash [Bracket] {Brace} <Angle>"),
        QStringLiteral("tab\there"),
        QString(QChar(0)) + QStringLiteral("nul"),
        QString(300, QLatin1Char('x')),
    };
    // As the fuzzer reads its inputs: names separated by NUL bytes, and the whole.
    const QDir corpus(kCorpus);
    for (const QString &file : corpus.entryList(QDir::Files)) {
        const QByteArray bytes = TestFiles::readBytes(corpus.filePath(file));
        for (const QByteArray &piece : bytes.split('\0'))
            names << QString::fromUtf8(piece);
        names << QString::fromUtf8(bytes);
    }
    return names;
}

QByteArray hex(const QString &name)
{
    return '<' + name.toUtf8().toHex() + '>';
}

} // namespace

TEST(PostScriptNames, GhostscriptReadsEveryNameBackFromThePrologAndTheSheet)
{
    const QString gs = TestFiles::realGhostscript();
    ASSERT_FALSE(gs.isEmpty()) << "gs is needed";
    const QStringList names = awkwardNames();
    ASSERT_GT(names.size(), 20);

    QByteArray program = "%!PS\n";
    // Each prolog line without its last three words leaves the missing name
    // and its target on the stack.
    const QByteArray ending = " findfont definefont pop";
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray line = FontSubstitutionLine(names[i].toUtf8());
        ASSERT_TRUE(line.endsWith(ending)) << line.toStdString();
        program += line.chopped(ending.size()) + '\n' + hex(QString::fromUtf8(SubstitutionTargetName(names[i].toUtf8()))) +
                   " cvn eq exch " + hex(names[i]) + " cvn eq and not { (prolog " +
                   QByteArray::number(i) + "\\n) print } if\n";
    }
    // The sheet's name definitions, as the sheet writes them.
    const QByteArray sheet = BuildFontSampleSheet(names);
    const qsizetype from = sheet.indexOf("\n/Font1 (") + 1;
    const qsizetype to = sheet.indexOf("\nFont1 Fix_Encoding\n");
    ASSERT_GT(from, 0);
    ASSERT_GT(to, from);
    program += sheet.mid(from, to - from);
    for (qsizetype k = 1; k <= names.size(); ++k) {
        program += "Font" + QByteArray::number(k) + ' ' + hex(names[k - 1]) + " eq not { (sheet " +
                   QByteArray::number(k) + "\\n) print } if\n";
    }
    program += "(checked " + QByteArray::number(names.size()) + "\\n) print\n";

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("names.ps"));
    TestFiles::writeBytes(file, program);
    const QByteArray output = TestFiles::runTool(
        gs, {QStringLiteral("-q"), QStringLiteral("-dNODISPLAY"), QStringLiteral("-dBATCH"),
             QStringLiteral("-dNOPAUSE"), QStringLiteral("-dSAFER"), file});
    EXPECT_EQ(output.toStdString(), "checked " + std::to_string(names.size()) + '\n');
}
