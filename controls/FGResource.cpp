#include "controls/FGResource.h"

#include "platform/TextConvert.h"
#include "platform/WinUser.h"

#include <QGuiApplication>
#include <QPalette>
#include <QToolTip>

#include <cwctype>
#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxFolderDepth = 16;

struct SkinState {
    FGBitmapMap bitmaps;
    std::map<UINT, COLORREF> colours;
    std::optional<QBrush> backgroundBrush;
    std::optional<QBrush> whiteBrush;
    std::optional<QFont> font;
    LOGFONTW logFont{};
    int menuMetrics[3]{0, 0, 0};
    bool loaded{false};

    ~SkinState() { FGUnloadBitmaps(bitmaps); } // the skin lives until the process ends
};

SkinState& Skin()
{
    static SkinState state;
    return state;
}

std::wstring ToLower(std::wstring text)
{
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

// Paths come in the program's Windows-shaped form; here a backslash is a
// folder separator like a slash.
fs::path ToNativePath(const wchar_t* path)
{
    std::wstring text(path);
#ifndef _WIN32
    for (wchar_t& c : text)
        if (c == L'\\') c = L'/';
#endif
    return fs::path(WideToUtf8(text));
}

std::wstring FileNameOf(const fs::directory_entry& entry)
{
    return Utf8ToWide(entry.path().filename().string());
}

void LoadFolder(const fs::path& folder, FGBitmapMap& bitmaps, FGBitmapPathMap* paths, const std::wstring& prefix,
                int depth)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::wstring lower = ToLower(FileNameOf(*it));
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            if (depth < kMaxFolderDepth) LoadFolder(it->path(), bitmaps, paths, lower + L"\\", depth + 1);
            continue;
        }
        if (lower.size() < 5 || lower.compare(lower.size() - 4, 4, L".bmp") != 0) continue;
        // Load by the real name: the key is lower case, the file system may not be.
        const std::wstring filePath = Utf8ToWide(it->path().string());
        auto bitmap = std::make_unique<CBitmap>();
        if (!bitmap->LoadFromFile(filePath.c_str())) continue;
        const std::wstring key = prefix + lower.substr(0, lower.size() - 4);
        CBitmap*& slot = bitmaps[key];
        delete slot;
        slot = bitmap.release();
        if (paths) (*paths)[key] = filePath;
    }
}

COLORREF SystemGrayText()
{
    if (!QGuiApplication::instance()) return RGB(109, 109, 109);
    const QColor c = QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
    return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}

void FillColourTable(std::map<UINT, COLORREF>& t)
{
    t[1] = RGB(230, 230, 230);
    t[2] = RGB(0, 0, 0);
    t[3] = SystemGrayText();
    t[4] = RGB(105, 110, 115);
    t[5] = RGB(255, 255, 255);
    t[6] = RGB(100, 100, 100);
    t[7] = RGB(240, 240, 240);
    t[8] = RGB(210, 210, 210);
    t[9] = RGB(180, 180, 180);
    t[10] = RGB(150, 150, 150);
    t[11] = RGB(240, 240, 240);
    t[12] = RGB(210, 220, 230);
    t[13] = RGB(215, 240, 250);
    t[14] = RGB(120, 190, 220);
    t[15] = RGB(65, 215, 250);
    t[16] = RGB(100, 100, 100);
    t[17] = RGB(205, 235, 250);
    t[18] = RGB(200, 225, 240);
    t[19] = RGB(240, 240, 240);
    t[20] = RGB(180, 180, 180);
    t[21] = RGB(210, 210, 210);
    t[22] = RGB(220, 220, 220);
    t[23] = RGB(86, 104, 147);
    t[24] = RGB(255, 255, 255);
}

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

LOGFONTW SkinLogFont()
{
    LOGFONTW lf{};
    lf.lfHeight = -14;
    lf.lfWeight = 400;
    lf.lfCharSet = 0;
    lf.lfQuality = 2;
    const wchar_t face[] = L"Arial";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    return lf;
}

