#include "platform/SystemMemory.h"

#include <unistd.h>

ULONGLONG GetPhysicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<ULONGLONG>(pages) * static_cast<ULONGLONG>(pageSize);
}
