#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What every way in decides alike about a file handed to Pagora: whether it
// counts as PostScript, where its PDF goes, and which PDF that is.

// A name that ends in ".ps" or ".eps", in any letter case.
bool IsPostScriptName(const QString &name);

// Where the PDF for input goes: beside it, or in outputFolder when one is
// given, under the name up to its last "." with ".pdf". Nothing when input is
// not a PostScript name.
std::optional<QString> PdfPathFor(const QString &input, const QString &outputFolder = QString());

// Which PDF an output path writes: its folder by device and inode, and its
// name, so that a folder reached through a link is the folder itself. A
// folder that cannot be looked at is its spelling.
QString OutputIdentity(const QString &output);

// True when paths are converted as a batch: more than one item, or a folder.
bool IsBatch(const QStringList &paths);

// What a drop of several items, or of a folder, comes to: the PostScript
// files to convert (a folder gives its .ps and .eps files directly inside,
// not those below and not hidden ones, in name order) and the items that are
// skipped.
struct BatchSelection {
    QStringList inputs;
    QStringList skipped;
};
BatchSelection SelectBatchInputs(const QStringList &paths);
