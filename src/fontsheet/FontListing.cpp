#include "fontsheet/FontListing.h"

#include "fontsheet/FontEnumeration.h"
#include "fontsheet/FontSheetTexts.h"
#include "platform/process/ChildProcess.h"

FontListing::Source FontListing::thisSystemsSource()
{
#ifdef Q_OS_MACOS
    return Source::FontFolders;
#else
    return Source::Fontconfig;
#endif
}

FontListing::FontListing(Source source, QObject *parent) : QObject(parent), m_source(source) {}

FontListing::~FontListing() = default;

void FontListing::start()
{
    if (m_child != nullptr)
        return;
    // Made for each run, so that it runs with the environment of this moment.
    m_child = new ChildProcess(this);
    m_child->setTimeout(FontSheetTexts::kFontListingTimeoutMs);
    m_child->setOutputLimit(FontSheetTexts::kFontListingOutputLimit);
    connect(m_child, &ChildProcess::finished, this, &FontListing::onFinished);
    if (m_source == Source::FontFolders)
        m_child->start(QStringLiteral("/bin/sh"),
                       {QStringLiteral("-c"), FontSheetTexts::kFontListingCommand});
    else
        m_child->start(FontSheetTexts::kFontconfigProgram, FontSheetTexts::kFontconfigArguments);
}

QStringList FontListing::namesFrom(Source source, const ProcessResult &result)
{
    const QString listing = CompleteListingLines(result);
    return source == Source::FontFolders ? ParseFontListing(listing)
                                         : ParseFontconfigListing(listing);
}

void FontListing::onFinished(const ProcessResult &result)
{
    // Told from inside the child's own signal: it goes once that has returned.
    m_child->deleteLater();
    m_child = nullptr;
    emit finished(namesFrom(m_source, result));
}
