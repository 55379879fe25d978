#include "platform/CBitmap.h"


#include <QFileInfo>
#include <QImageReader>
#include <QString>

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

// The handle table. A handle is a number that is never given out twice, so
// a stale handle can never name a newer bitmap; the map owns the pictures and
// a deleted handle is no longer a key.
struct HandleTable {
    std::mutex lock;
    std::uintptr_t nextHandle{0x10000};
    std::unordered_map<HBITMAP, std::unique_ptr<QImage>> images;
};

HandleTable& Table()
{
    static HandleTable* table = new HandleTable; // never destroyed: handles may outlive static objects
    return *table;
}

QImage ToDisplayFormat(const QImage& image)
{
    const QImage::Format target = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    return image.format() == target ? image : image.convertToFormat(target);
}

bool IsSupportedDib(const BITMAPINFOHEADER& h)
{
    if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0) return false;
    if (h.biHeight == INT32_MIN) return false;
    return h.biBitCount == 24 || h.biBitCount == 32;
}

} // namespace

HBITMAP CreateBitmapHandle(const QImage& image)
{
    if (image.isNull()) return nullptr;
    auto cell = std::make_unique<QImage>(image);
    std::lock_guard guard(Table().lock);
    HBITMAP handle = reinterpret_cast<HBITMAP>(Table().nextHandle);
    Table().nextHandle += 4;
    Table().images.emplace(handle, std::move(cell));
    return handle;
}

QImage GetBitmapHandleImage(HBITMAP handle)
{
    if (!handle) return {};
    std::lock_guard guard(Table().lock);
    auto it = Table().images.find(handle);
    return it == Table().images.end() ? QImage() : *it->second;
}

bool IsBitmapHandle(HBITMAP handle)
{
    if (!handle) return false;
    std::lock_guard guard(Table().lock);
    return Table().images.count(handle) != 0;
}

BOOL DeleteBitmapHandle(HBITMAP handle)
{
    if (!handle) return FALSE;
    std::unique_ptr<QImage> doomed; // freed outside the lock
    {
        std::lock_guard guard(Table().lock);
        auto it = Table().images.find(handle);
        if (it == Table().images.end()) return FALSE;
        doomed = std::move(it->second);
        Table().images.erase(it);
    }
    return TRUE;
}

std::size_t CountBitmapHandles()
{
    std::lock_guard guard(Table().lock);
    return Table().images.size();
}

CBitmap::~CBitmap()
{
    DeleteObject();
}

BOOL CBitmap::Attach(HBITMAP handle)
{
    if (!handle || m_hObject) return FALSE;
    m_hObject = handle;
    return TRUE;
}

HBITMAP CBitmap::Detach()
{
    HBITMAP handle = m_hObject;
    m_hObject = nullptr;
    return handle;
}

BOOL CBitmap::DeleteObject()
{
    if (!m_hObject) return FALSE;
    return DeleteBitmapHandle(Detach());
}

BOOL CBitmap::CreateFromImage(const QImage& image, bool keepFormat)
{
    if (m_hObject || image.isNull()) return FALSE;
    m_hObject = CreateBitmapHandle(keepFormat ? image : ToDisplayFormat(image));
    return m_hObject ? TRUE : FALSE;
}

BOOL CBitmap::CreateFromDib(const BITMAPINFO& info, const BYTE* bits)
{
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (m_hObject || !bits || !IsSupportedDib(h)) return FALSE;
    const int width = h.biWidth;
    const int height = h.biHeight > 0 ? h.biHeight : -h.biHeight;
    const std::size_t stride = DibStride(h.biWidth, h.biBitCount);
    const QImage::Format format = h.biBitCount == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
    // Wrap the caller's rows without copying, then copy once into our own picture.
    QImage wrapped(bits, width, height, static_cast<qsizetype>(stride), format);
    if (wrapped.isNull()) return FALSE;
    QImage picture = wrapped.convertToFormat(QImage::Format_RGB32);
    if (h.biHeight > 0) picture = picture.mirrored(false, true);
    m_hObject = CreateBitmapHandle(picture);
    return m_hObject ? TRUE : FALSE;
}

BOOL CBitmap::LoadFromFile(const wchar_t* path)
{
    if (m_hObject || !path) return FALSE;
    const QString file = QString::fromStdWString(path);
    if (!QFileInfo(file).isFile()) return FALSE;
    QImageReader reader(file, "bmp");
    reader.setAutoDetectImageFormat(false); // a file that is not a BMP inside fails, as the system loader does
    QImage image = reader.read();
    if (image.isNull()) return FALSE;
    return CreateFromImage(image);
}

int CBitmap::GetBitmap(BITMAP* out) const
{
    if (!out) return 0;
    const QImage image = GetBitmapHandleImage(m_hObject);
    if (image.isNull()) return 0;
    *out = BITMAP{0, image.width(), image.height(), static_cast<LONG>(image.bytesPerLine()), 1,
                  static_cast<WORD>(image.depth()), nullptr};
    return static_cast<int>(sizeof(BITMAP));
}

QImage CBitmap::GetImage() const
{
    return GetBitmapHandleImage(m_hObject);
}
