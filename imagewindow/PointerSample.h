#pragma once
// The pointer's last position over the image view and the view's mapping
// from window to bitmap coordinates, kept under one lock: the view's UI
// thread stores them as mouse events and layout changes arrive, and a brush
// tool's tracking thread samples them (Qt's cursor belongs to the UI thread,
// and Wayland has no global cursor position at all).

#include <mutex>

#include "platform/CPoint.h"

namespace ImageWindow {

class CPointerSample {
public:
    /// Stores the pointer position, window coordinates of the view. UI thread.
    void StorePosition(const POINT& window);
    /// Stores the mapping window → bitmap: x = trunc((x + origin.x) / zoom),
    /// y likewise (origin: the top-left of rcInBitmap). Without a bitmap
    /// (`hasBitmap` false) positions stay in window coordinates. UI thread.
    void StoreMapping(bool hasBitmap, const POINT& origin, double zoom);
    /// The last stored position: window coordinates, or with `inBitmap` and a
    /// bitmap shown, bitmap coordinates (row 0 at the top; not clipped to the
    /// image). Any thread.
    CPoint Get(bool inBitmap) const;

private:
    mutable std::mutex m_mutex;
    CPoint m_ptWindow;         // guarded by m_mutex, as are the rest
    bool m_bHasBitmap{false};
    CPoint m_ptOrigin;
    double m_dbZoom{1.0};
};

} // namespace ImageWindow
