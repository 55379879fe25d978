#pragma once
// Pen files ("*.sp"): ready-made pens that ImageWindow::LoadSketchPens reads
// from a folder into the library's pen collection.
//
// Layout, little-endian: the ASCII bytes "SKPN", the number of pens N
// (unsigned 32-bit), then N records of style, size S, hot spot x and y
// (signed 32-bit each) followed by S × S signed 32-bit weights, row by row.
// A pen read from a file has hardness 100 and opacity 100.
//
// The files are untrusted input: a record whose weights would run past the
// end of the file ends the reading as a short read does, before any memory
// is set aside for it; a size of 0 or less ends it too; the count N sets no
// memory aside either. The pens read before the first bad record stay.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imagewindow/tools/SketchPen.h"

namespace ImageWindow {

namespace EmbeddedTool {

class SketchPenFile {
public:
    /// What one file held.
    struct Contents {
        bool bSignature{false};        ///< the file begins with "SKPN"
        bool bCount{false};            ///< the count N could be read
        std::uint32_t uCount{0};       ///< N as the file states it
        std::vector<SketchPen> vPens;  ///< the complete records, in file order
    };

    /// Reads a pen file's bytes (`data`, `size` bytes). Never reads outside
    /// them; any content is safe. Any thread.
    static Contents Read(const std::uint8_t* data, std::size_t size);
};

} // namespace EmbeddedTool

/// Replaces the library's pen collection with the pens of every "*.sp" file
/// (the ending in any case; folders are skipped) directly in `folder`,
/// files taken in name order. Returns 0 and leaves the collection as it was
/// when the path is null or names no folder ("Invalid Parameter."), else 1
/// (also when no pen was found). Files that cannot be opened or lack the
/// signature are skipped with a warning; each read file logs how many pens
/// it holds and how many were loaded. UI thread; not concurrently with itself.
int LoadSketchPens(const wchar_t* folder);

/// The pens the last successful LoadSketchPens found. UI thread.
const std::vector<EmbeddedTool::SketchPen>& GetSketchPens();

} // namespace ImageWindow
