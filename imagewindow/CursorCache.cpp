#include "imagewindow/CursorCache.h"

namespace ImageWindow {

HCURSOR CCursorCache::Find(const IWCURSORINFO& info) const
{
    for (const Entry& entry : m_vEntries)
        if (entry.info == info) return entry.cursor.get();
    return nullptr;
}

HCURSOR CCursorCache::Add(const IWCURSORINFO& info, CCursorPlanes planes, int hotX, int hotY)
{
    auto cursor = std::make_unique<QCursor>(planes.ToQCursor(hotX, hotY));
    HCURSOR handle = cursor.get();
    m_vEntries.push_back(Entry{info, std::move(cursor), std::move(planes)});
    return handle;
}

const CCursorPlanes* CCursorCache::FindPlanes(HCURSOR cursor) const
{
    for (const Entry& entry : m_vEntries)
        if (entry.cursor.get() == cursor) return &entry.planes;
    return nullptr;
}

} // namespace ImageWindow
