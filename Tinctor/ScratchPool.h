#pragma once
// One big byte buffer kept between calls. Fresh memory is slow to touch (every
// new page faults), so functions that need an image-sized buffer for a moment
// take this one, and give back whichever buffer they no longer need.

#include <cstddef>
#include <vector>

namespace ImageProcess {

class ScratchPool {
public:
    /// A buffer of exactly `bytes` bytes with unspecified contents: the kept
    /// buffer when its capacity suffices without being much larger (no fresh
    /// pages), else a new one. Any thread; a second taker while the buffer is
    /// out gets a new one.
    static std::vector<unsigned char> Take(std::size_t bytes);

    /// Offers `buffer` for later Takes; the larger of it and the kept buffer
    /// stays, the other is freed. Any thread.
    static void Give(std::vector<unsigned char>&& buffer);

    /// Frees the kept buffer.
    static void Release();
};

} // namespace ImageProcess
