#pragma once

#include "convert/fonts/FontIndex.h"

#include <QByteArrayList>
#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <memory>

class InstalledFontHandover;

// The stage of a job that hands Ghostscript the installed fonts the document
// names, looked up in the font index. Only the first conversion of the
// process finds the index unfinished; it waits for it within its own time and
// goes without when the index is not ready by then. handedOver() follows each
// handOver() once: at once when the index is at hand, else when it is ready.
class FontHandoverStage : public QObject
{
    Q_OBJECT

public:
    explicit FontHandoverStage(std::shared_ptr<FontIndex> index, QObject *parent = nullptr);
    ~FontHandoverStage() override;

    // Null: no fonts are handed over.
    void setFontIndex(std::shared_ptr<FontIndex> index) { m_index = std::move(index); }
    // Lets the index be built while the input is read.
    void prepareIndex();
    void handOver(const QByteArrayList &documentFonts, int timeoutMs);
    // Hands over more fonts, those of names that are installed; how many
    // were added.
    int add(const QByteArrayList &names);

    // What Ghostscript is handed; null until the index was at hand.
    InstalledFontHandover *handover() const { return m_handover.get(); }
    QByteArrayList names() const;

signals:
    void handedOver();

private:
    void take(const FontIndex::Snapshot &fonts, const QByteArrayList &documentFonts);

    std::shared_ptr<FontIndex> m_index;
    std::unique_ptr<InstalledFontHandover> m_handover;
    QFutureWatcher<FontIndex::Snapshot> m_waiting;
    QTimer m_deadline;
    QByteArrayList m_documentFonts;
};
