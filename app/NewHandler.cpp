// History trimming under memory pressure, and the allocation-failure handler.
//
// On this platform the C++ runtime has no counterpart of a "new mode" that
// routes malloc failures to the new-handler, and its new-handler takes no
// size. So this file replaces the global operator new and delete (plain and
// array forms, on top of malloc and free): operator new remembers the size it
// failed to get, and the installed new-handler passes that size to
// New_Handler, which gives up history and has the allocation retried. Every
// C++ allocation of the process (ours, Qt's, OpenCV's, std::vector's) reaches
// it; a plain malloc or calloc from C code does not and simply returns null.

#include <cstddef>
#include <cstdlib>
#include <new>

#include "Tracewell/Log.h"
#include "app/CorvaneLoaderApp.h"
#include "app/HistoryBudget.h"
#include "app/HistoryLock.h"
#include "operations/ImageData.h"

namespace {

// Size of the allocation that is failing on this thread, for the handler.
thread_local std::size_t t_failedSize = 0;
// Set while New_Handler runs on this thread: an allocation that fails inside
// it (its own log line) must not trim again or recurse without end.
thread_local bool t_inHandler = false;

void RuntimeNewHandler()
{
    if (t_inHandler || !New_Handler(t_failedSize)) throw std::bad_alloc();
}

// Clears the re-entry flag however New_Handler leaves (a failing log line throws).
struct HandlerScope {
    HandlerScope() { t_inHandler = true; }
    ~HandlerScope() { t_inHandler = false; }
};

[[maybe_unused]] void* TryAllocate(std::size_t size, std::size_t alignment)
{
    if (alignment <= alignof(std::max_align_t)) return std::malloc(size);
    const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    return std::aligned_alloc(alignment, rounded);
}

[[maybe_unused]] void* AllocateOrRetry(std::size_t size, std::size_t alignment = 0)
{
    if (size == 0) size = 1;
    for (;;) {
        if (void* p = TryAllocate(size, alignment)) return p;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        t_failedSize = size;
        handler();
    }
}

bool EntryHasPixels(const OperationManage::Operation* entry)
{
    const auto* data = entry ? dynamic_cast<const ImageData*>(entry->m_pData) : nullptr;
    return data && data->HasPixels();
}

} // namespace

std::recursive_mutex& HistoryMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

void InstallNewHandler()
{
    std::set_new_handler(&RuntimeNewHandler);
}

BOOL ReduceHistory()
{
    HistoryLockGuard lock(HistoryMutex());
    OperationManage::Operations& history = theApp.m_OptHistory;
    for (;;) {
        // An entry without pixels shows an earlier snapshot, which the view
        // is showing: freeing that one would leave the view on freed memory.
        if (!HistoryBudget::CanGiveUpOldest() || !history.RemoveFirstOnly()) return FALSE;
        if (EntryHasPixels(history.Get(0))) return TRUE;
    }
}

int New_Handler(std::size_t size)
{
    HandlerScope scope;
    const BOOL reduced = ReduceHistory();
    // The size is printed as a 64-bit number: the failing requests are the
    // large ones, and a 32-bit %d would show a 3 GB request as negative.
    const auto bytes = static_cast<long long>(size);
    if (reduced) {
        WriteLog(LOG_LEVEL_INFO, L"CorvaneLoader", L"New_Handler",
                 L"Failed to allocate %I64d bytes! History was reduced.", bytes);
    } else {
        WriteLog(LOG_LEVEL_INFO, L"CorvaneLoader", L"New_Handler",
                 L"Failed to allocate %I64d bytes! History can't be reduced!", bytes);
    }
    return reduced ? 1 : 0;
}

// ---- replaceable global allocation functions ---------------------------------
// Left out of ThreadSanitizer builds: there the sanitizer's own operator new
// and delete must see Qt's and OpenCV's allocations as made by those
// (uninstrumented) libraries, or every hand-over inside their worker pools
// reads as a race. The handler then runs with an unknown size (0).
#if !defined(__SANITIZE_THREAD__)


void* operator new(std::size_t size) { return AllocateOrRetry(size); }
void* operator new[](std::size_t size) { return AllocateOrRetry(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return AllocateOrRetry(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return AllocateOrRetry(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return AllocateOrRetry(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return AllocateOrRetry(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

#endif // !__SANITIZE_THREAD__
