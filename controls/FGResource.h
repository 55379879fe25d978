#pragma once
// The skin of the skinned controls: bitmaps loaded from a folder tree, a fixed
// table of colours, two brushes, one font and the menu metrics. The skin is
// library-wide state, loaded once at start-up (before the first control is
// made) and kept until the process ends. User-interface thread only.

#include "platform/CBitmap.h"
#include "platform/WinTypes.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPixmap>

#include <map>
#include <string>

/// Bitmaps by key: the file name in lower case without ".bmp", preceded for
/// files of a sub-folder by that sub-folder's lower-case name and a backslash
/// ("toolbar\\file_open"). The map owns its bitmaps once filled by
/// FGLoadBitmaps; release them with FGUnloadBitmaps.
using FGBitmapMap = std::map<std::wstring, CBitmap*>;
/// File path of each key loaded by FGLoadBitmaps.
using FGBitmapPathMap = std::map<std::wstring, std::wstring>;
/// Bitmaps by numeric id (released with the second form of FGUnloadBitmaps).
using FGBitmapIdMap = std::map<UINT, CBitmap*>;

/// Logical font description of the library font (the fields a control needs).
struct LOGFONTW {
    LONG lfHeight;          ///< negative: character height in pixels
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;          ///< 400 normal, 700 bold
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    wchar_t lfFaceName[32];
};

/// The menu metrics of the skin.
enum FG_MENU_METRIC {
    FGMM_MENUBAR_HEIGHT = 0, ///< height of a menu bar: 24
    FGMM_MENUITEM_HEIGHT = 1, ///< height of a menu item: 24
    FGMM_MENUITEM_GAP = 2,    ///< gap between the bitmap column and the text: 4
};

/// Colour indices of the table that the controls use by name.
enum FG_COLOR_INDEX : UINT {
    FGC_BACKGROUND = 1,   ///< window and dialog background
    FGC_TEXT = 2,         ///< normal text
    FGC_GRAYTEXT = 3,     ///< disabled text
    FGC_WHITE = 24,       ///< edit background
};

/// Loads the skin from `folder`: every bitmap of the folder tree (keys as for
/// FGLoadBitmaps), the colour table, the two brushes, the font and the menu
/// metrics; first releases a previously loaded skin. Does nothing when
/// `folder` is null, does not exist or is not a folder. Reloading deletes the
/// bitmaps earlier FGGetSkinBitmap callers hold, so do not reload while
/// controls exist. A backslash in the path counts as a folder separator.
void FGLoadResource(const wchar_t* folder);

/// Adds every ".bmp" file of the folder tree `folder` to `bitmaps` (see the
/// key rule of FGBitmapMap; `prefix`, which may be null, goes in front of the
/// keys of this folder's own files only; deeper folders use just their own
/// name). A key already present gets the new bitmap (the old one is deleted).
/// With `paths`, records each loaded key's file path. Files that do not load
/// as BMP are skipped; a missing folder adds nothing. Folders nested deeper
/// than 16 levels are not visited (guards against link loops).
void FGLoadBitmaps(const wchar_t* folder, FGBitmapMap& bitmaps, FGBitmapPathMap* paths = nullptr,
                   const wchar_t* prefix = nullptr);

/// Deletes every bitmap of `bitmaps` (null entries are skipped) and empties it.
void FGUnloadBitmaps(FGBitmapMap& bitmaps);
/// Deletes every bitmap of `bitmaps` (null entries are skipped) and empties it.
void FGUnloadBitmaps(FGBitmapIdMap& bitmaps);

/// The colour at `index` of the skin's table (0x00BBGGRR). An index the table
/// does not hold is added with black, and black is returned.
COLORREF FGGetColor(UINT index);

/// FGGetColor as a QColor.
QColor FGGetQColor(UINT index);

/// The skin bitmap stored under `key`, or null when the skin lacks it. The
/// skin keeps ownership.
CBitmap* FGGetSkinBitmap(const wchar_t* key);

/// The skin bitmap under `key` as a pixmap in which `transparent` pixels are
/// see-through (CLR_NONE keeps every pixel); a null pixmap when absent.
QPixmap FGGetSkinPixmap(const wchar_t* key, COLORREF transparent);

/// A pixmap of `bitmap` in which the pixels of colour `transparent` are
/// see-through (CLR_NONE keeps every pixel); a null pixmap for a null or
/// empty bitmap.
QPixmap FGBitmapToPixmap(const CBitmap* bitmap, COLORREF transparent);

/// The solid brush of colour 1 (`whiteBrush` false) or of colour 24 (true).
QBrush FGGetBrush(bool whiteBrush);

/// The library font: 14 pixels, normal weight, face "Arial". Before
/// FGLoadResource it is the application's default font.
QFont FGGetFont();

/// The logical description of the library font.
const LOGFONTW& FGGetLogFont();

/// True once FGLoadResource has loaded a skin.
bool FGIsResourceLoaded();

/// A menu metric (0 before the skin is loaded).
int FGGetMenuMetric(FG_MENU_METRIC metric);
