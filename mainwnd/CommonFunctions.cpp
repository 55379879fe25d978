#include "mainwnd/CommonFunctions.h"

#include "Tracewell/Log.h"

namespace CommonFunctions {

BOOL CreateCBitmap(CBitmap& bitmap, BITMAPINFO& info, BYTE* bits)
{
    constexpr const wchar_t* kFunction = L"CommonFunctions::CreateCBitmap";
    if (!bits) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", kFunction, L"Invalid Argument.");
        return FALSE;
    }
    bitmap.DeleteObject();
    if (!bitmap.CreateFromDib(info, bits)) {
        WriteLog(LOG_LEVEL_ERROR, L"CorvaneLoader", kFunction, L"Failed to draw the image into the bitmap.");
        return FALSE;
    }
    return TRUE;
}

} // namespace CommonFunctions
