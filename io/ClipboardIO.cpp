#include "io/ClipboardIO.h"

#include "Tracewell/Log.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QObject>

namespace Carrow::ClipboardIO {

namespace {

// The handle GetBitmap hands out for the clipboard's current picture, and the
// clipboard generation it was made for. The generation counts the
// clipboard's change signals, so the picture is fetched again only after a
// change.
struct ClipboardHandle {
    HBITMAP handle{nullptr};
    quint64 madeForGeneration{0};
    quint64 generation{1};
    bool watching{false};
};

ClipboardHandle& Cache()
{
    static ClipboardHandle cache;
    return cache;
}

QClipboard* OpenClipboard()
{
    return QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr;
}

void WatchChanges(QClipboard* clipboard)
{
    ClipboardHandle& cache = Cache();
    if (cache.watching) return;
    QObject::connect(clipboard, &QClipboard::dataChanged, [] { ++Cache().generation; });
    cache.watching = true;
}

void ReleaseCachedHandle()
{
    ClipboardHandle& cache = Cache();
    DeleteBitmapHandle(cache.handle);
    cache.handle = nullptr;
}

} // namespace

BOOL SetBitmap(CBitmap& bitmap)
{
    const HBITMAP handle = bitmap.GetSafeHandle();
    if (!handle) return FALSE;
    QClipboard* clipboard = OpenClipboard();
    if (!clipboard) return FALSE;
    WatchChanges(clipboard);
    const QImage picture = GetBitmapHandleImage(handle);
    // The clipboard now owns the handle; it keeps a copy of the picture, so
    // the handle itself is released here.
    DeleteBitmapHandle(handle);
    if (picture.isNull()) {
        WriteLog(LOG_LEVEL_ERROR, L"Carrow", L"ClipboardIO::SetBitmap", L"Failed to call SetClipboardData. LastError: %d.",
                 0);
        return FALSE;
    }
    clipboard->setImage(picture);
    ++Cache().generation; // platforms that signal the change later must not see a stale picture
    return TRUE;
}

BOOL GetBitmap(CBitmap& bitmap)
{
    if (bitmap.GetSafeHandle()) return FALSE;
    QClipboard* clipboard = OpenClipboard();
    if (!clipboard) return FALSE;
    WatchChanges(clipboard);
    ClipboardHandle& cache = Cache();
    const bool current = cache.handle && cache.madeForGeneration == cache.generation && IsBitmapHandle(cache.handle);
    if (!current) {
        ReleaseCachedHandle();
        const QMimeData* data = clipboard->mimeData();
        const QImage picture = data && data->hasImage() ? clipboard->image() : QImage();
        if (picture.isNull()) return FALSE;
        CBitmap fresh;
        if (!fresh.CreateFromImage(picture)) return FALSE;
        cache.handle = fresh.Detach();
        cache.madeForGeneration = cache.generation;
    }
    return bitmap.Attach(cache.handle);
}

} // namespace Carrow::ClipboardIO