QFont FontFromLogFont(const LOGFONTW& lf)
{
    QFont font(QString::fromWCharArray(lf.lfFaceName));
    font.setPixelSize(lf.lfHeight < 0 ? -lf.lfHeight : (lf.lfHeight > 0 ? lf.lfHeight : 14));
    font.setWeight(lf.lfWeight >= 700 ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void ReleaseSkin(SkinState& s)
{
    FGUnloadBitmaps(s.bitmaps);
    s.colours.clear();
    s.font.reset();
    s.backgroundBrush.reset();
    s.whiteBrush.reset();
}

// Tooltips of every control share the skin's look.
void StyleTooltips(const SkinState& s)
{
    if (!QGuiApplication::instance()) return;
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, ToQColor(s.colours.at(24)));
    palette.setColor(QPalette::ToolTipText, ToQColor(s.colours.at(2)));
    QToolTip::setPalette(palette);
    QToolTip::setFont(*s.font);
}

} // namespace

void FGLoadResource(const wchar_t* folder)
{
    if (!folder) return;
    const fs::path native = ToNativePath(folder);
    std::error_code ec;
    if (!fs::is_directory(native, ec)) return;

    SkinState& s = Skin();
    ReleaseSkin(s);
    FGLoadBitmaps(folder, s.bitmaps, nullptr, nullptr);
    FillColourTable(s.colours);
    s.backgroundBrush = QBrush(ToQColor(s.colours[1]));
    s.whiteBrush = QBrush(ToQColor(s.colours[24]));
    s.logFont = SkinLogFont();
    s.font = FontFromLogFont(s.logFont);
    s.menuMetrics[FGMM_MENUBAR_HEIGHT] = 24;
    s.menuMetrics[FGMM_MENUITEM_HEIGHT] = 24;
    s.menuMetrics[FGMM_MENUITEM_GAP] = 4;
    s.loaded = true;
    StyleTooltips(s);
}

void FGLoadBitmaps(const wchar_t* folder, FGBitmapMap& bitmaps, FGBitmapPathMap* paths, const wchar_t* prefix)
{
    if (!folder) return;
    LoadFolder(ToNativePath(folder), bitmaps, paths, prefix ? std::wstring(prefix) : std::wstring(), 0);
}

void FGUnloadBitmaps(FGBitmapMap& bitmaps)
{
    for (auto& [key, bitmap] : bitmaps) delete bitmap;
    bitmaps.clear();
}

void FGUnloadBitmaps(FGBitmapIdMap& bitmaps)
{
    for (auto& [id, bitmap] : bitmaps) delete bitmap;
    bitmaps.clear();
}

COLORREF FGGetColor(UINT index)
{
    return Skin().colours[index]; // an unknown index is added as black
}

QColor FGGetQColor(UINT index)
{
    return ToQColor(FGGetColor(index));
}

CBitmap* FGGetSkinBitmap(const wchar_t* key)
{
    if (!key) return nullptr;
    auto it = Skin().bitmaps.find(key);
    return it == Skin().bitmaps.end() ? nullptr : it->second;
}

QPixmap FGBitmapToPixmap(const CBitmap* bitmap, COLORREF transparent)
{
    if (!bitmap) return {};
    QImage image = bitmap->GetImage();
    if (image.isNull()) return {};
    if (transparent == CLR_NONE) return QPixmap::fromImage(image);
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(GetRValue(transparent), GetGValue(transparent), GetBValue(transparent));
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0x00FFFFFFu) == (key & 0x00FFFFFFu)) row[x] = 0;
    }
    return QPixmap::fromImage(image);
}

QPixmap FGGetSkinPixmap(const wchar_t* key, COLORREF transparent)
{
    return FGBitmapToPixmap(FGGetSkinBitmap(key), transparent);
}

QBrush FGGetBrush(bool whiteBrush)
{
    const SkinState& s = Skin();
    const std::optional<QBrush>& brush = whiteBrush ? s.whiteBrush : s.backgroundBrush;
    return brush ? *brush : QBrush(Qt::black);
}

QFont FGGetFont()
{
    const SkinState& s = Skin();
    if (s.font) return *s.font;
    return QGuiApplication::instance() ? QGuiApplication::font() : QFont();
}

const LOGFONTW& FGGetLogFont()
{
    return Skin().logFont;
}

bool FGIsResourceLoaded()
{
    return Skin().loaded;
}

int FGGetMenuMetric(FG_MENU_METRIC metric)
{
    const int index = static_cast<int>(metric);
    return index >= 0 && index < 3 ? Skin().menuMetrics[index] : 0;
}
