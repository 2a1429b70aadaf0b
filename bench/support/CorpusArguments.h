#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the whole-run benchmarks are given: "[--rounds N] FILE ...", and the
// Ghostscript a drop would use.
struct CorpusArguments {
    int rounds = 9;
    QStringList files; // absolute paths
    QString ghostscript;
};

// Reads the arguments (the program's name first). Prints the usage, or that
// no Ghostscript is found, and returns nothing when the run cannot go on.
std::optional<CorpusArguments> ReadCorpusArguments(const QStringList &arguments);
