#include "Tinctor/ScratchPool.h"

#include <mutex>
#include <utility>

namespace ImageProcess {

namespace {

// Guards `g_kept`: Take and Give may run on different worker threads.
std::mutex g_keptLock;
std::vector<unsigned char> g_kept;

// A kept buffer serves a request only when it is not much larger: a taken
// buffer may end up holding a caller's image, which should not carry
// hundreds of megabytes of unused capacity with it.
bool Fits(std::size_t capacity, std::size_t bytes)
{
    return capacity >= bytes && capacity <= 2 * bytes + (std::size_t{1} << 20);
}

} // namespace

std::vector<unsigned char> ScratchPool::Take(std::size_t bytes)
{
    std::vector<unsigned char> buffer;
    {
        std::lock_guard<std::mutex> lock(g_keptLock);
        if (Fits(g_kept.capacity(), bytes)) buffer.swap(g_kept);
    }
    buffer.resize(bytes);
    return buffer;
}

void ScratchPool::Give(std::vector<unsigned char>&& buffer)
{
    std::vector<unsigned char> dropped = std::move(buffer);
    {
        std::lock_guard<std::mutex> lock(g_keptLock);
        // Keep the larger of the two: large images are where fresh memory hurts.
        if (dropped.capacity() >= g_kept.capacity()) g_kept.swap(dropped);
    }
    // `dropped` is freed here, outside the lock.
}

void ScratchPool::Release()
{
    std::vector<unsigned char> dropped;
    std::lock_guard<std::mutex> lock(g_keptLock);
    dropped.swap(g_kept);
}

} // namespace ImageProcess
