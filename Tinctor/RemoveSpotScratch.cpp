#include "Tinctor/RemoveSpotScratch.h"

#include <mutex>

namespace ImageProcess {

namespace {

std::mutex g_keptMutex;
std::unique_ptr<RemoveSpotScratch> g_kept;

} // namespace

RemoveSpotScratch::Lease::Lease()
{
    {
        const std::lock_guard<std::mutex> lock(g_keptMutex);
        m_scratch = std::move(g_kept);
    }
    if (!m_scratch) m_scratch = std::make_unique<RemoveSpotScratch>();
}

RemoveSpotScratch::Lease::~Lease()
{
    if (m_scratch->inDisk.capacity() > MaxKeptCells) return;
    const std::lock_guard<std::mutex> lock(g_keptMutex);
    if (!g_kept) g_kept = std::move(m_scratch);
}

} // namespace ImageProcess
