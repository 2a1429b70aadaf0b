#include "convert/fonts/InstalledFonts.h"

void InstalledFonts::add(const QByteArray &postScriptName, const InstalledFace &face)
{
    if (!postScriptName.isEmpty() && !m_faces.contains(postScriptName))
        m_faces.insert(postScriptName, face);
}

const InstalledFace *InstalledFonts::find(const QByteArray &postScriptName) const
{
    const auto found = m_faces.constFind(postScriptName);
    return found == m_faces.constEnd() ? nullptr : &*found;
}
