#include "imagewindow/CursorCache.h"

namespace ImageWindow {

HCURSOR CCursorCache::Find(const IWCURSORINFO& info) const
{
    for (const Entry& entry : m_vEntries)
        if (entry.info == info) return entry.cursor.get();
    return nullptr;
}

HCURSOR CCursorCache::Add(const IWCURSORINFO& info, const CCursorPlanes& planes, int hotX, int hotY)
{
    auto cursor = std::make_unique<QCursor>(planes.ToQCursor(hotX, hotY));
    HCURSOR handle = cursor.get();
    m_vEntries.push_back(Entry{info, std::move(cursor)});
    return handle;
}

std::optional<CCursorPlanes> CCursorCache::RebuildPlanes(HCURSOR cursor, const CCursorPlanes& crosshair) const
{
    for (const Entry& entry : m_vEntries)
        if (entry.cursor.get() == cursor) return CCursorPlanes::Build(entry.info, crosshair);
    return std::nullopt;
}

} // namespace ImageWindow
