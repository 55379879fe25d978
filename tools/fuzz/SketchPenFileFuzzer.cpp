// libFuzzer target: the pen-file reader on arbitrary bytes. Besides the
// sanitizers' checks, every pen it returns must hold exactly size × size
// weights, and it may never return more pens than the bytes can hold.
#include <cstdint>
#include <cstdlib>

#include "imagewindow/tools/SketchPenFile.h"

using ImageWindow::EmbeddedTool::SketchPenFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const SketchPenFile::Contents contents = SketchPenFile::Read(data, size);
    std::size_t bytes = 8;
    for (const auto& pen : contents.vPens) {
        if (pen.iSize <= 0) std::abort();
        const auto count = static_cast<std::uint64_t>(pen.iSize) * static_cast<std::uint64_t>(pen.iSize);
        if (pen.vWeights.size() != count) std::abort();
        bytes += 16 + 4 * count;
    }
    if (!contents.vPens.empty() && bytes > size) std::abort();
    if (contents.vPens.size() > contents.uCount) std::abort();
    return 0;
}
