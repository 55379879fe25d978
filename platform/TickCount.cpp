#include "platform/TickCount.h"

#include <chrono>

ULONGLONG GetTickCount64()
{
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<ULONGLONG>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(GetTickCount64());
}
