#pragma once
// Tinctor: the image-processing library (namespace ImageProcess).
//
// Every image is a byte vector of pixel rows plus a BITMAPINFO header:
// 24-bit BGR or 32-bit BGRA, rows bottom-up (row 0 in memory is the bottom row
// of the picture), each row padded to a multiple of 4 bytes, biHeight > 0,
// biCompression BI_RGB. Points and rectangles passed to the functions are in
// image pixels with row 0 at the TOP (as the view and the tools report them);
// the library converts to the bottom-up memory order itself.
//
// Bad arguments (null or short buffers, a header that doesn't match the
// vector, negative sizes, bit depths other than 24 and 32) make a function
// return false without touching the image. Nothing reads or writes outside a
// buffer. Functions may be called from any thread; they share no state.

#include <vector>

#include "platform/WinTypes.h"

namespace ImageProcess {

/// Progress report: `done` of `total` units finished. May be null everywhere.
using PROGRESS_CALLBACK = void (*)(unsigned int done, unsigned int total);

/// Prepares the library (called once at start-up). Any thread.
void Init();
/// Releases what Init prepared (called once at shutdown).
void Uninit();

/// Removes a spot, dust speck, hair or blemish: repairs the disk inscribed in
/// the square of side `size` whose top-left corner is `topLeft` (row 0 at the
/// top), with a soft edge. The square may reach over the image's edges and
/// corners; no pixel outside it changes. `size` 1 to 1001 (odd sizes are what
/// the program passes). `strength` 0 to 1: see the implementation notes of
/// the function for what it does. Image size unchanged.
bool RemoveSpot(std::vector<unsigned char>& pixels, BITMAPINFO& header, int size, POINT topLeft,
                float strength, PROGRESS_CALLBACK progress);

/// Darkens the red pupils found inside `rect` (image pixels, row 0 at the top,
/// right and bottom exclusive) by `amount` (0 to 1), keeping catch-lights and
/// the pupils' shape; pixels that are not red pupil pixels stay untouched. A
/// rectangle partly outside the image is clipped; one wholly outside changes
/// nothing and succeeds.
bool RedeyeReduct(std::vector<unsigned char>& pixels, BITMAPINFO& header, RECT rect, float amount,
                  PROGRESS_CALLBACK progress);

} // namespace ImageProcess
