#include "Tinctor/RemoveSpotScratch.h"

namespace ImageProcess {

namespace {

thread_local std::unique_ptr<RemoveSpotScratch> t_kept;
thread_local bool t_lent = false;

} // namespace

RemoveSpotScratch::Lease::Lease()
{
    if (t_lent) {
        m_own = std::make_unique<RemoveSpotScratch>();
        m_scratch = m_own.get();
        return;
    }
    if (!t_kept) t_kept = std::make_unique<RemoveSpotScratch>();
    m_scratch = t_kept.get();
    t_lent = true;
}

RemoveSpotScratch::Lease::~Lease()
{
    if (m_own) return;
    t_lent = false;
    if (t_kept->inDisk.capacity() > MaxKeptCells) t_kept.reset();
}

} // namespace ImageProcess
