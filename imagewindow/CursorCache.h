#pragma once
// The image view's cache of built cursors: descriptions and, in step with
// them, the cursors built from them, in the order they were built. Entries
// are never evicted while the cache lives, so a handle stays valid until
// Clear or destruction. Only what painting needs is kept: the Qt cursor
// (its picture and mask, one bit per pixel each). The AND and XOR planes a
// cursor was made from, as large again, are dropped once it is built and
// rebuilt from the description when asked for. UI thread only.

#include <memory>
#include <optional>
#include <vector>

#include <QCursor>

#include "imagewindow/CursorPlanes.h"
#include "imagewindow/IWCursorInfo.h"
#include "platform/WinMessages.h"

namespace ImageWindow {

class CCursorCache {
public:
    /// The cursor built for a description equal in all eight fields, or null.
    HCURSOR Find(const IWCURSORINFO& info) const;
    /// Builds a cursor from the planes with the hot spot (hotX, hotY),
    /// appends it with its description and returns it. The planes are not kept.
    HCURSOR Add(const IWCURSORINFO& info, const CCursorPlanes& planes, int hotX, int hotY);
    /// The planes a cached cursor was built from, built again from its
    /// description (CCursorPlanes::Build with `crosshair`); nothing for
    /// handles the cache did not make.
    std::optional<CCursorPlanes> RebuildPlanes(HCURSOR cursor, const CCursorPlanes& crosshair) const;
    /// Number of cached cursors.
    std::size_t Size() const { return m_vEntries.size(); }
    /// Destroys every cached cursor (their handles become invalid).
    void Clear() { m_vEntries.clear(); }

private:
    struct Entry {
        IWCURSORINFO info;
        std::unique_ptr<QCursor> cursor;
    };
    std::vector<Entry> m_vEntries;
};

} // namespace ImageWindow
