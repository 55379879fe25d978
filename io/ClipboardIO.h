#pragma once
// Bitmaps to and from the system clipboard.
//
// The clipboard keeps its own copy of what is put on it. A handle that
// SetBitmap takes from the caller belongs to the clipboard from then on (the
// caller detaches it and never deletes it); a handle that GetBitmap hands out
// stays the clipboard's (the caller detaches it and never deletes it). The
// handle GetBitmap gives stays the same while the clipboard's picture is
// unchanged and is released once another picture (or none) is found there.
// User-interface thread only; the clipboard is used within each call.

#include "platform/CBitmap.h"
#include "platform/WinTypes.h"

namespace Carrow::ClipboardIO {

/// Puts the picture of `bitmap` on the clipboard (replacing everything on
/// it) and takes its handle over. FALSE, without touching the clipboard, when
/// `bitmap` holds no handle or no clipboard is available; FALSE with a log
/// line when the picture could not be placed (the handle is still taken).
BOOL SetBitmap(CBitmap& bitmap);

/// Attaches a handle of the clipboard's picture (32 bits per pixel, rows top
/// first) to the empty `bitmap`. FALSE, leaving both alone, when `bitmap`
/// already holds a handle, no clipboard is available or it holds no picture.
BOOL GetBitmap(CBitmap& bitmap);

} // namespace Carrow::ClipboardIO
