#pragma once
// PNG files written straight from bottom-up rows: every row with the "Sub"
// filter and a run-length deflate (ZlibRleEncoder), which costs a fraction of
// the adaptive filters and full deflate search of general-purpose writers
// while photographs come out about as small.

#include <vector>

#include "io/ByteSink.h"
#include "io/DibImage.h"

namespace Carrow::FileIO {

/// Encodes `view` as PNG into `sink`: 24-bit rows and 32-bit RGB as 8-bit
/// RGB, 32-bit ARGB and PARGB as 8-bit RGBA with straight alpha (PARGB is
/// un-premultiplied); the resolution as a pHYs chunk (96 dpi when unknown);
/// `iccProfile`, when not empty, as an iCCP chunk. Rows are counted in
/// `view.rowsDone`. Win32Error when the sink fails. Calling thread only.
Status EncodePng(const DibView& view, const std::vector<BYTE>& iccProfile, ByteSink& sink);

} // namespace Carrow::FileIO
