#include "Tinctor/ScratchPool.h"

#include <mutex>
#include <utility>

namespace ImageProcess {

namespace {

// Guards `kept`: Take and Give may run on different worker threads.
std::mutex g_keptLock;
std::vector<unsigned char> g_kept;

} // namespace

std::vector<unsigned char> ScratchPool::Take(std::size_t bytes)
{
    std::vector<unsigned char> buffer;
    {
        std::lock_guard<std::mutex> lock(g_keptLock);
        buffer.swap(g_kept);
    }
    if (buffer.capacity() < bytes) {
        // Drop the small kept buffer before allocating, so both never coexist.
        std::vector<unsigned char>().swap(buffer);
    }
    buffer.resize(bytes);
    return buffer;
}

void ScratchPool::Give(std::vector<unsigned char>&& buffer)
{
    std::vector<unsigned char> old;
    {
        std::lock_guard<std::mutex> lock(g_keptLock);
        old.swap(g_kept);
        g_kept.swap(buffer);
    }
    // `old` is freed here, outside the lock.
}

void ScratchPool::Release()
{
    std::vector<unsigned char> old;
    std::lock_guard<std::mutex> lock(g_keptLock);
    old.swap(g_kept);
}

} // namespace ImageProcess
