#pragma once

#include <QString>
#include <QStringList>

// Where a drop looks for Ghostscript, in this order. Only existence counts.
inline const QStringList kDropTimeCandidates{
    QStringLiteral("/usr/local/bin/gs"),
    QStringLiteral("/opt/homebrew/bin/gs"),
    QStringLiteral("/usr/bin/gs"),
    QStringLiteral("/opt/local/bin/gs"),
};

// What the start-up probe (GhostscriptProbe) runs with -version, in this
// order; the bare "gs" is looked up on the search path.
inline const QStringList kProbeCandidates{
    QStringLiteral("/opt/homebrew/bin/gs"),
    QStringLiteral("/usr/local/bin/gs"),
    QStringLiteral("/usr/bin/gs"),
    QStringLiteral("gs"),
};

// The first candidate at which a file exists, written as in the list, or the
// empty text. Nothing is run.
QString FindGhostscriptExecutable(const QStringList &candidates = kDropTimeCandidates);
