#pragma once
// Device-dependent bitmaps: an opaque handle (HBITMAP) that names one picture,
// and CBitmap, the object that holds at most one such handle.
//
// A handle stands for a QImage kept in a process-wide handle table. Handles
// are opaque values, never dereferenced and never given out twice; a handle
// that was deleted (or never made here) is simply unknown to the table, so
// deleting it again or asking for its picture is harmless: the calls report
// failure.
// Every function is safe from any thread; the table has its own lock. A CBitmap
// object itself is not shared between threads.
//
// Pictures are kept as the display would keep them: 32 bits per pixel
// (QImage::Format_RGB32, or Format_ARGB32 when the source had alpha), rows top
// first, unless a caller hands in another QImage format on purpose.

#include "platform/WinTypes.h"

#include <QImage>

struct HBITMAP__;
/// Opaque handle of a bitmap in the handle table; null means "no bitmap".
using HBITMAP = HBITMAP__*;

/// Description of a bitmap as `CBitmap::GetBitmap` reports it.
struct BITMAP {
    LONG bmType;       ///< always 0
    LONG bmWidth;      ///< pixels
    LONG bmHeight;     ///< pixels
    LONG bmWidthBytes; ///< bytes per row of the held picture
    WORD bmPlanes;     ///< always 1
    WORD bmBitsPixel;  ///< bits per pixel of the held picture (32 for display pictures)
    void* bmBits;      ///< always null: device-dependent bits are not exposed
};

/// Puts `image` into the handle table and returns its new handle; null for a
/// null image. The table keeps its own (implicitly shared) copy. Any thread.
HBITMAP CreateBitmapHandle(const QImage& image);

/// The picture of `handle` (a shallow copy); a null QImage when the handle is
/// null or unknown. Any thread.
QImage GetBitmapHandleImage(HBITMAP handle);

/// True when `handle` names a live bitmap of the table. Any thread.
bool IsBitmapHandle(HBITMAP handle);

/// Removes `handle` from the table and frees its picture. FALSE when the handle
/// is null or unknown (already deleted), which changes nothing. Any thread.
BOOL DeleteBitmapHandle(HBITMAP handle);

/// Number of live handles in the table (for leak checks in tests). Any thread.
std::size_t CountBitmapHandles();

/// Holder of one bitmap handle. The held handle is deleted by DeleteObject and
/// by the destructor; Detach gives it up without deleting it.
class CBitmap {
public:
    CBitmap() = default;
    /// Deletes the held bitmap, if any.
    ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    /// Takes `handle` over. FALSE (and nothing changes) when the handle is null
    /// or this object already holds one.
    BOOL Attach(HBITMAP handle);

    /// Gives up the held handle without deleting it and returns it (null when
    /// none was held).
    HBITMAP Detach();

    /// The held handle, or null.
    HBITMAP GetSafeHandle() const { return m_hObject; }
    operator HBITMAP() const { return m_hObject; }

    /// Deletes the held bitmap and forgets its handle. FALSE when nothing was
    /// held or the handle was no longer live (it is forgotten all the same).
    BOOL DeleteObject();

    /// Makes a new bitmap holding a copy of `image` (converted to 32 bits per
    /// pixel unless `keepFormat` is set). FALSE when this object already holds
    /// a bitmap or the image is null.
    BOOL CreateFromImage(const QImage& image, bool keepFormat = false);

    /// Makes a new 32-bit bitmap from a device-independent picture: `info`
    /// describes `bits` (24 or 32 bits per pixel, uncompressed, rows padded to
    /// 4 bytes; a positive height means rows bottom-up, row 0 in memory is the
    /// bottom row of the picture; a negative height means top-down). FALSE when
    /// this object already holds a bitmap, `bits` is null or the header is not
    /// one of those forms.
    BOOL CreateFromDib(const BITMAPINFO& info, const BYTE* bits);

    /// Loads a BMP file as a 32-bit bitmap. FALSE when this object already
    /// holds a bitmap or the file is missing or not a readable BMP.
    BOOL LoadFromFile(const wchar_t* path);

    /// Fills `out` with the held bitmap's description; returns the number of
    /// bytes written (sizeof(BITMAP)) or 0 when nothing is held.
    int GetBitmap(BITMAP* out) const;

    /// The held picture (a shallow copy, rows top first); null QImage when
    /// nothing is held.
    QImage GetImage() const;

    HBITMAP m_hObject{nullptr}; ///< the held handle; public as in the framework it mirrors
};
