#pragma once

#include <QString>
#include <QByteArrayList>
#include <QStringList>

// The file name of the font-substitution prolog in a job's workspace.
inline const QString kSubstitutionPrologName = QStringLiteral("gs_fontsubst_temp.ps");

// The font proposed in place of a missing one, by keywords in its name.
QString SuggestReplacementFont(const QString &fontName);

// The installed font a missing name is bound to: the name without spaces, with
// two names of a known other spelling. Names are bytes, as Ghostscript printed them.
QByteArray SubstitutionTargetName(const QByteArray &fontName);

// The prolog line that defines fontName as the font found under its target name.
QByteArray FontSubstitutionLine(const QByteArray &fontName);

// The prolog that binds each name to its target name, as bytes.
QByteArray FontSubstitutionProlog(const QByteArrayList &fontNames);

// Writes the prolog that binds each name to its target name into folder, and
// returns the prolog's path without quotes: Ghostscript gets it as an argument
// of its own. Throws std::runtime_error when the prolog cannot be written.
QString BuildFontSubstitution(const QByteArrayList &fontNames, const QString &folder);
