#pragma once
// An off-screen drawing surface: a bitmap of a fixed size with a painter on
// it (the memory device context of Windows code). Used wherever a picture is
// composed or kept away from the screen, for example the image view's copy
// of its last painted picture.
//
// The surface belongs to the thread that uses it; it has no locks.

#include <memory>

#include <QImage>
#include <QPainter>

class CFGMemDC {
public:
    /// A surface of width × height pixels (32-bit, opaque RGB by default),
    /// filled with black. A non-positive size gives an invalid surface
    /// (IsValid() false) without a bitmap.
    CFGMemDC(int width, int height, QImage::Format format = QImage::Format_RGB32);
    ~CFGMemDC();
    CFGMemDC(const CFGMemDC&) = delete;
    CFGMemDC& operator=(const CFGMemDC&) = delete;

    /// True when the surface has a bitmap.
    bool IsValid() const { return !m_Bitmap.isNull(); }
    int Width() const { return m_Bitmap.width(); }
    int Height() const { return m_Bitmap.height(); }

    /// The surface's bitmap (row 0 at the top). Painting through GetDC and
    /// reading the bitmap may be mixed: the painter writes straight into it.
    QImage& GetBitmap() { return m_Bitmap; }
    const QImage& GetBitmap() const { return m_Bitmap; }

    /// A painter on the bitmap, begun at the first call and kept until
    /// ReleaseDC or destruction. Must not be called on an invalid surface.
    QPainter& GetDC();
    /// Ends the painter begun by GetDC (if any), flushing its drawing.
    void ReleaseDC();

private:
    QImage m_Bitmap;
    std::unique_ptr<QPainter> m_pPainter;
};
