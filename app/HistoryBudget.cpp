#include "app/HistoryBudget.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <limits>

#include "Tracewell/Log.h"
#include "app/CorvaneLoaderApp.h"
#include "app/HistoryLock.h"
#include "operations/ImageData.h"
#include "platform/SystemMemory.h"
#include "platform/TextConvert.h"

namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr std::size_t kFallbackBytes = std::size_t{1} << 30;  // when the machine's memory is unknown

// 0 until the budget is first asked for or set.
std::atomic<std::size_t> g_budget{0};

ImageData* DataAt(const OperationManage::Operations& history, std::size_t index)
{
    const OperationManage::Operation* entry = history.Get(index);
    return entry ? dynamic_cast<ImageData*>(entry->m_pData) : nullptr;
}

// The megabytes of the environment variable; nothing when it is unset, and
// nothing (logged) when it is not a positive whole number.
std::size_t BytesFromEnvironment()
{
    const char* text = std::getenv(HistoryBudget::kEnvironmentVariable);
    if (!text || !*text) return 0;
    errno = 0;
    char* end = nullptr;
    const unsigned long long megabytes = std::strtoull(text, &end, 10);
    const bool valid = errno == 0 && *end == '\0' && *text != '-' && megabytes > 0 &&
                       megabytes <= std::numeric_limits<std::size_t>::max() / kMiB;
    if (valid) return static_cast<std::size_t>(megabytes) * kMiB;
    WriteLog(LOG_LEVEL_WARNING, L"CorvaneLoader", L"HistoryBudget::DefaultBytes",
             L"Ignoring %s='%s': not a positive number of megabytes.", Utf8ToWide(HistoryBudget::kEnvironmentVariable).c_str(),
             Utf8ToWide(text).c_str());
    return 0;
}

// Index of the snapshot the cursor's entry shows: the nearest entry at or
// before the cursor that holds pixels; the cursor's own index when none does.
std::size_t ShownSnapshotIndex(const OperationManage::Operations& history)
{
    for (std::size_t index = history.CurrentIndex() + 1; index-- > 0;) {
        const ImageData* data = DataAt(history, index);
        if (data && data->HasPixels()) return index;
    }
    return history.CurrentIndex();
}

} // namespace

namespace HistoryBudget {

std::size_t DefaultBytes()
{
    if (const std::size_t fromEnvironment = BytesFromEnvironment()) return fromEnvironment;
    const ULONGLONG physical = GetPhysicalMemoryBytes();
    if (physical == 0) return kFallbackBytes;
    return static_cast<std::size_t>(std::min<ULONGLONG>(physical / 4, std::numeric_limits<std::size_t>::max()));
}

std::size_t Get()
{
    std::size_t budget = g_budget.load();
    if (budget != 0) return budget;
    budget = DefaultBytes();
    std::size_t unset = 0;
    return g_budget.compare_exchange_strong(unset, budget) ? budget : unset;
}

void Set(std::size_t bytes) { g_budget.store(bytes == 0 ? DefaultBytes() : bytes); }

bool CanGiveUpOldest()
{
    HistoryLockGuard lock(HistoryMutex());
    return !theApp.m_OptHistory.empty() && ShownSnapshotIndex(theApp.m_OptHistory) > 0;
}

std::size_t KeptBytes()
{
    HistoryLockGuard lock(HistoryMutex());
    const OperationManage::Operations& history = theApp.m_OptHistory;
    if (history.empty()) return 0;
    std::size_t bytes = 0;
    for (std::size_t index = 0; index <= history.CurrentIndex(); ++index) {
        if (const ImageData* data = DataAt(history, index)) bytes += data->m_Pixels.size() + data->m_Mask.size();
    }
    return bytes;
}

bool MakeRoom(std::size_t incomingBytes, std::vector<unsigned char>* spare)
{
    HistoryLockGuard lock(HistoryMutex());
    const std::size_t budget = Get();
    while (KeptBytes() + incomingBytes > budget) {
        // The snapshot on screen stays, and with it everything after it.
        if (!CanGiveUpOldest()) return false;
        // The oldest entry goes now whatever it holds: its pixels may serve
        // the new snapshot.
        ImageData* oldest = DataAt(theApp.m_OptHistory, 0);
        if (spare && spare->capacity() == 0 && oldest) spare->swap(oldest->m_Pixels);
        if (!New_Handler(incomingBytes)) return false;
    }
    return true;
}

} // namespace HistoryBudget
