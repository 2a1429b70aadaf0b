#include "convert/pdf/PdfKind.h"

#include "convert/job/ConversionTexts.h"

#include <iterator>

namespace {

struct KindEntry {
    PdfKind kind;
    const char *key;
    const ProgramText *name;
    // Ghostscript's options for the kind; an archive's profile is added to them.
    const char *const *options;
    // Every font embedded: Ghostscript leaves the 14 standard fonts out by
    // default, and a print shop or an archive wants them in.
    bool embedAllFonts;
};

const char *const kNoOptions[] = {nullptr};
const char *const kArchiveOptions[] = {"-dPDFA=2", "-dPDFACompatibilityPolicy=1",
                                       "-sColorConversionStrategy=RGB", nullptr};
const char *const kPrintOptions[] = {"-dPDFSETTINGS=/prepress", "-dEmbedAllFonts=true",
                                     nullptr};
const char *const kSmallFileOptions[] = {"-dPDFSETTINGS=/ebook", nullptr};
const char *const kGrayscaleOptions[] = {"-sColorConversionStrategy=Gray", nullptr};

// The one table of kinds.
const KindEntry kKinds[] = {
    {PdfKind::Standard, "standard", &ConversionTexts::kPdfKindStandard, kNoOptions, false},
    {PdfKind::Archive, "pdfa", &ConversionTexts::kPdfKindArchive, kArchiveOptions, true},
    {PdfKind::Print, "print", &ConversionTexts::kPdfKindPrint, kPrintOptions, true},
    {PdfKind::SmallFile, "small", &ConversionTexts::kPdfKindSmallFile, kSmallFileOptions, false},
    {PdfKind::Grayscale, "gray", &ConversionTexts::kPdfKindGrayscale, kGrayscaleOptions, false},
};

const KindEntry &entryOf(PdfKind kind)
{
    for (const KindEntry &entry : kKinds) {
        if (entry.kind == kind)
            return entry;
    }
    return kKinds[0];
}

} // namespace

QList<PdfKind> AllPdfKinds()
{
    QList<PdfKind> kinds;
    for (const KindEntry &entry : kKinds)
        kinds.append(entry.kind);
    return kinds;
}

QString PdfKindKey(PdfKind kind)
{
    return QLatin1String(entryOf(kind).key);
}

std::optional<PdfKind> PdfKindFromKey(const QString &key)
{
    for (const KindEntry &entry : kKinds) {
        if (key == QLatin1String(entry.key))
            return entry.kind;
    }
    return std::nullopt;
}

QString PdfKindName(PdfKind kind)
{
    return *entryOf(kind).name;
}

QStringList PdfKindOptions(PdfKind kind, const QString &profilePath)
{
    QStringList options;
    for (const char *const *option = entryOf(kind).options; *option != nullptr; ++option)
        options << QLatin1String(*option);
    // The definition file opens the profile, which -dSAFER would refuse.
    if (kind == PdfKind::Archive && !profilePath.isEmpty())
        options << QStringLiteral("--permit-file-read=") + profilePath;
    return options;
}

QString PdfKindSetupCode(PdfKind kind)
{
    if (!entryOf(kind).embedAllFonts)
        return {};
    return QStringLiteral("<< /NeverEmbed [ ] >> setdistillerparams");
}

bool PdfKindNeedsDefinition(PdfKind kind)
{
    return kind == PdfKind::Archive;
}
