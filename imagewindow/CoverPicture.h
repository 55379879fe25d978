#pragma once
// The scaled drawing of the image view's full-size cover image (the picture
// a brush paints on while a stroke lasts). The cover changes a little with
// every batch of a stroke, so instead of rebuilding its reduced copies for
// the whole picture, only the parts a tool reports as changed are refreshed
// before the next drawing; at a stroke's start the reduced copies of the
// bitmap the cover was copied from are taken over.
//
// Threads: MarkChanged and MarkAllChanged may come from any thread (a tool's
// worker); everything else runs on the view's UI thread.

#include <mutex>

#include "imagewindow/DibScaler.h"
#include "platform/CRect.h"

namespace ImageWindow {

class CCoverPicture {
public:
    /// The cover's pixels changed inside `changed` (bitmap coordinates, row 0
    /// at the top). Any thread.
    void MarkChanged(const RECT& changed);
    /// The cover may have changed anywhere (it was hidden, or refilled by its
    /// owner): its reduced copies are rebuilt when next needed. Any thread.
    void MarkAllChanged();
    /// The cover's rows `cover` now hold a copy of the pixels `bitmapScaler`
    /// draws: their reduced copies are taken over and earlier changes forgotten.
    void TakeLevelsOf(const CDibScaler& bitmapScaler, const PixelRows& cover);
    /// Draws `src` of the cover rows onto `dest` of `target` as CDibScaler::Draw
    /// does, after bringing the reduced copies up to date.
    void Draw(const PixelRows& cover, QImage& target, const RECT& dest, const RECT& src);
    /// Brings the reduced copies of the cover rows up to date with the
    /// changes reported so far.
    void Update(const PixelRows& cover);
    /// The scaler holding the reduced copies (up to date after Update).
    const CDibScaler& Scaler() const { return m_Scaler; }

private:
    CDibScaler m_Scaler;
    std::mutex m_mutex;
    CRect m_rcChanged;          // guarded by m_mutex
    bool m_bAllChanged{false};  // guarded by m_mutex
};

} // namespace ImageWindow
