#pragma once
// Helpers the main window shares with its commands.

#include "platform/CBitmap.h"
#include "platform/WinTypes.h"

namespace CommonFunctions {

/// Makes `bitmap` a device-dependent copy of a device-independent image the
/// size of the image: `info` describes `bits` (24 or 32 bits per pixel,
/// rows bottom-up, padded to 4 bytes). Any bitmap `bitmap` held is deleted
/// first. FALSE (logged) for null `bits` or when the copy cannot be made;
/// `bitmap` then holds nothing. User-interface thread.
BOOL CreateCBitmap(CBitmap& bitmap, BITMAPINFO& info, BYTE* bits);

} // namespace CommonFunctions
