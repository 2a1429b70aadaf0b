#include "InstalledTestFonts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

// The fonts made; the first two are installed in the home.
const QStringList kFontFiles{QStringLiteral("PagoraTestSans.ttc"),
                             QStringLiteral("PagoraTestSerif.otf"),
                             QStringLiteral("PagoraTestExtra.ttf")};
constexpr qsizetype kInstalledFonts = 2;
constexpr qsizetype kExtraFont = 2;

// The fonts are made once per test program and kept in memory: a test's
// temporary folder may go with the test.
QList<QByteArray> madeFonts(QString *error)
{
    static QList<QByteArray> fonts;
    static QString failure;
    static bool done = false;
    if (!done) {
        done = true;
        QTemporaryDir made;
        // The system's own Python, which python3-fonttools belongs to.
        QString python = QStringLiteral("/usr/bin/python3");
        if (!QFileInfo(python).isExecutable())
            python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(python, {QStringLiteral(PAGORA_TEST_FONT_MAKER),
                               QStringLiteral("/usr/share/fonts/truetype/dejavu"), made.path()});
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            failure = QStringLiteral("cannot make the test fonts: ") +
                      QString::fromLocal8Bit(process.readAll()) + process.errorString();
        for (const QString &name : kFontFiles) {
            QFile file(made.filePath(name));
            if (failure.isEmpty() && !file.open(QIODevice::ReadOnly))
                failure = QStringLiteral("cannot read the test font ") + name;
            fonts << file.readAll();
        }
    }
    *error = failure;
    return fonts;
}

} // namespace

InstalledTestFonts::InstalledTestFonts()
{
    const QList<QByteArray> fonts = madeFonts(&m_error);
    if (!m_error.isEmpty())
        return;
    QDir().mkpath(fontFolder());
    for (qsizetype i = 0; i < kInstalledFonts; ++i) {
        QFile file(fontFolder() + QLatin1Char('/') + kFontFiles[i]);
        if (!file.open(QIODevice::WriteOnly) || file.write(fonts[i]) != fonts[i].size())
            m_error = QStringLiteral("cannot write ") + file.fileName();
    }
    const auto set = [this](const char *name, const QString &value) {
        QDir().mkpath(value);
        m_variables.push_back(std::make_unique<ScopedVariable>(name, QFile::encodeName(value)));
    };
    set("HOME", home());
    set("XDG_DATA_HOME", home() + QStringLiteral("/.local/share"));
    set("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")));
    set("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")));
}

QString InstalledTestFonts::home() const
{
    return m_dir.filePath(QStringLiteral("home"));
}

QString InstalledTestFonts::fontFolder() const
{
    return home() + QStringLiteral("/.local/share/fonts");
}

QString InstalledTestFonts::collection() const
{
    return fontFolder() + QStringLiteral("/PagoraTestSans.ttc");
}

QString InstalledTestFonts::cffFont() const
{
    return fontFolder() + QStringLiteral("/PagoraTestSerif.otf");
}

QByteArray InstalledTestFonts::referenceMap() const
{
    QByteArray map;
    const QByteArray ttc = QFile::encodeName(collection());
    int index = 0;
    for (const char *style : {"Regular", "Bold", "Mono"})
        map += "/PagoraTestSans-" + QByteArray(style) + " << /Path (" + ttc +
               ") /FontType 42 /SubfontID " + QByteArray::number(index++) + " >> ;\n";
    map += "/PagoraTestSerif-Regular (" + QFile::encodeName(cffFont()) + ") ;\n";
    return map;
}

QByteArray InstalledTestFonts::extraFont() const
{
    QString error;
    return madeFonts(&error).value(kExtraFont);
}

bool InstalledTestFonts::addFontFolder(const QString &folder)
{
    m_addedFolders << folder;
    QByteArray config = "<?xml version=\"1.0\"?>\n"
                        "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                        "<fontconfig>\n";
    for (const QString &added : std::as_const(m_addedFolders))
        config += "  <dir>" + added.toHtmlEscaped().toUtf8() + "</dir>\n";
    config += "</fontconfig>\n";
    const QString folderOfConfig = m_dir.filePath(QStringLiteral("config/fontconfig"));
    QFile file(folderOfConfig + QStringLiteral("/fonts.conf"));
    return QDir().mkpath(folderOfConfig) && file.open(QIODevice::WriteOnly) &&
           file.write(config) == config.size();
}

QByteArray RenamedType1Font(const QByteArray &fontName)
{
    QFile file(QStringLiteral("/usr/share/fonts/type1/urw-base35/P052-Roman.t1"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray font = file.readAll();
    const QByteArray line = "\n/FontName /P052-Roman def";
    const qsizetype at = font.indexOf(line);
    if (at < 0)
        return {};
    return font.replace(at, line.size(), "\n/FontName " + fontName + " def");
}

double RenderedDifference(const QString &pdfA, const QString &pdfB)
{
    QTemporaryDir dir;
    QList<QByteArray> pictures;
    for (const QString &pdf : {pdfA, pdfB}) {
        const QString prefix = dir.filePath(QString::number(pictures.size()));
        QProcess process;
        process.start(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-gray"),
                       QStringLiteral("-singlefile"), QStringLiteral("-f"), QStringLiteral("1"),
                       QStringLiteral("-l"), QStringLiteral("1"), pdf, prefix});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return -1;
        QFile file(prefix + QStringLiteral(".pgm"));
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        pictures << file.readAll();
    }
    if (pictures[0].size() != pictures[1].size() || pictures[0].isEmpty())
        return -1;
    qsizetype differing = 0;
    for (qsizetype i = 0; i < pictures[0].size(); ++i)
        differing += pictures[0][i] != pictures[1][i];
    return double(differing) / double(pictures[0].size());
}

QByteArray MixedFontsDocument()
{
    return "%!PS-Adobe-3.0\n"
           "%%DocumentNeededResources: font PagoraTestSans-Regular PagoraTestSans-Bold\n"
           "%%+ font PagoraTestSans-Mono PagoraTestSerif-Regular PagoraNowhere-Regular\n"
           "%%EndComments\n"
           "/PagoraTestSans-Regular findfont 30 scalefont setfont 40 700 moveto (Regular Hamburg) show\n"
           "/PagoraTestSans-Bold findfont 30 scalefont setfont 40 640 moveto (Bold Hamburg) show\n"
           "/PagoraTestSans-Mono 30 selectfont 40 580 moveto (Mono Hamburg) show\n"
           "/PagoraTestSerif-Regular findfont 30 scalefont setfont 40 520 moveto (Serif Hamburg) show\n"
           "/PagoraNowhere-Regular findfont 30 scalefont setfont 40 460 moveto (Nowhere) show\n"
           "showpage\n";
}
